// Drawing node boxes with centred labels, double frames and points.
#include "render_nodes/draw_nodes.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "color/classify.h"
#include "grid/node_box.h"
#include "grid/put_text.h"
#include "render_nodes/draw_fields.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// The border of a box and the blanks inside it.
void draw_frame(CharGrid& grid, const NodeBox& b, const BoxStyle& s) {
  const std::uint64_t right = b.right();
  const std::uint64_t bottom = b.bottom();
  grid.put(b.top, b.left, Cell::node(s.top_left));
  grid.put_run(b.top, b.left + 1, right, Cell::node(s.horizontal));
  grid.put(b.top, right, Cell::node(s.top_right));
  for (std::uint64_t row = b.top + 1; row < bottom && row < grid.height(); ++row) {
    grid.put(row, b.left, Cell::node(s.vertical));
    grid.put_run(row, b.left + 1, right, Cell::node(U' '));
    grid.put(row, right, Cell::node(s.vertical));
  }
  grid.put(bottom, b.left, Cell::node(s.bottom_left));
  grid.put_run(bottom, b.left + 1, right, Cell::node(s.horizontal));
  grid.put(bottom, right, Cell::node(s.bottom_right));
}

// A label's lines inside its box, each centred (or flush left or right, as
// its line ending says), one blank column from the borders for the widest.
// Without an outline the label fills the box but for a blank column on
// either side. A box taller than its lines keeps them in the middle.
void draw_label(CharGrid& grid, const NodeBox& b, std::string_view label, bool outline,
                std::uint32_t paint) {
  const std::uint64_t frame = outline ? 1 : 0;
  const std::uint64_t inner = b.width - 2 - 2 * frame;
  const std::uint64_t end = b.top + b.height - frame;
  const auto lines = split_aligned_lines(label);
  const std::uint64_t rows = b.height >= 2 * frame ? b.height - 2 * frame : 0;
  const std::uint64_t count = lines.size();
  std::uint64_t row = b.top + frame + (rows > count ? (rows - count) / 2 : 0);
  for (const AlignedLine& line : lines) {
    if (row >= end || row >= grid.height()) break;
    if (!line.text.empty() && inner > 0) {
      // Set by width in columns, the unit the box was sized in.
      const std::uint64_t width = text_width(line.text);
      const std::uint64_t start =
          b.left + 1 + frame +
          aligned_start(line.align, static_cast<std::size_t>(inner), static_cast<std::size_t>(width));
      put_text(grid, row, start, line.text, &Cell::node, paint);
    }
    ++row;
  }
}

// A box without an outline: blanks all round.
constexpr BoxStyle kNoOutline{U' ', U' ', U' ', U' ', U' ', U' '};

// A record drawn rounded (Mrecord): the light style's corners turn round.
BoxStyle rounded(const BoxStyle& s) {
  if (s != BoxStyle::Light) return s;
  return {U'╭', s.horizontal, U'╮', s.vertical, U'╰', U'╯'};
}

// The frame of a double circle, an accepting state: double lines, or in a
// colour's line style, double corners around the style's lines.
BoxStyle doubled(const BoxStyle& s) {
  const bool light = s == BoxStyle::Light;
  return {U'╔', light ? U'═' : s.horizontal, U'╗', light ? U'║' : s.vertical, U'╚', U'╝'};
}

}  // namespace

void draw_nodes(CharGrid& grid, std::span<const LayoutNode> nodes,
                std::span<const std::string> labels, std::span<const FieldLayout> fields,
                const GridTransform& transform, ColorMode color,
                std::span<const std::uint32_t> text_paints, std::span<const NodeBox> boxes) {
  const std::size_t count = std::min(nodes.size(), labels.size());
  const FieldLayout none;
  for (std::size_t i = 0; i < count; ++i) {
    const LayoutNode& node = nodes[i];
    // An invisible node keeps its place in the layout and nothing else.
    if (node.invisible) continue;
    const FieldLayout& own = i < fields.size() ? fields[i] : none;
    const NodeBox b = i < boxes.size() ? boxes[i] : node_box(transform, node, labels[i], own);
    if (node.shape == NodeShape::Point) {
      grid.set(b.top, b.left, Cell::node(U'●'));
      continue;
    }
    const std::uint32_t paint = i < text_paints.size() ? text_paints[i] : 0;
    if (node.shape == NodeShape::Plain && own.empty()) {
      draw_frame(grid, b, kNoOutline);
      draw_label(grid, b, labels[i], false, paint);
      continue;
    }
    BoxStyle style = color == ColorMode::BoxStyles ? box_style_for(node.fillcolor)
                                                   : BoxStyle::Light;
    if (node.shape == NodeShape::DoubleCircle) style = doubled(style);
    if (node.shape == NodeShape::MRecord || node.rounded) style = rounded(style);
    // A table without a border whose cells have none shows no lines.
    draw_frame(grid, b, own.empty() || own.frame ? style : kNoOutline);
    if (own.empty()) {
      draw_label(grid, b, labels[i], true, paint);
    } else {
      draw_fields(grid, b, own, style, paint, color == ColorMode::Ansi);
    }
  }
}

}  // namespace vantri
