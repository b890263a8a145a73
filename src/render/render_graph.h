// The render pipeline: DOT text and options to the finished drawing.
//
// Lays the graph out with `dot`, picks the scale, shortens labels when a
// width limit or a label limit asks for it, draws clusters, nodes and edges
// onto one character grid and turns it into text, coloured or not.
#ifndef VANTRI_RENDER_RENDER_GRAPH_H_
#define VANTRI_RENDER_RENDER_GRAPH_H_

#include <cstdint>
#include <expected>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "graphviz/layout_error.h"
#include "graphviz/layout_graph.h"
#include "graphviz/run_dot.h"
#include "grid/char_grid.h"
#include "grid/field_layout.h"
#include "grid/grid_transform.h"
#include "grid/node_box.h"
#include "render/render_options.h"
#include "render_edges/route_plan.h"

namespace vantri {

/// The most cells a canvas may have (256 MiB of cells); larger drawings are
/// refused instead of exhausting memory.
inline constexpr std::uint64_t kMaxCanvasCells = std::uint64_t{64} << 20;

/// A drawing whose canvas would exceed `kMaxCanvasCells`.
struct CanvasTooLarge {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  std::string display() const;
};

/// Why a render failed: the layout step, or a drawing too large to make.
using RenderError = std::variant<LayoutError, CanvasTooLarge>;

/// The text the user sees for `error`.
std::string display(const RenderError& error);

/// Renders DOT text: runs `dot` once, twice when the width fitting shortens
/// labels.
std::expected<std::string, RenderError> render_graph(
    std::string_view dot_source, const RenderOptions& options);

/// `render_graph` with `layout` in place of a plain `layout_with_dot`, for
/// both layouts (a deadline or an interrupt hook, say).
std::expected<std::string, RenderError> render_graph(
    std::string_view dot_source, const RenderOptions& options,
    const LayoutFunction& layout);

/// Everything a render draws, before it becomes text: the layout actually
/// drawn (the second one when the width fitting laid the graph out again),
/// the display labels, the fields of nodes divided into them (one per node,
/// or none when no node has fields; `field_rect` finds a port's field), the
/// scale, the boxes, the edge routes and labels, and the grid.
struct Drawing {
  LayoutGraph layout;
  std::vector<std::string> labels;
  std::vector<FieldLayout> fields;
  GridTransform transform;
  std::vector<NodeBox> boxes;
  RoutePlan plan;
  CharGrid grid;
};

/// Draws a layout already made from `dot_source`; `relayout` serves the
/// second layout of the width fitting (an empty one keeps the first).
std::expected<Drawing, RenderError> draw_layout(std::string_view dot_source,
                                                LayoutGraph layout,
                                                const RenderOptions& options,
                                                const LayoutFunction& relayout);

/// `draw_layout`, then the grid as text, coloured when the options ask.
std::expected<std::string, RenderError> render_layout(
    std::string_view dot_source, LayoutGraph layout,
    const RenderOptions& options, const LayoutFunction& relayout);

}  // namespace vantri

#endif  // VANTRI_RENDER_RENDER_GRAPH_H_
