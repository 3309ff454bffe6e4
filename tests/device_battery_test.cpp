// The battery a kernel driver publishes, read from small fake sysfs trees
// laid out as hid-sony leaves them, and what XInput is told of it.
#include "platform/linux/device_battery.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "gtest/gtest.h"

namespace {

namespace fs = std::filesystem;

class FakeSysfs {
 public:
  FakeSysfs() {
    char folder[] = "/tmp/padwatch-battery-XXXXXX";
    top = mkdtemp(folder);
    roots.sys = top;
    // class/input/event5 -> the input device -> its parent, the HID device.
    hid = top + "/devices/virtual/misc/uhid/0003:054C:09CC.0001";
    fs::create_directories(hid + "/input/input7/event5");
    fs::create_directories(top + "/class/input");
    fs::create_symlink(hid + "/input/input7/event5", top + "/class/input/event5");
    fs::create_symlink(hid + "/input/input7", hid + "/input/input7/event5/device");
    fs::create_symlink(hid, hid + "/input/input7/device");
  }
  ~FakeSysfs() { fs::remove_all(top); }

  void AddSupply(const std::string& name, const std::string& scope, const std::string& capacity,
                 const std::string& status, const std::string& level = "") {
    const std::string folder = hid + "/power_supply/" + name;
    fs::create_directories(folder);
    std::ofstream(folder + "/scope") << scope << "\n";
    if (!capacity.empty()) std::ofstream(folder + "/capacity") << capacity << "\n";
    if (!level.empty()) std::ofstream(folder + "/capacity_level") << level << "\n";
    std::ofstream(folder + "/status") << status << "\n";
  }

  std::string top;
  std::string hid;
  SystemRoots roots;
};

TEST(DeviceBatteryTest, ReadsTheDeviceSupplyBesideTheInputDevice) {
  FakeSysfs sysfs;
  EXPECT_FALSE(ReadDeviceBattery(sysfs.roots, "event5").present);
  // A system-scope supply (a laptop's own) beside it is not the pad's.
  sysfs.AddSupply("a_system_battery", "System", "90", "Full");
  sysfs.AddSupply("sony_controller_battery_00:1f:e2:12:34:56", "Device", "55", "Discharging");
  const DeviceBattery battery = ReadDeviceBattery(sysfs.roots, "event5");
  EXPECT_TRUE(battery.present);
  EXPECT_EQ(battery.capacity, 55);
  EXPECT_EQ(battery.status, "Discharging");
}

TEST(DeviceBatteryTest, CapacityOutOfRangeOrNotANumberIsNotKnown) {
  for (const char* capacity : {"101", "-1", "55%", "", "0x30"}) {
    FakeSysfs sysfs;
    sysfs.AddSupply("pad", "Device", capacity, "Charging");
    const DeviceBattery battery = ReadDeviceBattery(sysfs.roots, "event5");
    EXPECT_TRUE(battery.present) << capacity;
    EXPECT_EQ(battery.capacity, -1) << capacity;
  }
}

TEST(DeviceBatteryTest, OnlyEventNodeNamesAreLookedUp) {
  FakeSysfs sysfs;
  sysfs.AddSupply("pad", "Device", "55", "Charging");
  for (const char* event : {"", "..", "../class/input/event5", "event5/.."}) {
    EXPECT_FALSE(ReadDeviceBattery(sysfs.roots, event).present) << event;
  }
  EXPECT_EQ(EventNodeName("/dev/input/event5"), "event5");
  EXPECT_EQ(EventNodeName("event12"), "event12");
  for (const char* path :
       {"", "/dev/input/js0", "/dev/input/event", "/dev/input/event5x", "/dev/hidraw0"}) {
    EXPECT_EQ(EventNodeName(path), "") << path;
  }
}

TEST(DeviceBatteryTest, CapacityGivesXInputsLevelAtTheDocumentedThresholds) {
  const struct {
    int capacity;
    BYTE level;
  } cases[] = {{0, BATTERY_LEVEL_EMPTY}, {5, BATTERY_LEVEL_EMPTY},   {6, BATTERY_LEVEL_LOW},
               {20, BATTERY_LEVEL_LOW},  {21, BATTERY_LEVEL_MEDIUM}, {70, BATTERY_LEVEL_MEDIUM},
               {71, BATTERY_LEVEL_FULL}, {100, BATTERY_LEVEL_FULL}};
  for (const auto& c : cases) {
    const XINPUT_BATTERY_INFORMATION battery = BatteryFromCapacity(c.capacity);
    EXPECT_EQ(battery.BatteryLevel, c.level) << c.capacity;
    EXPECT_EQ(battery.BatteryType, BATTERY_TYPE_UNKNOWN) << c.capacity;
  }
}

// hid-nintendo gives a level, not a percentage.
TEST(DeviceBatteryTest, LevelStandsInWhereThereIsNoCapacity) {
  const struct {
    const char* level;
    bool known;
    BYTE xinput;
  } cases[] = {{"Full", true, BATTERY_LEVEL_FULL},
               {"High", true, BATTERY_LEVEL_FULL},
               {"Normal", true, BATTERY_LEVEL_MEDIUM},
               {"Low", true, BATTERY_LEVEL_LOW},
               {"Critical", true, BATTERY_LEVEL_EMPTY},
               {"Unknown", false, 0},
               {"", false, 0}};
  for (const auto& c : cases) {
    FakeSysfs sysfs;
    sysfs.AddSupply("nintendo_switch_controller_battery_0003:057E:2009.0001", "Device", "",
                    "Discharging", c.level);
    const DeviceBattery battery = ReadDeviceBattery(sysfs.roots, "event5");
    EXPECT_EQ(battery.capacity, -1);
    XINPUT_BATTERY_INFORMATION information{};
    ASSERT_EQ(BatteryFromKernel(battery, &information), c.known) << c.level;
    if (c.known) {
      EXPECT_EQ(information.BatteryLevel, c.xinput) << c.level;
    }
  }
  // A capacity wins over a level.
  DeviceBattery both;
  both.capacity = 15;
  both.level = "Full";
  XINPUT_BATTERY_INFORMATION information{};
  ASSERT_TRUE(BatteryFromKernel(both, &information));
  EXPECT_EQ(information.BatteryLevel, BATTERY_LEVEL_LOW);
}

TEST(DeviceBatteryTest, OnlyTheKernelsOwnStatusWordsAreShown) {
  EXPECT_EQ(ChargeWord("Charging"), "charging");
  EXPECT_EQ(ChargeWord("Discharging"), "discharging");
  EXPECT_EQ(ChargeWord("Full"), "full");
  EXPECT_EQ(ChargeWord("Not charging"), "not charging");
  EXPECT_EQ(ChargeWord("Unknown"), "");
  EXPECT_EQ(ChargeWord("Charging\x1b[2J"), "");
}

}  // namespace
