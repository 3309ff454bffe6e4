// The motion and touchpad nodes of Linux's input drivers, read with the
// ioctls that give an event node's current state: nothing waits, and no
// event is taken from another reader.
#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "check/probe/pad_sensors.h"

namespace {

// The most touch slots read: the Sony pads have two.
constexpr int kMaxTouchSlots = 10;

class Node {
 public:
  explicit Node(const std::string& path)
      : fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
  ~Node() {
    if (fd >= 0) close(fd);
  }
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  bool IsOpen() const { return fd >= 0; }
  bool Abs(int code, input_absinfo* info) const { return ioctl(fd, EVIOCGABS(code), info) == 0; }
  // The value of an ABS_MT_ code in each of the first `slots` touch slots.
  bool Slots(int code, int slots, int* values) const {
    struct {
      __u32 code;
      __s32 values[kMaxTouchSlots];
    } request{};
    request.code = static_cast<__u32>(code);
    if (ioctl(fd, EVIOCGMTSLOTS(sizeof(request)), &request) != 0) return false;
    for (int i = 0; i < slots; ++i) values[i] = request.values[i];
    return true;
  }
  bool KeyDown(int code) const {
    unsigned char keys[KEY_MAX / 8 + 1] = {};
    if (ioctl(fd, EVIOCGKEY(sizeof(keys)), keys) < 0) return false;
    return (keys[code / 8] >> (code % 8)) & 1;
  }

 private:
  int fd;
};

std::string CannotRead(const std::string& what, const std::string& path) {
  return "its " + what + " " + path + " cannot be read (" + std::strerror(errno) + ")";
}

void ReadMotion(const std::string& path, PadSensors* sensors) {
  const Node node(path);
  if (!node.IsOpen()) {
    sensors->motionMissing = CannotRead("motion node", path);
    return;
  }
  static const int kCodes[6] = {ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ};
  std::array<int, 6> values{}, resolutions{};
  for (int i = 0; i < 6; ++i) {
    input_absinfo info{};
    if (!node.Abs(kCodes[i], &info)) {
      sensors->motionMissing = "its motion node " + path + " lacks an axis of the six";
      return;
    }
    values[i] = info.value;
    resolutions[i] = info.resolution;
  }
  if (!MotionFromAxes(values, resolutions, &sensors->motion)) {
    sensors->motionMissing = "its motion node " + path + " gives no units";
    return;
  }
  sensors->motionKnown = true;
  sensors->motionSource = "kernel motion node " + path;
}

void ReadTouch(const std::string& path, PadSensors* sensors) {
  const Node node(path);
  if (!node.IsOpen()) {
    sensors->touchMissing = CannotRead("touchpad node", path);
    return;
  }
  input_absinfo x{}, y{}, slot{};
  if (!node.Abs(ABS_MT_POSITION_X, &x) || !node.Abs(ABS_MT_POSITION_Y, &y) ||
      !node.Abs(ABS_MT_SLOT, &slot)) {
    sensors->touchMissing = "its touchpad node " + path + " has no touch slots";
    return;
  }
  const int slots = std::min(kMaxTouchSlots, std::max(0, slot.maximum + 1));
  int ids[kMaxTouchSlots] = {}, xs[kMaxTouchSlots] = {}, ys[kMaxTouchSlots] = {};
  if (!node.Slots(ABS_MT_TRACKING_ID, slots, ids) || !node.Slots(ABS_MT_POSITION_X, slots, xs) ||
      !node.Slots(ABS_MT_POSITION_Y, slots, ys)) {
    sensors->touchMissing = CannotRead("touchpad node", path);
    return;
  }
  TouchValues& touch = sensors->touch;
  touch.width = x.maximum - x.minimum;
  touch.height = y.maximum - y.minimum;
  touch.click = node.KeyDown(BTN_LEFT);
  // A slot without a finger has the tracking id -1.
  for (int i = 0; i < slots; ++i) {
    if (ids[i] >= 0) touch.fingers.push_back({xs[i] - x.minimum, ys[i] - y.minimum});
  }
  sensors->touchKnown = true;
  sensors->touchSource = "kernel touchpad node " + path;
}

}  // namespace

PadSensors ReadPadMotion(const DeviceIdentity& identity) {
  PadSensors sensors;
  if (identity.eventNode.empty()) {
    // SDL's HIDAPI drivers read the pad's reports themselves, and the
    // kernel's driver is not between (or its nodes are not the ones SDL
    // reads); a virtual pad has no sensors at all.
    sensors.motionMissing = identity.hidrawNode.empty()
                                ? "SDL does not read this pad through a kernel event node"
                                : "SDL's own HIDAPI driver reads this pad, and its sensors are "
                                  "not read through SDL here";
  } else if (identity.motionNode.empty()) {
    sensors.motionMissing = "its kernel driver made no motion node";
  } else {
    ReadMotion(identity.motionNode, &sensors);
  }
  return sensors;
}

PadSensors ReadPadSensors(const DeviceIdentity& identity) {
  PadSensors sensors = ReadPadMotion(identity);
  if (identity.eventNode.empty()) {
    sensors.touchMissing = sensors.motionMissing;
  } else if (identity.touchNode.empty()) {
    sensors.touchMissing = "its kernel driver made no touchpad node";
  } else {
    ReadTouch(identity.touchNode, &sensors);
  }
  return sensors;
}
