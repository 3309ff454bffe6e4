#include "tests/e2e/feeder/uhid_pad.h"

#include <fcntl.h>
#include <linux/uhid.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "tests/e2e/feeder/feeder_log.h"

namespace {

// The pad's Bluetooth address, as its feature reports give it.
constexpr std::array<std::uint8_t, 6> kMac = {0x00, 0x1f, 0xe2, 0x12, 0x34, 0x56};

bool Write(int fd, const uhid_event& event) {
  return write(fd, &event, sizeof event) == static_cast<ssize_t>(sizeof event);
}

long long MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

std::string Hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", value & 0xffu);
  return text;
}

}  // namespace

std::unique_ptr<UhidPad> UhidPad::Create(const UhidModel& model, const std::string& name,
                                         std::string* error) {
  const int fd = open("/dev/uhid", O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    *error = std::string("open /dev/uhid: ") + std::strerror(errno);
    return nullptr;
  }
  uhid_event event{};
  event.type = UHID_CREATE2;
  uhid_create2_req& create = event.u.create2;
  std::snprintf(reinterpret_cast<char*>(create.name), sizeof create.name, "%s", model.name);
  std::snprintf(reinterpret_cast<char*>(create.phys), sizeof create.phys, "padwatch-uhid/%s",
                name.c_str());
  const std::vector<std::uint8_t> descriptor = model.descriptor();
  create.rd_size = static_cast<__u16>(descriptor.size());
  std::memcpy(create.rd_data, descriptor.data(), descriptor.size());
  create.bus = BUS_USB;
  create.vendor = model.vendor;
  create.product = model.product;
  create.version = model.version;
  std::unique_ptr<UhidPad> pad(new UhidPad(model, name, fd));
  // The driver's requests while it probes wait for answers (five seconds
  // each, then the probe fails): the thread must run first.
  pad->thread = std::thread([raw = pad.get()] { raw->Serve(); });
  if (!Write(fd, event)) {
    *error = std::string("UHID_CREATE2: ") + std::strerror(errno);
    return nullptr;
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!pad->started && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!pad->started) {
    *error = "no driver started " + name + " within 10 s";
    return nullptr;
  }
  return pad;
}

UhidPad::~UhidPad() {
  stopping = true;
  if (thread.joinable()) thread.join();
  uhid_event event{};
  event.type = UHID_DESTROY;
  if (!Write(fd, event)) Log(std::string("UHID_DESTROY: ") + std::strerror(errno));
  close(fd);
}

bool UhidPad::Key(int code, bool down) {
  std::lock_guard<std::mutex> lock(mutex);
  return pad_state::ApplyKey(&state, code, down);
}

bool UhidPad::Abs(int code, int value) {
  std::lock_guard<std::mutex> lock(mutex);
  return pad_state::ApplyAbs(&state, code, value);
}

void UhidPad::Battery(int level, bool cable) {
  std::lock_guard<std::mutex> lock(mutex);
  state.batteryLevel = level;
  state.cable = cable;
}

void UhidPad::Motion(const std::int16_t gyro[3], const std::int16_t accel[3]) {
  std::lock_guard<std::mutex> lock(mutex);
  for (int i = 0; i < 3; ++i) {
    state.gyro[i] = gyro[i];
    state.accel[i] = accel[i];
  }
}

void UhidPad::Touch(const std::vector<PadState::Finger>& fingers) {
  std::lock_guard<std::mutex> lock(mutex);
  for (std::size_t i = 0; i < 2; ++i) {
    state.fingers[i] = i < fingers.size() ? fingers[i] : PadState::Finger();
  }
}

void UhidPad::Log(const std::string& text) const { FeederLog(name, text); }

UhidPad::UhidPad(const UhidModel& model, std::string name, int fd)
    : model(model), name(std::move(name)), fd(fd), createdNs(MonotonicNs()) {}

