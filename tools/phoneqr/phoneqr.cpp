// azimora-qr TEXT: prints TEXT as a QR code in half blocks, for a phone to
// scan off the terminal. Exit code 0, 2 for wrong use, 1 when the text is
// too long for a QR code.
#include <cstdio>

#include "cardbase/phone/phone_qr.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: azimora-qr TEXT\n");
        return 2;
    }
    const QrModules modules = qrModulesFor(argv[1]);
    if (modules.size == 0) {
        std::fprintf(stderr, "azimora-qr: the text is too long for a QR code\n");
        return 1;
    }
    std::fputs(qrTerminalText(modules).c_str(), stdout);
    return 0;
}
