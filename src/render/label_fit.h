// Shortening node labels before drawing: the caller's label limit, and the
// width fitting that lays the graph out again with shorter labels when the
// drawing would be wider than the caller's width limit.
#ifndef VANTRI_RENDER_LABEL_FIT_H_
#define VANTRI_RENDER_LABEL_FIT_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graphviz/layout_graph.h"
#include "graphviz/run_dot.h"
#include "grid/field_layout.h"
#include "grid/grid_transform.h"
#include "render/render_options.h"
#include "trim/trim.h"

namespace vantri {

/// Shortens every entry of `labels` wider than `max_label` (its widest
/// line) to `max_label` columns. Nothing happens without a limit.
void apply_label_limit(std::span<std::string> labels,
                       std::optional<std::uint64_t> max_label,
                       TrimStrategy trim);

/// When the drawing is wider than `options.max_width` (5 or more), shortens
/// the labels that make their nodes too wide and, if any was shortened,
/// lays out the rewritten DOT text once more with `relayout`; then labels
/// and fields are those of the new layout (`node_faces`). Nodes shown as
/// fields keep them. The transform's width never exceeds the limit. A
/// failing second layout, or an empty `relayout`, keeps the first one with
/// the shortened labels.
void fit_labels_to_width(std::string_view dot_source, LayoutGraph& layout,
                         std::vector<std::string>& labels,
                         std::vector<FieldLayout>& fields,
                         GridTransform& transform, const RenderOptions& options,
                         const LayoutFunction& relayout);

/// The DOT text with every changed label written in. Labels written
/// literally as label="..." are replaced in place; a node whose label is
/// not found that way gets a statement of its own before the last "}".
std::string rewrite_dot_labels(std::string_view dot_source,
                               std::span<const LayoutNode> nodes,
                               std::span<const std::string> labels);

/// A label as it stands inside the quotes of a DOT attribute written by
/// Graphviz users: line feeds as backslash-n, nothing else escaped.
std::string escape_label(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_RENDER_LABEL_FIT_H_
