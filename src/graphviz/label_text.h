// What a Graphviz label says, as text to show: the escapes of a label
// string expanded, and the lines of a graph's or cluster's title.
#ifndef VANTRI_GRAPHVIZ_LABEL_TEXT_H_
#define VANTRI_GRAPHVIZ_LABEL_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

#include "text/label_lines.h"

namespace vantri {

/// One left-to-right pass over a label as Graphviz draws it: `\N` becomes
/// `name` (inserted verbatim; kept when there is no name), the line ends
/// `\n`, `\l`, `\r` become line feeds, the last two marked as ending a line
/// set flush left or right (`kLeftLineEnd`, `kRightLineEnd`), and `\\` is
/// one backslash (so `\\n` is a backslash and an n). Other backslashes stay.
std::string expand_label_escapes(std::string_view label, const std::string* name);

struct TitleLine {
  std::string text;
  LineAlign align = LineAlign::Centre;
  friend bool operator==(const TitleLine&, const TitleLine&) = default;
};

/// `title_lines` with how each line is set.
std::vector<TitleLine> aligned_title_lines(std::string_view label, bool html);

/// The lines a title shows: escapes expanded (an HTML-like label's text
/// instead, `html_label_text`), white space at both ends of every line
/// removed, blank lines before the first and after the last line of text
/// dropped. None for a label with no text.
std::vector<std::string> title_lines(std::string_view label, bool html);

/// `title_lines` joined with one blank, for a title that has one row.
std::string one_line_title(std::string_view label, bool html);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_LABEL_TEXT_H_
