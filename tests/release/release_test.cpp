// The release as a user meets it: the package unzipped into a fresh prefix,
// its simulated card registered by its own register.cmd
// (tools/scripts/release_step.sh does both), then Azimora started from the
// unzipped folder measures HotBird with the practice dish aimed at it, ends
// with exit code 0 and leaves its catalogue beside itself.
//   releasetests.exe FOLDER   (the unzipped Azimora-<version> folder)
#include <gtest/gtest.h>

#include "app/resource_data.h"
#include "tests/support/driver.h"
#include "tests/win/dish_support.h"
#include "tuner/tuner_control.h"

namespace {

std::string packageFolder;

// The DLL that the registry names for the receiver card's class.
static std::string registeredCard()
{
    WCHAR wide[64];
    char clsid[64];
    StringFromGUID2(CLSID_ReceiverCard, wide, 64);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, clsid, sizeof clsid, nullptr, nullptr);
    const std::string key = std::string("CLSID\\") + clsid + "\\InprocServer32";
    char path[MAX_PATH] = "";
    LONG size = sizeof path;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), path, &size) != ERROR_SUCCESS) return std::string();
    return path;
}

TEST(ReleaseTest, UnzippedProgramMeasuresTheAimedDishAndWritesItsCatalogueBesideItself)
{
    ASSERT_FALSE(packageFolder.empty()) << "usage: releasetests.exe FOLDER";
    const std::string catalogue = joinPath(packageFolder, "satellite.ini");
    ASSERT_FALSE(fileExists(catalogue)) << "the package itself holds " << catalogue;
    EXPECT_EQ(joinPath(packageFolder, "simcard\\simcard.dll"), registeredCard());

    // The card's scenario and log stay out of the program's folder, which
    // then holds only what the package and the program put there.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string scenario = joinPath(temp, "release-scenario.txt"), log = joinPath(temp, "release-simcard.log");
    DeleteFileA(log.c_str());
    ASSERT_TRUE(writeFile(scenario, "dish\naim 13.0e\n"));
    StartOptions options;
    options.withLog = false;
    options.environment = {"SIMCARD_SCENARIO=" + scenario, "SIMCARD_LOG=" + log};
    AppRun run;
    ASSERT_TRUE(startProgram(run, packageFolder, options));
    run.logPath = log;
    ASSERT_NE(nullptr, run.window);

    startHotBird(run);
    EXPECT_TRUE(waitForLock(run, true));
    EXPECT_TRUE(waitForTuningCalls(run, 6));
    EXPECT_EQ("SetTransponderFrequency 10723 -> 0x00000000", lastLine(run, "SetTransponderFrequency"));

    postKey(run.window, VK_ESCAPE);
    EXPECT_EQ(0, waitForExit(run));
    killProgram(run);
    size_t size = 0;
    const uint8_t* shipped = resourceBytes(nullptr, "SATDATA", &size);
    ASSERT_NE(nullptr, shipped);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(shipped), size), readFile(catalogue));
}

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc > 1) packageFolder = argv[1];
    return RUN_ALL_TESTS();
}
