// The render pipeline: DOT text and options to the finished drawing.
//
// Lays the graph out with `dot`, picks the scale, shortens labels when a
// width limit or a label limit asks for it, draws clusters, nodes and edges
// onto one character grid and turns it into text, coloured or not.
#ifndef VANTRI_RENDER_RENDER_GRAPH_H_
#define VANTRI_RENDER_RENDER_GRAPH_H_

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "graphviz/layout_error.h"
#include "graphviz/layout_graph.h"
#include "graphviz/run_dot.h"
#include "graphviz/stop_check.h"
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
  /// Says how large, and what width limit would make it drawable (or that
  /// none would, for a drawing too tall for any).
  std::string display() const;
};

/// A drawing that does not show everything: cut at the width limit because
/// it did not fit even after the width fitting, or with edges that found no
/// route at all (only a pathological layout has any). The caller must say
/// so.
struct DrawingCut {
  /// The width limit, or 0 when the drawing was not cut.
  std::uint64_t columns = 0;
  /// Visible nodes left out because their boxes reach past the cut, and
  /// all visible nodes.
  std::size_t nodes_left_out = 0;
  std::size_t nodes = 0;
  /// Visible edges that found no route, and all visible edges.
  std::size_t edges_not_drawn = 0;
  std::size_t edges = 0;
  /// One line for the user, such as "drawing cut at 80 columns: 12 of 41
  /// nodes do not fit; a wider --width shows them", naming the caller's
  /// width setting (`--width`, `max_width`), or "3 of 400 edges could not
  /// be drawn".
  std::string message(std::string_view width_setting) const;
};

/// A render stopped while drawing: interrupted, or out of the time its
/// timeout gave `dot` and the drawing together.
struct RenderStopped {
  StopCheck::Reason reason = StopCheck::Reason::Interrupted;
  double timeout_seconds = 0;
  /// "dot and the drawing took longer than 5 s", or "interrupted".
  std::string display() const;
};

/// Why a render failed: the layout step, a drawing too large to make, or
/// a stop asked for while drawing.
using RenderError = std::variant<LayoutError, CanvasTooLarge, RenderStopped>;

/// The text the user sees for `error`.
std::string display(const RenderError& error);

/// A finished drawing, and what its caller must be told about it.
struct Rendering {
  std::string text;
  /// Set when the drawing was cut at the width limit.
  std::optional<DrawingCut> cut;
  /// Set when the drawing did not fit the width limit and was drawn whole
  /// instead (`WidthOverflow::Widen`).
  bool widened = false;
};

/// Renders DOT text: runs `dot` once, and up to twice more when the width
/// fitting lays the graph out again.
std::expected<Rendering, RenderError> render_graph(std::string_view dot_source,
                                                   const RenderOptions& options);

/// `render_graph` with `layout` in place of a plain `layout_with_dot`, for
/// every layout (a deadline or an interrupt hook, say), and with the
/// drawing watched by `stop`, if given.
std::expected<Rendering, RenderError> render_graph(
    std::string_view dot_source, const RenderOptions& options,
    const LayoutFunction& layout, StopCheck* stop = nullptr);

/// Everything a render draws, before it becomes text: the layout actually
/// drawn (a later one when the width fitting laid the graph out again),
/// the display labels, the fields of nodes divided into them (one per node,
/// or none when no node has fields; `field_rect` finds a port's field), the
/// scale, the boxes, the edge routes and labels, and the grid, and what a
/// cut at the width limit left out (node indices, ascending), or whether
/// the drawing was drawn whole past the limit instead.
struct Drawing {
  LayoutGraph layout;
  std::vector<std::string> labels;
  std::vector<FieldLayout> fields;
  GridTransform transform;
  std::vector<NodeBox> boxes;
  RoutePlan plan;
  CharGrid grid;
  std::optional<DrawingCut> cut;
  std::vector<std::size_t> left_out;
  bool widened = false;
};

/// Draws a layout already made from `dot_source`; `relayout` serves the
/// further layouts of the width fitting (an empty one keeps the first).
/// When `stop` says so, the drawing ends early with `RenderStopped`.
std::expected<Drawing, RenderError> draw_layout(std::string_view dot_source,
                                                LayoutGraph layout,
                                                const RenderOptions& options,
                                                const LayoutFunction& relayout,
                                                StopCheck* stop = nullptr);

/// `draw_layout`, then the grid as text, coloured when the options ask.
std::expected<Rendering, RenderError> render_layout(
    std::string_view dot_source, LayoutGraph layout,
    const RenderOptions& options, const LayoutFunction& relayout,
    StopCheck* stop = nullptr);

}  // namespace vantri

#endif  // VANTRI_RENDER_RENDER_GRAPH_H_
