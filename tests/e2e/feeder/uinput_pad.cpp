#include "tests/e2e/feeder/uinput_pad.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "tests/e2e/feeder/feeder_log.h"

// Serves a uinput pad's force feedback until destroyed: an upload or erase
// waits in the kernel (and in the program that asked) until it is answered.
class RumbleServer {
 public:
  RumbleServer(std::string name, int fd) : name(std::move(name)), fd(fd) {
    thread = std::thread([this] { Serve(); });
  }
  ~RumbleServer() {
    stopping = true;
    thread.join();
  }

 private:
  void Log(const std::string& text) const { FeederLog(name, text); }

  void Serve() {
    while (!stopping) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      input_event event{};
      while (read(fd, &event, sizeof event) == static_cast<ssize_t>(sizeof event)) {
        if (event.type == EV_UINPUT && event.code == UI_FF_UPLOAD) {
          uinput_ff_upload upload{};
          upload.request_id = static_cast<__u32>(event.value);
          if (ioctl(fd, UI_BEGIN_FF_UPLOAD, &upload) != 0) continue;
          const ff_effect& effect = upload.effect;
          std::string text = "ff upload id " + std::to_string(effect.id);
          if (effect.type == FF_RUMBLE) {
            text += " rumble strong " + std::to_string(effect.u.rumble.strong_magnitude) +
                    " weak " + std::to_string(effect.u.rumble.weak_magnitude);
          } else {
            text += " type " + std::to_string(effect.type);
          }
          Log(text + " length " + std::to_string(effect.replay.length));
          upload.retval = effect.type == FF_RUMBLE ? 0 : -EINVAL;
          ioctl(fd, UI_END_FF_UPLOAD, &upload);
        } else if (event.type == EV_UINPUT && event.code == UI_FF_ERASE) {
          uinput_ff_erase erase{};
          erase.request_id = static_cast<__u32>(event.value);
          if (ioctl(fd, UI_BEGIN_FF_ERASE, &erase) != 0) continue;
          Log("ff erase id " + std::to_string(erase.effect_id));
          erase.retval = 0;
          ioctl(fd, UI_END_FF_ERASE, &erase);
        } else if (event.type == EV_FF && event.code == FF_GAIN) {
          Log("ff gain " + std::to_string(event.value));
        } else if (event.type == EV_FF) {
          Log("ff play id " + std::to_string(event.code) + " count " + std::to_string(event.value));
        }
      }
    }
  }

  const std::string name;
  const int fd;
  std::atomic<bool> stopping{false};
  std::thread thread;
};

namespace {

bool Emit(int fd, int type, int code, int value) {
  input_event event{};
  event.type = static_cast<__u16>(type);
  event.code = static_cast<__u16>(code);
  event.value = value;
  return write(fd, &event, sizeof event) == static_cast<ssize_t>(sizeof event);
}

// The device's setup, in the order uinput wants it; false (errno set) at the
// first call the kernel refuses.
bool Setup(int fd, const UinputModel& model) {
  if (ioctl(fd, UI_SET_EVBIT, EV_KEY) != 0 || ioctl(fd, UI_SET_EVBIT, EV_ABS) != 0) return false;
  if (model.rumble &&
      (ioctl(fd, UI_SET_EVBIT, EV_FF) != 0 || ioctl(fd, UI_SET_FFBIT, FF_RUMBLE) != 0)) {
    return false;
  }
  for (int key : model.keys) {
    if (ioctl(fd, UI_SET_KEYBIT, key) != 0) return false;
  }
  for (const UinputAxis& axis : model.axes) {
    uinput_abs_setup setup{};
    setup.code = static_cast<__u16>(axis.code);
    setup.absinfo.minimum = axis.minimum;
    setup.absinfo.maximum = axis.maximum;
    setup.absinfo.fuzz = axis.fuzz;
    setup.absinfo.flat = axis.flat;
    setup.absinfo.value = axis.rest;
    if (ioctl(fd, UI_SET_ABSBIT, axis.code) != 0 || ioctl(fd, UI_ABS_SETUP, &setup) != 0) {
      return false;
    }
  }
  uinput_setup setup{};
  setup.id.bustype = BUS_USB;
  setup.id.vendor = static_cast<__u16>(model.vendor);
  setup.id.product = static_cast<__u16>(model.product);
  setup.id.version = static_cast<__u16>(model.version);
  std::snprintf(setup.name, sizeof(setup.name), "%s", model.deviceName);
  // As many effects as xpad's and hid-sony's memless force feedback keep.
  setup.ff_effects_max = model.rumble ? 16 : 0;
  return ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ioctl(fd, UI_DEV_CREATE) == 0;
}

}  // namespace

std::unique_ptr<UinputPad> UinputPad::Create(const UinputModel& model, const std::string& name,
                                             std::string* error) {
  // Read and write: the kernel hands force feedback requests back on it.
  const int fd = open("/dev/uinput", O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = std::string("open /dev/uinput: ") + std::strerror(errno);
    return nullptr;
  }
  if (!Setup(fd, model)) {
    *error = std::string("uinput refused the device: ") + std::strerror(errno);
    close(fd);
    return nullptr;
  }
  std::unique_ptr<UinputPad> pad(new UinputPad(model, fd));
  if (model.rumble) pad->rumble = std::make_unique<RumbleServer>(name, fd);
  return pad;
}

UinputPad::UinputPad(const UinputModel& model, int fd) : model(model), fd(fd) {}

UinputPad::~UinputPad() {
  rumble.reset();
  if (grabbed >= 0) close(grabbed);
  ioctl(fd, UI_DEV_DESTROY);
  close(fd);
}

bool UinputPad::Has(int code) const {
  return std::find(model.keys.begin(), model.keys.end(), code) != model.keys.end() ||
         std::any_of(model.axes.begin(), model.axes.end(),
                     [code](const UinputAxis& axis) { return axis.code == code; });
}

bool UinputPad::Key(int code, bool down) { return Has(code) && Emit(fd, EV_KEY, code, down); }

bool UinputPad::Abs(int code, int value) { return Has(code) && Emit(fd, EV_ABS, code, value); }

void UinputPad::Send() { Emit(fd, EV_SYN, SYN_REPORT, 0); }

void UinputPad::Mute() { rumble.reset(); }

bool UinputPad::Grab(std::string* error) {
  char sysname[64] = {};
  if (ioctl(fd, UI_GET_SYSNAME(sizeof sysname), sysname) < 0) {
    *error = std::string("UI_GET_SYSNAME: ") + std::strerror(errno);
    return false;
  }
  const std::string folder = std::string("/sys/devices/virtual/input/") + sysname;
  std::string event;
  if (DIR* dir = opendir(folder.c_str())) {
    while (const dirent* entry = readdir(dir)) {
      if (std::strncmp(entry->d_name, "event", 5) == 0) event = entry->d_name;
    }
    closedir(dir);
  }
  grabbed = event.empty() ? -1 : open(("/dev/input/" + event).c_str(), O_RDONLY | O_CLOEXEC);
  if (grabbed < 0 || ioctl(grabbed, EVIOCGRAB, 1) != 0) {
    *error = "cannot grab the event node in " + folder + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

void UinputPad::Sweep(int code, int ms, int count) {
  // sleep_until keeps the period even when one wake-up is late.
  auto next = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    Emit(fd, EV_ABS, code, 1000 + (i % 2) * 1000);
    Send();
    next += std::chrono::milliseconds(ms);
    std::this_thread::sleep_until(next);
  }
}
