// Border colouring of the finished text.
#include "lib/apply_ansi.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "color/color.h"
#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri {
namespace {

constexpr std::string_view kReset = "\x1b[0m";

// One coloured cell of a row. `order` records insertion so that the latest
// colour of a cell wins after sorting.
struct ColouredCell {
  std::uint64_t col;
  std::size_t order;
  std::string_view start;
};

// The colour map, grouped by row: only rows with coloured cells need a
// character-by-character walk, every other row is copied as it stands.
class ColourMap {
 public:
  void add(std::uint64_t row, std::uint64_t col, std::string_view start) {
    rows_[row].push_back({col, next_order_++, start});
  }

  bool empty() const { return rows_.empty(); }

  // The cells of `row` sorted by column, one entry per column (the latest).
  std::vector<ColouredCell>* row(std::uint64_t row) {
    auto it = rows_.find(row);
    if (it == rows_.end()) return nullptr;
    auto& cells = it->second;
    std::sort(cells.begin(), cells.end(), [](const ColouredCell& a, const ColouredCell& b) {
      return a.col != b.col ? a.col < b.col : a.order > b.order;
    });
    cells.erase(std::unique(cells.begin(), cells.end(),
                            [](const ColouredCell& a, const ColouredCell& b) {
                              return a.col == b.col;
                            }),
                cells.end());
    return &cells;
  }

 private:
  std::unordered_map<std::uint64_t, std::vector<ColouredCell>> rows_;
  std::size_t next_order_ = 0;
};

// Writes one line with its coloured cells wrapped; `cells` is sorted by
// column with one entry per column.
void colour_line(std::string& out, std::string_view line,
                 const std::vector<ColouredCell>& cells) {
  std::string_view open;
  auto next = cells.begin();
  std::uint64_t col = 0;
  for (std::size_t i = 0; i < line.size(); ++col) {
    const std::size_t start = i;
    next_code_point(line, i);
    const std::string_view character = line.substr(start, i - start);
    while (next != cells.end() && next->col < col) ++next;
    if (next != cells.end() && next->col == col) {
      if (open != next->start) {
        if (!open.empty()) out += kReset;
        out += next->start;
        open = next->start;
      }
    } else if (!open.empty()) {
      out += kReset;
      open = {};
    }
    out += character;
  }
  if (!open.empty()) out += kReset;
}

}  // namespace

std::string apply_ansi(std::string_view text, std::span<const LayoutNode> nodes,
                       std::span<const NodeBox> boxes) {
  ColourMap map;
  const std::size_t count = std::min(nodes.size(), boxes.size());
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view start = ansi_for(nodes[i].fillcolor).prefix;
    if (start.empty()) continue;
    const NodeBox& b = boxes[i];
    if (b.width == 0 || b.height == 0) continue;
    for (std::uint64_t col = b.left; col <= b.right(); ++col) {
      map.add(b.top, col, start);
      map.add(b.bottom(), col, start);
    }
    for (std::uint64_t row = b.top + 1; row < b.bottom(); ++row) {
      map.add(row, b.left, start);
      map.add(row, b.right(), start);
    }
  }
  if (map.empty()) return std::string(text);

  std::string out;
  out.reserve(text.size() + text.size() / 4);
  std::uint64_t row = 0;
  for (std::string_view line : split_label_lines(text)) {
    if (auto* cells = map.row(row)) {
      colour_line(out, line, *cells);
    } else {
      out += line;
    }
    out += '\n';
    ++row;
  }
  while (out.size() >= 2 && out.ends_with("\n\n")) out.pop_back();
  return out;
}

}  // namespace vantri
