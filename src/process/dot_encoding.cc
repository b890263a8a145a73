// A small DOT scanner for charset attributes, and the Latin-1 conversion.
#include "process/dot_encoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "messages/messages.h"
#include "text/utf8.h"

namespace vantri {
namespace {

constexpr std::string_view kUtf8Value = "\"UTF-8\"";

struct Token {
  enum class Kind : std::uint8_t { Id, Equals, Other };
  Kind kind = Kind::Other;
  std::size_t begin = 0;
  std::size_t end = 0;
  /// Id: the name or the text between the quotes (HTML strings: empty,
  /// they are never an attribute's name or a charset).
  std::string_view text;
};

bool is_id_byte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '_' || c == '.' || c >= 0x80;
}

bool is_blank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Splits DOT text into what matters for `name = value` pairs: identifiers
// (plain, numeral, quoted, HTML), "=" and anything else, skipping white
// space, comments and preprocessor lines. Unterminated strings and
// comments run to the end.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  std::optional<Token> next() {
    skip_blanks();
    if (at_ >= text_.size()) return std::nullopt;
    const std::size_t begin = at_;
    const char c = text_[at_];
    if (c == '"') return quoted(begin);
    if (c == '<') return html(begin);
    if (c == '=') return Token{Token::Kind::Equals, begin, ++at_, {}};
    if (c == '-' && at_ + 1 < text_.size() && (text_[at_ + 1] == '-' || text_[at_ + 1] == '>')) {
      at_ += 2;  // an edge operator
      return Token{Token::Kind::Other, begin, at_, {}};
    }
    if (c == '-' || is_id_byte(static_cast<unsigned char>(c))) {
      ++at_;
      while (at_ < text_.size() && is_id_byte(static_cast<unsigned char>(text_[at_]))) ++at_;
      return Token{Token::Kind::Id, begin, at_, text_.substr(begin, at_ - begin)};
    }
    return Token{Token::Kind::Other, begin, ++at_, {}};
  }

 private:
  void skip_blanks() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      const char after = at_ + 1 < text_.size() ? text_[at_ + 1] : '\0';
      if (c == '#' && (at_ == 0 || text_[at_ - 1] == '\n')) {
        skip_past("\n");
      } else if (c == '/' && after == '/') {
        skip_past("\n");
      } else if (c == '/' && after == '*') {
        at_ += 2;
        skip_past("*/");
      } else if (is_blank(static_cast<unsigned char>(c))) {
        ++at_;
      } else {
        return;
      }
    }
  }

  void skip_past(std::string_view end) {
    const std::size_t found = text_.find(end, at_);
    at_ = found == std::string_view::npos ? text_.size() : found + end.size();
  }

  Token quoted(std::size_t begin) {
    ++at_;
    for (;;) {
      at_ = std::min(text_.find_first_of("\"\\", at_), text_.size());
      if (at_ >= text_.size() || text_[at_] == '"') break;
      at_ += 2;  // an escaped character
    }
    const std::size_t content_end = std::min(at_, text_.size());
    at_ = std::min(at_ + 1, text_.size());
    return Token{Token::Kind::Id, begin, at_, text_.substr(begin + 1, content_end - begin - 1)};
  }

  Token html(std::size_t begin) {
    std::size_t depth = 0;
    do {
      if (text_[at_] == '<') ++depth;
      if (text_[at_] == '>') --depth;
      ++at_;
    } while (depth > 0 && at_ < text_.size());
    return Token{Token::Kind::Id, begin, at_, {}};
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// Whether the last declaration (the one Graphviz goes by) names Latin-1.
bool declares_latin1(const std::vector<CharsetDeclaration>& declarations) {
  return !declarations.empty() && is_latin1_charset(declarations.back().value);
}

// `text` with every Latin-1 declaration's value replaced by "UTF-8", and,
// when `from_latin1`, every other byte above 0x7F turned into the two bytes
// of its UTF-8 form.
std::string rewritten(std::string_view text, const std::vector<CharsetDeclaration>& declarations,
                      bool from_latin1) {
  std::string out;
  out.reserve(text.size() + (from_latin1 ? text.size() / 8 : 0));
  std::size_t at = 0;
  const auto copy_up_to = [&](std::size_t end) {
    for (; at < end; ++at) {
      const auto byte = static_cast<unsigned char>(text[at]);
      if (!from_latin1 || byte < 0x80) {
        out += static_cast<char>(byte);
      } else {
        out += static_cast<char>(0xC0 | (byte >> 6));
        out += static_cast<char>(0x80 | (byte & 0x3F));
      }
    }
  };
  for (const CharsetDeclaration& declaration : declarations) {
    if (!is_latin1_charset(declaration.value)) continue;
    copy_up_to(declaration.begin);
    out += kUtf8Value;
    at = declaration.end;
  }
  copy_up_to(text.size());
  return out;
}

}  // namespace

std::vector<CharsetDeclaration> find_charset_declarations(std::string_view dot_source) {
  std::vector<CharsetDeclaration> found;
  Scanner scanner(dot_source);
  // The last two tokens before the current one.
  std::optional<Token> name;
  std::optional<Token> equals;
  while (const std::optional<Token> token = scanner.next()) {
    if (token->kind == Token::Kind::Id && equals && name &&
        equals->kind == Token::Kind::Equals && name->kind == Token::Kind::Id &&
        name->text == "charset") {
      found.push_back({token->begin, token->end, token->text});
    }
    name = equals;
    equals = token;
  }
  return found;
}

bool is_latin1_charset(std::string_view name) {
  static constexpr std::array<std::string_view, 7> kNames = {
      "latin1", "latin-1", "l1", "iso-8859-1", "iso_8859-1", "iso8859-1", "iso-ir-100"};
  return std::ranges::any_of(kNames, [name](std::string_view known) {
    return equal_ignoring_case(name, known);
  });
}

std::expected<std::string, IoError> dot_text_from_bytes(std::string bytes) {
  const std::vector<CharsetDeclaration> declarations = find_charset_declarations(bytes);
  if (declares_latin1(declarations)) return rewritten(bytes, declarations, true);
  if (const auto bad = validate_utf8(bytes)) {
    return std::unexpected(
        IoError::custom(messages::source_not_utf8(bad->describe())));
  }
  return bytes;
}

std::string dot_text_from_unicode(std::string text) {
  const std::vector<CharsetDeclaration> declarations = find_charset_declarations(text);
  if (!declares_latin1(declarations)) return text;
  return rewritten(text, declarations, false);
}

}  // namespace vantri
