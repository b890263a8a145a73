#include "graphviz/label_text.h"

#include <gtest/gtest.h>

namespace vantri {
namespace {

using Lines = std::vector<std::string>;

TEST(LabelText, TitlesShowTheirLinesWithoutPadding) {
  EXPECT_EQ(title_lines("Title"), Lines{"Title"});
  // Graphviz's line ends; blank lines around the text and the blanks at
  // the ends of lines are there to place it, not to show.
  EXPECT_EQ(title_lines("\\n\\nEntity Relation\\ndrawn by  \\l"),
            (Lines{"Entity Relation", "drawn by"}));
  EXPECT_EQ(title_lines("a\\n\\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(title_lines("   \\n  "), Lines{});
  EXPECT_EQ(title_lines("x\\\\ny"), Lines{"x\\ny"});
  EXPECT_EQ(one_line_title("                          Act_2"), "Act_2");
  EXPECT_EQ(one_line_title("two\\nlines\\n\\nhere"), "two lines here");
}

}  // namespace
}  // namespace vantri
