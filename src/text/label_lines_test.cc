#include "text/label_lines.h"

#include <gtest/gtest.h>

#include "text/char_width.h"

namespace vantri {
namespace {

using Lines = std::vector<std::string_view>;

TEST(LabelLines, LineEndings) {
  EXPECT_EQ(split_label_lines(""), Lines{});
  EXPECT_EQ(split_label_lines("ab\ncdef"), (Lines{"ab", "cdef"}));
  EXPECT_EQ(split_label_lines("ab\r\ncdef\r\n"), (Lines{"ab", "cdef"}));
  EXPECT_EQ(split_label_lines("a\n\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(split_label_lines("\n"), (Lines{""}));
  // A carriage return not followed by a line feed is text.
  EXPECT_EQ(split_label_lines("a\rb"), (Lines{"a\rb"}));
  EXPECT_EQ(count_label_lines("a\nb\n"), 2u);
  EXPECT_EQ(count_label_lines(""), 0u);
}

// Widths are terminal columns: East Asian wide and fullwidth characters
// take two, combining marks and zero-width characters none, the rest one;
// a control character or an invalid sequence prints as one cell.
TEST(LabelLines, WidthIsTheLongestLineInColumns) {
  EXPECT_EQ(label_width(""), 0u);
  EXPECT_EQ(label_width("ab\ncdef"), 4u);
  EXPECT_EQ(label_width("abc\r\n"), 3u);
  EXPECT_EQ(label_width("\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"), 10u);
  EXPECT_EQ(text_width("Größe"), 5u);
  EXPECT_EQ(text_width("Русский"), 7u);
  EXPECT_EQ(text_width("下駄配列"), 8u);
  EXPECT_EQ(text_width("ＡＢ"), 4u);          // fullwidth
  EXPECT_EQ(text_width("e\u0301\u200b\u200d"), 1u);  // combining, zero width
  EXPECT_EQ(text_width("😀!"), 3u);
  EXPECT_EQ(text_width("a\tb\x1b"), 4u);
  EXPECT_EQ(text_width("a\xff\xfe" "b"), 4u);     // two invalid bytes, two U+FFFD
  EXPECT_EQ(label_width("日本\nabcde"), 5u);
}

// Characters below U+0300 and the whole Basic Multilingual Plane are
// answered without asking utf8proc; the answers must be its own.
TEST(CharWidth, QuickAnswersAreTheTables) {
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    ASSERT_EQ(char_width(c), char_width_from_table(c)) << static_cast<std::uint32_t>(c);
  }
  EXPECT_EQ(char_width(U'\t'), 1);  // printed as a blank
  EXPECT_EQ(char_width(U'\u009b'), 1);
}

TEST(LabelLines, PrefixesAndSuffixesWithinAWidth) {
  EXPECT_EQ(fit_prefix("abcdef", 3), (TextSpan{3, 3}));
  EXPECT_EQ(fit_prefix("日本語", 5), (TextSpan{6, 4}));  // no half characters
  EXPECT_EQ(fit_prefix("日本語", 1), (TextSpan{0, 0}));
  EXPECT_EQ(fit_prefix("ae\u0301x", 2), (TextSpan{4, 2}));  // the mark stays
  EXPECT_EQ(fit_prefix("ab", 9), (TextSpan{2, 2}));
  EXPECT_EQ(fit_suffix("abcdef", 2), (TextSpan{2, 2}));
  EXPECT_EQ(fit_suffix("日本語", 5), (TextSpan{6, 4}));
  EXPECT_EQ(fit_suffix("xe\u0301", 1), (TextSpan{3, 1}));
  // A mark whose base does not fit is not kept alone.
  EXPECT_EQ(fit_suffix("日\u0301", 1), (TextSpan{0, 0}));
  EXPECT_EQ(fit_suffix("", 3), (TextSpan{0, 0}));
}

// A mark before a line feed sets the line before it flush left or right;
// the mark is part of the line ending, never of the line.
TEST(LabelLines, MarkedLineEndsSetTheirLines) {
  const std::string label = std::string("a") + std::string(line_end(LineAlign::Left)) + "bb" +
                            std::string(line_end(LineAlign::Right)) + "c\r\nd";
  const std::vector<AlignedLine> lines = split_aligned_lines(label);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].text, "a");
  EXPECT_EQ(lines[0].align, LineAlign::Left);
  EXPECT_EQ(lines[1].text, "bb");
  EXPECT_EQ(lines[1].align, LineAlign::Right);
  EXPECT_EQ(lines[2].text, "c");
  EXPECT_EQ(lines[2].align, LineAlign::Centre);
  EXPECT_EQ(lines[3].align, LineAlign::Centre);
  EXPECT_EQ(label_width(label), 2u);
  EXPECT_EQ(count_label_lines("x\x0e\n"), 1u);
  EXPECT_EQ(aligned_start(LineAlign::Left, 9, 4), 0u);
  EXPECT_EQ(aligned_start(LineAlign::Centre, 9, 4), 2u);
  EXPECT_EQ(aligned_start(LineAlign::Right, 9, 4), 5u);
  EXPECT_EQ(aligned_start(LineAlign::Right, 3, 4), 0u);
}

}  // namespace
}  // namespace vantri
