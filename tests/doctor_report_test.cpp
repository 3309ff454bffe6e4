#include "check/doctor/doctor_report.h"
#include "check/doctor/mapping_line.h"

#include <string>

#include "gtest/gtest.h"
#include "tests/test_files.h"

namespace {

void ExpectGolden(const std::string& name, const WindowsFacts& facts, int status) {
  const std::string folder = PADWATCH_DOCTOR_GOLDEN_DIR;
  EXPECT_EQ(FormatDoctorText(facts), ReadFile(folder + "/" + name + ".txt")) << name;
  EXPECT_EQ(FormatDoctorJson(facts), ReadFile(folder + "/" + name + ".json")) << name;
  EXPECT_EQ(DoctorStatus(facts), status) << name;
}

WindowsFacts XInputLoaded() {
  WindowsFacts facts;
  facts.xinputLoaded = true;
  facts.xinputPath = "C:\\Windows\\System32\\XINPUT1_4.dll";
  facts.xinputVersion = "10.0.19041.1";
  facts.slotAnswers = {0, 1167, 1167, 1167};
  return facts;
}

TEST(DoctorReportTest, WindowsPadXInputDoesNotServe) {
  WindowsFacts facts = XInputLoaded();
  facts.hid.push_back({"Controller (XBOX 360 For Windows)", 0x045e, 0x028e, true});
  facts.hid.push_back({"Wireless Controller", 0x054c, 0x09cc, false});
  ExpectGolden("windows_playstation", facts, 1);
}

TEST(DoctorReportTest, WineServesEveryPad) {
  WindowsFacts facts = XInputLoaded();
  facts.xinputPath = "C:\\windows\\system32\\xinput1_4.dll";
  facts.xinputVersion = "";
  facts.wineVersion = "8.0";
  facts.hid.push_back({"Wireless Controller", 0x054c, 0x09cc, true});
  ExpectGolden("windows_wine", facts, 0);
}

TEST(DoctorReportTest, WindowsNothingConnectedAndASlotInError) {
  WindowsFacts facts = XInputLoaded();
  facts.slotAnswers = {1167, 1167, 31, 1167};
  ExpectGolden("windows_nothing", facts, 1);
}

// The line offered for an unmapped pad is one valid mapping: the name
// cannot end a field early, and only inputs the pad has are named.
TEST(DoctorReportTest, StartingMappingNamesOnlyWhatThePadHas) {
  EXPECT_EQ(StartingMapping("0300aa", "Pad, \"two\"\n", 3, 2, 0),
            "0300aa,Pad \"two\",a:b0,b:b1,x:b2,leftx:a0,lefty:a1,platform:Linux,");
  EXPECT_EQ(StartingMapping("g", "n", 20, 8, 1),
            "g,n,a:b0,b:b1,x:b2,y:b3,leftshoulder:b4,rightshoulder:b5,back:b6,start:b7,"
            "guide:b8,leftstick:b9,rightstick:b10,leftx:a0,lefty:a1,lefttrigger:a2,rightx:a3,"
            "righty:a4,righttrigger:a5,dpup:h0.1,dpright:h0.2,dpdown:h0.4,dpleft:h0.8,"
            "platform:Linux,");
}

// hid-nintendo publishes a level, not a percentage; a driver's word is
// shown escaped like any other text from the system.
TEST(DoctorReportTest, KernelBatteryLevelWithoutAPercentage) {
  LinuxFacts facts;
  ControllerFacts pad;
  pad.event = "event5";
  pad.name = "Nintendo Switch Pro Controller";
  pad.battery = {true, -1, "Normal", "Discharging"};
  facts.controllers.push_back(pad);
  EXPECT_NE(FormatDoctorText(facts).find("  battery:  kernel: Normal, Discharging"),
            std::string::npos);
  EXPECT_NE(FormatDoctorJson(facts).find("\"capacity\": null,\n        \"level\": \"Normal\""),
            std::string::npos);
  facts.controllers[0].battery.level = "Low\x1b[2J";
  EXPECT_NE(FormatDoctorText(facts).find("kernel: Low\\x1b[2J, Discharging"), std::string::npos);
}

}  // namespace
