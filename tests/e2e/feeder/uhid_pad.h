// A pad on USB made through /dev/uhid, so that the kernel's own driver
// binds it (hid-sony the DualShock 4, hid-playstation the DualSense,
// hid-nintendo the Switch Pro Controller) and makes its input devices,
// hidraw node and power supply, as for a pad on a cable. A thread answers
// the driver's requests (the feature reports it asks for while probing, the
// output reports it sends for rumble, lights and commands, each logged to
// standard error as "NAME: ...") and sends an input report every 20 ms, as
// the pad does, its sensor clock running from the pad's creation.
#ifndef PADWATCH_TESTS_E2E_FEEDER_UHID_PAD_H_
#define PADWATCH_TESTS_E2E_FEEDER_UHID_PAD_H_

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/feeder/pad_state.h"

struct uhid_get_report_req;

// The bytes of one model of pad.
struct UhidModel {
  const char* name;  // the USB manufacturer and product, as the kernel names it
  std::uint16_t vendor, product, version;
  std::vector<std::uint8_t> (*descriptor)();
  std::array<std::uint8_t, 64> (*input)(const PadState& state);
  std::vector<std::uint8_t> (*feature)(std::uint8_t id, const std::array<std::uint8_t, 6>& mac);
  std::string (*describeOutput)(const std::uint8_t* data, int size);
  // The input reports that answer an output report, for a pad whose driver
  // talks with it through them; null for one whose driver only asks for
  // feature reports.
  std::vector<std::array<std::uint8_t, 64>> (*replies)(const std::uint8_t* data, int size,
                                                       const PadState& state);
};

class UhidPad {
 public:
  // Creates the pad and waits until the driver has started it (at most
  // 10 s). Null, with the reason in *error, when it cannot.
  static std::unique_ptr<UhidPad> Create(const UhidModel& model, const std::string& name,
                                         std::string* error);
  // Removes the pad: the driver sees it unplugged.
  ~UhidPad();
  UhidPad(const UhidPad&) = delete;
  UhidPad& operator=(const UhidPad&) = delete;

  // evdev keys and axes as the driver reports them (see
  // pad_state::ApplyKey); false for one the pad does not have. Changes
  // leave in one input report at the next Send (or the next report the pad
  // sends by itself).
  bool Key(int code, bool down);
  bool Abs(int code, int value);
  void Send();
  // The battery level (0 to 11) and the cable.
  void Battery(int level, bool cable);
  // The motion sensors' raw words (gyroscope x, y, z, then accelerometer),
  // and the fingers on the touchpad (none, one or two), in the reports
  // from the next on.
  void Motion(const std::int16_t gyro[3], const std::int16_t accel[3]);
  void Touch(const std::vector<PadState::Finger>& fingers);
  // Sends count reports at hz on absolute deadlines (CLOCK_MONOTONIC), every
  // other one jitterUs late, as a pad's own clock wanders: its sensor clock
  // steps by the same intervals, 1/hz plus and minus jitterUs by turns, so
  // that the intervals' standard deviation is jitterUs. Stops early once a
  // file at stopFile exists, where given. Each report moves the left stick
  // and the motion words, so that every node reports. The reports every
  // 20 ms pause meanwhile. Logs how late the wake-ups were.
  void Stream(int hz, int count, int jitterUs, const std::string& stopFile);

 private:
  UhidPad(const UhidModel& model, std::string name, int fd);
  void Serve();
  void Answer(const uhid_get_report_req& request);
  void Send(const std::array<std::uint8_t, 64>& report);
  void Log(const std::string& text) const;

  const UhidModel& model;
  const std::string name;
  const int fd;
  const long long createdNs;  // on CLOCK_MONOTONIC: the sensor clock's zero
  std::atomic<bool> stopping{false};
  std::atomic<bool> started{false};
  std::atomic<bool> streaming{false};
  std::mutex mutex;  // guards state and the order of reports
  PadState state;
  std::thread thread;
};

#endif  // PADWATCH_TESTS_E2E_FEEDER_UHID_PAD_H_
