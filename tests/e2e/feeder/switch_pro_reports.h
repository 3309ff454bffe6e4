// The bytes of a Switch Pro Controller on USB (057e:2009) as the kernel's
// hid-nintendo driver speaks with it. Unlike the Sony pads, the probe is a
// conversation over output and input reports: USB commands (output 0x80,
// answered by input 0x81) and subcommands (output 0x01, answered by input
// 0x21: device information, reads of the pad's SPI flash for the sticks'
// and motion sensors' calibration, report mode, rumble, lights). Then the
// pad sends its full input report 0x30. Pure functions, checked on the host.
#ifndef PADWATCH_TESTS_E2E_SWITCH_PRO_REPORTS_H_
#define PADWATCH_TESTS_E2E_SWITCH_PRO_REPORTS_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/feeder/pad_state.h"

namespace switch_pro {

constexpr int kInputSize = 64;

std::vector<std::uint8_t> ReportDescriptor();

// Input report 0x30. Byte 2 holds the battery: bits 5-7 the level (0 empty
// to 4 full, from the state's tenths), bit 4 charging, bit 0 powered by the
// cable.
std::array<std::uint8_t, kInputSize> InputReport(const PadState& state);

// The input reports that answer an output report, in order: none for one
// that asks for no answer (rumble, the last USB command).
std::vector<std::array<std::uint8_t, kInputSize>> Replies(const std::uint8_t* data, int size,
                                                          const PadState& state);

// The pad's SPI flash at address: the user calibration left unset, and
// factory calibration that puts the sticks' centre at 2048 with 1500 either
// way, and the motion sensors at the driver's defaults.
std::vector<std::uint8_t> SpiFlash(std::uint32_t address, int size);

// "usb command 0x02", "subcommand 0x10 spi read 0x00006020 24",
// "rumble 00 c9 40 72 00 01 40 40": the feeder's log line for an output
// report.
std::string DescribeOutput(const std::uint8_t* data, int size);

}  // namespace switch_pro

#endif  // PADWATCH_TESTS_E2E_SWITCH_PRO_REPORTS_H_
