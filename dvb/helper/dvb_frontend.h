// One DVB frontend reached through libdvbv5: found through its device
// list (udev here, dvbv5-daemon for --server), opened, described, tuned
// and read. Every operation on it goes through here and is written to
// the frontend log.
#pragma once
#include <cstdint>
#include <string>

#include "cardbase/frontend_plan.h"
#include "dvb/helper/delivery_search.h"
#include "dvb/helper/frontend_log.h"
#include "dvb/helper/frontend_report.h"
#include "dvb/helper/helper_options.h"

struct dvb_device;
struct dvb_open_descriptor;
struct dvb_v5_fe_parms;

struct DvbFrontend {
    dvb_device* device = nullptr;
    dvb_open_descriptor* opened = nullptr;
    dvb_v5_fe_parms* parms = nullptr;
    bool remote = false;
    std::string path;  // the device file, or its name on the daemon
    FrontendLog* log = nullptr;
    FrontendPlan plan{};
    DeliverySearch search;
    bool automaticRefused = false;
    int lastLock = -1;           // -1: not known since the latest tune
    std::string libraryMessage;  // libdvbv5's latest complaint
};

FrontendProblem openDvbFrontend(DvbFrontend& frontend, const HelperOptions& options, std::string* detail);
void closeDvbFrontend(DvbFrontend& frontend);
bool isOpen(const DvbFrontend& frontend);

FrontendDescription describeDvbFrontend(const DvbFrontend& frontend, const HelperOptions& options);

// Supply voltage, tone, DiSEqC and the tune itself, as the plan says.
bool tuneDvbFrontend(DvbFrontend& frontend, const FrontendPlan& plan, std::string* reason);

// Status and statistics, once; also moves the delivery-system search on.
bool readDvbFrontend(DvbFrontend& frontend, FrontendFigures* figures);

uint64_t monotonicMs();
