// How a label splits into lines, and how wide it is.
//
// Node boxes, the drawing scale and the width fitting all measure labels the
// same way: lines end at line feeds, a carriage return before a line feed
// belongs to the line ending, a final line feed opens no further line, and
// widths are counted in bytes of UTF-8.
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

/// The width of one line of text as the drawing measures it: bytes of
/// UTF-8, the unit every label size and cut is taken in.
std::size_t text_width(std::string_view line);

/// `text_width` of the longest line; 0 for the empty label.
std::size_t label_width(std::string_view label);

}  // namespace vantri

#endif  // VANTRI_TEXT_LABEL_LINES_H_
