// UTF-8 helpers shared by every unit that measures, cuts or prints text.
//
// Labels are measured in bytes but written one code point per cell, so the
// drawing code needs both views of a string: byte offsets that never fall
// inside a character, and the code points themselves.
#ifndef VANTRI_TEXT_UTF8_H_
#define VANTRI_TEXT_UTF8_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantri {

/// Where and how a byte sequence stops being valid UTF-8.
struct Utf8Error {
  /// Number of leading bytes that are valid UTF-8.
  std::size_t valid_up_to = 0;
  /// Length of the invalid sequence at `valid_up_to`; absent when the text
  /// ends in the middle of a sequence that could still have been valid.
  std::optional<std::size_t> error_len;

  /// "invalid utf-8 sequence of N bytes from index I" or
  /// "incomplete utf-8 byte sequence from index I".
  std::string describe() const;
};

/// The first invalid sequence of `bytes`, or nothing when all of it is UTF-8.
std::optional<Utf8Error> validate_utf8(std::string_view bytes);

/// `bytes` with every invalid sequence replaced by U+FFFD.
std::string decode_utf8_lossy(std::string_view bytes);

/// `next_code_point` for every sequence, valid or not.
char32_t decode_code_point(std::string_view text, std::size_t& i);

/// Decodes the code point starting at byte `i` (< text.size()) and advances
/// `i` past it. An invalid sequence yields U+FFFD and advances by its length
/// (at least 1).
///
/// Every character of a drawing passes through here, so ASCII and the
/// three-byte sequences whose lead byte takes any two continuation bytes
/// (box drawing, arrows, most scripts) are decoded inline.
inline char32_t next_code_point(std::string_view text, std::size_t& i) {
  const auto first = static_cast<unsigned char>(text[i]);
  if (first < 0x80) {
    ++i;
    return first;
  }
  if (first >= 0xE1 && first <= 0xEF && first != 0xED && text.size() - i >= 3) {
    const auto second = static_cast<unsigned char>(text[i + 1]);
    const auto third = static_cast<unsigned char>(text[i + 2]);
    if ((second & 0xC0) == 0x80 && (third & 0xC0) == 0x80) {
      i += 3;
      return static_cast<char32_t>(((first & 0x0Fu) << 12) | ((second & 0x3Fu) << 6) |
                                   (third & 0x3Fu));
    }
  }
  return decode_code_point(text, i);
}

/// Writes the UTF-8 encoding of `c` (surrogates and values beyond U+10FFFF
/// as U+FFFD) to `out`, which must have room for four bytes; returns the
/// end of what was written.
inline char* write_utf8(char* out, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    *out++ = static_cast<char>(c);
  } else if (c < 0x800) {
    *out++ = static_cast<char>(0xC0 | (c >> 6));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (c >> 12));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (c >> 18));
    *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

/// Appends the UTF-8 encoding of `c`, as `write_utf8` writes it.
inline void append_utf8(std::string& out, char32_t c) {
  char bytes[4];
  out.append(bytes, static_cast<std::size_t>(write_utf8(bytes, c) - bytes));
}

/// True when byte `i` starts a character (or is the end of the text).
bool is_char_boundary(std::string_view text, std::size_t i);

/// The greatest character boundary at or below `i` (clamped to the size).
std::size_t floor_char_boundary(std::string_view text, std::size_t i);

/// The smallest character boundary at or above `i` (clamped to the size).
std::size_t ceil_char_boundary(std::string_view text, std::size_t i);

/// The Unicode White_Space property. Every character of a drawing is
/// tested when rows lose their trailing blanks, so ASCII and everything
/// from U+2060 on (box drawing, arrows, most scripts) are answered inline.
inline bool is_white_space(char32_t c) {
  if (c < 0x80) return (c >= 0x09 && c <= 0x0D) || c == 0x20;
  if (c >= 0x2060) return c == 0x3000;
  return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
         c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F;
}

/// `text` without White_Space characters at its start and its end.
std::string_view trim_white_space(std::string_view text);
std::string_view trim_white_space_start(std::string_view text);
std::string_view trim_white_space_end(std::string_view text);

/// Number of code points in valid UTF-8 text.
std::size_t count_code_points(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_TEXT_UTF8_H_
