// The motion sensors' and touchpad's nodes beside a pad's own, found in
// small fake sysfs trees laid out as the drivers leave them.
#include "platform/linux/sibling_nodes.h"

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
    char folder[] = "/tmp/padwatch-siblings-XXXXXX";
    top = mkdtemp(folder);
    roots.sys = top;
    hid = top + "/devices/virtual/misc/uhid/0003:054C:09CC.0001";
    fs::create_directories(top + "/class/input");
    fs::create_directories(top + "/bus/hid/drivers/sony");
  }
  ~FakeSysfs() { fs::remove_all(top); }

  // An input device under parent (null: under none, as uinput makes them)
  // with one event node and the given properties bitmap.
  void AddInput(const std::string& parent, int input, int event, const std::string& properties) {
    const std::string base = parent.empty() ? top + "/devices/virtual/input" : parent + "/input";
    const std::string folder = base + "/input" + std::to_string(input);
    const std::string node = "event" + std::to_string(event);
    fs::create_directories(folder + "/" + node);
    std::ofstream(folder + "/properties") << properties << "\n";
    fs::create_symlink(folder + "/" + node, top + "/class/input/" + node);
    fs::create_symlink(folder, folder + "/" + node + "/device");
    if (!parent.empty()) fs::create_symlink(parent, folder + "/device");
  }
  void Bind(const std::string& driver) {
    fs::create_symlink(top + "/bus/hid/drivers/" + driver, hid + "/driver");
  }

  std::string top;
  std::string hid;
  SystemRoots roots;
};

TEST(SiblingNodesTest, MotionAndTouchpadBesideADualShock4) {
  FakeSysfs sysfs;
  sysfs.AddInput(sysfs.hid, 7, 5, "0");
  sysfs.AddInput(sysfs.hid, 8, 6, "40");  // INPUT_PROP_ACCELEROMETER
  sysfs.AddInput(sysfs.hid, 9, 7, "5");   // INPUT_PROP_POINTER, INPUT_PROP_BUTTONPAD
  sysfs.Bind("sony");
  const SiblingNodes found = FindSiblingNodes(sysfs.roots, "event5");
  EXPECT_EQ(found.motion, "event6");
  EXPECT_EQ(found.touchpad, "event7");
  EXPECT_EQ(found.driver, "sony");
  // From the motion node, the pad's own node is neither.
  EXPECT_EQ(FindSiblingNodes(sysfs.roots, "event6").motion, "");
}

TEST(SiblingNodesTest, NoneForAPadWithoutAParentOrSiblings) {
  FakeSysfs sysfs;
  // Made through uinput: other virtual devices are not its siblings.
  sysfs.AddInput("", 3, 3, "0");
  sysfs.AddInput("", 4, 4, "40");
  const SiblingNodes uinput = FindSiblingNodes(sysfs.roots, "event3");
  EXPECT_EQ(uinput.motion, "");
  EXPECT_EQ(uinput.driver, "");
  // A pad alone under its HID device, and names that are not event nodes.
  sysfs.AddInput(sysfs.hid, 7, 5, "0");
  EXPECT_EQ(FindSiblingNodes(sysfs.roots, "event5").motion, "");
  EXPECT_EQ(FindSiblingNodes(sysfs.roots, "../event5").motion, "");
  EXPECT_EQ(FindSiblingNodes(sysfs.roots, "").driver, "");
}

}  // namespace
