// The simulated frontend: the kernel requests it answers the way a
// DVB-S/S2 driver does (its file: dvb_simulation_file_test.cpp).
#include <gtest/gtest.h>
#include <linux/dvb/frontend.h>
#include <linux/ioctl.h>

#include "dvb/common/driver_statistics.h"
#include "dvb/simulated/kernel_frontend.h"
#include "tests/native/simulation_text.h"

namespace {

static int getProperty(SimulatedFrontend& frontend, uint32_t command, dtv_property* property, uint64_t nowMs = 0)
{
    *property = dtv_property{};
    property->cmd = command;
    dtv_properties list{1, property};
    return simulatedFrontendIoctl(frontend, FE_GET_PROPERTY, &list, nowMs);
}

static int tune(SimulatedFrontend& frontend, uint32_t system, uint32_t frequencyKHz, uint32_t symbolRate,
                uint64_t nowMs)
{
    dtv_property properties[4] = {};
    properties[0].cmd = DTV_DELIVERY_SYSTEM;
    properties[0].u.data = system;
    properties[1].cmd = DTV_FREQUENCY;
    properties[1].u.data = frequencyKHz;
    properties[2].cmd = DTV_SYMBOL_RATE;
    properties[2].u.data = symbolRate;
    properties[3].cmd = DTV_TUNE;
    dtv_properties list{4, properties};
    return simulatedFrontendIoctl(frontend, FE_SET_PROPERTY, &list, nowMs);
}

// The modulation and code rate a driver reads back while locked, as
// m88ds3103 does: the transponder's own, never what the tune set; a driver
// without a read-back gives back what was set.
TEST(DvbKernelFrontend, ADriverThatReadsBackGivesTheLockedModulationAndCodeRate)
{
    const Simulation named = simulationOf("0 lock 10\ntransponder DVB-S2 8PSK 2/3\npersonality reads-back\n");
    EXPECT_TRUE(named.readsBack);
    EXPECT_EQ("2/3", named.transponderCodeRate);
    // Tuned with the system and modulation given, the code rate automatic.
    auto readBack = [](const std::string& text, uint32_t system, uint32_t modulation, uint64_t nowMs) {
        SimulatedFrontend frontend = newSimulatedFrontend(simulationOf(text));
        dtv_property set[6] = {};
        const uint32_t commands[] = {DTV_DELIVERY_SYSTEM, DTV_FREQUENCY, DTV_SYMBOL_RATE,
                                     DTV_MODULATION,      DTV_INNER_FEC, DTV_TUNE};
        const uint32_t values[] = {system, 1645000, 27500000, modulation, FEC_AUTO, 0};
        for (int i = 0; i < 6; ++i) {
            set[i].cmd = commands[i];
            set[i].u.data = values[i];
        }
        dtv_properties list{6, set};
        EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_SET_PROPERTY, &list, 0));
        std::vector<uint32_t> read;
        for (uint32_t command : {DTV_DELIVERY_SYSTEM, DTV_MODULATION, DTV_INNER_FEC}) {
            dtv_property property;
            EXPECT_EQ(0, getProperty(frontend, command, &property, nowMs));
            read.push_back(property.u.data);
        }
        return read;
    };
    const std::string reads = "0 nolock\n100 lock 10\npersonality reads-back\n";
    EXPECT_EQ((std::vector<uint32_t>{SYS_DVBS2, PSK_8, FEC_2_3}),
              readBack(reads + "transponder DVB-S2 8PSK 2/3\n", SYS_DVBS2, QAM_AUTO, 100));
    // Found by an automatic DVB-S2 tune, a DVB-S transponder reads back as DVB-S.
    EXPECT_EQ((std::vector<uint32_t>{SYS_DVBS, QPSK, FEC_7_8}),
              readBack(reads + "transponder DVB-S 7/8\n", SYS_DVBS2, QAM_AUTO, 100));
    EXPECT_EQ((std::vector<uint32_t>{SYS_DVBS2, PSK_8, FEC_3_4}), readBack(reads, SYS_DVBS2, QAM_AUTO, 100));
    EXPECT_EQ((std::vector<uint32_t>{SYS_DVBS2, QPSK, FEC_3_4}), readBack(reads, SYS_DVBS2, QPSK, 100));
    // Before the lock, and without a read-back, what the tune set.
    EXPECT_EQ((std::vector<uint32_t>{SYS_DVBS2, QAM_AUTO, FEC_AUTO}),
              readBack(reads + "transponder DVB-S2 8PSK 2/3\n", SYS_DVBS2, QAM_AUTO, 50));
    EXPECT_EQ((std::vector<uint32_t>{SYS_DVBS2, QAM_AUTO, FEC_AUTO}),
              readBack("100 lock 10\ntransponder DVB-S2 QPSK 2/3\n", SYS_DVBS2, QAM_AUTO, 100));
}

