// Who may drive the frontend through the helper and how often, and the
// shared secret both sides use.
#include <algorithm>
#include <gtest/gtest.h>

#include "dvb/helper/serve/connection_rules.h"
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

TEST(DvbConnectionRules, CallsThatSwitchTheLnbAreHeldToAFewASecond)
{
    FrontendHold hold;
    for (uint64_t i = 0; i < frontendCallsPerSecond; ++i) {
        EXPECT_EQ(1000 + i, nextFrontendCallAllowedMs(hold, 1000 + i));
        noteFrontendCall(hold, 1000 + i);
    }
    EXPECT_EQ(2000u, nextFrontendCallAllowedMs(hold, 1010));
    noteFrontendCall(hold, 2000);
    EXPECT_EQ(2001u, nextFrontendCallAllowedMs(hold, 2000));
    EXPECT_EQ(frontendCallsPerSecond, hold.recentCallsMs.size());
}

TEST(DvbConnectionRules, TheFrontendIsLetGoAtItsTurnAndOpenedAgainAfterIt)
{
    FrontendHold hold;
    // Serving starts with it open: the first holder's Initialize opens nothing.
    takeFrontend(hold);
    EXPECT_FALSE(openNeeded(hold));
    EXPECT_FALSE(releaseNow(hold, 0));
    EXPECT_EQ(UINT64_MAX, releaseDueMs(hold, 0));
    // Gone: let go at once while the pace allows...
    leaveFrontend(hold, owner, 100, defaultIdleMs);
    EXPECT_EQ(100u, releaseDueMs(hold, 100));
    EXPECT_TRUE(releaseNow(hold, 100));
    EXPECT_FALSE(releaseNow(hold, 101));
    takeFrontend(hold);
    EXPECT_TRUE(openNeeded(hold));
    noteFrontendCall(hold, 110);
    noteOpened(hold, true);
    EXPECT_FALSE(openNeeded(hold));
    // ...and, with the pace spent, at its next turn; the next holder's open
    // waits for it.
    for (uint64_t at : {120, 130, 140}) noteFrontendCall(hold, at);
    leaveFrontend(hold, owner, 150, defaultIdleMs);
    takeFrontend(hold);
    EXPECT_TRUE(openNeeded(hold));
    EXPECT_EQ(1100u, releaseDueMs(hold, 150));
    EXPECT_FALSE(releaseNow(hold, 150));
    EXPECT_TRUE(releaseNow(hold, 1100));
    EXPECT_EQ(UINT64_MAX, releaseDueMs(hold, 1100));
    EXPECT_TRUE(openNeeded(hold));
    EXPECT_EQ(1110u, nextFrontendCallAllowedMs(hold, 1100));
    // A failed open leaves it closed: the next Initialize opens again.
    noteOpened(hold, false);
    EXPECT_TRUE(openNeeded(hold));
}

TEST(DvbConnectionRules, AWrongSecretMakesItsPeerWaitLongerEachTimeUpToABound)
{
    SecretTries tries;
    EXPECT_EQ(0u, secretCheckAllowedMs(tries, stranger, 0));
    EXPECT_TRUE(noteWrongSecret(tries, stranger, 0));  // the first of its run: said
    EXPECT_EQ(firstSecretPauseMs, secretCheckAllowedMs(tries, stranger, 0));
    EXPECT_EQ(10u, secretCheckAllowedMs(tries, owner, 10));  // another peer is not held up
    uint64_t now = firstSecretPauseMs;
    uint64_t pause = firstSecretPauseMs;
    for (int i = 0; i < 10; ++i) {
        EXPECT_FALSE(noteWrongSecret(tries, stranger, now));
        pause = std::min<uint64_t>(pause * 2, longestSecretPauseMs);
        EXPECT_EQ(now + pause, secretCheckAllowedMs(tries, stranger, now));
        now += pause;
    }
    EXPECT_EQ(longestSecretPauseMs, pause);
    // The right secret, or a long quiet, starts it over.
    noteRightSecret(tries, stranger);
    EXPECT_EQ(now, secretCheckAllowedMs(tries, stranger, now));
    EXPECT_TRUE(noteWrongSecret(tries, stranger, now));
    EXPECT_TRUE(noteWrongSecret(tries, owner, now + secretPeerMemoryMs));
    EXPECT_TRUE(noteWrongSecret(tries, stranger, now + secretPeerMemoryMs));
    // However many peers guess, the memory of them is bounded.
    for (uint32_t address = 1; address <= 3 * secretPeerLimit; ++address) noteWrongSecret(tries, address, now);
    EXPECT_LE(tries.peers.size(), secretPeerLimit);
    EXPECT_EQ("192.168.1.99", addressText(stranger));
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
