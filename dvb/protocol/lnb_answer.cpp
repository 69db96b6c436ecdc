#include "dvb/protocol/lnb_answer.h"

#include "app/number_text.h"

static const struct {
    LnbErrorState state;
    const char* words;
} stateWords[] = {{LnbErrorUnlocked, "lnb unlocked"},
                  {LnbErrorNotGiven, "lnb not-given"},
                  {LnbErrorThroughCable, "lnb single-cable"}};

static constexpr WholeForm errorForm{-1000000, 1000000, 7, false};
static constexpr WholeForm oscillatorForm{1, 99999, 5, false};

std::string lnbAnswerText(const LnbError& error)
{
    if (error.state == LnbErrorKnown)
        return "lnb error " + std::to_string(error.errorKHz) + " " + std::to_string(error.oscillatorMHz);
    for (const auto& each : stateWords)
        if (each.state == error.state) return each.words;
    return stateWords[0].words;
}

bool parseLnbAnswer(const std::string& text, LnbError* error)
{
    for (const auto& each : stateWords) {
        if (text != each.words) continue;
        *error = LnbError();
        error->state = each.state;
        return true;
    }
    const std::string head = "lnb error ";
    if (text.compare(0, head.size(), head) != 0) return false;
    const std::string rest = text.substr(head.size());
    const size_t blank = rest.find(' ');
    LnbError read;
    read.state = LnbErrorKnown;
    if (blank == std::string::npos || !readWholeNumber(rest.substr(0, blank), errorForm, &read.errorKHz) ||
        !readWholeNumber(rest.substr(blank + 1), oscillatorForm, &read.oscillatorMHz))
        return false;
    *error = read;
    return true;
}
