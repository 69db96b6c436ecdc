// A test that runs one copy of the program and never leaves it behind.
#pragma once
#include <gtest/gtest.h>

#include "tests/support/driver.h"
#include "tests/win/skin_reference.h"

class ProgramTest : public testing::Test {
protected:
    void TearDown() override
    {
        for (AppRun* each : runs_) killProgram(*each);
    }

    // Starts a fresh copy in its own folder and waits for its window.
    AppRun& start(const StartOptions& options = StartOptions())
    {
        std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : name)
            if (!isalnum(static_cast<unsigned char>(c))) c = '-';
        return startIn(newProgramFolder(name), options);
    }

    AppRun& startIn(const std::string& folder, const StartOptions& options = StartOptions())
    {
        AppRun* run = new AppRun;
        owned_.emplace_back(run);
        runs_.push_back(run);
        EXPECT_TRUE(startProgram(*run, folder, options)) << "cannot start " << folder;
        return *run;
    }

    // Ends the program with Esc and returns its exit code.
    int closeWithEscape(AppRun& run)
    {
        postKey(run.window, VK_ESCAPE);
        return waitForExit(run);
    }

    // Switches to the keypad, replaces the entry with `entry` and starts it.
    void startTypedEntry(AppRun& run, const std::string& entry)
    {
        postCharacter(run.window, 'm');
        postKey(run.window, VK_DELETE);
        postText(run.window, entry);
        postKey(run.window, VK_RETURN);
        settle(run);
    }

    // Selects a line of the satellite list and presses Enter on it.
    void startCatalogueLine(AppRun& run, int line)
    {
        HWND list = satelliteList(run.window);
        SendMessageA(list, CB_SETCURSEL, line, 0);
        postKey(list, VK_RETURN);
        settle(run);
    }

    // True once the screen at the slot shows the cell exactly (within a few seconds).
    bool screenShowsCell(const AppRun& run, const CellRect& cell, Point slot, int timeoutMs = 3000);

private:
    std::vector<AppRun*> runs_;
    std::vector<std::unique_ptr<AppRun>> owned_;
};

// simcard.ini beside the registered card for one test, gone afterwards.
class CardSettings {
public:
    explicit CardSettings(const std::string& text) : path_(joinPath(buildFolder(), "simcard.ini"))
    {
        writeFile(path_, text);
    }
    ~CardSettings() { DeleteFileA(path_.c_str()); }
    CardSettings(const CardSettings&) = delete;
    CardSettings& operator=(const CardSettings&) = delete;

private:
    std::string path_;
};

// Registration of the simulated card, which some tests take away for a while.
bool registerSimulatedCard(bool registered);

// Waits for a message box of the run and dismisses it; fails unless one came
// with exactly this caption and text.
testing::AssertionResult boxShown(const AppRun& run, const std::string& caption, const std::string& text,
                                  int timeoutMs = 10000);
