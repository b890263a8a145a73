// Character widths from utf8proc's Unicode tables.
#include "text/char_width.h"

#include <utf8proc.h>

namespace vantri {

int char_width_from_table(char32_t c) {
  if (c > 0x10FFFF) return 1;  // printed as U+FFFD
  // The controls of the C1 range lie below U+0300 and never get here.
  const int width = utf8proc_charwidth(static_cast<utf8proc_int32_t>(c));
  return width < 0 ? 1 : width > 2 ? 2 : width;
}

}  // namespace vantri
