// Tests of Azimora through a copy of dvbcard.dll in the program's own
// folder, with a dvbcard.ini of the test's, and the native azimora-dvb on a
// simulated frontend (helper_, ended afterwards); afterwards the simulated
// card is registered again.
#pragma once
#include <cctype>
#include <string>

#include "tests/win/bda_fixture.h"
#include "tests/win/dvb_helper_process.h"
#include "tests/win/program_test.h"

class DvbCardCopyTest : public ProgramTest {
protected:
    void TearDown() override
    {
        ProgramTest::TearDown();
        signalHelper(helper_, "KILL");
        registerSimulatedCard(true);
    }

    // The helper on `simulation`, and the program, in a folder named after
    // the test, through a copy of dvbcard.dll whose dvbcard.ini holds
    // `settings`; its phone page on `phonePort` where one is given.
    AppRun& startThrough(const std::string& simulation, const std::string& settings, uint16_t phonePort = 0)
    {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (!isalnum(static_cast<unsigned char>(c))) c = '-';
        const std::string folder = newProgramFolder(name);
        EXPECT_TRUE(startHelper(helper_, folder, simulation)) << readFile(helper_.outputPath);
        const std::string card = joinPath(folder, "dvbcard.dll");
        EXPECT_TRUE(CopyFileA(joinPath(buildFolder(), "dvbcard.dll").c_str(), card.c_str(), FALSE));
        EXPECT_TRUE(writeFile(joinPath(folder, "dvbcard.ini"), settings));
        EXPECT_TRUE(registerBuildDll(card, true));
        StartOptions options;
        options.withLog = false;
        options.environment = {"AZIMORA_DVB=127.0.0.1:" + std::to_string(helper_.port)};
        if (phonePort) options.environment.push_back("AZIMORA_PHONE=127.0.0.1:" + std::to_string(phonePort));
        return startIn(folder, options);
    }

    HelperRun helper_;
};
