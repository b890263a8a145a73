// The DOT tokenizer and the split of a text into its graphs.
#include "graphviz/dot_tokens.h"

#include <algorithm>

namespace vantri {
namespace {

bool is_name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '_' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

}  // namespace

void DotTokens::skip_to_line_end() {
  const std::size_t end = s_.find('\n', i_);
  i_ = end == std::string_view::npos ? s_.size() : end;
}

std::optional<DotToken> DotTokens::next() {
  while (i_ < s_.size()) {
    const char c = s_[i_];
    if (c == '\n') {
      line_start_ = true;
      ++i_;
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++i_;
      continue;
    }
    if (c == '#' && line_start_) {
      skip_to_line_end();
      continue;
    }
    line_start_ = false;
    if (c == '/' && next_is('/')) {
      skip_to_line_end();
      continue;
    }
    if (c == '/' && next_is('*')) {
      const std::size_t end = s_.find("*/", i_ + 2);
      i_ = end == std::string_view::npos ? s_.size() : end + 2;
      continue;
    }
    const std::size_t start = i_;
    if (c == '"') {
      // A backslash takes the next byte with it, so \" does not end it.
      ++i_;
      while (i_ < s_.size() && s_[i_] != '"') i_ += s_[i_] == '\\' ? 2 : 1;
      const std::size_t inside_end = std::min(i_, s_.size());
      i_ = std::min(i_ + 1, s_.size());
      return DotToken{DotToken::Kind::Quoted, s_.substr(start + 1, inside_end - start - 1), i_};
    }
    if (c == '<') {
      ++i_;
      std::size_t depth = 1;
      while (i_ < s_.size()) {
        if (s_[i_] == '<') ++depth;
        if (s_[i_] == '>' && --depth == 0) break;
        ++i_;
      }
      const std::size_t inside_end = i_;
      i_ = std::min(i_ + 1, s_.size());
      return DotToken{DotToken::Kind::Html, s_.substr(start + 1, inside_end - start - 1), i_};
    }
    if (is_name_char(c)) {
      while (i_ < s_.size() && is_name_char(s_[i_])) ++i_;
      return DotToken{DotToken::Kind::Name, s_.substr(start, i_ - start), i_};
    }
    ++i_;
    return DotToken{DotToken::Kind::Other, s_.substr(start, 1), i_};
  }
  return std::nullopt;
}

std::vector<std::string_view> split_dot_graphs(std::string_view dot_source) {
  std::vector<std::string_view> graphs;
  DotTokens tokens(dot_source);
  std::size_t depth = 0;
  std::size_t start = 0;
  while (const std::optional<DotToken> token = tokens.next()) {
    if (token->kind != DotToken::Kind::Other) continue;
    if (token->text == "{") {
      ++depth;
    } else if (token->text == "}" && depth > 0 && --depth == 0) {
      graphs.push_back(dot_source.substr(start, token->end - start));
      start = token->end;
    }
  }
  if (graphs.empty()) return {dot_source};
  // What follows the last graph (comments, blanks) stays with it.
  const std::string_view& last = graphs.back();
  graphs.back() = dot_source.substr(static_cast<std::size_t>(last.data() - dot_source.data()));
  return graphs;
}

}  // namespace vantri
