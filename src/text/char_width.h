// How many terminal columns a character takes.
//
// East Asian Wide and Fullwidth characters take two columns, combining marks
// and other zero-width characters none, everything else one. The table is
// utf8proc's. Control characters count one column: the drawing never prints
// them raw but as a blank or U+FFFD.
#ifndef VANTRI_TEXT_CHAR_WIDTH_H_
#define VANTRI_TEXT_CHAR_WIDTH_H_

namespace vantri {

/// `char_width` of characters from U+0300 on.
int char_width_from_table(char32_t c);

/// 0, 1 or 2 columns. Everything below U+0300 (ASCII, Latin-1, the
/// controls) takes one and is answered inline.
inline int char_width(char32_t c) {
  if (c < 0x300) return 1;
  return char_width_from_table(c);
}

}  // namespace vantri

#endif  // VANTRI_TEXT_CHAR_WIDTH_H_
