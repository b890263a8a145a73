// UTF-8 validation, decoding and boundary arithmetic.
#include "text/utf8.h"

#include <cstdint>

#include "messages/messages.h"

namespace vantri {
namespace {

// Expected length of a sequence from its first byte; 0 when the byte can
// never start a sequence.
std::size_t sequence_width(unsigned char first) {
  if (first < 0x80) return 1;
  if (first >= 0xC2 && first <= 0xDF) return 2;
  if (first >= 0xE0 && first <= 0xEF) return 3;
  if (first >= 0xF0 && first <= 0xF4) return 4;
  return 0;
}

bool is_continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The allowed range of the second byte, which excludes overlong forms,
// surrogates and values beyond U+10FFFF.
bool second_byte_ok(unsigned char first, unsigned char second) {
  switch (first) {
    case 0xE0: return second >= 0xA0 && second <= 0xBF;
    case 0xED: return second >= 0x80 && second <= 0x9F;
    case 0xF0: return second >= 0x90 && second <= 0xBF;
    case 0xF4: return second >= 0x80 && second <= 0x8F;
    default: return is_continuation(second);
  }
}

// Result of examining the sequence that starts at `i`.
struct Step {
  std::size_t length;                    // bytes consumed when valid
  bool valid;
  std::optional<std::size_t> error_len;  // when invalid; absent: truncated
};

Step examine(std::string_view s, std::size_t i) {
  const auto first = static_cast<unsigned char>(s[i]);
  const std::size_t width = sequence_width(first);
  if (width == 1) return {1, true, {}};
  if (width == 0) return {0, false, 1};
  const std::size_t n = s.size();
  if (i + 1 >= n) return {0, false, std::nullopt};
  if (!second_byte_ok(first, static_cast<unsigned char>(s[i + 1]))) {
    return {0, false, 1};
  }
  for (std::size_t k = 2; k < width; ++k) {
    if (i + k >= n) return {0, false, std::nullopt};
    if (!is_continuation(static_cast<unsigned char>(s[i + k]))) {
      return {0, false, k};
    }
  }
  return {width, true, {}};
}

}  // namespace

std::string Utf8Error::describe() const {
  if (error_len) return messages::invalid_utf8_sequence(*error_len, valid_up_to);
  return messages::incomplete_utf8_sequence(valid_up_to);
}

std::optional<Utf8Error> validate_utf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const Step step = examine(bytes, i);
    if (!step.valid) return Utf8Error{i, step.error_len};
    i += step.length;
  }
  return std::nullopt;
}

std::string decode_utf8_lossy(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const Step step = examine(bytes, i);
    if (step.valid) {
      out.append(bytes.substr(i, step.length));
      i += step.length;
    } else {
      out.append("\xEF\xBF\xBD");
      i = step.error_len ? i + *step.error_len : bytes.size();
    }
  }
  return out;
}

char32_t decode_code_point(std::string_view text, std::size_t& i) {
  const auto first = static_cast<unsigned char>(text[i]);
  if (first < 0x80) {
    ++i;
    return first;
  }
  const Step step = examine(text, i);
  if (!step.valid) {
    i = step.error_len ? i + *step.error_len : text.size();
    return U'\uFFFD';
  }
  char32_t c = first & (0xFF >> (step.length + 1));
  for (std::size_t k = 1; k < step.length; ++k) {
    c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
  }
  i += step.length;
  return c;
}

bool is_char_boundary(std::string_view text, std::size_t i) {
  if (i == 0 || i >= text.size()) return i <= text.size();
  return !is_continuation(static_cast<unsigned char>(text[i]));
}

std::size_t floor_char_boundary(std::string_view text, std::size_t i) {
  if (i >= text.size()) return text.size();
  while (i > 0 && !is_char_boundary(text, i)) --i;
  return i;
}

std::size_t ceil_char_boundary(std::string_view text, std::size_t i) {
  if (i >= text.size()) return text.size();
  while (i < text.size() && !is_char_boundary(text, i)) ++i;
  return i;
}

std::string_view trim_white_space_start(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t next = i;
    if (!is_white_space(next_code_point(text, next))) break;
    i = next;
  }
  return text.substr(i);
}

std::string_view trim_white_space_end(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0) {
    std::size_t start = end - 1;
    while (start > 0 && is_continuation(static_cast<unsigned char>(text[start]))) {
      --start;
    }
    std::size_t probe = start;
    const char32_t c = next_code_point(text, probe);
    if (probe != end || !is_white_space(c)) break;
    end = start;
  }
  return text.substr(0, end);
}

std::string_view trim_white_space(std::string_view text) {
  return trim_white_space_end(trim_white_space_start(text));
}

std::size_t count_code_points(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) next_code_point(text, i);
  return count;
}

}  // namespace vantri
