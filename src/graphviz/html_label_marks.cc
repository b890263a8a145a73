// Finding HTML-like label values in DOT text.
#include "graphviz/html_label_marks.h"

#include <optional>
#include <unordered_set>

#include "graphviz/dot_tokens.h"

namespace vantri {

std::vector<std::string_view> html_label_values(std::string_view dot_source) {
  // Just enough to know when an angle bracket opens the value of a label
  // attribute: after the name `label` (quoted or not) and `=`.
  enum class State { None, AfterName, AfterEquals };
  std::vector<std::string_view> found;
  State state = State::None;
  DotTokens tokens(dot_source);
  while (const std::optional<DotToken> token = tokens.next()) {
    switch (token->kind) {
      case DotToken::Kind::Name:
      case DotToken::Kind::Quoted:
        state = token->text == "label" ? State::AfterName : State::None;
        break;
      case DotToken::Kind::Html:
        if (state == State::AfterEquals) found.push_back(token->text);
        state = State::None;
        break;
      case DotToken::Kind::Other:
        state = token->text == "=" && state == State::AfterName ? State::AfterEquals
                                                                : State::None;
        break;
    }
  }
  return found;
}

void mark_html_labels(std::string_view dot_source, LayoutGraph& layout) {
  const std::vector<std::string_view> values = html_label_values(dot_source);
  if (values.empty()) return;
  const std::unordered_set<std::string_view> html(values.begin(), values.end());
  for (LayoutNode& node : layout.nodes) node.label_is_html = html.contains(node.raw_label);
  for (LayoutEdge& edge : layout.edges) {
    edge.label_is_html = edge.label && html.contains(*edge.label);
  }
  for (LayoutCluster& cluster : layout.clusters) {
    cluster.label_is_html = html.contains(cluster.label);
  }
  layout.label_is_html = layout.label && html.contains(*layout.label);
}

}  // namespace vantri
