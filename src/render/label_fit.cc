// Writing labels and node names into DOT text.
#include "render/label_fit.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "text/label_lines.h"

namespace vantri {
namespace {

// `text` with its line endings written as DOT escapes: "\n", and "\l" or
// "\r" for a line set flush left or right (its mark and a line feed). With
// `literal`, backslashes and quotes are escaped too, for the inside of a
// complete string literal.
std::string escaped(std::string_view text, bool literal) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool marked = (c == kLeftLineEnd || c == kRightLineEnd) && i + 1 < text.size() &&
                        text[i + 1] == '\n';
    if (marked) {
      out += c == kLeftLineEnd ? "\\l" : "\\r";
      ++i;
    } else if (c == '\n') {
      out += "\\n";
    } else if (literal && (c == '\\' || c == '"')) {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out;
}

// `text` as a complete DOT string literal with quotes, backslashes and line
// endings escaped.
std::string quoted_label(std::string_view text) { return '"' + escaped(text, true) + '"'; }

}  // namespace

std::optional<std::string> quoted_name(std::string_view name) {
  if (!name.empty() && name.back() == '\\') return std::nullopt;
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string escape_label(std::string_view text) { return escaped(text, false); }

std::string rewrite_dot_labels(std::string_view dot_source,
                               std::span<const LayoutNode> nodes,
                               std::span<const std::string> labels) {
  // What each changed label is written as in the text, and what it becomes;
  // the first node with an own label decides what it becomes.
  std::unordered_map<std::string, std::string> changes;
  const std::size_t count = std::min(nodes.size(), labels.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (labels[i] != nodes[i].label) {
      changes.try_emplace(escape_label(nodes[i].label), escape_label(labels[i]));
    }
  }
  // One pass over the text: every literal label="..." whose contents are a
  // changed label is replaced, left to right.
  constexpr std::string_view kOpening = "label=\"";
  std::string text;
  text.reserve(dot_source.size());
  std::unordered_set<std::string_view> found;
  std::size_t start = 0;
  for (std::size_t at = dot_source.find(kOpening); at != std::string_view::npos;
       at = dot_source.find(kOpening, start)) {
    const std::size_t contents = at + kOpening.size();
    const std::size_t close = dot_source.find('"', contents);
    if (close == std::string_view::npos) break;
    const auto change = changes.find(std::string(dot_source.substr(contents, close - contents)));
    if (change == changes.end()) {
      text.append(dot_source, start, contents - start);
      start = contents;
      continue;
    }
    text.append(dot_source, start, contents - start);
    text += change->second;
    found.insert(change->first);
    start = close;
  }
  text.append(dot_source, start);

  std::string statements;
  for (std::size_t i = 0; i < count; ++i) {
    if (labels[i] == nodes[i].label) continue;
    const std::string old_contents = escape_label(nodes[i].label);
    if (found.contains(old_contents) && changes.at(old_contents) == escape_label(labels[i])) {
      continue;
    }
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

}  // namespace vantri
