// What each node of a layout shows: the text of its label, or the fields
// a record's label or an HTML-like table divides its box into, with the
// render's label limit applied.
#ifndef VANTRI_RENDER_NODE_FACES_H_
#define VANTRI_RENDER_NODE_FACES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/field_layout.h"
#include "trim/trim.h"

namespace vantri {

struct NodeFaces {
  /// One per node: the label's text with real line breaks; empty for a
  /// node shown as fields.
  std::vector<std::string> labels;
  /// One per node when any node has fields (empty layouts for the others),
  /// else none at all.
  std::vector<FieldLayout> fields;
};

/// The text a node without fields shows, before any shortening: its label,
/// or an HTML-like label's text.
std::string display_label(const LayoutNode& node);

/// The faces of every node of `layout`. Text wider than `max_label`, a
/// label's or a field's, is shortened with `trim`.
NodeFaces node_faces(const LayoutGraph& layout, std::optional<std::uint64_t> max_label,
                     TrimStrategy trim);

}  // namespace vantri

#endif  // VANTRI_RENDER_NODE_FACES_H_
