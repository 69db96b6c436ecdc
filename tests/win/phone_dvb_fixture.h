// Tests of the Linux bridge's phone page: dvbcard.dll registered, the
// native azimora-dvb on a simulated frontend (helper_, ended afterwards),
// and the program pointed at both it and a phone port of the test's
// choosing; afterwards the simulated card is registered again.
#pragma once
#include <string>

#include "tests/win/dvb_helper_process.h"
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

    // The program in `folder`, measuring through helper_, its phone page on `phonePort`.
    AppRun& startWithPhone(const std::string& folder, uint16_t phonePort)
    {
        StartOptions options;
        options.withLog = false;
        options.environment = {"AZIMORA_DVB=127.0.0.1:" + std::to_string(helper_.port),
                               "AZIMORA_PHONE=127.0.0.1:" + std::to_string(phonePort)};
        return startIn(folder, options);
    }

    HelperRun helper_;
};
