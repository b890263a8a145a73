// Splitting labels into lines and measuring them.
#include "text/label_lines.h"

#include <algorithm>

namespace vantri {
namespace {

// Calls `visit` with each line of `label`.
template <typename Visit>
void for_each_line(std::string_view label, Visit visit) {
  std::size_t start = 0;
  while (start < label.size()) {
    const std::size_t feed = label.find('\n', start);
    if (feed == std::string_view::npos) {
      visit(label.substr(start));
      return;
    }
    std::size_t end = feed;
    if (end > start && label[end - 1] == '\r') --end;
    visit(label.substr(start, end - start));
    start = feed + 1;
  }
}

}  // namespace

std::vector<std::string_view> split_label_lines(std::string_view label) {
  std::vector<std::string_view> lines;
  for_each_line(label, [&](std::string_view line) { lines.push_back(line); });
  return lines;
}

std::size_t count_label_lines(std::string_view label) {
  std::size_t count = 0;
  for_each_line(label, [&](std::string_view) { ++count; });
  return count;
}

std::size_t text_width(std::string_view line) { return line.size(); }

std::size_t label_width(std::string_view label) {
  std::size_t widest = 0;
  for_each_line(label, [&](std::string_view line) {
    widest = std::max(widest, text_width(line));
  });
  return widest;
}

}  // namespace vantri
