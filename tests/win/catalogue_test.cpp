// The catalogue file beside the program, the satellite list, and starting a
// measurement from a line of it.
#include "app/resource_data.h"
#include "tests/win/program_test.h"

namespace {

static std::string builtInCatalogue()
{
    size_t size = 0;
    const uint8_t* data = resourceBytes(nullptr, "SATDATA", &size);
    return std::string(reinterpret_cast<const char*>(data), size);
}

static std::string padded(const std::string& name) { return name + std::string(64 - name.size(), ' '); }

using CatalogueTest = ProgramTest;

TEST_F(CatalogueTest, FirstStartWritesTheBuiltInCatalogueAndListsIt)
{
    AppRun& run = start();
    const std::string written = readFile(joinPath(run.folder, "satellite.ini"));
    EXPECT_EQ(3516u, written.size());
    EXPECT_EQ(builtInCatalogue(), written);

    HWND list = satelliteList(run.window);
    const std::vector<std::string> lines = satelliteListLines(list);
    ASSERT_EQ(100u, lines.size());
    EXPECT_EQ(padded("AMC1   103.0w"), lines[0]);
    EXPECT_EQ(padded("HotBird1-6   13.0e"), lines[53]);
    EXPECT_EQ(padded("Yamal 102/201 90.0e"), lines[99]);
    EXPECT_EQ(CB_ERR, SendMessageA(list, CB_GETCURSEL, 0, 0));
    EXPECT_TRUE(IsWindowVisible(list));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(CatalogueTest, AnExistingCatalogueIsNeverRewritten)
{
    const std::string folder = newProgramFolder("existing");
    const std::string edited =
        "[Alpha   1.0e]=11000h27500;\r\n[Beta   2.0e]=3700v4000;\r\n[Gamma   3.0w]=12000v30000;\r\n";
    writeFile(joinPath(folder, "satellite.ini"), edited);
    AppRun& run = startIn(folder);
    EXPECT_EQ(3u, satelliteListLines(satelliteList(run.window)).size());
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_EQ(edited, readFile(joinPath(folder, "satellite.ini")));
}

TEST_F(CatalogueTest, ALookalikeNameCountsAsACatalogueButIsNotRead)
{
    const std::string folder = newProgramFolder("lookalike");
    writeFile(joinPath(folder, "mysatellite.ini"), "[X   1.0e]=11000h27500;\r\n");
    AppRun& run = startIn(folder);
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_FALSE(fileExists(joinPath(folder, "satellite.ini")));
    EXPECT_TRUE(satelliteListLines(satelliteList(run.window)).empty());

    // With nothing to select, a start asks for a satellite.
    postKey(satelliteList(run.window), VK_RETURN);
    ASSERT_TRUE(boxShown(run, "Attention!", "Please shoose the satellite!"));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(CatalogueTest, AFolderNamedLikeTheCatalogueIsLeftAlone)
{
    const std::string folder = newProgramFolder("folder");
    CreateDirectoryA(joinPath(folder, "satellite.ini").c_str(), nullptr);
    AppRun& run = startIn(folder);
    EXPECT_TRUE(satelliteListLines(satelliteList(run.window)).empty());
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(GetFileAttributesA(joinPath(folder, "satellite.ini").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(CatalogueTest, StartsFromTheFirstAndALaterLineWithTheirValues)
{
    AppRun& run = start();
    startCatalogueLine(run, 0);  // [AMC1   103.0w]=3740v29270;
    ASSERT_TRUE(waitForLogLine(run, "SetDiseqc 0 -> 0x00000000"));
    const std::vector<std::string> first = {"SetLnbSelection 0 -> 0x00000000",
                                            "SetLnbFrequency 5150 -> 0x00000000",
                                            "SetPolarity 1 -> 0x00000000",
                                            "SetSymbolRate 29270 -> 0x00000000",
                                            "SetTransponderFrequency 3740 -> 0x00000000",
                                            "SetDiseqc 0 -> 0x00000000"};
    EXPECT_EQ(first, tuningCalls(run));
    EXPECT_FALSE(IsWindowVisible(satelliteList(run.window)));
    EXPECT_EQ(run.window, focusedWindow(run));

    postKey(run.window, VK_BACK);  // back to Setup, the list comes back
    settle(run);
    EXPECT_TRUE(IsWindowVisible(satelliteList(run.window)));
    startCatalogueLine(run, 53);  // [HotBird1-6   13.0e]=10723h29900;
    ASSERT_TRUE(waitForLogLine(run, "SetTransponderFrequency 10723 -> 0x00000000"));
    ASSERT_TRUE(waitForTuningCalls(run, 12));
    const std::vector<std::string> calls = tuningCalls(run);
    ASSERT_EQ(12u, calls.size());
    const std::vector<std::string> second(calls.begin() + 6, calls.end());
    const std::vector<std::string> expected = {"SetLnbSelection 0 -> 0x00000000",
                                               "SetLnbFrequency 9750 -> 0x00000000",
                                               "SetPolarity 0 -> 0x00000000",
                                               "SetSymbolRate 29900 -> 0x00000000",
                                               "SetTransponderFrequency 10723 -> 0x00000000",
                                               "SetDiseqc 0 -> 0x00000000"};
    EXPECT_EQ(expected, second);
    EXPECT_EQ(0, closeWithEscape(run));
}

struct CatalogueProblem {
    const char* catalogue;
    const char* text;
    const char* caption;
    UINT icon;
};

class CatalogueProblemTest : public ProgramTest, public testing::WithParamInterface<CatalogueProblem> {};

TEST_P(CatalogueProblemTest, IsReportedAndTheProgramStaysInSetup)
{
    const std::string folder = newProgramFolder("problem");
    writeFile(joinPath(folder, "satellite.ini"), GetParam().catalogue);
    AppRun& run = startIn(folder);
    // The right button reports the catalogue's problem, then its own error.
    SendMessageA(satelliteList(run.window), CB_SETCURSEL, 0, 0);
    postClick(run.window, 270, 174);
    MessageBoxSeen box;
    ASSERT_TRUE(waitForMessageBox(run, &box));
    EXPECT_EQ(GetParam().caption, box.caption);
    EXPECT_EQ(GetParam().text, box.text);
    const bool hasIcon = FindWindowExA(box.box, nullptr, "Static", nullptr) != GetDlgItem(box.box, 0xFFFF);
    EXPECT_EQ(GetParam().icon != 0, hasIcon);
    dismissMessageBox(box);
    ASSERT_TRUE(boxShown(run, "Error", "Transponder parameters error"));

    // Enter on the list reports the problem alone.
    postKey(satelliteList(run.window), VK_RETURN);
    ASSERT_TRUE(boxShown(run, GetParam().caption, GetParam().text));
    settle(run, 300);
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_TRUE(tuningCalls(run).empty());
    EXPECT_TRUE(IsWindowVisible(satelliteList(run.window)));
    EXPECT_EQ(0, closeWithEscape(run));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, CatalogueProblemTest,
    testing::Values(CatalogueProblem{"[Low   1.0e]=3399h27500;\r\n",
                                     "Invalid parameter of transponder frequency in satellite.ini", " Attention! ",
                                     MB_ICONEXCLAMATION},
                    CatalogueProblem{"[High   1.0e]=15001h27500;\r\n",
                                     "Invalid parameter of transponder frequency in satellite.ini", " Attention! ",
                                     MB_ICONEXCLAMATION},
                    CatalogueProblem{"[Slow   1.0e]=3719h999;\r\n", "Invalid parameter of symbol rate in satellite.ini",
                                     "Attention!", MB_ICONEXCLAMATION},
                    // An entry the file does not really hold is reported as a frequency problem.
                    CatalogueProblem{"[Cut   1.0e]=37", "Invalid parameter of transponder frequency in satellite.ini",
                                     " Attention! ", MB_ICONEXCLAMATION}));

// A catalogue that gives no size (here a link to /dev/zero) is read as the
// size it gives, never until it ends: start-up goes on with an empty list.
TEST_F(CatalogueTest, ACatalogueThatGivesNoSizeReadsAsEmpty)
{
    const std::string folder = newProgramFolder("sizeless");
    const std::string catalogue = joinPath(folder, "satellite.ini");
    ASSERT_TRUE(startUnixCommand("/bin/ln -s /dev/zero \"" + unixPath(catalogue) + "\""));
    // Wine gives no attributes for a device; it opens it.
    HANDLE opened = INVALID_HANDLE_VALUE;
    for (int waited = 0; waited < 5000 && opened == INVALID_HANDLE_VALUE; waited += 20) {
        Sleep(20);
        opened = CreateFileA(catalogue.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    }
    ASSERT_NE(INVALID_HANDLE_VALUE, opened);
    CloseHandle(opened);

    AppRun& run = startIn(folder);
    ASSERT_TRUE(run.window);
    HWND list = satelliteList(run.window);
    EXPECT_TRUE(satelliteListLines(list).empty());
    EXPECT_FALSE(anyMessageBox(run));
    postKey(list, VK_RETURN);
    ASSERT_TRUE(boxShown(run, "Attention!", "Please shoose the satellite!"));
    EXPECT_TRUE(tuningCalls(run).empty());
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(CatalogueTest, AMissingOrLockedCatalogueAtStartIsReported)
{
    AppRun& run = start();
    HWND list = satelliteList(run.window);
    SendMessageA(list, CB_SETCURSEL, 2, 0);

    // Held open without sharing by another program.
    HANDLE held = CreateFileA(joinPath(run.folder, "satellite.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    postKey(run.window, VK_RETURN);  // Enter on the window: no second box after a reported problem
    ASSERT_TRUE(boxShown(run, "Attention!", "satellite.ini - not found !"));
    CloseHandle(held);
    settle(run, 300);
    EXPECT_FALSE(anyMessageBox(run));

    DeleteFileA(joinPath(run.folder, "satellite.ini").c_str());
    postKey(list, VK_RETURN);
    ASSERT_TRUE(boxShown(run, "Attention!", "satellite.ini - not found !"));
    EXPECT_TRUE(tuningCalls(run).empty());
    EXPECT_EQ(0, closeWithEscape(run));
}

// A file saved without a final line end: its short last entry still measures.
TEST_F(CatalogueTest, ALastEntryWithoutLineEndMeasures)
{
    const std::string folder = newProgramFolder("no-line-end");
    writeFile(joinPath(folder, "satellite.ini"), "[AMC1   103.0w]=3740v29270;\r\n[AMC3   87.0w]=3719h4167;");
    AppRun& run = startIn(folder);
    startCatalogueLine(run, 1);
    ASSERT_TRUE(waitForLogLine(run, "SetDiseqc 0 -> 0x00000000"));
    const std::vector<std::string> calls = tuningCalls(run);
    ASSERT_EQ(6u, calls.size());
    EXPECT_EQ("SetSymbolRate 4167 -> 0x00000000", calls[3]);
    EXPECT_EQ("SetTransponderFrequency 3719 -> 0x00000000", calls[4]);
    EXPECT_FALSE(anyMessageBox(run));
    EXPECT_EQ(0, closeWithEscape(run));
}

TEST_F(CatalogueTest, ACatalogueStartKeepsTheLastTypedDiseqcCode)
{
    AppRun& run = start();
    // Rejected at its symbol rate after valid DiSEqC letters: the code stays 6.
    startTypedEntry(run, "3740V99999BB");
    ASSERT_TRUE(boxShown(run, "Error", "Transponder parameters error"));
    postCharacter(run.window, 'm');  // back to the list
    settle(run);
    startCatalogueLine(run, 1);  // [AMC2   105.0w]=11720v26000;
    ASSERT_TRUE(waitForLogLine(run, "SetDiseqc 6 -> 0x00000000"));
    EXPECT_TRUE(waitForLogLine(run, "SetLnbSelection 1 -> 0x00000000"));
    EXPECT_EQ(0, closeWithEscape(run));
}

}  // namespace
