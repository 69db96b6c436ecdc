// Who may drive the frontend through the helper and how often, and the
// shared secret both sides use.
#include <gtest/gtest.h>

#include "dvb/helper/connection_rules.h"
#include "dvb/protocol/shared_secret.h"

namespace {

constexpr uint32_t owner = 0xC0A80105;     // 192.168.1.5
constexpr uint32_t stranger = 0xC0A80163;  // 192.168.1.99

TEST(DvbConnectionRules, OneProgramHoldsTheFrontendAndItsAddressIsPreferredForAWhileAfterItLeaves)
{
    FrontendHold hold;
    EXPECT_TRUE(mayTakeFrontend(hold, stranger, 0));
    takeFrontend(hold);
    EXPECT_FALSE(mayTakeFrontend(hold, owner, 0));
    leaveFrontend(hold, owner, 5000, defaultIdleMs);
    EXPECT_FALSE(mayTakeFrontend(hold, stranger, 5001));
    EXPECT_TRUE(mayTakeFrontend(hold, owner, 5001));
    EXPECT_FALSE(mayTakeFrontend(hold, stranger, 5000 + defaultIdleMs - 1));
    EXPECT_TRUE(mayTakeFrontend(hold, stranger, 5000 + defaultIdleMs));
}

TEST(DvbConnectionRules, TunesAreHeldToAFewASecond)
{
    FrontendHold hold;
    for (uint64_t i = 0; i < tunesPerSecond; ++i) {
        EXPECT_EQ(1000 + i, nextTuneAllowedMs(hold, 1000 + i));
        noteTune(hold, 1000 + i);
    }
    EXPECT_EQ(2000u, nextTuneAllowedMs(hold, 1010));
    noteTune(hold, 2000);
    EXPECT_EQ(2001u, nextTuneAllowedMs(hold, 2000));
    EXPECT_EQ(tunesPerSecond, hold.recentTunesMs.size());
}

TEST(DvbConnectionRules, OnlyLoopbackAddressesStayOnThisMachine)
{
    EXPECT_TRUE(isLoopback(0x7F000001));
    EXPECT_TRUE(isLoopback(0x7F0000FE));
    EXPECT_FALSE(isLoopback(owner));
    EXPECT_FALSE(listensBeyondLoopback("127.0.0.1"));
    EXPECT_FALSE(listensBeyondLoopback("localhost"));
    EXPECT_TRUE(listensBeyondLoopback("0.0.0.0"));
    EXPECT_TRUE(listensBeyondLoopback("192.168.1.5"));
    EXPECT_TRUE(listensBeyondLoopback("dish-pc"));
}

TEST(DvbSharedSecret, ItIsAPrintableWordGivenFirstAndComparedWhole)
{
    EXPECT_TRUE(validSecret("s3cret-Word"));
    EXPECT_FALSE(validSecret("short"));
    EXPECT_FALSE(validSecret("with blank inside"));
    EXPECT_FALSE(validSecret(std::string(65, 'x')));
    EXPECT_FALSE(validSecret(std::string("nul\0inside", 10)));
    EXPECT_EQ("secret s3cret-Word", secretLine("s3cret-Word"));
    std::string given;
    EXPECT_TRUE(parseSecretLine("secret s3cret-Word", &given));
    EXPECT_EQ("s3cret-Word", given);
    EXPECT_FALSE(parseSecretLine("Initialize", &given));
    EXPECT_TRUE(sameSecret("s3cret-Word", "s3cret-Word"));
    EXPECT_FALSE(sameSecret("s3cret-Wore", "s3cret-Word"));
    EXPECT_FALSE(sameSecret("s3cret-Word!", "s3cret-Word"));
    EXPECT_FALSE(sameSecret("", ""));
}

TEST(DvbSharedSecret, DvbcardIniGivesItOnASecretLine)
{
    EXPECT_EQ("s3cret-Word", secretFromSettings("; for the dish PC\r\n  Secret =  s3cret-Word \r\n"));
    EXPECT_EQ("first-one", secretFromSettings("secret=first-one\nsecret=second-one\n"));
    EXPECT_EQ("", secretFromSettings("# secret=commented\nsecrets=other\nno equals\n"));
    EXPECT_EQ("last-line", secretFromSettings("secret=last-line"));
    // As an editor may save it: UTF-8 with its mark on the first line, or UTF-16.
    EXPECT_EQ("marked-first", secretFromSettings("\xEF\xBB\xBFsecret=marked-first\r\n"));
    EXPECT_EQ("wide-one", secretFromSettings(std::string("\xFF\xFEs\0e\0c\0r\0e\0t\0=\0w\0i\0d\0e\0-\0o\0n\0e\0", 32)));
}

}  // namespace
