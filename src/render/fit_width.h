// Fitting a drawing into the caller's width limit.
//
// When the drawing is wider than the limit, labels are shortened just
// enough, never below a floor, and the graph is laid out again; the label
// budget is estimated from the layout at hand, rank by rank, so that one
// more `dot` run usually does it, and a second one corrects the estimate
// when it does not. When even labels at the floor cannot make it fit,
// `dot` is asked for less space between nodes (top-down) or ranks (left to
// right). If the drawing still does not fit, the best attempt is kept: the
// one that leaves the most nodes whole within the limit.
#ifndef VANTRI_RENDER_FIT_WIDTH_H_
#define VANTRI_RENDER_FIT_WIDTH_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graphviz/layout_graph.h"
#include "graphviz/run_dot.h"
#include "grid/grid_transform.h"
#include "grid/field_layout.h"
#include "grid/node_box.h"
#include "render/graph_title.h"
#include "render/node_faces.h"
#include "render/render_options.h"

namespace vantri {

/// A layout with what its nodes show (labels, and fields as `NodeFaces`
/// has them) and the graph's title, measured before the canvas exists.
struct SizedLayout {
  LayoutGraph layout;
  std::vector<std::string> labels;
  std::vector<FieldLayout> fields;
  std::optional<GraphTitle> title;
  GridTransform transform;
  std::vector<NodeBox> boxes;
  /// Per node, the column right of its box and its loops (two columns out
  /// for each): what must fit for it to be drawn whole.
  std::vector<std::uint64_t> reach;
  /// Columns the drawing needs for its boxes, loops, frames and title;
  /// other edges are routed within them, or beside them as far as the
  /// width limit allows.
  std::uint64_t width = 0;
};

/// Sizes a layout whose nodes show `faces` (scale, title, boxes).
using SizeFunction = std::function<SizedLayout(LayoutGraph layout, NodeFaces faces)>;

/// What the fitting chose, and how many more layouts it asked `dot` for.
struct WidthFit {
  SizedLayout sized;
  int layouts = 0;
};

/// How many visible nodes of `sized` have their whole box, and their
/// loops, left of column `columns`.
std::size_t nodes_within(const SizedLayout& sized, std::uint64_t columns);

/// Fits `first`, laid out from `dot_source` and drawn with the faces the
/// label limit left, into `options.max_width` columns, with at most two
/// more layouts by `relayout`. Nodes divided into fields keep them, and
/// their size in `dot`; every further layout's faces keep the label limit.
/// Nothing happens without a limit, when the drawing fits already or
/// without `relayout`; a failing layout ends the fitting with the best one
/// so far, its labels shortened as asked.
WidthFit fit_to_width(std::string_view dot_source, SizedLayout first,
                      const RenderOptions& options, const LayoutFunction& relayout,
                      const SizeFunction& size);

}  // namespace vantri

#endif  // VANTRI_RENDER_FIT_WIDTH_H_