TEST(DvbKernelFrontend, ItGivesItsRangeInHzWhileSetToATerrestrialSystemAndClearsStaleValues)
{
    SimulatedFrontend frontend = newSimulatedFrontend(simulationOf("systems DVB-T DVB-S DVB-S2\n"));
    dvb_frontend_info info{};
    ASSERT_EQ(0, simulatedFrontendIoctl(frontend, FE_GET_INFO, &info, 0));
    EXPECT_EQ(950000000u, info.frequency_min);
    dtv_property properties[3] = {};
    properties[0].cmd = DTV_DELIVERY_SYSTEM;
    properties[0].u.data = SYS_DVBS2;
    properties[1].cmd = DTV_MODULATION;
    properties[1].u.data = PSK_8;
    properties[2].cmd = DTV_ROLLOFF;
    properties[2].u.data = ROLLOFF_20;
    dtv_properties list{3, properties};
    ASSERT_EQ(0, simulatedFrontendIoctl(frontend, FE_SET_PROPERTY, &list, 0));
    ASSERT_EQ(0, simulatedFrontendIoctl(frontend, FE_GET_INFO, &info, 0));
    EXPECT_EQ(950000u, info.frequency_min);
    // DVB-S then keeps the 8PSK and 0.20 of before, until DTV_CLEAR.
    properties[0].u.data = SYS_DVBS;
    list.num = 1;
    simulatedFrontendIoctl(frontend, FE_SET_PROPERTY, &list, 0);
    EXPECT_EQ(static_cast<uint32_t>(PSK_8), frontend.modulation);
    properties[0].cmd = DTV_CLEAR;
    simulatedFrontendIoctl(frontend, FE_SET_PROPERTY, &list, 0);
    EXPECT_EQ(static_cast<uint32_t>(QPSK), frontend.modulation);
    EXPECT_EQ(static_cast<uint32_t>(ROLLOFF_35), frontend.rolloff);
    // A slow driver makes its readings wait.
    SimulatedFrontend slow = newSimulatedFrontend(simulationOf("slow 700\n"));
    EXPECT_EQ(700u, simulatedDelayMs(slow, FE_READ_STATUS, 0));
    EXPECT_EQ(0u, simulatedDelayMs(slow, FE_SET_VOLTAGE, 0));
    // One whose frontend thread holds the frontend makes every request wait.
    SimulatedFrontend held = newSimulatedFrontend(simulationOf("slow 700\nslow all 300\n"));
    EXPECT_EQ(300u, simulatedDelayMs(held, FE_SET_VOLTAGE, 0));
    EXPECT_EQ(300u, simulatedDelayMs(held, FE_SET_PROPERTY, 0));
    EXPECT_EQ(700u, simulatedDelayMs(held, FE_READ_STATUS, 0));
}

