// Wrapping labels at break characters, hard breaks and character boundaries.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "render_edges/wrap_label.h"
#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri {
namespace {

using Lines = std::vector<std::string>;

TEST(WrapLabel, BreaksAfterCommaBracketOrAtSpace) {
  EXPECT_EQ(wrap_label("abcde,fghi", 8), (Lines{"abcde,", "fghi"}));
  EXPECT_EQ(wrap_label("abcde fghi", 8), (Lines{"abcde", "fghi"}));
  EXPECT_EQ(wrap_label("call(arg)", 6), (Lines{"call(", "arg)"}));
  EXPECT_EQ(wrap_label("f(x) g(y)", 5), (Lines{"f(x)", "g(y)"}));
  // The last break within the width wins.
  EXPECT_EQ(wrap_label("a b c defg", 6), (Lines{"a b c", "defg"}));
}

TEST(WrapLabel, HardBreaksWordsWithoutBreakCharacters) {
  EXPECT_EQ(wrap_label("abcdefghij", 4), (Lines{"abcd", "efgh", "ij"}));
}

TEST(WrapLabel, ExactWidthStaysOneLine) {
  EXPECT_EQ(wrap_label("abc def", 7), (Lines{"abc def"}));
  EXPECT_EQ(wrap_label("abc defg", 7), (Lines{"abc", "defg"}));
  EXPECT_EQ(wrap_label("", 3), (Lines{""}));
  EXPECT_EQ(wrap_label("anything", 0), Lines{});
}

TEST(WrapLabel, WhiteSpaceAroundBreaksIsDropped) {
  EXPECT_EQ(wrap_label("ab   cd", 3), (Lines{"ab", "cd"}));
  // U+3000 is white space too, though not a break character.
  EXPECT_EQ(wrap_label("ab \u3000cd", 3), (Lines{"ab", "cd"}));
  // Nothing but white space after a break: no further line.
  EXPECT_EQ(wrap_label("abc   ", 3), (Lines{"abc"}));
  // A space at the very front splits after it, leaving an empty line.
  EXPECT_EQ(wrap_label(" abcdef", 3), (Lines{"", "abc", "def"}));
}

TEST(WrapLabel, WidthsAreTerminalColumns) {
  // é takes one column, a CJK character two, a combining mark none.
  EXPECT_EQ(wrap_label("ééé", 3), (Lines{"ééé"}));
  EXPECT_EQ(wrap_label("éééé", 3), (Lines{"ééé", "é"}));
  EXPECT_EQ(wrap_label("日本語です", 5), (Lines{"日本", "語で", "す"}));
  EXPECT_EQ(wrap_label("日本 語", 5), (Lines{"日本", "語"}));
  // Marks stay with the character they follow.
  EXPECT_EQ(wrap_label("e\u0301e\u0301e\u0301", 2), (Lines{"e\u0301e\u0301", "e\u0301"}));
  // A first character wider than the width makes a line by itself.
  EXPECT_EQ(wrap_label("日ab", 1), (Lines{"日", "a", "b"}));
  EXPECT_EQ(wrap_label("😀\u0301😀", 1), (Lines{"😀\u0301", "😀"}));
}

// Random texts of ASCII letters, break characters, white space and
// multibyte characters: every line fits (or is one character), is valid
// UTF-8, and together the lines keep every non-white character in order.
TEST(WrapLabel, RandomTextsWrapCompletely) {
  const std::vector<std::string> pieces = {"a", "b", " ", ",", "(", ")", "é",
                                           "€", "𝄞", "\u3000", "xyz", "日", "\u0301"};
  std::mt19937 rng(7);
  auto strip = [](const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
      const std::size_t start = i;
      if (!is_white_space(next_code_point(s, i))) out.append(s, start, i - start);
    }
    return out;
  };
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int count = static_cast<int>(rng() % 30);
    for (int k = 0; k < count; ++k) text += pieces[rng() % pieces.size()];
    const std::uint64_t width = 1 + rng() % 12;
    const Lines lines = wrap_label(text, width);
    std::string joined;
    for (const std::string& line : lines) {
      ASSERT_FALSE(validate_utf8(line).has_value()) << text;
      ASSERT_TRUE(text_width(line) <= width || text_width(line) == 2)
          << "width " << width << " line '" << line << "' of '" << text << "'";
      joined += line;
    }
    ASSERT_EQ(strip(joined), strip(text)) << "width " << width << " text '" << text << "'";
  }
}

// A text of several lines wraps each on its own; a centred or flush-right
// line is moved into place in the block of the widest piece by blanks.
TEST(WrapLabel, LinesWrapOnTheirOwnAndAreSetInTheirBlock) {
  EXPECT_EQ(wrap_label("two\nlines", 20), (std::vector<std::string>{" two", "lines"}));
  EXPECT_EQ(wrap_label("left\x0e\nwide line\x0f\nr\x0f\n", 20),
            (std::vector<std::string>{"left", "wide line", "        r"}));
  EXPECT_EQ(wrap_label("aaa bbb ccc\x0e\nx\x0f\n", 7),
            (std::vector<std::string>{"aaa", "bbb ccc", "      x"}));
  EXPECT_EQ(wrap_label("a\n\nb", 5), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_TRUE(wrap_label("a\nb", 0).empty());
}

}  // namespace
}  // namespace vantri
