// Finishing a drawn route: its arrowhead and its label.
//
// The arrowhead goes on the route's last cell and points the way the last
// leg runs. A label is shortened to the render's limit, wrapped, and set
// beside the route at the first place that keeps clear of every label drawn
// before it; its rectangle is then recorded so that later labels and later
// jogs keep off it.
#ifndef VANTRI_RENDER_EDGES_EDGE_LABEL_H_
#define VANTRI_RENDER_EDGES_EDGE_LABEL_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grid/char_grid.h"
#include "render_edges/edge_path.h"
#include "render_edges/placed_labels.h"
#include "render_edges/route_plan.h"
#include "trim/trim.h"

namespace vantri {

/// Puts ▼ ▲ ▶ or ◀ on the last point of `path`, after the direction from
/// the point before it (◀ when the two coincide). Paths of fewer than two
/// points get nothing.
void draw_arrowhead(CharGrid& grid, const EdgePath& path);

/// Where `label` goes beside `path` on a canvas of `width` × `height`
/// cells, recorded in `placed`; `draw_edge_label` without the drawing.
std::optional<PlacedLabel> place_edge_label(std::uint64_t width,
                                            std::uint64_t height,
                                            const EdgePath& path,
                                            std::string_view label,
                                            TrimStrategy trim,
                                            std::optional<std::uint64_t> max_label,
                                            PlacedLabels& placed);

/// Writes the lines of a placed label as text cells.
void write_label(CharGrid& grid, const PlacedLabel& label);

/// Draws `label` beside `path` and records its rectangle in `placed`.
/// Labels longer than `max_label` bytes are first shortened with
/// `trim_label`. Returns the rectangle recorded, or nothing when the label
/// is empty or the path has fewer than two points.
std::optional<LabelRect> draw_edge_label(CharGrid& grid, const EdgePath& path,
                                         std::string_view label,
                                         TrimStrategy trim,
                                         std::optional<std::uint64_t> max_label,
                                         PlacedLabels& placed);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_EDGE_LABEL_H_
