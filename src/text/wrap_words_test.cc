#include "text/wrap_words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "text/label_lines.h"

namespace vantri {
namespace {

using Lines = std::vector<std::string_view>;

std::vector<std::string> words(std::string_view text) {
  std::vector<std::string> out;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      if (!word.empty()) out.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) out.push_back(word);
  return out;
}

std::size_t widest(const Lines& lines) {
  std::size_t width = 0;
  for (std::string_view line : lines) width = std::max(width, text_width(line));
  return width;
}

// The narrowest widest line of any way to break `all` (single blanks) into
// at most `most` lines, tried one by one.
std::size_t best_possible(const std::vector<std::string>& all, std::size_t most) {
  const std::size_t gaps = all.size() - 1;
  std::size_t best = SIZE_MAX;
  for (std::size_t mask = 0; mask < (std::size_t{1} << gaps); ++mask) {
    if (static_cast<std::size_t>(__builtin_popcountll(mask)) + 1 > most) continue;
    std::size_t line = text_width(all[0]);
    std::size_t width = 0;
    for (std::size_t g = 0; g < gaps; ++g) {
      if (mask & (std::size_t{1} << g)) {
        width = std::max(width, line);
        line = text_width(all[g + 1]);
      } else {
        line += 1 + text_width(all[g + 1]);
      }
    }
    best = std::min(best, std::max(width, line));
  }
  return best;
}

TEST(BalancedLines, AsNarrowAsAnyBreakingAndLongestFirst) {
  const std::vector<std::string> texts = {
      "5th Edition", "4.1 BSD", "Interdata 8/32 Unix Version 7", "a bb ccc dddd eeeee f",
      "一二 三四五 六", "the quick brown fox jumps over the lazy dog", "x yyyyyyyyyyyy z",
      "IDENT : a"};
  for (const std::string& text : texts) {
    for (std::size_t most = 2; most <= 4; ++most) {
      const Lines lines = balanced_lines(text, most);
      const std::string where = "\"" + text + "\" in " + std::to_string(most);
      ASSERT_FALSE(lines.empty()) << where;
      EXPECT_LE(lines.size(), most) << where;
      // Nothing lost or added: the words in order, no blank at either end.
      std::vector<std::string> again;
      for (std::string_view line : lines) {
        EXPECT_FALSE(line.front() == ' ' || line.back() == ' ') << where;
        for (std::string& w : words(line)) again.push_back(w);
      }
      EXPECT_EQ(again, words(text)) << where;
      EXPECT_EQ(widest(lines), best_possible(words(text), most)) << where;
      // No line could take the first word of the next one within the widest.
      for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
        const std::string longer = std::string(lines[k]) + " " + words(lines[k + 1])[0];
        EXPECT_GT(text_width(longer), widest(lines)) << where << " line " << k;
      }
    }
  }
  EXPECT_EQ(balanced_lines("5th Edition", 3), (Lines{"5th", "Edition"}));
  EXPECT_EQ(balanced_lines("Version 7 Unix", 2), (Lines{"Version", "7 Unix"}));
}

TEST(BalancedLines, WholeWhenItCannotOrMayNotBreak) {
  EXPECT_EQ(balanced_lines("", 3), Lines{});
  EXPECT_EQ(balanced_lines("no_blank_at_all", 3), Lines{"no_blank_at_all"});
  EXPECT_EQ(balanced_lines("  padded  ", 3), Lines{"  padded  "});
  EXPECT_EQ(balanced_lines("two words", 1), Lines{"two words"});
  // Blanks inside a line stay as written; those at a break go.
  EXPECT_EQ(balanced_lines(" a  b\tcccc ", 2), (Lines{"a  b", "cccc"}));
}

}  // namespace
}  // namespace vantri