TEST(DvbKernelFrontend, ItAnnouncesASatelliteFrontendWithItsSystemsAndRanges)
{
    SimulatedFrontend frontend = newSimulatedFrontend(simulationOf("systems DVB-S DVB-S2\n"));
    dvb_frontend_info info{};
    ASSERT_EQ(0, simulatedFrontendIoctl(frontend, FE_GET_INFO, &info, 0));
    EXPECT_STREQ(simulatedFrontendName, info.name);
    EXPECT_EQ(FE_QPSK, info.type);
    EXPECT_EQ(950000u, info.frequency_min);  // kHz, as satellite frontends give it
    EXPECT_EQ(2150000u, info.frequency_max);
    dtv_property property;
    ASSERT_EQ(0, getProperty(frontend, DTV_ENUM_DELSYS, &property));
    ASSERT_EQ(2u, property.u.buffer.len);
    EXPECT_EQ(SYS_DVBS, property.u.buffer.data[0]);
    EXPECT_EQ(SYS_DVBS2, property.u.buffer.data[1]);
    ASSERT_EQ(0, getProperty(frontend, DTV_API_VERSION, &property));
    EXPECT_EQ(0x050Bu, property.u.data);
    EXPECT_EQ(-EINVAL, getProperty(frontend, DTV_BANDWIDTH_HZ, &property));  // not a satellite property
    EXPECT_EQ(-ENOTTY, simulatedFrontendIoctl(frontend, FE_GET_FRONTEND, nullptr, 0));
}

TEST(DvbKernelFrontend, TunesOutsideItsRangesOrSystemsAreRefused)
{
    SimulatedFrontend frontend = newSimulatedFrontend(simulationOf("systems DVB-S\n0 lock 10\n"));
    EXPECT_EQ(-EINVAL, tune(frontend, SYS_DVBS, 5549000, 27500000, 0));
    EXPECT_EQ(-EINVAL, tune(frontend, SYS_DVBS, 1645000, 500000, 0));
    EXPECT_EQ(-EINVAL, tune(frontend, SYS_DVBS2, 1645000, 27500000, 0));
    EXPECT_TRUE(frontend.trace.empty());
    EXPECT_EQ(0, tune(frontend, SYS_DVBS, 1645000, 27500000, 0));
    EXPECT_EQ(std::vector<std::string>{"tune DVB-S QPSK/0.35 1645000 27500000"}, frontend.trace);

    SimulatedFrontend refusing = newSimulatedFrontend(simulationOf("fail tune\n"));
    EXPECT_EQ(-EIO, tune(refusing, SYS_DVBS2, 1645000, 27500000, 0));
}

TEST(DvbKernelFrontend, StatusAndStatisticsFollowTheTimelineFromTheTune)
{
    SimulatedFrontend frontend = newSimulatedFrontend(simulationOf("0 nolock\n500 lock 10.5\n"));
    fe_status_t status{};
    ASSERT_EQ(0, simulatedFrontendIoctl(frontend, FE_READ_STATUS, &status, 0));
    EXPECT_EQ(0, status);  // untuned
    ASSERT_EQ(0, tune(frontend, SYS_DVBS2, 1645000, 27500000, 10000));
    simulatedFrontendIoctl(frontend, FE_READ_STATUS, &status, 10499);
    EXPECT_EQ(FE_HAS_SIGNAL, status);
    dtv_property cnr;
    getProperty(frontend, DTV_STAT_CNR, &cnr, 10499);
    ASSERT_EQ(1, cnr.u.st.len);
    EXPECT_EQ(FE_SCALE_NOT_AVAILABLE, cnr.u.st.stat[0].scale);
    simulatedFrontendIoctl(frontend, FE_READ_STATUS, &status, 10500);
    EXPECT_TRUE(status & FE_HAS_LOCK);
    getProperty(frontend, DTV_STAT_CNR, &cnr, 10500);
    EXPECT_EQ(FE_SCALE_DECIBEL, cnr.u.st.stat[0].scale);
    const int64_t milliDb = cnr.u.st.stat[0].svalue;  // the struct is packed: no reference into it
    EXPECT_EQ(10500, milliDb);

    // Legacy drivers: no v5 statistics, 16-bit figures instead.
    SimulatedFrontend legacy = newSimulatedFrontend(simulationOf("statistics legacy\n0 lock 10\n"));
    tune(legacy, SYS_DVBS2, 1645000, 27500000, 0);
    getProperty(legacy, DTV_STAT_CNR, &cnr, 1);
    EXPECT_EQ(0, cnr.u.st.len);
    uint16_t snr = 0;
    ASSERT_EQ(0, simulatedFrontendIoctl(legacy, FE_READ_SNR, &snr, 1));
    EXPECT_EQ(32767, snr);
    // ... in tenths of a dB, or as a negative dBm figure read unsigned.
    SimulatedFrontend tenths = newSimulatedFrontend(simulationOf("statistics legacy-tenths\n0 lock 10\n"));
    tune(tenths, SYS_DVBS2, 1645000, 27500000, 0);
    simulatedFrontendIoctl(tenths, FE_READ_SNR, &snr, 1);
    EXPECT_EQ(100, snr);
    SimulatedFrontend negative = newSimulatedFrontend(simulationOf("statistics legacy-negative\n0 lock 10\n"));
    tune(negative, SYS_DVBS2, 1645000, 27500000, 0);
    simulatedFrontendIoctl(negative, FE_READ_SNR, &snr, 1);
    EXPECT_EQ(static_cast<uint16_t>(-80), snr);
}

