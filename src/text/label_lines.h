// How a label splits into lines, and how wide it is.
//
// Node boxes, the drawing scale, trimming, wrapping and the width fitting all
// measure labels the same way: lines end at line feeds, a carriage return
// before a line feed belongs to the line ending, a final line feed opens no
// further line, and widths are counted in terminal columns (`char_width`).
//
// A line may say how it is set in its box: a line feed alone centres the
// line before it, and one after `kLeftLineEnd` or `kRightLineEnd` sets it
// flush left or right (Graphviz's `\n`, `\l` and `\r`). The marks belong
// to the line ending, like a carriage return before a line feed.
#ifndef VANTRI_TEXT_LABEL_LINES_H_
#define VANTRI_TEXT_LABEL_LINES_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vantri {

/// The marks before a line feed that set the line flush left or right.
inline constexpr char kLeftLineEnd = '\x0e';
inline constexpr char kRightLineEnd = '\x0f';

enum class LineAlign : std::uint8_t { Centre, Left, Right };

struct AlignedLine {
  std::string_view text;
  LineAlign align = LineAlign::Centre;
};

/// The lines of `label`; the empty label has none.
std::vector<std::string_view> split_label_lines(std::string_view label);

/// The lines of `label` with how each is set; a last line without a line
/// feed is centred.
std::vector<AlignedLine> split_aligned_lines(std::string_view label);

/// The line ending that sets a line as `align` says.
std::string_view line_end(LineAlign align);

/// The column, from the left of a space `room` columns wide, at which a
/// line `width` columns wide starts when set as `align` (centred lines
/// leaning left by half a column).
std::size_t aligned_start(LineAlign align, std::size_t room, std::size_t width);

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
