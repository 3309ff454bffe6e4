// The bytes of a wired DualShock 4 (054c:09cc on USB) as the kernel's
// hid-sony driver reads them: its report descriptor, its input report 0x01,
// the feature reports the driver asks for while it probes, and the output
// report 0x05 that carries the motors and the light bar. The feeder plays the
// pad through /dev/uhid with these; pure functions, so that every byte is
// checked on the host before a guest boots.
//
// Offsets are those of the USB reports, with the report id at byte 0.
#ifndef PADWATCH_TESTS_E2E_DS4_REPORTS_H_
#define PADWATCH_TESTS_E2E_DS4_REPORTS_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/feeder/pad_state.h"

namespace ds4 {

constexpr int kInputSize = 64;
constexpr int kOutputSize = 32;
// Feature reports as hid-sony asks for them, report id included.
constexpr int kCalibrationSize = 37;  // 0x02
constexpr int kMacSize = 7;           // 0x81: must be exactly this
constexpr int kSerialSize = 16;       // 0x12
constexpr int kFirmwareSize = 49;     // 0xa3

std::vector<std::uint8_t> ReportDescriptor();

// Report 0x01. Byte 30 holds the battery: bits 0-3 the level, bit 4 the
// cable; hid-sony reads level 11 on the cable as full.
std::array<std::uint8_t, kInputSize> InputReport(const PadState& state);

// The answer to GET_REPORT for feature report id, id byte first, or empty
// for a report the pad does not have. mac is the pad's Bluetooth address,
// most significant byte first.
std::vector<std::uint8_t> FeatureReport(std::uint8_t id, const std::array<std::uint8_t, 6>& mac);

// What an output report 0x05 asks of the pad.
struct Output {
  bool valid = false;       // report 0x05, long enough for the motor bytes
  std::uint8_t flags = 0;   // byte 1: 0x01 motors, 0x02 light bar, 0x04 flash
  std::uint8_t weak = 0;    // byte 4: the right, high-frequency motor
  std::uint8_t strong = 0;  // byte 5: the left, low-frequency motor
  std::uint8_t red = 0, green = 0, blue = 0;
};
Output ParseOutput(const std::uint8_t* data, int size);

// "output 0x05 flags 0x07 strong 255 weak 0 led 0,0,64": the feeder's log
// line for an output report.
std::string Describe(const Output& output);

}  // namespace ds4

#endif  // PADWATCH_TESTS_E2E_DS4_REPORTS_H_