TEST(DvbKernelFrontend, StrictAndExplicitDriversLockOnlyWhatTheyWereAskedForAndTakeTheRestInSilence)
{
    auto locksAfter = [](const std::string& text, uint32_t system, uint32_t modulation, uint32_t rolloff) {
        SimulatedFrontend frontend = newSimulatedFrontend(simulationOf(text + "0 lock 10\n"));
        dtv_property properties[5] = {};
        const uint32_t commands[] = {DTV_DELIVERY_SYSTEM, DTV_FREQUENCY, DTV_SYMBOL_RATE, DTV_MODULATION, DTV_ROLLOFF};
        const uint32_t values[] = {system, 1645000, 27500000, modulation, rolloff};
        for (int i = 0; i < 5; ++i) {
            properties[i].cmd = commands[i];
            properties[i].u.data = values[i];
        }
        dtv_properties list{5, properties};
        simulatedFrontendIoctl(frontend, FE_SET_PROPERTY, &list, 0);
        dtv_property go{};
        go.cmd = DTV_TUNE;
        dtv_properties tuneList{1, &go};
        EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_SET_PROPERTY, &tuneList, 0));  // taken, whatever it holds
        fe_status_t status{};
        simulatedFrontendIoctl(frontend, FE_READ_STATUS, &status, 1);
        return (status & FE_HAS_LOCK) != 0;
    };
    EXPECT_TRUE(locksAfter("transponder DVB-S\n", SYS_DVBS2, QAM_AUTO, ROLLOFF_AUTO));
    EXPECT_FALSE(locksAfter("transponder DVB-S\nsystem strict\n", SYS_DVBS2, QAM_AUTO, ROLLOFF_AUTO));
    EXPECT_TRUE(locksAfter("transponder DVB-S\nsystem strict\n", SYS_DVBS, QPSK, ROLLOFF_35));
    EXPECT_FALSE(locksAfter("modulation explicit\n", SYS_DVBS2, QAM_AUTO, ROLLOFF_AUTO));
    EXPECT_FALSE(locksAfter("modulation explicit\n", SYS_DVBS2, QPSK, ROLLOFF_AUTO));
    EXPECT_TRUE(locksAfter("modulation explicit\n", SYS_DVBS2, QPSK, ROLLOFF_35));
    EXPECT_FALSE(locksAfter("modulation explicit\n", SYS_DVBS, PSK_8, ROLLOFF_35));  // stale from DVB-S2
    EXPECT_FALSE(locksAfter("transponder DVB-S2 8PSK\n", SYS_DVBS2, QPSK, ROLLOFF_35));
    EXPECT_TRUE(locksAfter("transponder DVB-S2 8PSK\n", SYS_DVBS2, PSK_8, ROLLOFF_35));
}

