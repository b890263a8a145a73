// The labels of the original top-down drawing's routes. A label is
// shortened to the render's limit, wrapped, and set beside the route at the
// first place that keeps clear of every label placed before it; its
// rectangle is then recorded so that later labels and later jogs keep off
// it.
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

/// Where `label` goes beside `path` on a canvas of `width` × `height`
/// cells, recorded in `placed`. Labels wider than `max_label` columns are
/// first shortened with `trim` (`limit_label`). Nothing for an empty label
/// or a path of fewer than two points.
std::optional<PlacedLabel> place_edge_label(std::uint64_t width,
                                            std::uint64_t height,
                                            const EdgePath& path,
                                            std::string_view label,
                                            TrimStrategy trim,
                                            std::optional<std::uint64_t> max_label,
                                            PlacedLabels& placed);

/// Writes the lines of a placed label as text cells of paint `paint`.
void write_label(CharGrid& grid, const PlacedLabel& label, std::uint32_t paint = 0);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_EDGE_LABEL_H_
