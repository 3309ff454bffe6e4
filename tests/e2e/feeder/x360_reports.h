// The USB side of a wired Xbox 360 pad (045e:028e) as the kernel's xpad
// driver reads it: the FunctionFS descriptors of its one vendor interface
// (class 0xff, subclass 0x5d, protocol 0x01, one interrupt IN and one
// interrupt OUT endpoint), its 20-byte input report, and the packets xpad
// sends on the OUT endpoint (the LED, the motors). Pure functions, checked
// byte by byte on the host.
//
// The state is kept as xpad reports it through evdev (BTN_A ..., ABS_Y down
// positive), so that the feeder's scripts play unchanged; the report holds
// what the pad itself sends.
#ifndef PADWATCH_TESTS_E2E_X360_REPORTS_H_
#define PADWATCH_TESTS_E2E_X360_REPORTS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace x360 {

constexpr int kReportSize = 20;     // byte 1 says so: 0x14
constexpr int kMaxPacket = 32;      // both endpoints
constexpr int kInEndpoint = 0x81;   // FunctionFS names them ep1 and ep2
constexpr int kOutEndpoint = 0x02;  // in the order of the descriptors

// FunctionFS's v2 blob: a full-speed and a high-speed set (dummy_hcd runs
// at high speed), each the interface and its two endpoints.
std::vector<std::uint8_t> FunctionFsDescriptors();
// FunctionFS's strings blob: one language (0x0409), the interface's name.
std::vector<std::uint8_t> FunctionFsStrings();

struct State {
  std::uint16_t buttons = 0;  // the word in bytes 2-3, D-pad included
  std::uint8_t leftTrigger = 0, rightTrigger = 0;
  // As evdev shows them: xpad inverts (~) the report's Y axes.
  std::int16_t leftX = 0, leftY = 0, rightX = 0, rightY = 0;
};

// Applies an evdev key (BTN_A, BTN_TL, BTN_MODE ...) or axis (ABS_X ...
// ABS_HAT0Y) the way xpad would report it. False for a code the pad does
// not have, or a value outside the axis's range.
bool ApplyKey(State* state, int code, bool down);
bool ApplyAbs(State* state, int code, int value);

std::array<std::uint8_t, kReportSize> InputReport(const State& state);

// "out 00 08 00 ff 00 00 00 00: rumble strong 255 weak 0", "out 01 03 02:
// led 2": the feeder's log line for a packet xpad sent on the OUT endpoint.
std::string DescribeOutput(const std::uint8_t* data, std::size_t size);
// Whether the packet is the LED command xpad sends last while it probes.
bool IsLedCommand(const std::uint8_t* data, std::size_t size);

}  // namespace x360

#endif  // PADWATCH_TESTS_E2E_X360_REPORTS_H_
