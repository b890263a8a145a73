// Splitting labels into lines and measuring them.
#include "text/label_lines.h"

#include <algorithm>

#include "text/char_width.h"
#include "text/utf8.h"

namespace vantri {
namespace {

// Calls `visit` with each line of `label` and how it is set.
template <typename Visit>
void for_each_line(std::string_view label, Visit visit) {
  std::size_t start = 0;
  while (start < label.size()) {
    const std::size_t feed = label.find('\n', start);
    if (feed == std::string_view::npos) {
      visit(label.substr(start), LineAlign::Centre);
      return;
    }
    std::size_t end = feed;
    LineAlign align = LineAlign::Centre;
    if (end > start && label[end - 1] == kLeftLineEnd) {
      align = LineAlign::Left;
      --end;
    } else if (end > start && label[end - 1] == kRightLineEnd) {
      align = LineAlign::Right;
      --end;
    } else if (end > start && label[end - 1] == '\r') {
      --end;
    }
    visit(label.substr(start, end - start), align);
    start = feed + 1;
  }
}

}  // namespace

std::vector<std::string_view> split_label_lines(std::string_view label) {
  std::vector<std::string_view> lines;
  for_each_line(label, [&](std::string_view line, LineAlign) { lines.push_back(line); });
  return lines;
}

std::vector<AlignedLine> split_aligned_lines(std::string_view label) {
  std::vector<AlignedLine> lines;
  for_each_line(label, [&](std::string_view line, LineAlign align) {
    lines.push_back({line, align});
  });
  return lines;
}

std::string_view line_end(LineAlign align) {
  switch (align) {
    case LineAlign::Left: return "\x0e\n";
    case LineAlign::Right: return "\x0f\n";
    case LineAlign::Centre: break;
  }
  return "\n";
}

std::size_t aligned_start(LineAlign align, std::size_t room, std::size_t width) {
  const std::size_t spare = room > width ? room - width : 0;
  switch (align) {
    case LineAlign::Left: return 0;
    case LineAlign::Right: return spare;
    case LineAlign::Centre: break;
  }
  return spare / 2;
}

std::size_t count_label_lines(std::string_view label) {
  std::size_t count = 0;
  for_each_line(label, [&](std::string_view, LineAlign) { ++count; });
  return count;
}

std::size_t text_width(std::string_view line) {
  std::size_t width = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    // Runs of ASCII, the common case, are counted without decoding.
    if (static_cast<unsigned char>(line[i]) < 0x80) {
      ++width;
      ++i;
      continue;
    }
    width += static_cast<std::size_t>(char_width(next_code_point(line, i)));
  }
  return width;
}

std::size_t label_width(std::string_view label) {
  std::size_t widest = 0;
  for_each_line(label, [&](std::string_view line, LineAlign) {
    widest = std::max(widest, text_width(line));
  });
  return widest;
}

TextSpan fit_prefix(std::string_view text, std::size_t columns) {
  TextSpan kept;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t next = i;
    const auto width = static_cast<std::size_t>(char_width(next_code_point(text, next)));
    if (kept.columns + width > columns) break;
    kept.columns += width;
    i = next;
    kept.bytes = i;
  }
  return kept;
}

TextSpan fit_suffix(std::string_view text, std::size_t columns) {
  const std::size_t total = text_width(text);
  // Walk forwards until what is left fits, then on past zero-width
  // characters, which belong to the character before them.
  std::size_t left = total;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t next = i;
    const auto width = static_cast<std::size_t>(char_width(next_code_point(text, next)));
    if (left <= columns && width > 0) break;
    left -= width;
    i = next;
  }
  return {text.size() - i, left};
}

}  // namespace vantri
