// Any bytes as dvbcard.ini, and any line as a helper's first line: the
// secret found is a trimmed value of a "secret" line, and only the secret
// itself is ever taken for it; a single-cable setting read from it is
// either refused with its reason or one the helper reads back the same
// from the card's request.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "dvb/protocol/shared_secret.h"
#include "dvb/protocol/single_cable_words.h"

static void check(bool holds)
{
    if (!holds) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string secret = secretFromSettings(text);
    check(secret.find('\n') == std::string::npos);
    check(secret.empty() || (secret.front() != ' ' && secret.back() != ' '));
    check(secret.size() <= text.size());
    SingleCableSetting setting;
    std::string refusal;
    if (singleCableFromSettings(text, &setting, &refusal) && refusal.empty()) {
        const Request request = singleCableRequest(setting);
        Request read;
        SingleCableSetting back;
        std::string reason;
        check(parseRequest(formatRequest(request), &read) && parseSingleCable(read.words, &back, &reason));
        check(singleCableSettingText(back, true) == singleCableSettingText(setting, true));
    }
    std::string given;
    if (parseSecretLine(text, &given)) {
        check(secretLine(given) == text);
        check(sameSecret(given, "dish-PC-0123") == (given == "dish-PC-0123"));
    }
    return 0;
}
