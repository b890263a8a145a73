// Reading each node's label into what its box shows.
#include "render/node_faces.h"

#include "graphviz/html_label.h"
#include "graphviz/record_label.h"
#include "render/distinct_labels.h"

namespace vantri {
namespace {

// Shortens the text of every field wider than the limit.
void limit_fields(FieldTree& tree, std::optional<std::uint64_t> max_label, TrimStrategy trim) {
  if (!max_label) return;
  std::string limited = limit_label(tree.text, max_label, trim, LabelLines::Split);
  if (limited != tree.text) {
    tree.text = std::move(limited);
    // The styled stretches were of the text as written.
    tree.runs.clear();
  }
  for (FieldItem& item : tree.items) limit_fields(item.field, max_label, trim);
}

// What a node shows: the fields of a record or of an HTML-like table, or
// its text (an HTML-like label's without markup); a label that is not
// record syntax shows as written.
struct Face {
  std::optional<FieldTree> fields;
  std::string text;
};

Face face_of(const LayoutNode& node, RankDir rankdir) {
  if (node.label_is_html) {
    HtmlLabel html = read_html_label(node.raw_label);
    return {std::move(html.table), std::move(html.text)};
  }
  if (node.shape == NodeShape::Record || node.shape == NodeShape::MRecord) {
    const bool top_down = rankdir == RankDir::LeftToRight || rankdir == RankDir::RightToLeft;
    std::optional<FieldTree> tree = parse_record_label(
        node.raw_label, node.name ? &*node.name : nullptr, top_down, node.rects);
    if (tree) return {std::move(tree), {}};
  }
  return {std::nullopt, node.label};
}

}  // namespace

std::string display_label(const LayoutNode& node) {
  if (!node.label_is_html) return node.label;
  return read_html_label(node.raw_label).text;
}

NodeFaces node_faces(const LayoutGraph& layout, std::optional<std::uint64_t> max_label,
                     TrimStrategy trim) {
  NodeFaces faces;
  const std::size_t count = layout.nodes.size();
  faces.labels.reserve(count);
  // Each label as written, for the labels the limit cuts.
  std::vector<std::string> own(count);
  for (std::size_t i = 0; i < count; ++i) {
    Face face = face_of(layout.nodes[i], layout.rankdir);
    if (!face.fields) {
      faces.labels.push_back(limit_label(face.text, max_label, trim, LabelLines::Split));
      own[i] = std::move(face.text);
      continue;
    }
    limit_fields(*face.fields, max_label, trim);
    if (faces.fields.empty()) faces.fields.resize(count);
    faces.fields[i] = lay_out_fields(*face.fields);
    faces.labels.emplace_back();
  }
  if (!max_label) return faces;
  // Labels the limit cut to the same text are cut elsewhere where that
  // parts them; the limit itself stays.
  std::vector<ShownLabel> shown(count);
  for (std::size_t i = 0; i < count; ++i) {
    shown[i] = {faces.labels[i], faces.labels[i] != own[i]};
  }
  std::vector<std::uint64_t> columns(count, *max_label);
  const std::vector<std::uint64_t> most = columns;
  keep_labels_apart(own, shown, columns, most, trim,
                    [&](std::size_t i, std::uint64_t limit, TrimStrategy strategy) {
                      std::string text = limit_label(own[i], limit, strategy, LabelLines::Split);
                      const bool cut = text != own[i];
                      return ShownLabel{std::move(text), cut};
                    });
  for (std::size_t i = 0; i < count; ++i) faces.labels[i] = std::move(shown[i].text);
  return faces;
}

}  // namespace vantri
