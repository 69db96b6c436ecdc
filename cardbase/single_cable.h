// Single-cable installations (EN 50494 and EN 50607): one cable to a
// single-cable LNB or multiswitch, which hands the receiver the transponder
// it asks for by a DiSEqC command on a fixed frequency of its own, its user
// band. The setting's one form and reader, the command for a transponder,
// the frequency the demodulator then tunes, the power-off command that frees
// the band, and the steps every card carries out, built once as data.
// Platform-neutral.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/card_tuning.h"

enum SingleCableStandard : uint8_t { En50494, En50607 };

constexpr int noSingleCablePin = -1;

struct SingleCableSetting {
    SingleCableStandard standard = En50494;
    int userBand = 0;            // as printed on the device: 1-8 (EN 50494), 1-32 (EN 50607)
    int bandMHz = 0;             // the user band's centre, 950-2150
    int pin = noSingleCablePin;  // 0-255 where the device has one (0 is a PIN too)
};

// Reads "en50494,UB,MHZ[,PIN]" or "en50607,UB,MHZ[,PIN]" (the standard's
// word in any case, blanks around each field allowed): false with the
// reason in words ("user band 9 is not 1-8 for EN 50494") otherwise.
bool parseSingleCable(const std::string& text, SingleCableSetting* setting, std::string* reason);

// "en50494,1,1210" and, with the PIN, "en50494,1,1210,77": the setting as
// it is written (the record writes it without the PIN).
std::string singleCableSettingText(const SingleCableSetting& setting, bool withPin);
// "EN 50494, user band 1 at 1210 MHz", as the page and the log say it.
std::string singleCableWords(const SingleCableSetting& setting);
// "EN 50494" or "EN 50607".
const char* singleCableStandardName(SingleCableStandard standard);

// A DiSEqC message of up to six bytes.
constexpr size_t maxSingleCableBytes = 6;
struct SingleCableCommand {
    uint8_t bytes[maxSingleCableBytes] = {};
    uint8_t length = 0;
};
bool operator==(const SingleCableCommand& a, const SingleCableCommand& b);
// "E0 10 5A 04 F7"
std::string singleCableCommandText(const SingleCableCommand& command);

// The switch letters give the device's position as a committed switch's
// command numbers its ports: none or "A" 1, "B" 2, "AA" 1, "BA" 2, "AB" 3,
// "BB" 4. 0 for a code the program never sends.
int singleCablePosition(int32_t diseqcCode);

// What one transponder asks of the device, from the band, oscillator and
// polarization the program chose. `refusal` is "" when the device can be
// asked, else why not; nothing is sent then.
struct SingleCablePlan {
    std::string refusal;
    int position = 1;  // 1-4
    bool highBand = false;
    bool horizontal = false;
    uint32_t intermediateMHz = 0;  // what the LNB gives for the transponder
    SingleCableCommand command;    // asks for it on the user band
    SingleCableCommand powerOff;   // frees the user band
    uint32_t demodulatorKHz = 0;   // where the transponder then is
};
SingleCablePlan singleCablePlanFor(const CardTuning& tuning, const SingleCableSetting& setting);

// The power-off command alone, for a release with no transponder asked.
SingleCableCommand singleCablePowerOff(const SingleCableSetting& setting);

// The steps, as data: the device ignores the tone and listens only at
// 18 V, and another receiver needs the cable at 13 V, so the supply is
// raised for the command alone. The windows are the standards': 4-22 ms
// from 18 V to the command, 2-60 ms from the command's end to 13 V.
enum SingleCableStepKind : uint8_t {
    ScrToneOff,
    ScrSupply18,
    ScrSupply13,
    ScrSupplyOff,
    ScrPause,     // ms
    ScrCommand,   // the plan's command
    ScrPowerOff,  // the plan's power-off command
    ScrTune,      // the demodulator at the plan's frequency, 13 V, no tone
};
struct SingleCableStep {
    SingleCableStepKind kind;
    uint32_t ms;  // ScrPause
};
constexpr uint32_t scrCommandLeadMs = 15;  // within 4-22
constexpr uint32_t scrCommandTailMs = 50;  // within 2-60
// Another receiver may have spoken at the same moment: the command goes
// once more after a random 68-118 ms where nothing locked in the driver's time.
constexpr uint32_t scrRetryLeastMs = 68;
constexpr uint32_t scrRetryMostMs = 118;

// Tone off, 18 V, 15 ms, the command, 50 ms, 13 V, the tune.
std::vector<SingleCableStep> singleCableTuneSteps();
// The pause (68-118 ms, from `random`), 18 V, 15 ms, the command, 50 ms, 13 V, the tune.
std::vector<SingleCableStep> singleCableRetrySteps(uint32_t random);
// Tone off, 18 V, 15 ms, the power-off command, 50 ms, 13 V, then the LNB unpowered.
std::vector<SingleCableStep> singleCableReleaseSteps();
uint32_t singleCableRetryPauseMs(uint32_t random);

// Whether the user band is taken by another receiver, judged by the
// transport stream id of the stream's PAT: under a steady tune it stays
// the same; another receiver asking for another transponder on the same
// band changes it.
struct UserBandWatch {
    bool seen = false;
    uint16_t firstStreamId = 0;
    bool shared = false;  // holds until the next tune
};
void userBandRetuned(UserBandWatch& watch);
// The PAT's transport stream id, read while locked. True when this one
// shows, for the first time since the tune, that the band is shared.
bool userBandStreamSeen(UserBandWatch& watch, uint16_t transportStreamId);
// "another receiver uses user band 1"
std::string userBandSharedText(const SingleCableSetting& setting);
// Where nothing locks through the device.
extern const char singleCableNoAnswerText[];

// Finding the user bands: after this command an EN 50494 device puts a
// tone on every user band's centre (E0 10 5B 00 00). EN 50607 devices say
// theirs only in answers that common tuners cannot read.
SingleCableCommand singleCableShowBandsCommand();
// Tone off, 18 V, 15 ms, the command, 50 ms, 13 V: the plan's command
// (ScrCommand) then is the one that shows the bands.
std::vector<SingleCableStep> singleCableShowBandsSteps();
