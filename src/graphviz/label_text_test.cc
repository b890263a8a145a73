#include "graphviz/label_text.h"

#include <gtest/gtest.h>

namespace vantri {
namespace {

using Lines = std::vector<std::string>;

TEST(LabelText, TitlesShowTheirLinesWithoutPadding) {
  EXPECT_EQ(title_lines("Title", false), Lines{"Title"});
  // Graphviz's line ends; blank lines around the text and the blanks at
  // the ends of lines are there to place it, not to show.
  EXPECT_EQ(title_lines("\\n\\nEntity Relation\\ndrawn by  \\l", false),
            (Lines{"Entity Relation", "drawn by"}));
  EXPECT_EQ(title_lines("a\\n\\nb", false), (Lines{"a", "", "b"}));
  EXPECT_EQ(title_lines("   \\n  ", false), Lines{});
  EXPECT_EQ(title_lines("x\\\\ny", false), Lines{"x\\ny"});
  EXPECT_EQ(one_line_title("                          Act_2", false), "Act_2");
  EXPECT_EQ(one_line_title("two\\nlines\\n\\nhere", false), "two lines here");
  // An HTML-like title shows its text; quoted, the same text is shown as
  // written.
  EXPECT_EQ(title_lines("<B>Big</B> &amp; <I>bold</I><BR/>second", true),
            (Lines{"Big & bold", "second"}));
  EXPECT_EQ(one_line_title("<B>x</B>", false), "<B>x</B>");
}

}  // namespace
}  // namespace vantri
