// Label limit, width fitting and the rewrite of labels into DOT text.
#include "render/label_fit.h"

#include <algorithm>
#include <cmath>

#include "render/build_transform.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

std::string label_pattern(std::string_view label) {
  return "label=\"" + escape_label(label) + "\"";
}

// Replaces every occurrence of `from` in `text`, left to right without
// overlaps; returns how many there were.
std::size_t replace_all(std::string& text, std::string_view from,
                        std::string_view to) {
  std::string out;
  std::size_t count = 0;
  std::size_t start = 0;
  for (std::size_t hit = text.find(from); hit != std::string::npos;
       hit = text.find(from, start)) {
    if (count++ == 0) out.reserve(text.size());
    out.append(text, start, hit - start);
    out.append(to);
    start = hit + from.size();
  }
  if (count == 0) return 0;
  out.append(text, start);
  text = std::move(out);
  return count;
}

// `text` as a complete DOT string literal with quotes, backslashes and line
// feeds escaped.
std::string quoted_label(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

// A node name as a DOT string literal; absent when it cannot be written
// (a trailing backslash would escape the closing quote).
std::optional<std::string> quoted_name(std::string_view name) {
  if (!name.empty() && name.back() == '\\') return std::nullopt;
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

void apply_label_limit(std::span<const LayoutNode> nodes,
                       std::span<std::string> labels,
                       std::optional<std::uint64_t> max_label,
                       TrimStrategy trim) {
  if (!max_label) return;
  const std::size_t count = std::min(nodes.size(), labels.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (label_width(labels[i]) > *max_label) {
      labels[i] = trim_label(nodes[i].label, *max_label, trim);
    }
  }
}

std::string escape_label(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string rewrite_dot_labels(std::string_view dot_source,
                               std::span<const LayoutNode> nodes,
                               std::span<const std::string> labels) {
  std::string text(dot_source);
  std::string statements;
  const std::size_t count = std::min(nodes.size(), labels.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (labels[i] == nodes[i].label) continue;
    const std::string to = label_pattern(labels[i]);
    if (replace_all(text, label_pattern(nodes[i].label), to) != 0) continue;
    // The label did not come from a literal label="..." attribute: most
    // often the node has none and shows its name. Give the node its
    // shortened label in a statement of its own.
    if (!nodes[i].name) continue;
    if (auto name = quoted_name(*nodes[i].name)) {
      statements += *name + " [label=" + quoted_label(labels[i]) + "];\n";
    }
  }
  if (!statements.empty()) {
    const std::size_t close = text.rfind('}');
    // On a line of their own: the statement before may lack its ";".
    if (close != std::string::npos) text.insert(close, "\n" + statements);
  }
  return text;
}

void fit_labels_to_width(std::string_view dot_source, LayoutGraph& layout,
                         std::vector<std::string>& labels,
                         GridTransform& transform, const RenderOptions& options,
                         const LayoutFunction& relayout) {
  if (!options.max_width || *options.max_width < 5 ||
      *options.max_width >= transform.width) {
    return;
  }
  const std::uint64_t max_width = *options.max_width;
  const double divisor =
      static_cast<double>(max_width - 2 * static_cast<std::uint64_t>(transform.margin));
  const double scale = (layout.bb.x1 - layout.bb.x0) / divisor;
  const std::uint64_t threshold = max_width / 2;

  bool shortened = false;
  const std::size_t count = std::min(layout.nodes.size(), labels.size());
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t width = label_width(labels[i]);
    if (width + 4 <= threshold) continue;
    std::uint64_t room =
        saturating_to_unsigned(std::floor(layout.nodes[i].width / scale));
    room = room >= 4 ? room - 4 : 0;
    room = std::max<std::uint64_t>(room, 8);
    if (room >= width) continue;
    labels[i] = trim_label(layout.nodes[i].label, room, options.trim);
    shortened = true;
  }
  if (!shortened || !relayout) {
    transform.width = max_width;
    return;
  }

  auto second = relayout(rewrite_dot_labels(dot_source, layout.nodes, labels), {});
  if (!second) {
    // The rewrite can make a valid graph invalid (a shortened record label
    // loses its field separators, say). Draw the first layout with the
    // shortened labels rather than failing a render that works unfitted.
    transform.width = max_width;
    return;
  }
  layout = std::move(*second);
  labels.clear();
  labels.reserve(layout.nodes.size());
  for (const LayoutNode& node : layout.nodes) labels.push_back(node.label);
  transform = build_transform(layout.bb, layout.nodes, labels);
  transform.width = std::min(transform.width, max_width);
}

}  // namespace vantri
