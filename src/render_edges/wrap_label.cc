// Wrapping edge labels to a width in bytes of UTF-8.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "render_edges/wrap_label.h"
#include "text/utf8.h"

namespace vantri {
namespace {

bool is_break_byte(char c) { return c == ' ' || c == '(' || c == ')' || c == ','; }

// Where the line taken from the front of `rest` ends, for a `rest` longer
// than `width` (> 0) bytes.
std::size_t split_point(std::string_view rest, std::size_t width) {
  // Break characters are ASCII, so every one found in the first `width`
  // bytes lies wholly within them.
  for (std::size_t b = width; b-- > 0;) {
    if (!is_break_byte(rest[b])) continue;
    // A space goes with neither line; a bracket or comma ends the line.
    const std::size_t split = rest[b] == ' ' ? b : b + 1;
    return split == 0 ? 1 : split;
  }
  // A hard break inside a word, never inside a character. When even the
  // first character is wider than the width, it makes a line by itself.
  const std::size_t boundary = floor_char_boundary(rest, width);
  return boundary > 0 ? boundary : ceil_char_boundary(rest, 1);
}

}  // namespace

std::vector<std::string> wrap_label(std::string_view text, std::uint64_t width) {
  std::vector<std::string> lines;
  if (width == 0) return lines;
  std::string_view rest = text;
  while (rest.size() > width) {
    const std::size_t split = split_point(rest, static_cast<std::size_t>(width));
    lines.emplace_back(trim_white_space_end(rest.substr(0, split)));
    rest = trim_white_space_start(rest.substr(split));
    if (rest.empty()) return lines;
  }
  lines.emplace_back(rest);
  return lines;
}

}  // namespace vantri
