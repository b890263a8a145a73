#include "grid/field_layout.h"

#include <gtest/gtest.h>

#include "support/field_trees.h"

namespace vantri {
namespace {

using testing::a_beside_b_over_c;
using testing::at;
using testing::grid_of;
using testing::text_field;

std::vector<CellRect> outlines(const FieldLayout& layout) {
  std::vector<CellRect> out;
  for (const LaidField& f : layout.fields) out.push_back(f.outline);
  return out;
}

TEST(FieldLayout, NestedRecordSharesItsLines) {
  // {<p> a | {b | <q> c}}: a beside b over c.
  const FieldLayout layout = lay_out_fields(
      a_beside_b_over_c(text_field("a", "p"), text_field("b"), text_field("c", "q")));
  EXPECT_EQ(layout.width, 9u);
  EXPECT_EQ(layout.height, 5u);
  EXPECT_EQ(outlines(layout),
            (std::vector<CellRect>{{0, 0, 4, 4}, {4, 0, 8, 2}, {4, 2, 8, 4}}));
  ASSERT_EQ(layout.ports.size(), 2u);
  EXPECT_EQ(layout.ports[1].name, "q");
  EXPECT_EQ(layout.ports[1].outline, (CellRect{4, 2, 8, 4}));
}

TEST(FieldLayout, SizedToTheWidestTextAndSpans) {
  // Text gets a blank column either side, measured in columns; a field
  // spanning two columns widens both evenly; the narrower ones stretch.
  const FieldLayout layout = lay_out_fields(
      grid_of(2, 2, {at(0, 0, text_field("日本語で"), 1, 2), at(1, 0, text_field("a")),
                     at(1, 1, text_field("b\nc"))}));
  // Eight columns of text and two blanks over 3 + 1 + 3: the missing three
  // go one to the first column, two to the second.
  EXPECT_EQ(layout.width, 12u);
  EXPECT_EQ(layout.height, 6u);
  EXPECT_EQ(outlines(layout),
            (std::vector<CellRect>{{0, 0, 11, 2}, {0, 2, 5, 5}, {5, 2, 11, 5}}));
  // An empty field is one column wide; a lone field is a plain box.
  EXPECT_EQ(lay_out_fields(grid_of(1, 2, {at(0, 0, text_field("")), at(0, 1, text_field("x"))}))
                .width,
            7u);
  const FieldLayout lone = lay_out_fields(text_field("abc"));
  EXPECT_EQ(lone.width, 7u);
  EXPECT_EQ(lone.height, 3u);
}

TEST(FieldLayout, RowsStretchToTheirTallestField) {
  // a beside a column of three: a takes all three rows and its lines.
  const FieldLayout layout = lay_out_fields(grid_of(
      1, 2,
      {at(0, 0, text_field("a")),
       at(0, 1, grid_of(3, 1, {at(0, 0, text_field("x")), at(1, 0, text_field("y")),
                               at(2, 0, text_field("z"))}))}));
  EXPECT_EQ(layout.height, 7u);
  EXPECT_EQ(layout.fields[0].outline, (CellRect{0, 0, 4, 6}));
  EXPECT_EQ(layout.fields[3].outline, (CellRect{4, 4, 8, 6}));
}

}  // namespace
}  // namespace vantri
