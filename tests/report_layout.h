// Test helper: walks a HID report descriptor's items the way the kernel's
// parser counts them, so that a test can check each report's declared size
// against the bytes a pad sends.
#ifndef PADWATCH_TESTS_REPORT_LAYOUT_H_
#define PADWATCH_TESTS_REPORT_LAYOUT_H_

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

// The bits of each report a descriptor declares, keyed by (main item tag,
// report id): 0x8 input, 0x9 output, 0xb feature; and the bit where input
// report 1's first Button usage starts.
struct Layout {
  std::map<std::pair<int, int>, int> bits;
  int firstButtonBit = -1;
  bool wellFormed = true;
};

inline Layout Walk(const std::vector<std::uint8_t>& d) {
  Layout layout;
  int usagePage = 0, reportId = 0, reportSize = 0, reportCount = 0, depth = 0;
  bool buttonUsage = false;
  for (std::size_t i = 0; i < d.size();) {
    const int prefix = d[i];
    const int size = (prefix & 3) == 3 ? 4 : (prefix & 3);
    if (i + 1 + size > d.size()) {
      layout.wellFormed = false;
      break;
    }
    long value = 0;
    for (int b = 0; b < size; ++b) value |= static_cast<long>(d[i + 1 + b]) << (8 * b);
    const int tag = prefix >> 4, type = (prefix >> 2) & 3;
    if (type == 1) {  // global items
      if (tag == 0x0) usagePage = static_cast<int>(value);
      if (tag == 0x7) reportSize = static_cast<int>(value);
      if (tag == 0x8) reportId = static_cast<int>(value);
      if (tag == 0x9) reportCount = static_cast<int>(value);
    } else if (type == 2 && (tag == 0x0 || tag == 0x1)) {  // a usage or usage minimum
      buttonUsage = usagePage == 0x09;
    } else if (type == 0) {  // main items
      if (tag == 0xa) ++depth;
      if (tag == 0xc) --depth;
      if (tag == 0x8 || tag == 0x9 || tag == 0xb) {
        int& bits = layout.bits[{tag, reportId}];
        if (tag == 0x8 && reportId == 1 && buttonUsage && layout.firstButtonBit < 0) {
          layout.firstButtonBit = bits;
        }
        bits += reportSize * reportCount;
      }
      buttonUsage = false;
    }
    i += 1 + static_cast<std::size_t>(size);
  }
  layout.wellFormed = layout.wellFormed && depth == 0;
  return layout;
}

#endif  // PADWATCH_TESTS_REPORT_LAYOUT_H_
