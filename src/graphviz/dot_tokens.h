// Walking DOT text token by token, as far as the text itself tells.
//
// Just enough of the DOT language to see its structure: comments (`//`,
// `/* */` and the lines a C preprocessor writes, `#` first on a line) are
// skipped, a quoted string and an HTML string (`<...>`, brackets nested)
// are one token each, a run of name characters is one name, and anything
// else is a token of one character (`{`, `}`, `=`, `;`, `-`...). Unfinished
// strings and comments run to the end of the text, so every text can be
// walked.
#ifndef VANTRI_GRAPHVIZ_DOT_TOKENS_H_
#define VANTRI_GRAPHVIZ_DOT_TOKENS_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vantri {

struct DotToken {
  enum class Kind : std::uint8_t {
    /// Letters, digits, `_`, `.` and any byte above 127.
    Name,
    /// `text` is what stands between the quotes, escapes as written.
    Quoted,
    /// `text` is what stands between the outer angle brackets.
    Html,
    /// One character that is none of the above.
    Other,
  };
  Kind kind;
  std::string_view text;
  /// Where the token ends in the text, one past its last byte.
  std::size_t end;
};

class DotTokens {
 public:
  explicit DotTokens(std::string_view text) : s_(text) {}

  /// The next token; absent at the end of the text.
  std::optional<DotToken> next();

 private:
  bool next_is(char c) const { return i_ + 1 < s_.size() && s_[i_ + 1] == c; }
  void skip_to_line_end();

  std::string_view s_;
  std::size_t i_ = 0;
  bool line_start_ = true;
};

/// The text of each graph of `dot_source`, in order, as views into it:
/// each reaches from the end of the one before (the comments and blanks in
/// between included) to its closing brace, and the last one to the end of
/// the text. When no brace closes a graph, the whole text is the one piece.
std::vector<std::string_view> split_dot_graphs(std::string_view dot_source);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_DOT_TOKENS_H_
