// A pad as a real USB device, a wired Xbox 360 pad: the configfs gadget the guest
// made (045e:028e, one FunctionFS function mounted at /dev/ffs-x360) bound
// to dummy_hcd, so that the kernel's own xpad driver probes and drives it.
// The feeder writes the function's descriptors, sends input reports on the
// interrupt IN endpoint, and logs every packet xpad sends on the interrupt
// OUT endpoint (its LED command, the motors) to standard error as
// "NAME: out ...".
#ifndef PADWATCH_TESTS_E2E_FEEDER_USB_PAD_H_
#define PADWATCH_TESTS_E2E_FEEDER_USB_PAD_H_

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "tests/e2e/feeder/x360_reports.h"

class UsbPad {
 public:
  // Binds the gadget and waits until xpad has probed it (its LED command
  // arrived; at most 60 s). Null, with the reason in *error, when it cannot.
  static std::unique_ptr<UsbPad> Create(const std::string& name, std::string* error);
  // Unbinds the gadget: the host sees the pad unplugged, and the function
  // takes new descriptors for the next pad.
  ~UsbPad();
  UsbPad(const UsbPad&) = delete;
  UsbPad& operator=(const UsbPad&) = delete;

  // evdev keys and axes as xpad reports them (see x360::ApplyKey); false for
  // one the pad does not have. Send queues the changes as one report, sent
  // when the host polls for it.
  bool Key(int code, bool down);
  bool Abs(int code, int value);
  void Send();

 private:
  explicit UsbPad(std::string name) : name(std::move(name)) {}
  void ServeControl();
  void WriteReports();
  void ReadOutput();
  void Log(const std::string& text) const;

  const std::string name;
  int ep0 = -1, in = -1, out = -1;
  std::mutex mutex;  // guards what follows
  std::condition_variable changed;
  x360::State state;
  std::deque<std::array<std::uint8_t, x360::kReportSize>> queue;
  bool ledSeen = false;
  std::atomic<bool> stopping{false};
  std::thread control, writer, reader;
  std::atomic<bool> controlDone{false}, writerDone{false}, readerDone{false};
};

#endif  // PADWATCH_TESTS_E2E_FEEDER_USB_PAD_H_
