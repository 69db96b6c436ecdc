#include "dvb/helper/survey/catalogue_update.h"

#include <vector>

#include "catalogue/catalogue_entry.h"
#include "catalogue/catalogue_list.h"
#include "catalogue/parameter_ranges.h"

// Where one entry lies: its "[" and the ";" that ends it.
struct EntrySpan {
    size_t open;
    size_t close;  // the "]"
    size_t end;    // the ";"
};

static std::string lineProblem(size_t line, const std::string& what)
{
    return "line " + std::to_string(line) + ": " + what;
}

// The entries of a text that keeps the rules; false with `problem` set at
// the first place that breaks them.
static bool entrySpans(const std::string& text, std::vector<EntrySpan>* spans, std::string* problem)
{
    spans->clear();
    if (text.empty() || text[0] != '[') {
        *problem = "the file does not begin with \"[\"";
        return false;
    }
    size_t at = 0;
    for (size_t line = 1;; ++line) {
        EntrySpan span{at, text.find(']', at), text.find(';', at)};
        const size_t nextOpen = text.find('[', at + 1);
        if (span.close == std::string::npos || span.end == std::string::npos || span.close > span.end) {
            *problem = lineProblem(line, "an entry without its \"]\" and \";\"");
            return false;
        }
        if (nextOpen < span.end) {
            *problem = lineProblem(line, "a \"[\" inside an entry");
            return false;
        }
        if (text.find_first_of("\r\n", at) < span.end) {
            *problem = lineProblem(line, "a line break inside an entry");
            return false;
        }
        if (span.close + 1 >= text.size() || text[span.close + 1] != '=') {
            *problem = lineProblem(line, "the name is not followed by \"]=\"");
            return false;
        }
        if (text.find(']', span.close + 1) < span.end) {
            *problem = lineProblem(line, "a second \"]\" in an entry");
            return false;
        }
        spans->push_back(span);
        const size_t rest = span.end + 1;
        if (text.find_first_of("[];", rest) == std::string::npos) return true;
        if (text.compare(rest, 3, "\r\n[") != 0) {
            *problem = lineProblem(line, "the \";\" is not followed by CR, LF and the next \"[\"");
            return false;
        }
        at = rest + 2;
    }
}

std::string catalogueRuleBreak(const std::string& text)
{
    std::vector<EntrySpan> spans;
    std::string problem;
    return entrySpans(text, &spans, &problem) ? std::string() : problem;
}

static void collectLine(void* context, const char* text, size_t length)
{
    static_cast<std::vector<std::string>*>(context)->push_back(std::string(text, length));
}

// As Azimora reads it: the list's lines, and entry `index` with its values.
static bool readsAs(const std::string& text, size_t index, size_t entries, const std::string& name,
                    const TuningParameters& wanted)
{
    std::vector<std::string> lines;
    fillCatalogueList(text.data(), text.size(), collectLine, &lines);
    if (lines.size() != entries || lines[index].compare(0, name.size(), name) != 0) return false;
    TuningParameters read;
    read.polarization = -1;
    char banner[32];
    return examineCatalogueEntry(text.data(), text.size(), static_cast<int32_t>(index), read, banner) == CatalogueOk &&
           read.frequencyMHz == wanted.frequencyMHz && read.polarization == wanted.polarization &&
           read.symbolRate == wanted.symbolRate;
}

bool rewriteCatalogueLine(const std::string& text, const std::string& name, int32_t frequencyMHz, int32_t polarization,
                          int32_t symbolRate, std::string* rewritten, std::string* problem)
{
    std::vector<EntrySpan> spans;
    if (!entrySpans(text, &spans, problem)) {
        *problem = "it breaks Azimora's line rules (" + *problem + "), so it is left as it is";
        return false;
    }
    size_t index = 0;
    while (index < spans.size() &&
           text.compare(spans[index].open + 1, spans[index].close - spans[index].open - 1, name) != 0)
        ++index;
    if (index == spans.size() || spans[index].close - spans[index].open - 1 != name.size()) {
        *problem = "it has no line [" + name + "]";
        return false;
    }
    const bool fits = (catalogueCBandRange.holds(frequencyMHz) || kuBandRange.holds(frequencyMHz)) &&
                      symbolRateRange.holds(symbolRate) && (polarization == 0 || polarization == 1);
    const EntrySpan& span = spans[index];
    const std::string old = text.substr(span.close + 2, span.end - span.close - 2);
    const bool upper = old.find_first_of("HV") != std::string::npos;
    const std::string letter = polarization == 0 ? (upper ? "H" : "h") : (upper ? "V" : "v");
    const std::string parameters = std::to_string(frequencyMHz) + letter + std::to_string(symbolRate);
    std::string result = text.substr(0, span.close + 2) + parameters + text.substr(span.end);
    TuningParameters wanted;
    wanted.frequencyMHz = frequencyMHz;
    wanted.polarization = polarization;
    wanted.symbolRate = symbolRate;
    std::vector<EntrySpan> after;
    std::string ignored;
    if (!fits || parameters.size() > 11 || !entrySpans(result, &after, &ignored) || after.size() != spans.size() ||
        !readsAs(result, index, spans.size(), name, wanted)) {
        *problem = "Azimora would not read " + parameters + " on the line [" + name + "] as that transponder";
        return false;
    }
    *rewritten = result;
    return true;
}
