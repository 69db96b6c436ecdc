// One DVB frontend reached through libdvbv5: found through its device
// list (udev here, dvbv5-daemon for --server), opened, described, and
// driven call by call for the frontend worker. A local tune goes to the
// kernel in one request that sets the delivery system, clears what an
// earlier tune left (modulation, roll-off, pilots) and sends every value the
// attempt names; a remote one goes through libdvbv5's own tune on the
// daemon, which also drives the LNB there. While locked, the network
// reader's section filters are opened on the adapter's demux
// (dvb_demux.cpp); a remote frontend has none here.
#pragma once
#include <cstdint>
#include <string>

#include "dvb/helper/frontend/frontend_report.h"
#include "dvb/helper/frontend/frontend_worker.h"
#include "dvb/helper/frontend/locked_modcod.h"
#include "dvb/helper/helper_options.h"

struct dvb_device;
struct dvb_open_descriptor;
struct dvb_v5_fe_parms;

// Whether a module parameter's file reads 1.
bool parameterReadsOne(const char* path);

class DvbFrontend final : public FrontendDevice {
public:
    explicit DvbFrontend(const HelperOptions& options) : options_(options) {}
    ~DvbFrontend() override { close(); }
    DvbFrontend(const DvbFrontend&) = delete;
    DvbFrontend& operator=(const DvbFrontend&) = delete;

    FrontendProblem open(std::string* detail) override;
    void close() override;
    FrontendAbilities abilities() override;
    int setVoltage(LnbVoltage voltage) override;
    int setTone(bool on) override;
    int sendSwitchCommand(const uint8_t* command, size_t length) override;
    int sendBurst(bool b) override;
    int tune(const TuningSequence& sequence, SystemAttempt attempt) override;
    bool read(RawFigures* raw) override;
    bool readLevel(RawFigures* raw) override;
    ModcodWord lockedModcod() override;
    bool foundFrequencyKHz(uint32_t* kHz) override;
    bool startSections(SectionTable table) override;
    SectionRead readSection(SectionTable table, StreamSection* section) override;
    void stopSections(SectionTable table) override;

    FrontendDescription describe() const;
    // One reading by the scales of the driver and the system it is set to,
    // for --status without a tune.
    FrontendFigures readFigures();
    void noteLibraryMessage(const char* text) { libraryMessage_ = text; }

private:
    FrontendProblem openFrontend(std::string* detail);
    int tuneRemote(const TuningSequence& sequence, SystemAttempt attempt);
    void readOlderFigures(RawFigures* raw);
    void askOlderStrength(RawFigures* raw);
    bool offers(uint32_t system) const;

    HelperOptions options_;
    dvb_device* device_ = nullptr;
    dvb_open_descriptor* opened_ = nullptr;
    dvb_v5_fe_parms* parms_ = nullptr;
    dvb_open_descriptor* sections_[sectionTableCount] = {};  // a demux opened for each filter
    int fd_ = -1;                        // the local device file, for the requests libdvbv5 has no call for
    std::string path_;                   // the device file, or its name on the daemon
    std::string libraryMessage_;         // libdvbv5's latest complaint
    bool olderSnrLacking_ = false;       // the driver has no FE_READ_SNR
    bool olderStrengthLacking_ = false;  // nor FE_READ_SIGNAL_STRENGTH
    bool v5CnrSeen_ = false;             // since it was opened
    KernelModcod asked_{};               // what the latest local tune set
};
