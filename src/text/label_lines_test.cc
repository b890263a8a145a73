#include "text/label_lines.h"

#include <gtest/gtest.h>

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

TEST(LabelLines, WidthIsTheLongestLineInBytes) {
  EXPECT_EQ(label_width(""), 0u);
  EXPECT_EQ(label_width("ab\ncdef"), 4u);
  EXPECT_EQ(label_width("abc\r\n"), 3u);
  EXPECT_EQ(label_width("\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"), 20u);
}

}  // namespace
}  // namespace vantri
