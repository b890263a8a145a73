// Finding HTML-like label values in DOT text.
#include "graphviz/html_label_marks.h"

#include <string>
#include <unordered_set>

namespace vantri {
namespace {

bool is_id_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '_' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

// Walks the DOT text token by token, just enough to know when an angle
// bracket opens the value of a label attribute.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : s_(text) {}

  std::vector<std::string_view> values() {
    std::vector<std::string_view> found;
    bool line_start = true;
    while (i_ < s_.size()) {
      const char c = s_[i_];
      if (c == '\n') {
        line_start = true;
        ++i_;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++i_;
        continue;
      }
      // A line a C preprocessor wrote.
      if (c == '#' && line_start) {
        skip_to_line_end();
        continue;
      }
      line_start = false;
      if (c == '/' && next_is('/')) {
        skip_to_line_end();
      } else if (c == '/' && next_is('*')) {
        const std::size_t end = s_.find("*/", i_ + 2);
        i_ = end == std::string_view::npos ? s_.size() : end + 2;
      } else if (c == '"') {
        quoted();
      } else if (c == '<') {
        const std::string_view value = html();
        if (state_ == State::AfterEquals) found.push_back(value);
        state_ = State::None;
      } else if (is_id_char(c)) {
        const std::size_t start = i_;
        while (i_ < s_.size() && is_id_char(s_[i_])) ++i_;
        state_ = s_.substr(start, i_ - start) == "label" ? State::AfterName : State::None;
      } else {
        state_ = c == '=' && state_ == State::AfterName ? State::AfterEquals : State::None;
        ++i_;
      }
    }
    return found;
  }

 private:
  enum class State { None, AfterName, AfterEquals };

  bool next_is(char c) const { return i_ + 1 < s_.size() && s_[i_ + 1] == c; }

  void skip_to_line_end() {
    const std::size_t end = s_.find('\n', i_);
    i_ = end == std::string_view::npos ? s_.size() : end;
  }

  // A quoted string; "label" in quotes names the attribute too.
  void quoted() {
    const std::size_t start = ++i_;
    while (i_ < s_.size() && s_[i_] != '"') i_ += s_[i_] == '\\' ? 2 : 1;
    const std::string_view text = s_.substr(start, std::min(i_, s_.size()) - start);
    i_ = std::min(i_ + 1, s_.size());
    state_ = text == "label" ? State::AfterName : State::None;
  }

  // An HTML string from its "<" to the matching ">"; its inside.
  std::string_view html() {
    const std::size_t start = ++i_;
    std::size_t depth = 1;
    while (i_ < s_.size()) {
      if (s_[i_] == '<') ++depth;
      if (s_[i_] == '>' && --depth == 0) break;
      ++i_;
    }
    const std::string_view inside = s_.substr(start, i_ - start);
    i_ = std::min(i_ + 1, s_.size());
    return inside;
  }

  std::string_view s_;
  std::size_t i_ = 0;
  State state_ = State::None;
};

}  // namespace

std::vector<std::string_view> html_label_values(std::string_view dot_source) {
  return Scanner(dot_source).values();
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
