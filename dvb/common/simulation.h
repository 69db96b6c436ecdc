// What a simulated frontend does, read from the file given to
// `azimora-dvb --simulate FILE`: the signal over time after each tune and
// the failures to stage. Platform-neutral.
//
// Lines (blank lines and lines starting with # are ignored):
//   T lock CN_DB     from T ms after the latest tune: locked at a C/N of CN_DB dB
//   T nolock         from T ms after the latest tune: no lock
//                    (a tune sent again to the same frequency and symbol rate,
//                    whatever its system, goes on with the timeline)
//   fail open        the device cannot be opened: another program has it
//   fail tune        the kernel refuses every tune
//   fail voltage|tone|diseqc|burst  the driver fails that request (for voltage
//                    and tone, switching them on)
//   systems NAME...  the delivery systems it offers, each once (DVB-S, DVB-S2,
//                    DVB-T, DVB-C; DVB-S and DVB-S2 unless told); the first is
//                    the one it is set to when opened, and until it is set to a
//                    satellite system it gives its frequency range in Hz
//   transponder NAME [MODULATION [RATE]]  the transponder is DVB-S, or
//                    DVB-S2 (QPSK or 8PSK if named, with code rate RATE: 1/2,
//                    3/5, 2/3, 3/4, 4/5, 5/6, 8/9 or 9/10): a tune as the other
//                    system does not lock it, except DVB-S2 with automatic
//                    values, which finds either (unless told, every tune locks);
//                    DVB-S with a code rate: "transponder DVB-S 7/8" (1/2, 2/3,
//                    3/4, 5/6 or 7/8)
//   system strict    the demodulator locks only the system it is set to: DVB-S2
//                    with automatic values does not find a DVB-S transponder
//   modulation explicit  the driver takes DVB-S2 with automatic modulation or
//                    roll-off, as the kernel returns success, and never locks;
//                    for DVB-S it locks only with QPSK and roll-off 0.35
//   statistics KIND  how it reports C/N and strength: decibel (v5 statistics in
//                    0.001 dB, the default), relative (v5 statistics, 0..65535),
//                    legacy (no v5 statistics: s/n and strength on a 16-bit
//                    scale), legacy-tenths (s/n in 0.1 dB), legacy-negative
//                    (s/n a negative dBm figure read as unsigned) or none; or
//                    a driver's own arithmetic from the C/N (driver_statistics.h):
//                    ds3000, cx24116, cx24116-esno (loaded with esno_snr=1,
//                    which /sys/module/cx24116/parameters/esno_snr then says),
//                    stv090x, stv0900, stb0899, m88ds3103, stv0910 or
//                    m88rs6000, their strength at -70 dBm plus the C/N
//                    (through an installation, the level of the tuned
//                    channel), given before the lock where the driver gives
//                    it so (driver_strength.h)
//   rolloff 0.35|0.25|0.20  the transponder's roll-off: a DVB-S2 tune that
//                    names another does not lock it (unless told, any locks)
//   search MS        while tuned and unlocked, the kernel's frontend thread
//                    searches for MS ms (0 to 10000) holding the frontend,
//                    rests half a second and searches again, from each tune:
//                    every request waits for the search under way, as on
//                    stv090x, stv0900 and stb0899
//   slow MS          each status and statistics request takes MS ms (0 to 10000),
//                    as on drivers that search in software
//   slow all MS      every request takes at least MS ms (0 to 10000): supply,
//                    tone, switch command, burst and tune too, as each waits for
//                    the frontend that the kernel's thread holds while it searches
//   acquisition MS   each tune, the same one again too, takes MS ms (0 to
//                    10000) before it can lock: the tuner's programming and
//                    the demodulator's search start again at every tune
//   name TEXT        the name the frontend gives (FE_GET_INFO), the rest of
//                    the line, at most 127 characters
// How a driver behaves where drivers differ, each on a line of its own:
//   personality needs-code-rate  DVB-S2 locks only with QPSK or 8PSK, a
//                    roll-off and a code rate named (the transponder's own);
//                    automatic ones are taken without a word and never lock;
//                    DVB-S only with QPSK and roll-off 0.35
//   personality ignores-modulation  modulation, roll-off and code rate are
//                    not used: every DVB-S2 tune is the same one, as is every
//                    DVB-S tune
//   personality finds-either-system  any tune finds a DVB-S or a DVB-S2
//                    transponder, whatever system it names
//   personality v5-strength-only  the v5 statistics carry the strength in
//                    dBm and no C/N; the older calls answer s/n and strength
//                    on a 16-bit scale
//   personality strength-only  the v5 strength in dBm and nothing else: the
//                    older calls are not supported
//   personality no-burst  the driver has no tone burst: the kernel answers the
//                    request with its ENOTSUPP (524)
//   personality reads-back-modcod  as reads-back, but the delivery system is
//                    left as asked, and a DVB-S lock leaves the modulation as
//                    asked too, as stv0910 does
//   personality needs-rolloff  DVB-S2 with an automatic roll-off is taken
//                    without a word and never locks, as on tda10071
//   personality dont-poll  the tuner's v5 strength is measured only when
//                    FE_READ_SIGNAL_STRENGTH asks (none before), as ts2020
//                    does where its bridge sets dont_poll
//   personality reads-back  while locked, the driver gives back the system,
//                    modulation and code rate it locked (the transponder's own:
//                    8PSK where DVB-S2 names none and the tune named none either,
//                    3/4 where no rate is named), as m88ds3103 does; without it
//                    the kernel gives back what the tune set
// What the transport stream carries, on the simulated demux while locked
// (numbers decimal, or hexadecimal after 0x):
//   stream TSID ONID the tuned stream's own ids: its PAT gives TSID, its SDT
//                    actual TSID and ONID (without this line, neither is sent)
//   nit actual|other ID [NAME...]  a network information table (NIT actual
//                    or other) of network ID, NAME (the rest of the line, at
//                    most 64 characters) in its network name descriptor, none
//                    without one; sent in the file's order. The lines below
//                    until the next "nit actual|other" line belong to it:
//   entry TSID ONID POSITION [MODCOD] [TRANSPONDER]|none  one transport
//                    stream in the table, with a satellite delivery system
//                    descriptor giving the orbital position (19.2E, 30.0W,
//                    0.0E), the modulation and code rate (DVB-S QPSK 3/4
//                    unless MODCOD, such as S2-8PSK-2/3, names others) and
//                    the transponder (frequency in MHz, H, V, L or R for
//                    circular left and right, symbol rate in kS/s: 11362H27500;
//                    0 MHz H 27500 unless told), or without one
//   nit sections N   its entries go N to a section (1 to 40; 16 unless told)
//   nit bad-crc      its sections go out with a wrong CRC
//   nit odd-descriptor  each of its entries also carries a damaged
//                    descriptor, its length sound, that libdvbv5 refuses (a
//                    conditional access descriptor cut short)
// At most 8 tables of at most 200 entries.
// The installation, an LNB and the satellite's carriers, and its faults:
// simulated_installation.h (lnb, carrier and fault lines). A single-cable device
// between the frontend and the LNB (dvb/simulated/simulated_cable.h), which makes the
// file an installation's:
//   scr-device en50494|en50607 MHZ,MHZ,... [pin N]  its standard, its user
//                    bands' centres in order (user band 1 first) and its PIN
//   scr-neighbour UB every S  another receiver on the cable asks for its
//                    own transponder on user band UB every S seconds from
//                    the first command the device hears
// Through the device each carrier's PAT gives its own transport stream id:
// its stream line's, else its downlink in MHz.
// A motorised dish under the catalogue's satellites (motor, site, diameter
// and clock lines): simulated_sky.h.
// The latest timed line whose T has passed applies; before the first one
// there is no lock. The file is at most simulationFileLimit bytes and holds
// text only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cardbase/network/psi_build.h"
#include "cardbase/single_cable_device.h"
#include "dvb/common/driver_statistics.h"
#include "dvb/common/simulated_installation.h"
#include "dvb/common/simulated_sky.h"

