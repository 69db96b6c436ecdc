// Azimora measuring through dvbcard.dll, with scr= in its dvbcard.ini, and
// the native azimora-dvb on a simulated frontend behind a single-cable
// device: each standard's command reaches the device and the transponder
// locks at the user band, the band is freed when the program closes, and
// another receiver taking the band is named.
#include "tests/win/dvb_card_copy_fixture.h"
#include "tests/win/phone_support.h"

namespace {

using DvbSingleCableTest = DvbCardCopyTest;

// The bar's first pixel past its end: 80 % at x 254.
bool barAt80(const AppRun& run)
{
    return waitForScreenColour(run.window, 253, 111, barRgb, 6000) &&
           waitForScreenColour(run.window, 254, 111, bandRgb, 1000);
}

// 13.44 dB of C/N is 80 % on the quality scale; a second transponder of the
// same symbol rate for another receiver to ask for.
std::string cableTo(const std::string& device)
{
    return "scr-device " + device +
           " 1210,1420,1680,2040\n"
           "carrier 11778V27500 13.44 stream 1031 1\n"
           "carrier 11362V27500 13.44 stream 1100 1\n";
}

TEST_F(DvbSingleCableTest, AnEn50494MeasurementLocksAtTheUserBandAndClosingFreesIt)
{
    AppRun& run = startThrough(cableTo("en50494"), "scr=en50494,1,1210\r\n");
    startTypedEntry(run, "11778V27500");
    EXPECT_TRUE(waitForHelperLog(helper_, {"tone off", "voltage 18", "diseqc E0 10 5A 04 F7", "voltage 13",
                                           "tune if_khz=1210000 symbol_rate=27500000 system=DVB-S2", "lock"}));
    EXPECT_TRUE(barAt80(run));
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(
        waitForHelperLog(helper_, {"tone off", "voltage 18", "diseqc E0 10 5A 00 00", "voltage 13", "voltage off"}));
}

TEST_F(DvbSingleCableTest, AnEn50607MeasurementLocksAndAnotherReceiverOnItsBandIsNamed)
{
    const uint16_t phone = freePort();
    AppRun& run = startThrough(cableTo("en50607") + "scr-neighbour 2 every 1\n", "scr=en50607,2,1420\r\n", phone);
    startTypedEntry(run, "11778V27500");
    EXPECT_TRUE(waitForHelperLog(helper_, {"tone off", "voltage 18", "diseqc 70 0C 36 01", "voltage 13",
                                           "tune if_khz=1420000 symbol_rate=27500000 system=DVB-S2", "lock"}));
    EXPECT_TRUE(barAt80(run));
    EXPECT_TRUE(waitForHelperLog(helper_, {"another receiver uses user band 2"}, 8000));
    EXPECT_TRUE(barAt80(run)) << "the other receiver's transponder is as strong: no jump";
    // The page says which device and user band, and that another receiver took it.
    const std::string said = streamUntil(phone, "another receiver uses user band 2");
    EXPECT_NE(std::string::npos, said.find("\"singleCable\":\"EN 50607, user band 2 at 1420 MHz\"")) << said;
    EXPECT_EQ(0, closeWithEscape(run));
    EXPECT_TRUE(waitForHelperLog(helper_, {"diseqc 70 08 00 00", "voltage 13", "voltage off"}));
}

}  // namespace
