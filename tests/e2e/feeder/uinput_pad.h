// A pad made through /dev/uinput: an input device exactly as a pad's driver
// presents it (its name, ids, keys and axes with their ranges), with no
// driver behind it. A pad that declares rumble (FF_RUMBLE), as xpad and
// hid-sony do, has a thread that serves the effects the kernel uploads and
// logs each, and each play and stop, to standard error ("NAME: ff upload
// id 0 rumble strong 65535 weak 0 length 65535", "NAME: ff play id 0
// count 1").
#ifndef PADWATCH_TESTS_E2E_FEEDER_UINPUT_PAD_H_
#define PADWATCH_TESTS_E2E_FEEDER_UINPUT_PAD_H_

#include <memory>
#include <string>
#include <vector>

struct UinputAxis {
  int code;
  int minimum, maximum;
  int fuzz, flat;
  int rest;
};

// The input device one model of pad makes.
struct UinputModel {
  const char* deviceName;
  int vendor, product, version;
  std::vector<int> keys;
  std::vector<UinputAxis> axes;
  bool rumble = false;  // declares FF_RUMBLE, as the pad's driver does
};

class RumbleServer;

class UinputPad {
 public:
  // Creates the device. Null, with the reason in *error, when it cannot.
  static std::unique_ptr<UinputPad> Create(const UinputModel& model, const std::string& name,
                                           std::string* error);
  // Destroys the device: readers see it unplugged.
  ~UinputPad();
  UinputPad(const UinputPad&) = delete;
  UinputPad& operator=(const UinputPad&) = delete;

  // An evdev key or axis; false for one the pad does not have. Changes reach
  // readers together, at the next Send.
  bool Key(int code, bool down);
  bool Abs(int code, int value);
  void Send();

  // Stops answering the kernel's force feedback requests, as a hung program
  // behind a pad would.
  void Mute();
  // Grabs the pad's event node, as a remapper does, until the pad is removed.
  bool Grab(std::string* error);
  // COUNT reports, one every MS on a steady clock, each moving axis `code`
  // a little: a stick held moving.
  void Sweep(int code, int ms, int count);

 private:
  UinputPad(const UinputModel& model, int fd);
  bool Has(int code) const;

  const UinputModel& model;
  const int fd;
  int grabbed = -1;
  std::unique_ptr<RumbleServer> rumble;
};

#endif  // PADWATCH_TESTS_E2E_FEEDER_UINPUT_PAD_H_
