// The bytes of a DualSense on USB (054c:0ce6) as the kernel's
// hid-playstation driver reads them: its report descriptor, its input
// report 0x01, the feature reports the driver asks for while it probes
// (pairing information, firmware, calibration), and the output report 0x02
// that carries the motors, the light bar and the player lights. Pure
// functions, checked byte by byte on the host.
//
// Offsets are those of the USB reports, with the report id at byte 0.
#ifndef PADWATCH_TESTS_E2E_DUALSENSE_REPORTS_H_
#define PADWATCH_TESTS_E2E_DUALSENSE_REPORTS_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/feeder/pad_state.h"

namespace dualsense {

constexpr int kInputSize = 64;
constexpr int kOutputSize = 63;
// Feature reports as hid-playstation asks for them, report id included:
// each answer must have exactly this size.
constexpr int kCalibrationSize = 41;  // 0x05
constexpr int kPairingSize = 20;      // 0x09: the address
constexpr int kFirmwareSize = 64;     // 0x20

std::vector<std::uint8_t> ReportDescriptor();

// Report 0x01. Byte 53 holds the battery: bits 0-3 the level, bits 4-7
// 0 discharging, 1 charging, 2 full.
std::array<std::uint8_t, kInputSize> InputReport(const PadState& state);

// The answer to GET_REPORT for feature report id, or empty for one the pad
// does not have. mac is the pad's address, most significant byte first.
std::vector<std::uint8_t> FeatureReport(std::uint8_t id, const std::array<std::uint8_t, 6>& mac);

// "output 0x02 flags 0x03,0x00 strong 255 weak 0 led 0,0,128 players 0x04":
// the feeder's log line for an output report.
std::string DescribeOutput(const std::uint8_t* data, int size);

}  // namespace dualsense

#endif  // PADWATCH_TESTS_E2E_DUALSENSE_REPORTS_H_
