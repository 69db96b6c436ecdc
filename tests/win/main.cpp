#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include "tests/win/program_test.h"

// A test that hangs must not hold up the run: once one has run longer than
// AZM_TEST_LIMIT seconds (default 600), the watchdog names it and ends the
// run with a failure. The programs it started go with the Wine session.
class HangWatchdog : public testing::EmptyTestEventListener {
public:
    explicit HangWatchdog(DWORD limitMs) : limitMs_(limitMs)
    {
        InitializeCriticalSection(&lock_);
        HANDLE thread = CreateThread(nullptr, 0, watch, this, 0, nullptr);
        if (thread) CloseHandle(thread);
    }

private:
    void OnTestStart(const testing::TestInfo& test) override
    {
        EnterCriticalSection(&lock_);
        running_ = std::string(test.test_suite_name()) + "." + test.name();
        startedAt_ = GetTickCount();
        LeaveCriticalSection(&lock_);
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        EnterCriticalSection(&lock_);
        running_.clear();
        LeaveCriticalSection(&lock_);
    }

    static DWORD WINAPI watch(void* self)
    {
        HangWatchdog* watchdog = static_cast<HangWatchdog*>(self);
        for (;;) {
            Sleep(1000);
            EnterCriticalSection(&watchdog->lock_);
            const bool hung = !watchdog->running_.empty() && GetTickCount() - watchdog->startedAt_ > watchdog->limitMs_;
            if (hung) {
                std::printf("[  HUNG    ] %s (no end within %lu s)\n", watchdog->running_.c_str(),
                            static_cast<unsigned long>(watchdog->limitMs_ / 1000));
                std::fflush(stdout);
                ExitProcess(3);
            }
            LeaveCriticalSection(&watchdog->lock_);
        }
    }

    CRITICAL_SECTION lock_;
    std::string running_;
    DWORD startedAt_ = 0;
    DWORD limitMs_;
};

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!registerSimulatedCard(true)) {
        std::fprintf(stderr, "cannot register the simulated card\n");
        return 2;
    }
    char limit[16];
    const DWORD length = GetEnvironmentVariableA("AZM_TEST_LIMIT", limit, sizeof limit);
    const unsigned long seconds = length > 0 && length < sizeof limit ? std::strtoul(limit, nullptr, 10) : 600;
    testing::UnitTest::GetInstance()->listeners().Append(new HangWatchdog(static_cast<DWORD>(seconds * 1000)));
    return RUN_ALL_TESTS();
}
