// Tests of the Linux bridge's phone page: dvbcard.dll registered, the
// native azimora-dvb on a simulated frontend (helper_, ended afterwards),
// and the program pointed at both it and a phone port of its own;
// afterwards the simulated card is registered again.
#pragma once
#include <string>

#include "tests/win/dvb_helper_process.h"
#include "tests/win/phone_support.h"
#include "tests/win/program_test.h"

class PhoneDvbProgramTest : public ProgramTest {
protected:
    void SetUp() override { ASSERT_TRUE(registerCardDll("dvbcard.dll")); }
    void TearDown() override
    {
        ProgramTest::TearDown();
        signalHelper(helper_, "KILL");
        registerSimulatedCard(true);
    }

    // A fresh program folder `name`, helper_ started there on `script`, and
    // the program measuring through it with its phone page on a free port
    // (in *phonePort) and its phone window shown; nullptr where any of it failed.
    AppRun* startWithPhone(const std::string& name, const std::string& script, uint16_t* phonePort)
    {
        const std::string folder = newProgramFolder(name);
        if (!startHelper(helper_, folder, script)) return nullptr;
        *phonePort = freePort();
        StartOptions options;
        options.withLog = false;
        options.environment = {"AZIMORA_DVB=127.0.0.1:" + std::to_string(helper_.port),
                               "AZIMORA_PHONE=127.0.0.1:" + std::to_string(*phonePort)};
        AppRun& run = startIn(folder, options);
        return waitForPhoneWindow(run) ? &run : nullptr;
    }

    HelperRun helper_;
};