// A tune with every value named, at `nowMs`.
static void tuneNamed(SimulatedFrontend& frontend, uint32_t system, uint32_t modulation, uint32_t rolloff, uint32_t fec,
                      uint64_t nowMs)
{
    dtv_property properties[7] = {};
    const uint32_t commands[] = {DTV_DELIVERY_SYSTEM, DTV_FREQUENCY, DTV_SYMBOL_RATE, DTV_MODULATION,
                                 DTV_ROLLOFF,         DTV_INNER_FEC, DTV_TUNE};
    const uint32_t values[] = {system, 1645000, 27500000, modulation, rolloff, fec, 0};
    for (int i = 0; i < 7; ++i) {
        properties[i].cmd = commands[i];
        properties[i].u.data = values[i];
    }
    dtv_properties list{7, properties};
    EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_SET_PROPERTY, &list, nowMs));  // taken, whatever it holds
}

static bool lockedAt(SimulatedFrontend& frontend, uint64_t nowMs)
{
    fe_status_t status{};
    simulatedFrontendIoctl(frontend, FE_READ_STATUS, &status, nowMs);
    return (status & FE_HAS_LOCK) != 0;
}

// stv090x, stv0900 and stb0899 search in the kernel's frontend thread,
// which holds the frontend: while unlocked, every request waits for the
// search under way, half a second free between searches, none once locked.
TEST(DvbKernelFrontend, ADriverThatSearchesInTheKernelsThreadHoldsEveryRequestWhileUnlocked)
{
    SimulatedFrontend frontend = newSimulatedFrontend(simulationOf("search 3000\n0 nolock\n9000 lock 10\n"));
    EXPECT_EQ(0u, simulatedDelayMs(frontend, FE_READ_STATUS, 0));  // no search before a tune
    tuneNamed(frontend, SYS_DVBS2, QAM_AUTO, ROLLOFF_AUTO, FEC_AUTO, 1000);
    EXPECT_EQ(3000u, simulatedDelayMs(frontend, FE_READ_STATUS, 1000));
    EXPECT_EQ(1800u, simulatedDelayMs(frontend, FE_GET_PROPERTY, 2200));
    EXPECT_EQ(1800u, simulatedDelayMs(frontend, FE_SET_VOLTAGE, 2200));
    EXPECT_EQ(0u, simulatedDelayMs(frontend, FE_READ_STATUS, 4200));     // resting
    EXPECT_EQ(3000u, simulatedDelayMs(frontend, FE_READ_STATUS, 4500));  // the next search
    EXPECT_EQ(0u, simulatedDelayMs(frontend, FE_READ_STATUS, 11000));    // locked: tracking
}

// A transponder's roll-off: a DVB-S2 tune that names another does not lock
// it; an automatic one does, unless the driver refuses it (tda10071, cx24116).
TEST(DvbKernelFrontend, ATransponderLocksOnlyWithItsOwnRolloffOrAnAutomaticOneTheDriverTakes)
{
    SimulatedFrontend frontend =
        newSimulatedFrontend(simulationOf("transponder DVB-S2 QPSK\nrolloff 0.20\n0 lock 9\n"));
    tuneNamed(frontend, SYS_DVBS2, QPSK, ROLLOFF_35, FEC_AUTO, 0);
    EXPECT_FALSE(lockedAt(frontend, 100));
    tuneNamed(frontend, SYS_DVBS2, QPSK, ROLLOFF_20, FEC_AUTO, 200);
    EXPECT_TRUE(lockedAt(frontend, 300));
    tuneNamed(frontend, SYS_DVBS2, QPSK, ROLLOFF_AUTO, FEC_AUTO, 400);
    EXPECT_TRUE(lockedAt(frontend, 500));
    SimulatedFrontend refusing = newSimulatedFrontend(
        simulationOf("personality needs-rolloff\ntransponder DVB-S2 QPSK\nrolloff 0.25\n0 lock 9\n"));
    tuneNamed(refusing, SYS_DVBS2, QPSK, ROLLOFF_AUTO, FEC_AUTO, 0);
    EXPECT_FALSE(lockedAt(refusing, 100));
    tuneNamed(refusing, SYS_DVBS2, QPSK, ROLLOFF_25, FEC_AUTO, 200);
    EXPECT_TRUE(lockedAt(refusing, 300));
}

