// How many terminal columns a character takes.
//
// East Asian Wide and Fullwidth characters take two columns, combining marks
// and other zero-width characters none, everything else one. The table is
// utf8proc's. Control characters count one column: the drawing never prints
// them raw but as a blank or U+FFFD.
#ifndef VANTRI_TEXT_CHAR_WIDTH_H_
#define VANTRI_TEXT_CHAR_WIDTH_H_

#include <array>
#include <cstdint>

namespace vantri {

/// `char_width` of every character of the Basic Multilingual Plane, read
/// from utf8proc once when the program starts: every character of a
/// drawing is measured when the ANSI pass colours long rows of box drawing.
extern const std::array<std::uint8_t, 0x10000> kBmpCharWidths;

/// `char_width` from utf8proc itself.
int char_width_from_table(char32_t c);

/// 0, 1 or 2 columns.
inline int char_width(char32_t c) {
  if (c < 0x300) return 1;
  if (c < 0x10000) return kBmpCharWidths[c];
  return char_width_from_table(c);
}

}  // namespace vantri

#endif  // VANTRI_TEXT_CHAR_WIDTH_H_
