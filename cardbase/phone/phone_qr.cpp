#include "cardbase/phone/phone_qr.h"

extern "C" {
#include "qrcodegen.h"
}

QrModules qrModulesFor(const std::string& text)
{
    QrModules modules;
    std::vector<uint8_t> code(qrcodegen_BUFFER_LEN_MAX), scratch(qrcodegen_BUFFER_LEN_MAX);
    if (!qrcodegen_encodeText(text.c_str(), scratch.data(), code.data(), qrcodegen_Ecc_MEDIUM, qrcodegen_VERSION_MIN,
                              qrcodegen_VERSION_MAX, qrcodegen_Mask_AUTO, true))
        return modules;
    modules.size = qrcodegen_getSize(code.data());
    modules.dark.resize(static_cast<size_t>(modules.size * modules.size));
    for (int y = 0; y < modules.size; ++y)
        for (int x = 0; x < modules.size; ++x)
            modules.dark[static_cast<size_t>(y * modules.size + x)] = qrcodegen_getModule(code.data(), x, y) ? 1 : 0;
    return modules;
}

std::string qrTerminalText(const QrModules& modules)
{
    if (modules.size == 0) return std::string();
    const int quiet = 4;
    std::string out;
    // A light module is drawn with the terminal's ink, so that the code stands
    // dark on light whichever way round the terminal's colours are (most are
    // light text on dark).
    for (int y = -quiet; y < modules.size + quiet; y += 2) {
        for (int x = -quiet; x < modules.size + quiet; ++x) {
            const bool top = !modules.at(x, y), bottom = !modules.at(x, y + 1);
            out += top && bottom ? "\xE2\x96\x88" : top ? "\xE2\x96\x80" : bottom ? "\xE2\x96\x84" : " ";
        }
        out += '\n';
    }
    return out;
}