// A driver's own arithmetic behind the older calls, or the v5 statistics
// where it fills them in; cx24116's module parameter in sysfs.
TEST(DvbKernelFrontend, ADriversOwnArithmeticAnswersItsStatistics)
{
    SimulatedFrontend stv0900 = newSimulatedFrontend(simulationOf("statistics stv0900\n0 lock 16\n"));
    tuneNamed(stv0900, SYS_DVBS2, QAM_AUTO, ROLLOFF_AUTO, FEC_AUTO, 0);
    uint16_t snr = 0;
    ASSERT_EQ(0, simulatedFrontendIoctl(stv0900, FE_READ_SNR, &snr, 100));
    EXPECT_EQ(65535, snr);  // held at its ceiling
    SimulatedFrontend ds3000 = newSimulatedFrontend(simulationOf("statistics ds3000\n0 lock 13.5\n"));
    tuneNamed(ds3000, SYS_DVBS, QPSK, ROLLOFF_35, FEC_AUTO, 0);
    ASSERT_EQ(0, simulatedFrontendIoctl(ds3000, FE_READ_SNR, &snr, 100));
    EXPECT_EQ(2584, snr);  // 13 x 5240, kept in 16 bits
    EXPECT_EQ(12 * 5240, driverStatistics(DriverDs3000, false, 12.9, -60.0).snr);
    EXPECT_EQ(-3, static_cast<int16_t>(driverStatistics(DriverDs3000, true, -3.5, -60.0).snr));
    EXPECT_EQ((100 + 30) * 384, driverStatistics(DriverStv0900, false, 10.0, -60.0).snr);
    EXPECT_EQ(13107, driverStatistics(DriverStv090x, true, 10.0, -60.0).snr);
    EXPECT_EQ(98, driverStatistics(DriverStb0899, false, 9.8, -60.0).snr);
    EXPECT_EQ(250, driverStatistics(DriverStb0899, false, 9.8, -50.0).strength);
    EXPECT_EQ(0x64, driverStatistics(DriverCx24116Esno, true, 10.0, -60.0).snr);
    EXPECT_EQ(0x0999A + (0x06667 >> 4), driverStatistics(DriverCx24116, true, 10.0, -60.0).snr);  // "6" and "4"
    // m88ds3103: 10 log10 of a whole ratio, none at all below 2:1 in DVB-S2.
    EXPECT_EQ(10000, driverStatistics(DriverM88ds3103, true, 10.2, -60.0).cnrMilliDb);
    EXPECT_FALSE(driverStatistics(DriverM88ds3103, true, 2.5, -60.0).v5Cnr);
    // The v5 statistics of one that fills them in.
    SimulatedFrontend m88 = newSimulatedFrontend(simulationOf("statistics m88ds3103\n0 lock 10.2\n"));
    tuneNamed(m88, SYS_DVBS2, QAM_AUTO, ROLLOFF_AUTO, FEC_AUTO, 0);
    dtv_property property{};
    property.cmd = DTV_STAT_CNR;
    dtv_properties list{1, &property};
    ASSERT_EQ(0, simulatedFrontendIoctl(m88, FE_GET_PROPERTY, &list, 100));
    const uint8_t scale = property.u.st.stat[0].scale;
    const int64_t value = property.u.st.stat[0].svalue;  // packed: copied before it is compared
    EXPECT_EQ(FE_SCALE_DECIBEL, scale);
    EXPECT_EQ(10000, value);
    Simulation parsed;
    std::string error;
    EXPECT_FALSE(parseSimulation("statistics stv0901\n", &parsed, &error));
    EXPECT_FALSE(parseSimulation("rolloff 0.30\n", &parsed, &error));
    EXPECT_FALSE(parseSimulation("search 20000\n", &parsed, &error));
}

