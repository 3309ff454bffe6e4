#include "tests/e2e/feeder/usb_pad.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/usb/functionfs.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/e2e/feeder/feeder_log.h"

namespace {

// Where the guest made the gadget: its FunctionFS mount and its UDC file.
constexpr char kFunctionFs[] = "/dev/ffs-x360";
constexpr char kGadgetUdc[] = "/sys/kernel/config/usb_gadget/x360/UDC";

// A FunctionFS endpoint file cannot be polled: a thread blocked in a read or
// write is woken by this signal, whose handler does nothing (and without
// SA_RESTART, the call returns EINTR).
void Wake(int) {}

void InstallWakeSignal() {
  struct sigaction action {};
  action.sa_handler = Wake;
  sigemptyset(&action.sa_mask);
  sigaction(SIGUSR1, &action, nullptr);
}

// Joins thread, waking it until it has left its blocking call.
void Join(std::thread& thread, const std::atomic<bool>& done) {
  if (!thread.joinable()) return;
  while (!done) {
    pthread_kill(thread.native_handle(), SIGUSR1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  thread.join();
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  return write(fd, data, size) == static_cast<ssize_t>(size);
}

bool WriteFile(const char* path, const std::string& text) {
  const int fd = open(path, O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, text.data(), text.size());
  close(fd);
  return ok;
}

// The first USB device controller: dummy_hcd's.
std::string FirstUdc() {
  std::string name;
  if (DIR* dir = opendir("/sys/class/udc")) {
    while (const dirent* entry = readdir(dir)) {
      if (entry->d_name[0] != '.' && name.empty()) name = entry->d_name;
    }
    closedir(dir);
  }
  return name;
}

}  // namespace

std::unique_ptr<UsbPad> UsbPad::Create(const std::string& name, std::string* error) {
  InstallWakeSignal();
  std::unique_ptr<UsbPad> pad(new UsbPad(name));
  const std::string dir = kFunctionFs;
  pad->ep0 = open((dir + "/ep0").c_str(), O_RDWR | O_CLOEXEC);
  if (pad->ep0 < 0) {
    *error = "open " + dir + "/ep0: " + std::strerror(errno) + " (did the guest make the gadget?)";
    return nullptr;
  }
  const std::vector<std::uint8_t> descriptors = x360::FunctionFsDescriptors();
  const std::vector<std::uint8_t> strings = x360::FunctionFsStrings();
  if (!WriteAll(pad->ep0, descriptors.data(), descriptors.size()) ||
      !WriteAll(pad->ep0, strings.data(), strings.size())) {
    *error = std::string("FunctionFS refused the descriptors: ") + std::strerror(errno);
    return nullptr;
  }
  // With both blobs taken, ep1 (IN) and ep2 (OUT) appear, in the order of
  // the descriptors.
  pad->in = open((dir + "/ep1").c_str(), O_RDWR | O_CLOEXEC);
  pad->out = open((dir + "/ep2").c_str(), O_RDWR | O_CLOEXEC);
  if (pad->in < 0 || pad->out < 0) {
    *error = "open the endpoints: " + std::string(std::strerror(errno));
    return nullptr;
  }
  pad->control = std::thread([raw = pad.get()] { raw->ServeControl(); });
  pad->writer = std::thread([raw = pad.get()] { raw->WriteReports(); });
  pad->reader = std::thread([raw = pad.get()] { raw->ReadOutput(); });
  const std::string udc = FirstUdc();
  if (udc.empty() || !WriteFile(kGadgetUdc, udc + "\n")) {
    *error = "cannot bind the gadget to a UDC (" +
             (udc.empty() ? "none; is dummy_hcd loaded?" : udc) + ")";
    return nullptr;
  }
  // xpad's probe ends with its LED command, just before it registers the
  // input device: the pad is there once that arrived.
  std::unique_lock<std::mutex> lock(pad->mutex);
  if (!pad->changed.wait_for(lock, std::chrono::seconds(60), [&] { return pad->ledSeen; })) {
    *error = "bound to " + udc + ", but xpad sent no LED command within 60 s";
    lock.unlock();
    return nullptr;
  }
  return pad;
}

UsbPad::~UsbPad() {
  // Unbinding disconnects the pad and ends the transfers waiting on it.
  if (!WriteFile(kGadgetUdc, "\n")) Log("unbind failed");
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
  }
  changed.notify_all();
  Join(writer, writerDone);
  Join(reader, readerDone);
  Join(control, controlDone);
  for (int fd : {in, out, ep0}) {
    if (fd >= 0) close(fd);
  }
}

bool UsbPad::Key(int code, bool down) {
  std::lock_guard<std::mutex> lock(mutex);
  return x360::ApplyKey(&state, code, down);
}

bool UsbPad::Abs(int code, int value) {
  std::lock_guard<std::mutex> lock(mutex);
  return x360::ApplyAbs(&state, code, value);
}

void UsbPad::Send() {
  std::lock_guard<std::mutex> lock(mutex);
  queue.push_back(x360::InputReport(state));
  changed.notify_all();
}

void UsbPad::Log(const std::string& text) const { FeederLog(name, text); }

// ep0 carries FunctionFS's events. The USB core answers the standard
// requests itself; a request for the interface would come here: it is
// logged and stalled, as the pad does not answer any.
void UsbPad::ServeControl() {
  while (!stopping) {
    pollfd p{ep0, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    usb_functionfs_event events[4];
    const ssize_t n = read(ep0, events, sizeof events);
    for (ssize_t i = 0; n > 0 && i < n / static_cast<ssize_t>(sizeof events[0]); ++i) {
      if (events[i].type != FUNCTIONFS_SETUP) continue;
      const usb_ctrlrequest& request = events[i].u.setup;
      Log("control request " + std::to_string(request.bRequestType) + "/" +
          std::to_string(request.bRequest) + ": stalled");
      // Against the data stage's direction, a read or write stalls.
      if ((request.bRequestType & USB_DIR_IN) != 0) {
        if (read(ep0, nullptr, 0) < 0) continue;
      } else if (write(ep0, nullptr, 0) < 0) {
        continue;
      }
    }
  }
  controlDone = true;
}

void UsbPad::WriteReports() {
  while (!stopping) {
    std::array<std::uint8_t, x360::kReportSize> report;
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [this] { return stopping || !queue.empty(); });
      if (stopping) break;
      report = queue.front();
    }
    // Blocks until the host has taken it: xpad polls while its input device
    // is open.
    if (WriteAll(in, report.data(), report.size())) {
      std::lock_guard<std::mutex> lock(mutex);
      queue.pop_front();
    } else if (!stopping) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  writerDone = true;
}

void UsbPad::ReadOutput() {
  while (!stopping) {
    std::uint8_t packet[64];
    const ssize_t n = read(out, packet, sizeof packet);
    if (n < 0) {
      if (!stopping) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      continue;
    }
    const auto size = static_cast<std::size_t>(n);
    Log(x360::DescribeOutput(packet, size));
    if (x360::IsLedCommand(packet, size)) {
      std::lock_guard<std::mutex> lock(mutex);
      ledSeen = true;
      changed.notify_all();
    }
  }
  readerDone = true;
}
