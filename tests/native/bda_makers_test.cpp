// Which tuners are a maker's whose DiSEqC property set is known, and the
// bytes each set is given, checked against the layouts the public BDA
// extension documentation gives (every offset spelled out here again).
#include <gtest/gtest.h>

#include "bda/bda_makers.h"

static uint32_t wordAt(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// Every byte outside the ranges given is zero.
static bool zeroOutside(const std::vector<uint8_t>& bytes, std::initializer_list<std::pair<size_t, size_t>> used)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        bool inUse = false;
        for (const auto& range : used) inUse = inUse || (i >= range.first && i < range.second);
        if (!inUse && bytes[i] != 0) return false;
    }
    return true;
}

TEST(BdaMakers, TheVendorOfADevicePath)
{
    EXPECT_EQ(0x14F1, vendorIdOfDevicePath("\\\\?\\pci#ven_14f1&dev_8852&subsys_69020000&rev_04#4&1&0#{71985f48}"));
    EXPECT_EQ(0x734C, vendorIdOfDevicePath("\\\\?\\USB#VID_734C&PID_5925#5&2&0&1#{71985f48-1ca1-11d3}"));
    EXPECT_EQ(0x2040, vendorIdOfDevicePath("\\\\?\\usb#vid_2040&pid_c0a0"));
    EXPECT_EQ(-1, vendorIdOfDevicePath(""));
    EXPECT_EQ(-1, vendorIdOfDevicePath("\\\\?\\root#media#0000#{71985f48}"));
    EXPECT_EQ(-1, vendorIdOfDevicePath("\\\\?\\pci#ven_14g1&dev_8852"));
    EXPECT_EQ(-1, vendorIdOfDevicePath("ven_14f"));
}

TEST(BdaMakers, ATunerIsAMakersByItsNameOrItsVendor)
{
    EXPECT_EQ(MakerTurboSight, makerOfTuner("TBS 6902 DVBS/S2 Tuner 0", ""));
    EXPECT_EQ(MakerTurboSight, makerOfTuner("  qbox S2 Tuner", ""));
    EXPECT_EQ(MakerTurboSight, makerOfTuner("USB2.0 DVB-S2 Tuner", "\\\\?\\usb#vid_734c&pid_5925#1#{x}"));
    EXPECT_EQ(MakerConexant, makerOfTuner("DVB-S2 Tuner", "\\\\?\\pci#ven_14f1&dev_8852&subsys_00000000#1"));
    EXPECT_EQ(MakerConexant, makerOfTuner("Hauppauge WinTV DVB-S2 Tuner", ""));
    EXPECT_EQ(MakerConexant, makerOfTuner("DVB-S2 Tuner", "\\\\?\\usb#vid_2040&pid_7500#1"));
    // A TurboSight board on a Conexant bridge is TurboSight's.
    EXPECT_EQ(MakerTurboSight, makerOfTuner("TBS 6922 DVBS/S2 Tuner", "\\\\?\\pci#ven_14f1&dev_8852#1"));
    EXPECT_EQ(NoMaker, makerOfTuner("Simulated DVB-S2 Tuner", ""));
    EXPECT_EQ(NoMaker, makerOfTuner("STBS Tuner", "\\\\?\\pci#ven_1131&dev_7160#1"));
    // Conexant's bridge chip carries other makers' boards: their name wins over the vendor.
    EXPECT_EQ(NoMaker, makerOfTuner("TeVii S470 DVB-S2 Tuner", "\\\\?\\pci#ven_14f1&dev_8852#1"));
    EXPECT_EQ(NoMaker, makerOfTuner("DVBWorld DVB-S2 2005", "\\\\?\\pci#ven_14f1&dev_8852#1"));
    EXPECT_EQ(NoMaker, makerOfTuner("Prof 7500 USB Tuner", "\\\\?\\usb#vid_734c&pid_7500#1"));
    EXPECT_EQ(MakerConexant, makerOfTuner("Professional DVB-S2 Tuner", "\\\\?\\pci#ven_14f1&dev_8852#1"));
}

// Where bdacard.ini forces a set, the card line says whose boards the name fits instead.
TEST(BdaMakers, ANameThatFitsAnotherMaker)
{
    EXPECT_EQ("Prof", otherMakerOfName("Prof 7500 USB Tuner", MakerTurboSight));
    EXPECT_EQ("TeVii", otherMakerOfName(" tevii S471", MakerConexant));
    EXPECT_EQ("Conexant", otherMakerOfName("Hauppauge WinTV-NOVA-HD-S2", MakerTurboSight));
    EXPECT_EQ("TurboSight", otherMakerOfName("TBS 6902", MakerConexant));
    EXPECT_EQ("", otherMakerOfName("TBS 6902", MakerTurboSight));
    EXPECT_EQ("", otherMakerOfName("Simulated Reference Tuner", MakerConexant));
    EXPECT_EQ("", otherMakerOfName("Profile Tuner", MakerConexant));
}

