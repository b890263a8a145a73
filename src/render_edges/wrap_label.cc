// Wrapping edge labels to a width in terminal columns.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render_edges/wrap_label.h"
#include "text/char_width.h"
#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri {
namespace {

bool is_break_byte(char c) { return c == ' ' || c == '(' || c == ')' || c == ','; }

// Where the line taken from the front of `rest` ends, or nothing when all
// of `rest` fits in `width` (> 0) columns. Only the characters up to the
// first one past the width are looked at.
std::optional<std::size_t> split_point(std::string_view rest, std::size_t width) {
  // The longest start that fits, and the last break character in it.
  std::size_t columns = 0;
  std::size_t fits = 0;
  std::optional<std::size_t> last_break;
  std::size_t i = 0;
  while (i < rest.size()) {
    const std::size_t start = i;
    const auto w = static_cast<std::size_t>(char_width(next_code_point(rest, i)));
    if (columns + w > width) break;
    columns += w;
    fits = i;
    if (is_break_byte(rest[start])) last_break = start;
  }
  if (fits == rest.size()) return std::nullopt;
  if (last_break) {
    // A space goes with neither line; a bracket or comma ends the line.
    const std::size_t b = *last_break;
    const std::size_t split = rest[b] == ' ' ? b : b + 1;
    return split == 0 ? 1 : split;
  }
  // A hard break inside a word, never inside a character nor between a
  // character and its combining marks. When even the first character is
  // wider than the width, it makes a line by itself.
  if (fits > 0) return fits;
  std::size_t first = 0;
  next_code_point(rest, first);
  return first + fit_prefix(rest.substr(first), 0).bytes;
}

// The lines of one paragraph, appended to `lines`.
void wrap_paragraph(std::string_view text, std::uint64_t width, std::vector<std::string>& lines) {
  std::string_view rest = text;
  while (true) {
    const std::optional<std::size_t> split =
        split_point(rest, static_cast<std::size_t>(std::min<std::uint64_t>(width, SIZE_MAX)));
    if (!split) break;
    lines.emplace_back(trim_white_space_end(rest.substr(0, *split)));
    rest = trim_white_space_start(rest.substr(*split));
    if (rest.empty()) return;
  }
  lines.emplace_back(rest);
}

}  // namespace

std::vector<std::string> wrap_label(std::string_view text, std::uint64_t width) {
  std::vector<std::string> lines;
  if (width == 0) return lines;
  if (text.find('\n') == std::string_view::npos) {
    wrap_paragraph(text, width, lines);
    return lines;
  }
  // Each line of the text wraps on its own, and its pieces are set in the
  // block as its line ending says: blanks before a centred or flush-right
  // piece move it into place.
  std::vector<LineAlign> aligns;
  for (const AlignedLine& paragraph : split_aligned_lines(text)) {
    wrap_paragraph(paragraph.text, width, lines);
    aligns.resize(lines.size(), paragraph.align);
  }
  std::size_t block = 0;
  for (const std::string& line : lines) block = std::max(block, text_width(line));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t indent = aligned_start(aligns[i], block, text_width(lines[i]));
    if (indent > 0) lines[i].insert(0, indent, ' ');
  }
  return lines;
}

}  // namespace vantri
