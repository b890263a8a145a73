// Character widths from utf8proc's Unicode tables.
#include "text/char_width.h"

#include <utf8proc.h>

namespace vantri {

int char_width_from_table(char32_t c) {
  // Controls print as one cell; values past Unicode as U+FFFD.
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c > 0x10FFFF) return 1;
  const int width = utf8proc_charwidth(static_cast<utf8proc_int32_t>(c));
  return width < 0 ? 1 : width > 2 ? 2 : width;
}

// Initialised before main; nothing measures text during static
// initialisation.
const std::array<std::uint8_t, 0x10000> kBmpCharWidths = [] {
  std::array<std::uint8_t, 0x10000> widths{};
  for (char32_t c = 0; c < 0x10000; ++c) {
    widths[c] = static_cast<std::uint8_t>(char_width_from_table(c));
  }
  return widths;
}();

}  // namespace vantri
