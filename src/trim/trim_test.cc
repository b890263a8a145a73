// Tests of strategy names and of the four ways of trimming a label.
#include "text/label_lines.h"
#include "trim/trim.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/utf8.h"

namespace vantri {
namespace {

constexpr TrimStrategy kAll[] = {TrimStrategy::End, TrimStrategy::Start,
                                 TrimStrategy::Middle, TrimStrategy::Smart};

TEST(ParseTrimStrategy, AcceptsTheFourNamesInAnyCase) {
  EXPECT_EQ(parse_trim_strategy("end"), TrimStrategy::End);
  EXPECT_EQ(parse_trim_strategy("Start"), TrimStrategy::Start);
  EXPECT_EQ(parse_trim_strategy("MIDDLE"), TrimStrategy::Middle);
  EXPECT_EQ(parse_trim_strategy("smart"), TrimStrategy::Smart);
  EXPECT_EQ(parse_trim_strategy("SmArT"), TrimStrategy::Smart);
}

TEST(ParseTrimStrategy, RejectsOtherTextQuotingItAsGiven) {
  const std::vector<std::string> bad = {"centre", "Fancy", " smart", "smart ",
                                        "", "énd", "en", "ends"};
  for (const std::string& text : bad) {
    auto result = parse_trim_strategy(text);
    ASSERT_FALSE(result.has_value()) << text;
    EXPECT_EQ(result.error(), "unknown trim strategy: " + text);
  }
}

TEST(TrimLabel, ExampleTable) {
  const struct {
    const char* label;
    std::size_t max;
    TrimStrategy strategy;
    const char* expected;
  } table[] = {
      {"hello world", 8, TrimStrategy::End, "hello..."},
      {"hello world", 8, TrimStrategy::Start, "...world"},
      {"hello world", 8, TrimStrategy::Middle, "hel...ld"},
      {"hello world", 8, TrimStrategy::Smart, "hel...ld"},
      {"alpha_beta_gamma_delta", 20, TrimStrategy::Smart, "alpha_beta..._delta"},
      {"alpha_beta_gamma_delta", 15, TrimStrategy::Smart, "alpha..._delta"},
      {"alpha_beta_gamma_delta", 13, TrimStrategy::Smart, "alpha_beta..."},
      {"alpha_beta_gamma_delta", 8, TrimStrategy::Smart, "alpha..."},
      {"alpha_beta_gamma_delta", 7, TrimStrategy::Smart, "al...ta"},
      {"get_user_by_id", 12, TrimStrategy::Smart, "get..._by_id"},
      {"get_user_by_id", 10, TrimStrategy::Smart, "get..._id"},
      {"_private_name", 10, TrimStrategy::Smart, "...name"},
      // Back words go on alone after the front fails, the front being
      // retried before each of them.
      {"verylongword_x_y", 8, TrimStrategy::Smart, "...x_y"},
      // Empty words from doubled and trailing separators count as words.
      {"name_", 4, TrimStrategy::Smart, "..."},
      {"a__b_c", 5, TrimStrategy::Smart, "a_..."},
      {"ab_cd_ef_", 8, TrimStrategy::Smart, "ab..."},
  };
  for (const auto& row : table) {
    EXPECT_EQ(trim_label(row.label, row.max, row.strategy), row.expected)
        << row.label << " max " << row.max;
  }
  for (TrimStrategy s : kAll) {
    EXPECT_EQ(trim_label("hello", 3, s), "...");
    EXPECT_EQ(trim_label("hello", 5, s), "hello");
  }
}

TEST(TrimLabel, WidthLimits) {
  for (TrimStrategy s : kAll) {
    EXPECT_EQ(trim_label("abcdef", 6, s), "abcdef");
    EXPECT_EQ(trim_label("abcdef", 99, s), "abcdef");
    EXPECT_EQ(trim_label("abcdef", 5, s).size(), 5u);
    EXPECT_EQ(trim_label("abcdef", 0, s), "");
    EXPECT_EQ(trim_label("abcdef", 1, s), ".");
    EXPECT_EQ(trim_label("abcdef", 2, s), "..");
    EXPECT_EQ(trim_label("abcdef", 3, s), "...");
    EXPECT_EQ(trim_label("", 0, s), "");
  }
  EXPECT_EQ(trim_label("hello", 4, TrimStrategy::End), "h...");
  EXPECT_EQ(trim_label("hello", 4, TrimStrategy::Start), "...o");
  EXPECT_EQ(trim_label("hello", 4, TrimStrategy::Middle), "h...");
  EXPECT_EQ(trim_label("abcdefgh", 6, TrimStrategy::Middle), "ab...h");
  // A line feed is one byte like any other.
  EXPECT_EQ(trim_label("ab\ncd\nef", 6, TrimStrategy::End), "ab\n...");
}

// Widths are terminal columns: é takes one, a CJK character two, a
// combining mark none; cuts fall between characters and keep marks with
// their base.
TEST(TrimLabel, CutsCountColumns) {
  EXPECT_EQ(trim_label("héllo", 5, TrimStrategy::End), "héllo");
  EXPECT_EQ(trim_label("héllo", 4, TrimStrategy::End), "h...");
  EXPECT_EQ(trim_label("héllo", 4, TrimStrategy::Start), "...o");
  const std::string text = "日本語テキスト";  // 14 columns
  EXPECT_EQ(trim_label(text, 14, TrimStrategy::End), text);
  EXPECT_EQ(trim_label(text, 10, TrimStrategy::End), "日本語...");
  EXPECT_EQ(trim_label(text, 10, TrimStrategy::Start), "...キスト");
  // The front gets ceil(7 / 2) = 4 columns, the back what is left.
  EXPECT_EQ(trim_label(text, 10, TrimStrategy::Middle), "日本...ト");
  EXPECT_EQ(trim_label(text, 9, TrimStrategy::Middle), "日...スト");
  EXPECT_EQ(trim_label(text, 8, TrimStrategy::Smart), "日...ト");
  EXPECT_EQ(trim_label("下駄_配列_派生図", 12, TrimStrategy::Smart), "下駄_配列...");
  EXPECT_EQ(trim_label("下駄_配列_派生図", 14, TrimStrategy::Smart), "下駄..._派生図");
  EXPECT_EQ(trim_label("ü_abc", 4, TrimStrategy::Smart), "ü...");
  EXPECT_EQ(trim_label("e\u0301bcdef", 4, TrimStrategy::End), "e\u0301...");
  EXPECT_EQ(trim_label("xyzabe\u0301", 4, TrimStrategy::Start), "...e\u0301");
  // A mark whose base is cut off goes with it.
  EXPECT_EQ(trim_label("xyab\u0301cd", 5, TrimStrategy::Start), "...cd");
}

// The label limit measures a label in columns, as it is drawn: by its
// widest line where line feeds start lines, whole where they show as
// blanks; a label too wide is cut line by line, or whole.
TEST(LimitLabel, MeasuresColumnsAsDrawn) {
  for (const LabelLines lines : {LabelLines::Split, LabelLines::Joined}) {
    EXPECT_EQ(limit_label("hello world", std::nullopt, TrimStrategy::End, lines), "hello world");
    EXPECT_EQ(limit_label("hello", 5, TrimStrategy::End, lines), "hello");
    EXPECT_EQ(limit_label("hello!", 5, TrimStrategy::End, lines), "he...");
    EXPECT_EQ(limit_label("x", 0, TrimStrategy::Start, lines), "");
    // Seven columns in fourteen bytes fit a limit of seven; a CJK
    // character takes two columns, a combining mark none.
    EXPECT_EQ(limit_label("ééééééé", 7, TrimStrategy::End, lines), "ééééééé");
    EXPECT_EQ(limit_label("e\u0301e\u0301e\u0301", 3, TrimStrategy::End, lines),
              "e\u0301e\u0301e\u0301");
    EXPECT_EQ(limit_label("éééééééé", 7, TrimStrategy::End, lines), "éééé...");
    EXPECT_EQ(limit_label("日本語", 5, TrimStrategy::End, lines), "日...");
  }
  EXPECT_EQ(limit_label("abc\ndef", 4, TrimStrategy::End, LabelLines::Split), "abc\ndef");
  EXPECT_EQ(limit_label("abc\ndef", 4, TrimStrategy::End, LabelLines::Joined), "a...");
  // Split, each line too wide is cut on its own.
  EXPECT_EQ(limit_label("ab\ncdefgh", 5, TrimStrategy::End, LabelLines::Split), "ab\ncd...");
  EXPECT_EQ(limit_label("ab\ncdefgh", 5, TrimStrategy::End, LabelLines::Joined), "ab...");
}

// Every cut of every strategy stays within the width and never splits a
// character, whatever the width.
TEST(TrimLabel, ResultsAreValidUtf8WithinMax) {
  const std::vector<std::string> labels = {
      "héllo wörld", "日本語テキスト", "ab_日本_cd_€uro", "_é_", "😀x😀y😀",
      "plain_ascii_label", "e\u0301e\u0301_\u0301x"};
  for (const std::string& label : labels) {
    const std::size_t width = text_width(label);
    for (std::size_t max = 0; max <= width + 1; ++max) {
      for (TrimStrategy s : kAll) {
        const std::string out = trim_label(label, max, s);
        EXPECT_FALSE(validate_utf8(out).has_value()) << label << ' ' << max;
        if (max >= width) {
          EXPECT_EQ(out, label);
        } else {
          EXPECT_LE(text_width(out), max) << label << ' ' << max;
          if (max >= 3) {
            EXPECT_NE(out.find("..."), std::string::npos) << label << ' ' << max;
          } else {
            EXPECT_EQ(out, std::string(max, '.'));
          }
        }
      }
    }
  }
}

// A label of several lines is cut line by line, its line endings kept.
TEST(TrimLabel, LinesAreCutOnTheirOwn) {
  EXPECT_EQ(trim_label_lines("abcdefgh", 6, TrimStrategy::End), "abc...");
  EXPECT_EQ(trim_label_lines("ab\nabcdefgh\x0e\nxyz", 6, TrimStrategy::End),
            "ab\nabc...\x0e\nxyz");
  EXPECT_EQ(trim_label_lines("abcdefgh\x0f\n", 6, TrimStrategy::Start), "...fgh\x0f\n");
  EXPECT_EQ(trim_label_lines("ab\ncd", 6, TrimStrategy::End), "ab\ncd");
}

}  // namespace
}  // namespace vantri
