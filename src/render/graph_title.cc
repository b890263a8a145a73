// Planning and drawing the graph's title.
#include "render/graph_title.h"

#include <algorithm>
#include <cmath>

#include "graphviz/label_text.h"
#include "grid/cell_arith.h"
#include "grid/put_text.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

std::uint64_t widest_line(const GraphTitle& title) {
  std::uint64_t widest = 0;
  for (const std::string& line : title.lines) {
    widest = std::max<std::uint64_t>(widest, text_width(line));
  }
  return widest;
}

}  // namespace

std::optional<GraphTitle> plan_title(const LayoutGraph& layout,
                                     const RenderOptions& options) {
  if (!layout.label) return std::nullopt;
  GraphTitle title;
  for (TitleLine& line : aligned_title_lines(*layout.label, layout.label_is_html)) {
    title.lines.push_back(std::move(line.text));
    title.aligns.push_back(line.align);
  }
  if (title.lines.empty()) return std::nullopt;
  title.at_top = layout.label_at_top;
  if (layout.label_pos && std::isfinite(layout.label_pos->x)) {
    title.centre_x = layout.label_pos->x;
  }
  if (options.max_width) {
    // One blank column on either side, as the drawing has.
    const std::uint64_t room = sub_floor(*options.max_width, 2);
    for (std::string& line : title.lines) {
      line = trim_label(line, static_cast<std::size_t>(room), options.trim);
    }
  }
  return title;
}

void make_room_for_title(const GraphTitle& title, GridTransform& transform) {
  const std::uint64_t needed = add_sat(widest_line(title), 2);
  if (needed > transform.width) {
    const std::uint64_t shift = (needed - transform.width) / 2;
    transform.bbox.x0 -= static_cast<double>(shift) * transform.column_scale;
    transform.width = needed;
  }
}

bool make_room_above(const GraphTitle& title, GridTransform& transform,
                     std::span<const NodeBox> boxes,
                     std::span<const LayoutCluster> clusters) {
  if (!title.at_top) return false;
  std::uint64_t first = kMaxCell;
  for (const NodeBox& box : boxes) first = std::min(first, box.top);
  for (const LayoutCluster& cluster : clusters) {
    // A frame's top edge is drawn one row below its mapped top.
    first = std::min(first, add_sat(row_of(transform, cluster.bb.y1), 1));
  }
  const std::uint64_t margin =
      transform.margin > 0 ? static_cast<std::uint64_t>(transform.margin) : 0;
  const std::uint64_t needed = margin + title.lines.size() + 1;
  if (first == kMaxCell || first >= needed) return false;
  const std::uint64_t rows = needed - first;
  transform.bbox.y1 += static_cast<double>(rows) * transform.row_scale;
  transform.height = add_sat(transform.height, rows);
  return true;
}

std::uint64_t height_with_title(const GraphTitle& title, std::uint64_t height) {
  if (title.at_top) return height;
  return add_sat(add_sat(height, 1), title.lines.size());
}

void draw_title(CharGrid& grid, const GraphTitle& title, const GridTransform& transform,
                std::uint32_t paint) {
  const std::uint64_t n = title.lines.size();
  std::uint64_t top = transform.margin > 0 ? static_cast<std::uint64_t>(transform.margin) : 0;
  if (title.at_top) {
    if (const auto first = grid.first_used_row()) top = sub_floor(*first, n + 1);
  } else if (const auto last = grid.last_used_row()) {
    top = add_sat(*last, 2);
  }
  const std::uint64_t widest = widest_line(title);
  const std::uint64_t centre = title.centre_x ? column_of(transform, *title.centre_x)
                                              : transform.width / 2;
  std::uint64_t block = sub_floor(centre, widest / 2);
  // Kept on the canvas: moved left when it would stick out.
  if (add_sat(block, widest) > grid.width()) block = sub_floor(grid.width(), widest);
  std::uint64_t row = top;
  for (std::size_t i = 0; i < title.lines.size(); ++i) {
    const std::string& line = title.lines[i];
    const LineAlign align = i < title.aligns.size() ? title.aligns[i] : LineAlign::Centre;
    put_text(grid, row,
             block + aligned_start(align, static_cast<std::size_t>(widest), text_width(line)),
             line, &Cell::text, paint);
    row = add_sat(row, 1);
  }
}

}  // namespace vantri
