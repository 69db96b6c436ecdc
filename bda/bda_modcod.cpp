#include "bda/bda_modcod.h"

#include "bda/bda_search.h"

// BDA's ModulationType number beside those the search knows.
static constexpr int32_t bdaModulationNotDefined = 0;  // BDA_MOD_NOT_DEFINED

TunerModcodFields bdaModcodFields(int32_t modulation, int32_t codeRate)
{
    TunerModcodFields fields;
    struct Kind {
        int32_t bda;
        ModulationSystem system;
        ModulationKind modulation;
    };
    static const Kind kinds[] = {
        {bdaModulationQpsk, ModDvbS, ModQpsk},      {bdaModulationNbcQpsk, ModDvbS2, ModQpsk},
        {bdaModulationNbc8psk, ModDvbS2, Mod8psk},  {bdaModulation8psk, ModDvbS2, Mod8psk},
        {bdaModulation16apsk, ModDvbS2, Mod16apsk}, {bdaModulation32apsk, ModDvbS2, Mod32apsk}};
    const bool unset = modulation == bdaModulationNotSet || modulation == bdaModulationNotDefined;
    fields.systemState = fields.modulationState = unset ? FieldAutomatic : FieldOther;
    for (const Kind& kind : kinds) {
        if (kind.bda != modulation) continue;
        fields.systemState = fields.modulationState = FieldDefinite;
        fields.system = kind.system;
        fields.modulation = kind.modulation;
    }
    struct Rate {
        uint8_t numerator, denominator;
    };
    // By BinaryConvolutionCodeRate from BDA_BCC_RATE_1_2 (1) to BDA_BCC_RATE_9_10 (14); 5/11 and 6/7 are no
    // satellite's.
    static const Rate rates[] = {{1, 2}, {2, 3}, {3, 4}, {3, 5}, {4, 5}, {5, 6}, {0, 0},
                                 {7, 8}, {1, 4}, {1, 3}, {2, 5}, {0, 0}, {8, 9}, {9, 10}};
    fields.rateState = FieldOther;
    if (codeRate == bdaCodeRateNotSet || codeRate == 0) {
        fields.rateState = FieldAutomatic;
    } else if (codeRate >= 1 && codeRate <= 14 && rates[codeRate - 1].denominator != 0) {
        fields.rateState = FieldDefinite;
        fields.rateNumerator = rates[codeRate - 1].numerator;
        fields.rateDenominator = rates[codeRate - 1].denominator;
    }
    return fields;
}

ModcodWord bdaModcodWord(int32_t modulation, int32_t codeRate, int32_t askedModulation)
{
    return tunerWord(bdaModcodFields(modulation, codeRate), bdaModcodFields(askedModulation, bdaCodeRateNotSet));
}
