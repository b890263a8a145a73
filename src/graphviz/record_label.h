// Reading a record's label: fields separated by "|", "{...}" flipping
// between left-to-right and top-to-bottom, "<port>" names, and the
// escapes of the record syntax.
#ifndef VANTRI_GRAPHVIZ_RECORD_LABEL_H_
#define VANTRI_GRAPHVIZ_RECORD_LABEL_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "graphviz/field_tree.h"
#include "graphviz/layout_graph.h"

namespace vantri {

/// The fields of a record label as `dot` gives it in json0 ("raw_label"):
/// `\{`, `\}`, `\|`, `\<`, `\>` and `\ ` are those characters, `\n`, `\l`,
/// `\r` line ends, `\N` the node's `name` (kept without one), `\\` one
/// backslash; blanks between words shrink to one and vanish at the ends of
/// a field. Which way each group of fields runs is read from `rects`, the
/// fields' rectangles as `dot` laid them out, one per text field in label
/// order; when they do not match, the top level runs left to right unless
/// `top_down` (rankdir LR or RL), and each "{...}" turns it.
/// Nothing for a label that is not valid record syntax or nests deeper
/// than `kMaxFieldDepth`.
std::optional<FieldTree> parse_record_label(std::string_view label,
                                            const std::string* name, bool top_down,
                                            std::span<const BoundingBox> rects);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_RECORD_LABEL_H_
