// Arrowheads, and placing edge labels beside their routes.
#include "render_edges/edge_label.h"

#include <algorithm>
#include <string>

#include "grid/cell_arith.h"
#include "grid/put_text.h"
#include "render_edges/wrap_label.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

struct WrappedLabel {
  std::vector<std::string> lines;
  std::uint64_t width = 0;  // bytes of the longest line
};

WrappedLabel wrap(std::string_view text, std::uint64_t width) {
  WrappedLabel out{wrap_label(text, width), 0};
  for (const std::string& line : out.lines) {
    out.width = std::max<std::uint64_t>(out.width, text_width(line));
  }
  return out;
}

struct Placement {
  std::uint64_t top = 0;
  std::uint64_t left = 0;
};

// A route with three legs: beside the column of the last leg (the lane of
// a side edge), level with the last leg when it is longer than the label,
// otherwise level with the first leg.
Placement place_beside_jog(std::uint64_t height, const EdgePath& path,
                           const WrappedLabel& label, const PlacedLabels& placed) {
  const std::uint64_t c = path[2].col;
  const std::uint64_t n = label.lines.size();
  // The rows of the leg the label sits beside.
  std::uint64_t leg_first_row = path[0].row;
  std::uint64_t leg_last_row = path[1].row;
  if (sub_floor(path[3].row, path[2].row) > n) {
    leg_first_row = path[2].row;
    leg_last_row = path[3].row;
  }
  const std::uint64_t preferred =
      sub_floor(midpoint_floor(leg_first_row, leg_last_row), n / 2);
  LabelBlock block{preferred, add_sat(c, 1), n, label.width};
  std::uint64_t row = preferred;
  if (!placed.is_free(block)) {
    LabelBlock left = block;
    left.col = sub_floor(c, add_sat(label.width, 1));
    if (placed.is_free(left)) {
      block = left;
    } else {
      row = placed.first_free_row(block, preferred, sub_floor(height, n));
    }
  }
  // Never lower than the end of the chosen leg.
  return {std::min(sub_floor(leg_last_row, n), std::max(row, leg_first_row)), block.col};
}

// A single vertical run: left-aligned one column right of it, from the top
// of the run downwards.
Placement place_beside_run(std::uint64_t height, const EdgePath& path,
                           const WrappedLabel& label, const PlacedLabels& placed) {
  const std::uint64_t c = path[0].col;
  const std::uint64_t n = label.lines.size();
  const std::uint64_t start = std::min(path[0].row, path[1].row);
  const LabelBlock block{start, add_sat(c, 1), n, label.width};
  return {placed.first_free_row(block, start, sub_floor(height, n)), block.col};
}

}  // namespace

std::optional<PlacedLabel> place_edge_label(std::uint64_t width,
                                            std::uint64_t height,
                                            const EdgePath& path,
                                            std::string_view label,
                                            TrimStrategy trim,
                                            std::optional<std::uint64_t> max_label,
                                            PlacedLabels& placed) {
  if (label.empty() || path.size() < 2) return std::nullopt;
  std::string text = limit_label(label, max_label, trim, LabelLines::Split);
  WrappedLabel wrapped;
  Placement at;
  if (path.size() >= 4) {
    const std::uint64_t c = path[2].col;
    const std::uint64_t room = std::max(sub_floor(width, add_sat(c, 1)), c);
    wrapped = wrap(text, std::max<std::uint64_t>(10, room));
    at = place_beside_jog(height, path, wrapped, placed);
  } else {
    wrapped = wrap(text, sub_floor(width, add_sat(path[0].col, 1)));
    at = place_beside_run(height, path, wrapped, placed);
  }
  const std::uint64_t n = wrapped.lines.size();
  placed.add(LabelRect{at.top, add_sat(at.top, sub_floor(n, 1)), at.left,
                       add_sat(at.left, sub_floor(wrapped.width, 1))});
  PlacedLabel out;
  out.top = at.top;
  out.left = at.left;
  out.width = wrapped.width;
  out.lines = std::move(wrapped.lines);
  out.text = std::move(text);
  return out;
}

void write_label(CharGrid& grid, const PlacedLabel& label, std::uint32_t paint) {
  // The blanks that set the lines of a text of several lines are not
  // written: they only move the text into place.
  const bool set = label.text.find('\n') != std::string::npos;
  std::uint64_t row = label.top;
  for (const std::string_view line : label.lines) {
    if (row >= grid.height()) return;
    const std::size_t indent = set ? std::min(line.find_first_not_of(' '), line.size()) : 0;
    put_text(grid, row, add_sat(label.left, indent), line.substr(indent), &Cell::text, paint);
    ++row;
  }
}

}  // namespace vantri