void UhidPad::Stream(int hz, int count, int jitterUs, const std::string& stopFile) {
  const long long period = 1000000000LL / hz;
  const long long start = MonotonicNs() + period;
  const auto baseUs = static_cast<std::uint64_t>((start - period - createdNs) / 1000);
  streaming = true;
  std::vector<long long> late;
  late.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    // Often enough to stop within a few reports; not so often that looking
    // slows the stream.
    if (!stopFile.empty() && i % 25 == 0 && access(stopFile.c_str(), F_OK) == 0) break;
    // Absolute deadlines: one late wake-up does not shift the rest.
    const long long offset = i * period + (i % 2 == 1 ? jitterUs * 1000LL : 0);
    const long long deadline = start + offset;
    const timespec at{static_cast<time_t>(deadline / 1000000000LL),
                      static_cast<long>(deadline % 1000000000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
    late.push_back(MonotonicNs() - deadline);
    std::lock_guard<std::mutex> lock(mutex);
    state.sensorUs = baseUs + static_cast<std::uint64_t>((period + offset) / 1000);
    // Turning slowly about x, with a little noise on every word.
    state.gyro[0] = static_cast<std::int16_t>(200 + (i % 2 == 0 ? 3 : -3));
    state.gyro[1] = static_cast<std::int16_t>(i % 3 - 1);
    state.gyro[2] = static_cast<std::int16_t>(i % 2 == 0 ? 2 : -2);
    state.accel[0] = static_cast<std::int16_t>(i % 2 == 0 ? 40 : -40);
    state.leftX = static_cast<std::uint8_t>(28 + i % 200);  // a new value every report
    Send(model.input(state));
    ++state.counter;
  }
  streaming = false;
  if (late.empty()) return;
  std::sort(late.begin(), late.end());
  auto at = [&late](double q) {
    return std::to_string(late[static_cast<std::size_t>(q * (late.size() - 1))] / 1000);
  };
  Log("stream " + std::to_string(hz) + " Hz, " + std::to_string(late.size()) + " reports, jitter " +
      std::to_string(jitterUs) + " us; wake-ups late p50 " + at(0.5) + " us, p99 " + at(0.99) +
      " us, max " + std::to_string(late.back() / 1000) + " us; " +
      std::to_string(late.end() - std::upper_bound(late.begin(), late.end(), period)) +
      " over one period late");
}

void UhidPad::Send() {
  if (!started) return;
  std::lock_guard<std::mutex> lock(mutex);
  state.sensorUs = static_cast<std::uint64_t>((MonotonicNs() - createdNs) / 1000);
  Send(model.input(state));
  ++state.counter;
}

// Called with the lock held: reports leave in the order they were made.
void UhidPad::Send(const std::array<std::uint8_t, 64>& report) {
  uhid_event event{};
  event.type = UHID_INPUT2;
  event.u.input2.size = static_cast<__u16>(report.size());
  std::memcpy(event.u.input2.data, report.data(), report.size());
  if (!Write(fd, event)) Log(std::string("input: ") + std::strerror(errno));
}

void UhidPad::Answer(const uhid_get_report_req& request) {
  uhid_event reply{};
  reply.type = UHID_GET_REPORT_REPLY;
  reply.u.get_report_reply.id = request.id;
  std::vector<std::uint8_t> data;
  if (request.rtype == UHID_FEATURE_REPORT) data = model.feature(request.rnum, kMac);
  if (data.empty()) {
    reply.u.get_report_reply.err = EIO;
    Log("get_report " + Hex(request.rnum) + " type " + std::to_string(request.rtype) + ": refused");
  } else {
    reply.u.get_report_reply.size = static_cast<__u16>(data.size());
    std::memcpy(reply.u.get_report_reply.data, data.data(), data.size());
    Log("get_report " + Hex(request.rnum) + ": " + std::to_string(data.size()) + " bytes");
  }
  if (!Write(fd, reply)) Log(std::string("GET_REPORT_REPLY: ") + std::strerror(errno));
}

void UhidPad::Serve() {
  auto next = std::chrono::steady_clock::now();
  while (!stopping) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 5) > 0) {
      uhid_event event{};
      if (read(fd, &event, sizeof event) <= 0) continue;
      switch (event.type) {
        case UHID_START:
          Log("started");
          started = true;
          break;
        case UHID_STOP:
          Log("stopped");
          break;
        case UHID_OPEN:
        case UHID_CLOSE:
          break;
        case UHID_OUTPUT:
          Log(model.describeOutput(event.u.output.data, event.u.output.size));
          if (model.replies != nullptr) {
            std::lock_guard<std::mutex> lock(mutex);
            for (const auto& reply :
                 model.replies(event.u.output.data, event.u.output.size, state)) {
              Send(reply);
            }
          }
          break;
        case UHID_GET_REPORT:
          Answer(event.u.get_report);
          break;
        case UHID_SET_REPORT: {
          Log("set_report " + Hex(event.u.set_report.rnum) + ": " +
              std::to_string(event.u.set_report.size) + " bytes");
          uhid_event reply{};
          reply.type = UHID_SET_REPORT_REPLY;
          reply.u.set_report_reply.id = event.u.set_report.id;
          if (!Write(fd, reply)) Log(std::string("SET_REPORT_REPLY: ") + std::strerror(errno));
          break;
        }
        default:
          Log("uhid event " + std::to_string(event.type));
          break;
      }
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= next) {
      if (!streaming) Send();
      next = now + std::chrono::milliseconds(20);
    }
  }
}
