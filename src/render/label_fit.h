// Writing what the width fitting chose into the DOT text for the next
// layout: labels, and node names for statements of its own. (What a label shows within a budget is `NodeLabels`; the
// caller's label limit is `limit_label`.)
#ifndef VANTRI_RENDER_LABEL_FIT_H_
#define VANTRI_RENDER_LABEL_FIT_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "graphviz/layout_graph.h"

namespace vantri {

/// The DOT text with every changed label written in. Labels written
/// literally as label="..." are replaced in place; a node whose label is
/// not found that way gets a statement of its own before the last "}".
std::string rewrite_dot_labels(std::string_view dot_source,
                               std::span<const LayoutNode> nodes,
                               std::span<const std::string> labels);

/// A node name as a DOT string literal; absent when it cannot be written
/// (a trailing backslash would escape the closing quote).
std::optional<std::string> quoted_name(std::string_view name);

/// A label as it stands inside the quotes of a DOT attribute written by
/// Graphviz users: line feeds as backslash-n, nothing else escaped.
std::string escape_label(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_RENDER_LABEL_FIT_H_
