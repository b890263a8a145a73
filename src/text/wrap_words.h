// Breaking one line of a label at its blanks into a few balanced lines.
//
// A node label too wide for the room it gets is first set on more lines
// rather than shortened: "5th Edition" becomes "5th" over "Edition". The
// lines are balanced: the widest is as narrow as the number of lines
// allows, and the earlier lines take as much as that width lets them, so
// that the longest line comes first and the last ones are the shortest.
#ifndef VANTRI_TEXT_WRAP_WORDS_H_
#define VANTRI_TEXT_WRAP_WORDS_H_

#include <cstddef>
#include <string_view>
#include <vector>

namespace vantri {

/// `line` broken at runs of blanks (spaces and tabs) into at most
/// `max_lines` lines whose widest (`text_width`) is as narrow as it can
/// be. The blanks where it breaks are dropped, those within a line stay as
/// written, and so do blanks before the first word or after the last when
/// the line stays whole. A line without a blank between two words, or a
/// `max_lines` below 2, gives the line itself; the empty line gives none.
/// The lines are views into `line`.
std::vector<std::string_view> balanced_lines(std::string_view line, std::size_t max_lines);

}  // namespace vantri

#endif  // VANTRI_TEXT_WRAP_WORDS_H_
