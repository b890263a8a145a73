// How a label splits into lines, and how wide it is.
//
// Node boxes, the drawing scale, trimming, wrapping and the width fitting all
// measure labels the same way: lines end at line feeds, a carriage return
// before a line feed belongs to the line ending, a final line feed opens no
// further line, and widths are counted in terminal columns (`char_width`).
#ifndef VANTRI_TEXT_LABEL_LINES_H_
#define VANTRI_TEXT_LABEL_LINES_H_

#include <cstddef>
#include <string_view>
#include <vector>

namespace vantri {

/// The lines of `label`; the empty label has none.
std::vector<std::string_view> split_label_lines(std::string_view label);

/// Number of lines `split_label_lines` gives, without building them.
std::size_t count_label_lines(std::string_view label);

/// The width of one line of text in terminal columns, the unit every label
/// size and cut is taken in: the sum of its characters' `char_width`. An
/// invalid sequence counts as the one U+FFFD it prints as.
std::size_t text_width(std::string_view line);

/// `text_width` of the longest line; 0 for the empty label.
std::size_t label_width(std::string_view label);

/// A piece of a text: its length in bytes and its width in columns.
struct TextSpan {
  std::size_t bytes = 0;
  std::size_t columns = 0;
  friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

/// The longest start of `text` no wider than `columns`. It ends on a
/// character boundary, and zero-width characters (combining marks) after
/// its last character stay with it.
TextSpan fit_prefix(std::string_view text, std::size_t columns);

/// The longest end of `text` no wider than `columns`; `bytes` is its length.
/// It never starts with a zero-width character, whose base was cut off.
TextSpan fit_suffix(std::string_view text, std::size_t columns);

}  // namespace vantri

#endif  // VANTRI_TEXT_LABEL_LINES_H_