TEST(DvbKernelFrontend, PersonalitiesActOutWhatDriversDoWithATune)
{
    auto locks = [](const std::string& text, uint32_t system, uint32_t modulation, uint32_t rolloff, uint32_t fec) {
        SimulatedFrontend frontend = newSimulatedFrontend(simulationOf(text + "0 lock 10\n"));
        tuneNamed(frontend, system, modulation, rolloff, fec, 0);
        return lockedAt(frontend, 1);
    };
    // No automatic DVB-S2 code rate, modulation or roll-off; DVB-S as before.
    const std::string rated = "personality needs-code-rate\ntransponder DVB-S2 8PSK 3/4\n";
    EXPECT_FALSE(locks(rated, SYS_DVBS2, PSK_8, ROLLOFF_35, FEC_AUTO));
    EXPECT_FALSE(locks(rated, SYS_DVBS2, QAM_AUTO, ROLLOFF_35, FEC_3_4));
    EXPECT_FALSE(locks(rated, SYS_DVBS2, PSK_8, ROLLOFF_AUTO, FEC_3_4));
    EXPECT_FALSE(locks(rated, SYS_DVBS2, PSK_8, ROLLOFF_35, FEC_2_3));
    EXPECT_FALSE(locks(rated, SYS_DVBS2, QPSK, ROLLOFF_35, FEC_3_4));
    EXPECT_TRUE(locks(rated, SYS_DVBS2, PSK_8, ROLLOFF_35, FEC_3_4));
    EXPECT_TRUE(locks("personality needs-code-rate\ntransponder DVB-S\n", SYS_DVBS, QPSK, ROLLOFF_35, FEC_AUTO));
    // Modulation, roll-off and code rate unused; the system still counts where it is strict.
    const std::string ignoring = "personality ignores-modulation\nsystem strict\n";
    EXPECT_TRUE(locks(ignoring + "transponder DVB-S2 QPSK 3/4\n", SYS_DVBS2, PSK_8, ROLLOFF_35, FEC_2_3));
    EXPECT_FALSE(locks(ignoring + "transponder DVB-S\n", SYS_DVBS2, QAM_AUTO, ROLLOFF_AUTO, FEC_AUTO));
    // One search finds either system.
    EXPECT_TRUE(locks("personality finds-either-system\ntransponder DVB-S2 8PSK\nsystem strict\n", SYS_DVBS, QPSK,
                      ROLLOFF_35, FEC_AUTO));

    // Each tune, the same again too, starts the search again.
    SimulatedFrontend slow = newSimulatedFrontend(simulationOf("acquisition 480\n0 lock 10\n"));
    tuneNamed(slow, SYS_DVBS2, QAM_AUTO, ROLLOFF_AUTO, FEC_AUTO, 1000);
    EXPECT_FALSE(lockedAt(slow, 1479));
    tuneNamed(slow, SYS_DVBS2, QAM_AUTO, ROLLOFF_AUTO, FEC_AUTO, 1400);
    EXPECT_FALSE(lockedAt(slow, 1500));
    EXPECT_TRUE(lockedAt(slow, 1880));
    EXPECT_EQ("tune DVB-S2 auto/auto 1645000 27500000", slow.trace.back());
    SimulatedFrontend named = newSimulatedFrontend(simulationOf("0 lock 10\n"));
    tuneNamed(named, SYS_DVBS2, PSK_8, ROLLOFF_35, FEC_9_10, 0);
    EXPECT_EQ("tune DVB-S2 8PSK/0.35 1645000 27500000 fec 9/10", named.trace.back());
}

