#include "cardbase/peak/peak_words.h"

#include <cstdio>

static const char* const axisWords[] = {"azimuth", "elevation", "skew"};

const char* peakAxisWord(PeakAxis axis) { return axis <= PeakSkew ? axisWords[axis] : "azimuth"; }

bool parsePeakAxis(const std::string& text, PeakAxis* axis)
{
    for (int i = 0; i <= PeakSkew; ++i) {
        if (text != axisWords[i]) continue;
        *axis = static_cast<PeakAxis>(i);
        return true;
    }
    return false;
}

const char* peakStepWord(PeakStep step)
{
    static const char* const words[] = {"idle",           "no-reading", "no-lock",     "no-decibels", "skew-waiting",
                                        "skew-elsewhere", "seeking",    "wrong-way",   "rising",      "edge-one",
                                        "past-peak",      "edge-two",   "set-halfway", "checking",    "done",
                                        "try-again",      "coarse",     "retuned"};
    return step < sizeof words / sizeof words[0] ? words[step] : "idle";
}

// A figure as each language writes it: "0.4", "0,4".
static std::string tenths(double value, char point)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    for (char& c : text)
        if (c == '.') c = point;
    return text;
}

static std::string transponderText(const SkewChance& chance)
{
    return std::to_string(chance.frequencyMHz) + (chance.polarization == 0 ? " H" : " V");
}

static PeakWords skewElsewhere(const SkewChance& chance)
{
    switch (chance.kind) {
    case SkewNoList:
        return {"skew cannot be judged: this card does not read the network's list of transponders",
                "перекос не оценить: карта не читает список транспондеров сети",
                "set the LNB's turn by the figure under Where to point", "stop"};
    case SkewNoNetwork:
        return {"skew cannot be judged: no network information", "перекос не оценить: нет сведений о сети",
                "set the LNB's turn by the figure under Where to point", "stop"};
    case SkewCircular:
        return {"skew cannot be judged: the transponder is not H or V",
                "перекос не оценить: у транспондера нет поляризации H или V", "a circular polarisation needs no skew",
                "stop"};
    case SkewElsewhere:
        return {"skew cannot be judged here: tune " + transponderText(chance) +
                    ", where a transponder of the other polarisation shares the frequency",
                "перекос здесь не оценить: настройтесь на " + transponderText(chance) +
                    ", где на той же частоте транспондер другой поляризации",
                "measure that transponder in Azimora, then start the skew again", "stop"};
    default:
        return {"skew cannot be judged on this satellite: no transponders of both polarisations share a frequency",
                "перекос на этом спутнике не оценить: нет транспондеров обеих поляризаций на одной частоте",
                "set the LNB's turn by the figure under Where to point", "stop"};
    }
}

static std::string doneHint(const PeakGuide& guide)
{
    switch (guide.axis) {
    case PeakAzimuth:
        return guide.elevationDone ? "the dish is peaked; next, the skew where it can be judged" : "next: elevation";
    case PeakElevation: return "next: azimuth again";
    case PeakSkew: break;
    }
    return "the LNB is set";
}

PeakWords peakWords(const PeakGuide& guide)
{
    const bool skew = guide.axis == PeakSkew;
    switch (guide.step) {
    case PeakIdle: break;
    case PeakNoReading:
        return {"waiting for readings", "жду показаний", "start measuring the transponder in Azimora", ""};
    case PeakNoLock:
        return {"no lock: find the satellite first", "нет захвата: сначала найдите спутник",
                "the guide brackets by the C/N, which needs the lock", "stop"};
    case PeakNoDecibels:
        return {"this card gives no figure in decibels: the guide cannot bracket",
                "карта не даёт значений в децибелах: помощник не может работать",
                "peak by the level bar and the search sound", "stop"};
    case PeakSkewWaiting:
        return {"reading the network's list of transponders", "читаю список транспондеров сети", "", ""};
    case PeakSkewElsewhere: return skewElsewhere(guide.skew);
    case PeakSeeking:
        if (skew)
            return {"turn the LNB slowly one way", "медленно поворачивайте конвертер в одну сторону",
                    "a degree at a time; the guide holds the best and calls the edge", "start"};
        return {"turn slowly one way", "медленно поворачивайте в одну сторону",
                "a tenth of a degree at a time; the guide holds the best and calls the edge", "start"};
    case PeakWrongWay:
        return {"falling: turn the other way", "сигнал падает: поворачивайте в другую сторону",
                "the reading fell without rising first", "turn"};
    case PeakRising:
        return {"rising: keep turning", "сигнал растёт: продолжайте", "on past the best; the guide calls the edge",
                "rise"};
    case PeakEdgeOne:
        return {"edge one: mark the mount", "первый край: отметьте положение",
                "then turn back the other way, slowly, past the peak", "edge"};
    case PeakPastPeak: return {"past the peak", "пик пройден", "keep turning to the other edge", "past"};
    case PeakEdgeTwo:
        return {"edge two: mark the mount", "второй край: отметьте положение", "hold still while you mark", "edge"};
    case PeakSetHalfway:
        if (skew)
            return {"set the LNB halfway between your marks", "установите конвертер посередине между отметками",
                    "then tap Check", "set"};
        return {"set the dish halfway between your marks", "установите антенну посередине между отметками",
                "then tap Check", "set"};
    case PeakChecking: return {"checking", "проверяю", "hold still", ""};
    case PeakDone:
        return {"within " + tenths(peakDoneWithinDb, '.') + " dB of the best: done",
                "в пределах " + tenths(peakDoneWithinDb, ',') + " дБ от лучшего: готово", doneHint(guide), "done"};
    case PeakTryAgain:
        return {"below the best by " + tenths(guide.belowDb, '.') + " dB: try again",
                "ниже лучшего на " + tenths(guide.belowDb, ',') + " дБ: попробуйте ещё раз",
                "start this axis again: the set point is off the middle", "again"};
    case PeakCoarse:
        return {"this card reads whole decibels: use 3 dB edges", "карта показывает целые децибелы: выберите края 3 дБ",
                "choose 3 dB edges and start again", "stop"};
    case PeakRetuned:
        return {"Azimora started a new measurement: start the guide again",
                "Azimora начала новое измерение: запустите помощник заново", "", "stop"};
    }
    return {"", "", "", ""};
}

std::string peakLine(const PeakGuide& guide)
{
    if (guide.step == PeakIdle) return "";
    return std::string(peakAxisWord(guide.axis)) + ": " + peakWords(guide).english;
}
