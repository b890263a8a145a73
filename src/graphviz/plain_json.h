// A fast reader for the plain JSON that dot writes.
//
// json0 is a large document of objects, arrays, strings and small
// non-negative integers. `read_plain_json` walks such text in one pass and
// reports the same events to a SAX handler, in the same order and with the
// same values, as nlohmann::json::sax_parse does, several times faster.
// Anything outside that plain subset (a number that is negative, has a
// fraction or an exponent or does not fit 64 bits, a \u escape) and
// anything that is not JSON at all (a syntax error, a control character
// or a byte that is not UTF-8 inside a string, text after the value) makes
// it give up: it returns false, perhaps after reporting some events, and
// the caller starts again with the full parser, which then gives the same
// result or the same error it always did.
//
// A handler that also has `string_in_text(std::string_view)` and
// `key_in_text(std::string_view)` gets every string value and key without
// escapes or non-ASCII bytes that way instead of through `string` and
// `key`: a view into the text itself, with nothing copied.
#ifndef VANTRI_GRAPHVIZ_PLAIN_JSON_H_
#define VANTRI_GRAPHVIZ_PLAIN_JSON_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantri {
namespace plain_json {

inline bool is_space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// The length of the well-formed UTF-8 sequence at `p` (before `end`)
// whose first byte is 0x80 or above, or 0: the table of RFC 3629, which
// is what the full parser accepts.
inline std::size_t utf8_length(const unsigned char* p, const unsigned char* end) {
  const auto in = [&](std::size_t k, unsigned char lo, unsigned char hi) {
    return p + k < end && p[k] >= lo && p[k] <= hi;
  };
  const unsigned char b = p[0];
  if (b >= 0xC2 && b <= 0xDF) return in(1, 0x80, 0xBF) ? 2 : 0;
  if (b == 0xE0) return in(1, 0xA0, 0xBF) && in(2, 0x80, 0xBF) ? 3 : 0;
  if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) {
    return in(1, 0x80, 0xBF) && in(2, 0x80, 0xBF) ? 3 : 0;
  }
  if (b == 0xED) return in(1, 0x80, 0x9F) && in(2, 0x80, 0xBF) ? 3 : 0;
  if (b == 0xF0) return in(1, 0x90, 0xBF) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
  if (b >= 0xF1 && b <= 0xF3) {
    return in(1, 0x80, 0xBF) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
  }
  if (b == 0xF4) return in(1, 0x80, 0x8F) && in(2, 0x80, 0xBF) && in(3, 0x80, 0xBF) ? 4 : 0;
  return 0;
}

// Reads the string whose opening quote is just before `p` into `out`;
// returns the position after its closing quote, or null.
inline const char* read_string(const char* p, const char* end, std::string& out) {
  out.clear();
  while (true) {
    const char* run = p;
    while (run < end) {
      const auto b = static_cast<unsigned char>(*run);
      if (b == '"' || b == '\\' || b < 0x20 || b >= 0x80) break;
      ++run;
    }
    out.append(p, run);
    p = run;
    if (p == end) return nullptr;
    const auto b = static_cast<unsigned char>(*p);
    if (b == '"') return p + 1;
    if (b < 0x20) return nullptr;
    if (b >= 0x80) {
      const std::size_t n = utf8_length(reinterpret_cast<const unsigned char*>(p),
                                        reinterpret_cast<const unsigned char*>(end));
      if (n == 0) return nullptr;
      out.append(p, n);
      p += n;
      continue;
    }
    // An escape; \u is left to the full parser.
    if (++p == end) return nullptr;
    switch (*p++) {
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      case '/': out += '/'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      default: return nullptr;
    }
  }
}

}  // namespace plain_json