TEST(DvbKernelFrontend, ItGivesTheDriversNameAndAnswersWhatTheDriverLacksAsTheKernelDoes)
{
    const Simulation simulation =
        simulationOf("name Montage Technology DS3000\npersonality v5-strength-only\npersonality no-burst\n0 lock 10\n");
    SimulatedFrontend frontend = newSimulatedFrontend(simulation);
    dvb_frontend_info info{};
    ASSERT_EQ(0, simulatedFrontendIoctl(frontend, FE_GET_INFO, &info, 0));
    EXPECT_STREQ("Montage Technology DS3000", info.name);
    // dvb-core's own ENOTSUPP, no errno of user space.
    EXPECT_EQ(-524, simulatedFrontendIoctl(frontend, FE_DISEQC_SEND_BURST, reinterpret_cast<void*>(SEC_MINI_A), 0));
    // The tuner's v5 strength in dB, no v5 C/N; the older s/n on a 16-bit scale.
    tune(frontend, SYS_DVBS2, 1645000, 27500000, 0);
    dtv_property property;
    getProperty(frontend, DTV_STAT_CNR, &property, 1);
    EXPECT_EQ(0, property.u.st.len);
    getProperty(frontend, DTV_STAT_SIGNAL_STRENGTH, &property, 1);
    ASSERT_EQ(1, property.u.st.len);
    EXPECT_EQ(FE_SCALE_DECIBEL, property.u.st.stat[0].scale);
    const int64_t milliDbm = property.u.st.stat[0].svalue;
    EXPECT_EQ(-60000, milliDbm);
    uint16_t snr = 0;
    ASSERT_EQ(0, simulatedFrontendIoctl(frontend, FE_READ_SNR, &snr, 1));
    EXPECT_EQ(32767, snr);
    // The strength alone: the older calls are not there.
    SimulatedFrontend strength = newSimulatedFrontend(simulationOf("personality strength-only\n0 lock 10\n"));
    tune(strength, SYS_DVBS2, 1645000, 27500000, 0);
    EXPECT_EQ(-524, simulatedFrontendIoctl(strength, FE_READ_SNR, &snr, 1));
    EXPECT_EQ(-524, simulatedFrontendIoctl(strength, FE_READ_SIGNAL_STRENGTH, &snr, 1));
}

TEST(DvbKernelFrontend, SatelliteControlRequestsAreTracedAndBadOnesRefused)
{
    SimulatedFrontend frontend = newSimulatedFrontend(Simulation());
    EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_SET_VOLTAGE, reinterpret_cast<void*>(SEC_VOLTAGE_18), 0));
    EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_SET_TONE, reinterpret_cast<void*>(SEC_TONE_OFF), 0));
    dvb_diseqc_master_cmd command{{0xE0, 0x10, 0x38, 0xFB}, 4};
    EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_DISEQC_SEND_MASTER_CMD, &command, 0));
    EXPECT_EQ(0, simulatedFrontendIoctl(frontend, FE_DISEQC_SEND_BURST, reinterpret_cast<void*>(SEC_MINI_B), 0));
    EXPECT_EQ((std::vector<std::string>{"voltage 18", "tone off", "diseqc E0 10 38 FB", "burst B"}), frontend.trace);
    command.msg_len = 7;
    EXPECT_EQ(-EINVAL, simulatedFrontendIoctl(frontend, FE_DISEQC_SEND_MASTER_CMD, &command, 0));
    EXPECT_EQ(-EINVAL, simulatedFrontendIoctl(frontend, FE_SET_VOLTAGE, reinterpret_cast<void*>(7), 0));
    EXPECT_EQ(4u, frontend.trace.size());
    // A driver whose calls fail.
    SimulatedFrontend failing =
        newSimulatedFrontend(simulationOf("fail voltage\nfail tone\nfail diseqc\nfail burst\n"));
    command.msg_len = 4;
    EXPECT_EQ(-EIO, simulatedFrontendIoctl(failing, FE_SET_VOLTAGE, reinterpret_cast<void*>(SEC_VOLTAGE_13), 0));
    EXPECT_EQ(0, simulatedFrontendIoctl(failing, FE_SET_VOLTAGE, reinterpret_cast<void*>(SEC_VOLTAGE_OFF), 0));
    EXPECT_EQ(-EIO, simulatedFrontendIoctl(failing, FE_SET_TONE, reinterpret_cast<void*>(SEC_TONE_ON), 0));
    EXPECT_EQ(-EIO, simulatedFrontendIoctl(failing, FE_DISEQC_SEND_MASTER_CMD, &command, 0));
    EXPECT_EQ(-EIO, simulatedFrontendIoctl(failing, FE_DISEQC_SEND_BURST, reinterpret_cast<void*>(SEC_MINI_A), 0));
}

}  // namespace
