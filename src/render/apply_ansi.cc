// Border colouring of the finished text.
#include "render/apply_ansi.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "color/classify.h"
#include "text/char_width.h"
#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri {
namespace {

constexpr std::string_view kReset = "\x1b[0m";

// The colour of every cell of the text, row by row. A row gets its cells
// (one per terminal column of its line) only when a coloured box reaches it, so
// memory follows the text, never the boxes: a box may reach far beyond the
// text (hostile layouts, or a canvas cut to max_width), and whatever lies
// outside the text is dropped as it is marked.
class ColourMap {
 public:
  explicit ColourMap(std::span<const std::string_view> lines)
      : lines_(lines), rows_(lines.size()) {}

  std::uint64_t row_count() const { return lines_.size(); }

  // The characters of row `row` (< row_count()), with its cells ready.
  std::uint64_t width(std::uint64_t row) { return cells(row).size(); }

  // The id under which `mark` takes the start sequence `start`. Cells hold
  // 1 + the index of their sequence in the palette, 0 for none; there are
  // only the few ANSI colours.
  std::uint8_t id_of(std::string_view start) {
    const auto found = std::find(palette_.begin(), palette_.end(), start);
    if (found != palette_.end()) {
      return static_cast<std::uint8_t>(found - palette_.begin() + 1);
    }
    palette_.push_back(start);
    return static_cast<std::uint8_t>(palette_.size());
  }

  // Colours (row, col) with the sequence of `id`; a later mark of a cell
  // replaces an earlier one.
  void mark(std::uint64_t row, std::uint64_t col, std::uint8_t id) {
    if (row >= rows_.size()) return;
    std::vector<std::uint8_t>& row_cells = cells(row);
    if (col >= row_cells.size()) return;
    row_cells[col] = id;
    empty_ = false;
  }

  bool empty() const { return empty_; }

  bool has_colour(std::uint64_t row) const { return !rows_[row].empty(); }

  // The colour ids of the characters of `row`, as `mark` left them; empty
  // when no box reached the row.
  const std::vector<std::uint8_t>& ids(std::uint64_t row) const { return rows_[row]; }

  // The start sequence of an id other than 0.
  std::string_view start_of(std::uint8_t id) const { return palette_[id - 1]; }

 private:
  std::vector<std::uint8_t>& cells(std::uint64_t row) {
    std::vector<std::uint8_t>& row_cells = rows_[row];
    if (row_cells.empty()) row_cells.assign(text_width(lines_[row]), 0);
    return row_cells;
  }

  std::span<const std::string_view> lines_;
  std::vector<std::vector<std::uint8_t>> rows_;
  std::vector<std::string_view> palette_;
  bool empty_ = true;
};

// Writes line `row` with its coloured cells wrapped. Cells are grid
// columns: a wide character spans two and takes the colour of the first,
// a zero-width one keeps the colour of the character it follows.
void colour_line(std::string& out, std::string_view line, const ColourMap& map,
                 std::uint64_t row) {
  // Ids stand for distinct sequences, so comparing ids compares colours.
  const std::vector<std::uint8_t>& ids = map.ids(row);
  // Past the last coloured cell the rest of the line is copied as it is.
  std::uint64_t coloured_end = ids.size();
  while (coloured_end > 0 && ids[coloured_end - 1] == 0) --coloured_end;
  std::uint8_t open = 0;
  std::uint64_t col = 0;
  // Characters are copied in runs, up to where the colour changes.
  std::size_t copied = 0;
  for (std::size_t i = 0; i < line.size();) {
    if (open == 0 && col >= coloured_end) break;
    const std::size_t start = i;
    int width = 1;
    if (static_cast<unsigned char>(line[i]) < 0x80) {
      ++i;
    } else {
      width = char_width(next_code_point(line, i));
      if (width == 0) continue;
    }
    const std::uint8_t id = col < ids.size() ? ids[col] : 0;
    col += static_cast<std::uint64_t>(width);
    if (id == open) continue;
    out.append(line, copied, start - copied);
    copied = start;
    if (open != 0) out += kReset;
    if (id != 0) out += map.start_of(id);
    open = id;
  }
  out.append(line, copied);
  if (open != 0) out += kReset;
}

}  // namespace

std::string apply_ansi(std::string_view text, std::span<const LayoutNode> nodes,
                       std::span<const NodeBox> boxes, StopCheck* stop) {
  const std::vector<std::string_view> lines = split_label_lines(text);
  ColourMap map(lines);
  const std::size_t count = std::min(nodes.size(), boxes.size());
  for (std::size_t i = 0; i < count && !must_stop(stop); ++i) {
    if (nodes[i].invisible) continue;
    const std::string_view start = ansi_for(nodes[i].fillcolor).prefix;
    if (start.empty()) continue;
    const NodeBox& b = boxes[i];
    if (b.width == 0 || b.height == 0 || b.top >= map.row_count()) continue;
    const std::uint8_t id = map.id_of(start);
    // Top and bottom rows, each only as far as its line goes.
    for (const std::uint64_t row : {b.top, b.bottom()}) {
      if (row >= map.row_count()) continue;
      const std::uint64_t width = map.width(row);
      if (b.left >= width) continue;
      const std::uint64_t last = std::min(b.right(), width - 1);
      for (std::uint64_t col = b.left; col <= last; ++col) map.mark(row, col, id);
    }
    const std::uint64_t end_row = std::min(b.bottom(), map.row_count());
    for (std::uint64_t row = b.top + 1; row < end_row; ++row) {
      map.mark(row, b.left, id);
      map.mark(row, b.right(), id);
    }
  }
  if (map.empty()) return std::string(text);

  std::string out;
  out.reserve(text.size() + text.size() / 4);
  std::uint64_t row = 0;
  for (std::string_view line : lines) {
    if (must_stop(stop)) break;
    if (map.has_colour(row)) {
      colour_line(out, line, map, row);
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