/// Reports the events of `text` to `handler` (see the file comment);
/// false when the text is not plain JSON or a handler call returned false.
template <class Handler>
bool read_plain_json(std::string_view text, Handler& handler) {
  using plain_json::is_space;
  const char* p = text.data();
  const char* const end = p + text.size();
  const auto skip_space = [&] {
    while (p < end && is_space(*p)) ++p;
  };
  std::string buffer;
  constexpr bool takes_views = requires {
    handler.string_in_text(std::string_view());
    handler.key_in_text(std::string_view());
  };
  // The string whose opening quote is at p, as it stands in the text, and
  // p past it; nothing, with p unmoved, when it has escapes or bytes
  // other than printable ASCII.
  const auto plain_string = [&]() -> std::optional<std::string_view> {
    const char* run = p + 1;
    while (run < end) {
      const auto b = static_cast<unsigned char>(*run);
      if (b == '"' || b == '\\' || b < 0x20 || b >= 0x80) break;
      ++run;
    }
    if (run == end || *run != '"') return std::nullopt;
    const std::string_view in_text(p + 1, static_cast<std::size_t>(run - (p + 1)));
    p = run + 1;
    return in_text;
  };
  // Open containers, innermost last: true for an object.
  std::vector<bool> open;
  // Reads one value that starts at p (after white space).
  const auto value = [&]() -> bool {
    if (p == end) return false;
    const char c = *p;
    if (c == '"') {
      if constexpr (takes_views) {
        if (const auto in_text = plain_string()) return handler.string_in_text(*in_text);
      }
      p = plain_json::read_string(p + 1, end, buffer);
      return p != nullptr && handler.string(buffer);
    }
    if (c >= '0' && c <= '9') {
      if (c == '0' && p + 1 < end && p[1] >= '0' && p[1] <= '9') return false;
      std::uint64_t n = 0;
      for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        const auto digit = static_cast<std::uint64_t>(*p - '0');
        if (n > (UINT64_MAX - digit) / 10) return false;  // a float to the full parser
        n = n * 10 + digit;
      }
      if (p < end && (*p == '.' || *p == 'e' || *p == 'E')) return false;
      return handler.number_unsigned(n);
    }
    const auto word = [&](std::string_view w) {
      if (static_cast<std::size_t>(end - p) < w.size() || std::string_view(p, w.size()) != w) {
        return false;
      }
      p += w.size();
      return true;
    };
    if (c == 't') return word("true") && handler.boolean(true);
    if (c == 'f') return word("false") && handler.boolean(false);
    if (c == 'n') return word("null") && handler.null();
    return false;
  };
  // Reads a key and its colon; p is at the opening quote.
  const auto key = [&]() -> bool {
    if (p == end || *p != '"') return false;
    bool taken = false;
    if constexpr (takes_views) {
      if (const auto in_text = plain_string()) {
        if (!handler.key_in_text(*in_text)) return false;
        taken = true;
      }
    }
    if (!taken) {
      p = plain_json::read_string(p + 1, end, buffer);
      if (p == nullptr || !handler.key(buffer)) return false;
    }
    skip_space();
    if (p == end || *p != ':') return false;
    ++p;
    skip_space();
    return true;
  };
  skip_space();
  while (true) {
    // At the start of a value.
    if (p == end) return false;
    if (*p == '{' || *p == '[') {
      const bool object = *p == '{';
      ++p;
      if (!(object ? handler.start_object(static_cast<std::size_t>(-1))
                   : handler.start_array(static_cast<std::size_t>(-1)))) {
        return false;
      }
      skip_space();
      if (p < end && *p == (object ? '}' : ']')) {
        ++p;
        if (!(object ? handler.end_object() : handler.end_array())) return false;
      } else {
        open.push_back(object);
        if (object && !key()) return false;
        continue;
      }
    } else if (!value()) {
      return false;
    }
    // After a value: a comma and the next one, or the ends of containers.
    while (true) {
      skip_space();
      if (open.empty()) return p == end;
      if (p == end) return false;
      if (*p == ',') {
        ++p;
        skip_space();
        if (open.back() && !key()) return false;
        break;
      }
      if (*p != (open.back() ? '}' : ']')) return false;
      ++p;
      if (!(open.back() ? handler.end_object() : handler.end_array())) return false;
      open.pop_back();
    }
  }
}

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_PLAIN_JSON_H_
