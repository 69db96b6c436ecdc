// What the six values the program sends ask of a real satellite frontend:
// the intermediate frequency behind the LNB, the LNB supply voltage (which
// picks the polarization), the 22 kHz tone (which picks the band) and, for
// a DiSEqC 1.0 committed switch, the port and the command that selects it.
// Shared by every bridge to real tuners. Platform-neutral.
#pragma once
#include <cstdint>

#include "cardbase/card_tuning.h"

enum LnbVoltage : uint8_t { VoltageOff, Voltage13, Voltage18 };

// A simple two-way switch listens for a tone burst rather than a command:
// the letters "A" and "B" send burst A or B after the command.
enum ToneBurst : uint8_t { NoToneBurst, ToneBurstA, ToneBurstB };

constexpr int noSwitchPort = -1;

// DiSEqC 1.0 wants 15 ms of quiet around a command; an LNB just powered
// needs 100 ms before it hears one; a command is said again after 100 ms
// for a switch that missed it while it powered up.
constexpr uint32_t diseqcQuietMs = 15;
constexpr uint32_t poweredLnbSettleMs = 100;
constexpr uint32_t diseqcRepeatMs = 100;

struct FrontendPlan {
    uint32_t intermediateKHz;   // |downlink - local oscillator|: C band LNBs mix from above
    uint32_t symbolsPerSecond;  // the program's kS/s times 1000
    LnbVoltage voltage;         // 18 V horizontal, 13 V vertical and without a letter
    bool toneOn;                // band selection 1: high band
    bool horizontal;            // what the voltage selects
    int switchPort;             // noSwitchPort, or 0..3: position + 2 x option (A, B, C, D)
    uint8_t diseqc[4];          // the committed command for switchPort; unused without a port
    ToneBurst toneBurst;        // after the command, for the letters "A" and "B"
};

// The switch port of a DiSEqC code: 1 "A" and 3 "AA" port 0, 2 "B" and
// 4 "BA" port 1, 5 "AB" port 2, 6 "BB" port 3 (first letter the position,
// second the option, a missing option is A). noSwitchPort for 0 and for
// codes the program never sends.
int switchPortFor(int32_t diseqcCode);

// The DiSEqC 1.0 "write port group 0" command for a committed switch:
// framing E0 (master, no reply), address 10 (any LNB or switch), command 38,
// then data F0 with bit 3 the option, bit 2 the position, bit 1 horizontal
// polarization and bit 0 the high band. 12245 MHz H on "AB": E0 10 38 FB.
void committedSwitchCommand(int port, bool horizontal, bool highBand, uint8_t command[4]);

FrontendPlan frontendPlanFor(const CardTuning& tuning);
