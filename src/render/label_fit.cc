// Label limit, label budget and the rewrite of labels into DOT text.
#include "render/label_fit.h"

#include <algorithm>

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

std::string shorten_lines(std::string_view label, std::uint64_t budget,
                          TrimStrategy trim) {
  if (label_width(label) <= budget) return std::string(label);
  std::string out;
  out.reserve(label.size());
  bool first = true;
  for (std::string_view line : split_label_lines(label)) {
    if (!first) out += '\n';
    first = false;
    if (text_width(line) <= budget) {
      out += line;
    } else {
      out += trim_label(line, budget, trim);
    }
  }
  return out;
}

void apply_label_budget(std::span<const LayoutNode> nodes,
                        std::span<std::string> labels, std::uint64_t budget,
                        TrimStrategy trim) {
  const std::size_t count = std::min(nodes.size(), labels.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (label_width(labels[i]) > budget) {
      labels[i] = shorten_lines(nodes[i].label, budget, trim);
    }
  }
}

}  // namespace vantri