constexpr size_t simulationFileLimit = 65536;

enum SimulatedSystem : uint8_t { SimDvbS, SimDvbS2, SimDvbT, SimDvbC };
enum SimulatedStatistics : uint8_t {
    StatisticsDecibel,
    StatisticsRelative,
    StatisticsLegacy,
    StatisticsLegacyTenths,
    StatisticsLegacyNegative,
    StatisticsNone,
    StatisticsV5StrengthOnly,  // personality v5-strength-only
    StatisticsStrengthOnly,    // personality strength-only
    StatisticsOfDriver,        // a driver's own arithmetic (Simulation::driver)
};
enum SimulatedModulation : uint8_t { ModulationAny, ModulationQpsk, ModulationPsk8 };
enum SimulatedRolloff : uint8_t { RolloffAny, Rolloff035, Rolloff025, Rolloff020 };

struct SimulatedMoment {
    uint32_t fromMs;
    bool locked;
    int32_t carrierToNoiseMilliDb;
};

struct SimulatedNetworkTable {
    NitFacts facts;
    bool badCrc = false;
};
constexpr size_t simulatedTablesLimit = 8;
constexpr size_t simulatedEntriesLimit = 200;

struct Simulation {
    std::vector<SimulatedMoment> timeline;  // in file order
    bool failOpen = false;
    bool failTune = false;
    bool failVoltage = false;
    bool failTone = false;
    bool failDiseqc = false;
    bool failBurst = false;
    std::vector<SimulatedSystem> systems{SimDvbS, SimDvbS2};
    bool anyTransponder = true;  // locks whichever satellite system is tuned
    SimulatedSystem transponder = SimDvbS;
    SimulatedModulation transponderModulation = ModulationAny;
    std::string transponderCodeRate;  // "3/4"; empty: any
    SimulatedRolloff transponderRolloff = RolloffAny;
    bool readsBack = false;       // personality reads-back
    bool readsBackSystem = true;  // not with personality reads-back-modcod
    bool strictSystem = false;
    bool explicitModulation = false;
    SimulatedStatistics statistics = StatisticsDecibel;
    StatisticsDriver driver = DriverDs3000;  // for StatisticsOfDriver
    uint32_t searchMs = 0;
    uint32_t slowMs = 0;
    uint32_t slowAllMs = 0;
    uint32_t acquisitionMs = 0;
    std::string frontendName;  // empty: simulatedFrontendName
    bool needsCodeRate = false;
    bool needsRolloff = false;
    bool ignoresModulation = false;
    bool findsEitherSystem = false;
    bool noBurst = false;
    bool dontPoll = false;   // personality dont-poll
    bool hasStream = false;  // a PAT and an SDT are sent
    uint16_t transportStreamId = 0;
    uint16_t originalNetworkId = 0;
    std::vector<SimulatedNetworkTable> networkTables;
    SimulatedInstallation installation;
    ScrDeviceSetup scr;
    SimulatedSky sky;
};

struct SimulatedSignal {
    bool locked;
    int32_t carrierToNoiseMilliDb;
    bool hasLevel = false;  // the level at the tuner, where the sky gives it
    int32_t levelMilliDbm = 0;
};

// Reads the file's text. False with `error` set to "line N: ..." at the
// first line that is not one of the forms above.
bool parseSimulation(const std::string& text, Simulation* simulation, std::string* error);

// The signal `sinceTuneMs` after the latest tune.
SimulatedSignal simulatedSignalAt(const Simulation& simulation, uint32_t sinceTuneMs);
