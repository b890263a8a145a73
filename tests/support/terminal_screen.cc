// Laying finished text out in terminal columns.
#include "support/terminal_screen.h"

#include <wchar.h>

#include <algorithm>
#include <clocale>
#include <stdexcept>

#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri::testing {
namespace {

// Columns a terminal gives `c`: what wcwidth says, one for what it does
// not know (none of the drawing's characters should be among those).
int terminal_width(char32_t c) {
  static const bool utf8 = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr ||
                           std::setlocale(LC_CTYPE, "en_US.UTF-8") != nullptr;
  if (!utf8) throw std::runtime_error("no UTF-8 locale for wcwidth");
  const int width = ::wcwidth(static_cast<wchar_t>(c));
  return width < 0 ? 1 : width;
}

}  // namespace

TerminalScreen::TerminalScreen(std::string_view coloured) {
  // Colour sequences (ESC [ ... m) take no column on a terminal.
  std::string text;
  text.reserve(coloured.size());
  for (std::size_t i = 0; i < coloured.size(); ++i) {
    if (coloured[i] == '\x1b' && i + 1 < coloured.size() && coloured[i + 1] == '[') {
      const std::size_t end = coloured.find('m', i + 2);
      if (end != std::string_view::npos &&
          coloured.find_first_not_of("0123456789;", i + 2) == end) {
        i = end;
        continue;
      }
    }
    text += coloured[i];
  }
  for (const std::string_view line : split_label_lines(text)) {
    Row row;
    row.text = line;
    for (std::size_t i = 0; i < line.size();) {
      const std::size_t start = i;
      const int width = terminal_width(next_code_point(line, i));
      if (width == 0 && !row.starts.empty()) continue;  // joins the one before
      row.starts.push_back(static_cast<std::uint32_t>(start));
      if (width == 2) row.starts.push_back(kSecondHalf);
    }
    row.starts.push_back(static_cast<std::uint32_t>(line.size()));
    columns_ = std::max<std::uint64_t>(columns_, row.starts.size() - 1);
    lines_.push_back(std::move(row));
  }
}

char32_t TerminalScreen::at(std::uint64_t row, std::uint64_t col) const {
  if (row >= lines_.size()) return U' ';
  const Row& r = lines_[row];
  if (col + 1 >= r.starts.size()) return U' ';
  if (r.starts[col] == kSecondHalf) return 0;
  std::size_t i = r.starts[col];
  return next_code_point(r.text, i);
}

TerminalScreen::Shown TerminalScreen::shown(std::uint64_t row, std::uint64_t first,
                                            std::uint64_t last) const {
  if (row >= lines_.size() || first > last) return {};
  const Row& r = lines_[row];
  const std::uint64_t count = r.starts.size() - 1;
  std::uint64_t end = std::min<std::uint64_t>(last + 1, count);
  // Skip a second half at the start; stop before a wide character whose
  // second half lies past the end.
  while (first < end && r.starts[first] == kSecondHalf) ++first;
  if (end < count && r.starts[end] == kSecondHalf) --end;
  if (first >= end) return {};
  return {first, r.starts[first], r.starts[end]};
}

std::string TerminalScreen::text(std::uint64_t row, std::uint64_t first,
                                 std::uint64_t last) const {
  const Shown s = shown(row, first, last);
  return s.end > s.begin ? lines_[row].text.substr(s.begin, s.end - s.begin) : std::string();
}

std::optional<ScreenPoint> TerminalScreen::find(std::string_view line,
                                                const CellRect& area) const {
  for (std::uint64_t row = area.top; row <= area.bottom && row < lines_.size(); ++row) {
    const Shown s = shown(row, area.left, area.right);
    if (s.end <= s.begin) continue;
    const std::string_view part =
        std::string_view(lines_[row].text).substr(s.begin, s.end - s.begin);
    const std::size_t at = part.find(line);
    if (at == std::string_view::npos) continue;
    // The column whose character starts at that byte.
    std::uint64_t col = s.first;
    while (lines_[row].starts[col] == kSecondHalf || lines_[row].starts[col] < s.begin + at) ++col;
    return ScreenPoint{row, col};
  }
  return std::nullopt;
}

}  // namespace vantri::testing
