// Reading each node's label into what its box shows.
#include "render/node_faces.h"

#include "graphviz/html_label.h"
#include "graphviz/record_label.h"
#include "render/label_fit.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// Shortens the text of every field wider than the limit.
void limit_fields(FieldTree& tree, std::optional<std::uint64_t> max_label, TrimStrategy trim) {
  if (!max_label) return;
  if (label_width(tree.text) > *max_label) {
    tree.text = trim_label(tree.text, static_cast<std::size_t>(*max_label), trim);
  }
  for (FieldItem& item : tree.items) limit_fields(item.field, max_label, trim);
}

// The fields of a record node or of an HTML-like table, or nothing for
// any other node or a label that is not record syntax.
std::optional<FieldTree> fields_of(const LayoutNode& node, RankDir rankdir) {
  if (node.label_is_html) return read_html_label(node.raw_label).table;
  if (node.shape != NodeShape::Record && node.shape != NodeShape::MRecord) return std::nullopt;
  const bool top_down = rankdir == RankDir::LeftToRight || rankdir == RankDir::RightToLeft;
  return parse_record_label(node.raw_label, node.name ? &*node.name : nullptr, top_down,
                            node.rects);
}

}  // namespace

std::string display_label(const LayoutNode& node) {
  return node.label_is_html ? read_html_label(node.raw_label).text : node.label;
}

NodeFaces node_faces(const LayoutGraph& layout, std::optional<std::uint64_t> max_label,
                     TrimStrategy trim) {
  NodeFaces faces;
  faces.labels.reserve(layout.nodes.size());
  for (std::size_t i = 0; i < layout.nodes.size(); ++i) {
    const LayoutNode& node = layout.nodes[i];
    std::optional<FieldTree> tree = fields_of(node, layout.rankdir);
    if (!tree) {
      faces.labels.push_back(display_label(node));
      continue;
    }
    limit_fields(*tree, max_label, trim);
    if (faces.fields.empty()) faces.fields.resize(layout.nodes.size());
    faces.fields[i] = lay_out_fields(*tree);
    faces.labels.emplace_back();
  }
  apply_label_limit(faces.labels, max_label, trim);
  return faces;
}

}  // namespace vantri
