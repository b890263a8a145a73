#include "text/utf8.h"

#include <gtest/gtest.h>

namespace vantri {
namespace {

std::string describe(std::string_view bytes) {
  auto error = validate_utf8(bytes);
  return error ? error->describe() : "valid";
}

TEST(Utf8, ValidationReportsTheFirstBadSequence) {
  EXPECT_EQ(describe("héllo ✓ 𝄞"), "valid");
  EXPECT_EQ(describe("ab\xFF"), "invalid utf-8 sequence of 1 bytes from index 2");
  EXPECT_EQ(describe("\xC0\x80"), "invalid utf-8 sequence of 1 bytes from index 0");
  // A lead byte followed by a non-continuation byte.
  EXPECT_EQ(describe("x\xE2\x82y"), "invalid utf-8 sequence of 2 bytes from index 1");
  EXPECT_EQ(describe("\xF0\x9F\x98z"), "invalid utf-8 sequence of 3 bytes from index 0");
  // Surrogates and overlong three-byte forms fail on the second byte.
  EXPECT_EQ(describe("\xED\xA0\x80"), "invalid utf-8 sequence of 1 bytes from index 0");
  EXPECT_EQ(describe("\xE0\x80\x80"), "invalid utf-8 sequence of 1 bytes from index 0");
  EXPECT_EQ(describe("ok\xE2\x82"), "incomplete utf-8 byte sequence from index 2");
  EXPECT_EQ(describe("\xF0"), "incomplete utf-8 byte sequence from index 0");
}

TEST(Utf8, LossyDecodingReplacesEachBadSequence) {
  EXPECT_EQ(decode_utf8_lossy("a\xFF\xFE" "b"), "a\uFFFD\uFFFD" "b");
  EXPECT_EQ(decode_utf8_lossy("x\xE2\x82y"), "x\uFFFDy");
  EXPECT_EQ(decode_utf8_lossy("end\xE2\x82"), "end\uFFFD");
  EXPECT_EQ(decode_utf8_lossy("fine ✓"), "fine ✓");
}

TEST(Utf8, DecodeAndEncodeRoundTrip) {
  const std::string text = "a\u00e9\u2500\U0001D11E";
  std::string again;
  for (std::size_t i = 0; i < text.size();) append_utf8(again, next_code_point(text, i));
  EXPECT_EQ(again, text);
  EXPECT_EQ(count_code_points(text), 4u);
  std::string bad;
  append_utf8(bad, 0xD800);
  append_utf8(bad, 0x110000);
  EXPECT_EQ(bad, "\uFFFD\uFFFD");
}

TEST(Utf8, ThreeByteSequencesDecodeByTheirLeadByte) {
  struct Case {
    std::string_view bytes;
    char32_t code_point;
    std::size_t length;
  };
  const Case cases[] = {
      {"\xE1\x80\x80", U'\u1000', 3}, {"\xE2\x94\x80", U'\u2500', 3},
      {"\xEC\xBF\xBF", U'\uCFFF', 3}, {"\xEE\x80\x80", U'\uE000', 3},
      {"\xEF\xBF\xBD", U'\uFFFD', 3},
      // Leads whose second byte is restricted: overlong, surrogate.
      {"\xE0\xA0\x80", U'\u0800', 3}, {"\xE0\x9F\xBF", U'\uFFFD', 1},
      {"\xED\x9F\xBF", U'\uD7FF', 3}, {"\xED\xA0\x80", U'\uFFFD', 1},
      // A missing or broken continuation byte.
      {"\xE2\x94", U'\uFFFD', 2}, {"\xE2", U'\uFFFD', 1},
      {"\xE2\x94x", U'\uFFFD', 2}, {"\xE2x\x80", U'\uFFFD', 1},
  };
  for (const Case& c : cases) {
    std::size_t i = 0;
    EXPECT_EQ(next_code_point(c.bytes, i), c.code_point) << c.bytes;
    EXPECT_EQ(i, c.length) << c.bytes;
  }
  // Decoding from the middle of a text reads only what lies after `i`.
  const std::string_view text = "ab\xE2\x94\x80\xE2\x94";
  std::size_t i = 2;
  EXPECT_EQ(next_code_point(text, i), U'\u2500');
  EXPECT_EQ(next_code_point(text, i), U'\uFFFD');
  EXPECT_EQ(i, text.size());
}

TEST(Utf8, BoundariesNeverSplitACharacter) {
  const std::string text = "a\u00e9b";  // a, two bytes, b
  EXPECT_TRUE(is_char_boundary(text, 1));
  EXPECT_FALSE(is_char_boundary(text, 2));
  EXPECT_EQ(floor_char_boundary(text, 2), 1u);
  EXPECT_EQ(ceil_char_boundary(text, 2), 3u);
  EXPECT_EQ(floor_char_boundary(text, 99), text.size());
}

TEST(Utf8, WhiteSpaceIsTheUnicodeProperty) {
  for (char32_t c : {U'\t', U'\n', U'\r', U'\v', U'\f', U' ', U'\u0085', U'\u00a0',
                     U'\u1680', U'\u2000', U'\u200a', U'\u2028', U'\u2029',
                     U'\u202f', U'\u205f', U'\u3000'}) {
    EXPECT_TRUE(is_white_space(c)) << static_cast<unsigned>(c);
  }
  for (char32_t c : {U'a', U'\u200b', U'\u180e', U'\ufeff', U'\u2500'}) {
    EXPECT_FALSE(is_white_space(c)) << static_cast<unsigned>(c);
  }
  EXPECT_EQ(trim_white_space("\u3000 x y\u00a0\t"), "x y");
  EXPECT_EQ(trim_white_space_start("  x "), "x ");
  EXPECT_EQ(trim_white_space_end("  x \u2029"), "  x");
  EXPECT_EQ(trim_white_space(" \n "), "");
}

}  // namespace
}  // namespace vantri
