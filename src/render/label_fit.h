// Shortening node labels before drawing: the label budget of the width
// fitting, and writing shortened labels into the DOT text for the next
// layout. (The caller's label limit is `limit_label`.)
#ifndef VANTRI_RENDER_LABEL_FIT_H_
#define VANTRI_RENDER_LABEL_FIT_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "graphviz/layout_graph.h"
#include "trim/trim.h"

namespace vantri {

/// `label` with every line wider than `budget` columns cut to `budget`
/// with `trim`; the other lines, and a label that fits, stay as they are.
std::string shorten_lines(std::string_view label, std::uint64_t budget,
                          TrimStrategy trim);

/// Replaces every entry of `labels` wider than `budget` by the text its
/// node shows unshortened (the same entry of `unshortened`) with the lines
/// cut to `budget` (`shorten_lines`): a label the label limit cut is cut
/// again from the whole text, not from the shortened one.
void apply_label_budget(std::span<const std::string> unshortened,
                        std::span<std::string> labels, std::uint64_t budget,
                        TrimStrategy trim);

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