TEST(BdaMakers, TheSettingsWordsAndTheSetsAskedFor)
{
    EXPECT_EQ(MakerTurboSight, makerOfWord("TurboSight"));
    EXPECT_EQ(MakerConexant, makerOfWord("conexant"));
    EXPECT_EQ(NoMaker, makerOfWord(""));
    EXPECT_EQ(NoMaker, makerOfWord("command"));
    EXPECT_STREQ("TurboSight", makerName(MakerTurboSight));

    // USB first, on the filter; then the PCIe access property of the reference set.
    const MakerSets turboSight = makerPropertySets(MakerTurboSight);
    ASSERT_EQ(2, turboSight.count);
    EXPECT_EQ(0xC6EFE5EBu, turboSight.sets[0].id.data1);
    EXPECT_EQ(18u, turboSight.sets[0].property);
    EXPECT_EQ(0xFAA8F3E5u, turboSight.sets[1].id.data1);
    EXPECT_EQ(0xC9, turboSight.sets[1].id.data4[7]);
    EXPECT_EQ(21u, turboSight.sets[1].property);
    const MakerSets conexant = makerPropertySets(MakerConexant);
    ASSERT_EQ(2, conexant.count);
    EXPECT_EQ(0u, conexant.sets[0].property);
    EXPECT_EQ(ConexantMessage, conexant.sets[1].payload);
    EXPECT_EQ(0xC7, conexant.sets[1].id.data4[7]);  // Hauppauge's identifier of the same set
    EXPECT_EQ(0, makerPropertySets(NoMaker).count);
}

TEST(BdaMakers, TurboSightsAccessPropertyCarriesTheCommandTheBurstOrTheTone)
{
    const uint8_t command[4] = {0xE0, 0x10, 0x38, 0xF9};
    const std::vector<uint8_t> message = makerMessagePayload(TurboSightAccess, command, 4);
    ASSERT_EQ(536u, message.size());
    EXPECT_EQ(1u, wordAt(message, 0));  // DiSEqC
    EXPECT_EQ(0, memcmp(command, &message[16], 4));
    EXPECT_EQ(4u, wordAt(message, 144));
    EXPECT_TRUE(zeroOutside(message, {{0, 4}, {16, 20}, {144, 148}}));
    // A single-cable device's command with its PIN: six bytes.
    const uint8_t withPin[6] = {0xE0, 0x10, 0x5C, 0x04, 0xF7, 0x4D};
    const std::vector<uint8_t> six = makerMessagePayload(TurboSightAccess, withPin, 6);
    EXPECT_EQ(0, memcmp(withPin, &six[16], 6));
    EXPECT_EQ(6u, wordAt(six, 144));

    const std::vector<uint8_t> burstA = makerBurstPayload(TurboSightAccess, false);
    ASSERT_EQ(536u, burstA.size());
    EXPECT_EQ(2u, wordAt(burstA, 0));  // the tone
    EXPECT_EQ(2u, wordAt(burstA, 4));  // an unmodulated burst: A
    EXPECT_TRUE(zeroOutside(burstA, {{0, 8}}));
    EXPECT_EQ(3u, wordAt(makerBurstPayload(TurboSightAccess, true), 4));  // modulated: B
    // The tone itself, on and off, through the same field.
    const std::vector<uint8_t> on = makerTonePayload(TurboSightAccess, true);
    ASSERT_EQ(536u, on.size());
    EXPECT_EQ(2u, wordAt(on, 0));
    EXPECT_EQ(1u, wordAt(on, 4));
    EXPECT_TRUE(zeroOutside(on, {{0, 8}}));
    EXPECT_EQ(0u, wordAt(makerTonePayload(TurboSightAccess, false), 4));
    // The structure goes as the property's instance as well.
    EXPECT_EQ(message, makerInstance(TurboSightAccess, message));
}

TEST(BdaMakers, TheReferenceSetsCommandIsNeverTheLastMessageAndItsBurstIsAnEmptyOne)
{
    const uint8_t command[4] = {0xE0, 0x10, 0x38, 0xF7};
    const std::vector<uint8_t> message = makerMessagePayload(ConexantMessage, command, 4);
    ASSERT_EQ(188u, message.size());
    EXPECT_EQ(0, memcmp(command, &message[0], 4));
    EXPECT_EQ(4u, wordAt(message, 160));  // bytes to send; 164 those received
    EXPECT_EQ(3u, wordAt(message, 168));  // full amplitude
    EXPECT_EQ(0u, wordAt(message, 172));  // no burst
    EXPECT_EQ(1u, wordAt(message, 176));  // DiSEqC 1.x
    EXPECT_EQ(3u, wordAt(message, 180));  // no reply
    EXPECT_EQ(0u, wordAt(message, 184));  // not the last message: no burst after it
    EXPECT_TRUE(zeroOutside(message, {{0, 4}, {160, 184}}));

    const std::vector<uint8_t> burst = makerBurstPayload(ConexantMessage, false);
    ASSERT_EQ(188u, burst.size());
    EXPECT_EQ(0u, wordAt(burst, 160));
    EXPECT_EQ(0u, wordAt(burst, 172));
    EXPECT_EQ(1u, wordAt(burst, 184));  // the last message: the driver's burst follows
    EXPECT_TRUE(zeroOutside(burst, {{160, 188}}));
    EXPECT_EQ(1u, wordAt(makerBurstPayload(ConexantMessage, true), 172));
    // No tone of its own: the tune's switch frequency sets it.
    EXPECT_TRUE(makerTonePayload(ConexantMessage, true).empty());
    // The instance of a node property: zeros, as many as a KSP_NODE has.
    EXPECT_EQ(std::vector<uint8_t>(32, 0), makerInstance(ConexantMessage, message));
    // Nothing beyond a DiSEqC message's longest is copied.
    const uint8_t longest[12] = {};
    EXPECT_EQ(maxMakerMessageBytes, wordAt(makerMessagePayload(ConexantMessage, longest, 12), 160));
}
