// Where the phone page is asked for: the settings file's "phone" line,
// AZIMORA_PHONE over it, off unless asked; and the pace every card keeps.
#include <gtest/gtest.h>

#include "cardbase/phone/phone_qr.h"
#include "cardbase/phone/phone_settings.h"
#include "cardbase/reading_pace.h"

namespace {

TEST(PhoneSettings, TheFileAsksTheEnvironmentOverrides)
{
    EXPECT_FALSE(phoneSettingFrom("", "").wanted);
    EXPECT_FALSE(phoneSettingFrom("tuner=Sky Star\r\n", "").wanted);
    PhoneSetting fromFile = phoneSettingFrom("; the phone page\r\ntuner=X\r\n  Phone = 8474 \r\n", "");
    EXPECT_TRUE(fromFile.wanted);
    EXPECT_EQ(8474, fromFile.port);
    EXPECT_EQ("", fromFile.host);
    EXPECT_EQ("", fromFile.problem);
    PhoneSetting fromEnvironment = phoneSettingFrom("phone=8474\n", "127.0.0.1:18474");
    EXPECT_EQ("127.0.0.1", fromEnvironment.host);
    EXPECT_EQ(18474, fromEnvironment.port);
    EXPECT_FALSE(phoneSettingFrom("phone=8474\n", "off").wanted);
    EXPECT_FALSE(phoneSettingFrom("phone=0\n", "").wanted);
    EXPECT_FALSE(phoneSettingFrom("#phone=8474\n", "").wanted);
    // UTF-16 with its mark, as Notepad may save it, and UTF-8 with its mark.
    const std::string utf16("\xFF\xFEp\0h\0o\0n\0e\0=\0\x39\0\x30\0\r\0\n\0", 22);
    EXPECT_EQ(90, phoneSettingFrom(utf16, "").port);
    EXPECT_EQ(91, phoneSettingFrom("\xEF\xBB\xBFphone=91", "").port);
}

TEST(PhoneSettings, AnUnusableAddressIsStillAskedForAndSaysWhy)
{
    for (const char* value : {"99999", "port", "-1", "12.5", "host:", ":80", "a b:80", "8474x"}) {
        const PhoneSetting setting = phoneSettingOf(value);
        EXPECT_TRUE(setting.wanted) << value;
        EXPECT_FALSE(setting.problem.empty()) << value;
    }
    EXPECT_EQ("", phoneSettingOf("my-pc.local:65535").problem);
    EXPECT_EQ(1, phoneSettingOf("0.0.0.0:1").port);
}

TEST(ReadingPace, ReadingsAreTenASecondAndATimerOvershootDoesNotSlowThem)
{
    EXPECT_EQ(100u, readingIntervalMs);
    EXPECT_EQ(readingIntervalMs, readingWaitMs(1000, 1000));
    EXPECT_EQ(0u, readingWaitMs(90000, 1000));
    EXPECT_EQ(90u, readingWaitMs(5, 0xFFFFFFFBu));  // 10 ms across the wrap

    ReadingPace pace;
    EXPECT_EQ(0u, nextReadingWaitMs(pace, 0xFFFFFF00u));  // the first reading at once
    uint32_t now = 0xFFFFFF00u;
    // Each sleep overshoots by 15 ms, as a timer tick does: still ten readings a second.
    for (int i = 1; i <= 50; ++i) {
        now += 3;  // the reading and the program's calls
        const uint32_t wait = nextReadingWaitMs(pace, now);
        EXPECT_GT(wait, 0u);
        now += wait + 15;
    }
    EXPECT_EQ(0xFFFFFF00u + 50 * readingIntervalMs + 15, now);
    // After a pause the next reading comes at once, and the pace starts from it.
    now += 5000;
    EXPECT_EQ(0u, nextReadingWaitMs(pace, now));
    EXPECT_EQ(readingIntervalMs, nextReadingWaitMs(pace, now));
}

TEST(PhoneQr, TheAddressBecomesAScannableCode)
{
    const QrModules code = qrModulesFor("http://192.168.100.200:47480/");
    ASSERT_EQ(29, code.size);  // version 3 at medium correction
    // The three finder patterns' dark corners and the light separator beside them.
    EXPECT_TRUE(code.at(0, 0) && code.at(28, 0) && code.at(0, 28));
    EXPECT_FALSE(code.at(7, 0) || code.at(21, 0) || code.at(7, 28));
    EXPECT_FALSE(code.at(-1, 0) || code.at(29, 29));
    const std::string text = qrTerminalText(code);
    EXPECT_EQ(19, std::count(text.begin(), text.end(), '\n'));  // 37 rows with the quiet zone, two to a line
    EXPECT_EQ(0, qrModulesFor(std::string(5000, 'a')).size);
}

}  // namespace

TEST(ReadingPace, PerformanceCountsBecomeMillisecondsWithoutOverflow)
{
    EXPECT_EQ(1500u, counterMilliseconds(15000000, 10000000));  // 10 MHz, 1.5 s
    // A 3 GHz counter after 100 days: 864e10 ms would overflow a plain multiplication.
    const uint64_t threeGigahertz = 3000000000ull;
    const uint64_t hundredDays = 100ull * 86400 * threeGigahertz + threeGigahertz / 4;
    EXPECT_EQ(static_cast<uint32_t>(8640000000ull + 250), counterMilliseconds(hundredDays, threeGigahertz));
    EXPECT_EQ(0u, counterMilliseconds(123, 0));
}
