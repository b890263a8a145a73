// Bounding boxes, points and splines with their exact error messages.
#include "graphviz/json0_values.h"

#include <gtest/gtest.h>

namespace vantri {
namespace {

std::string bb_error(std::string_view text) {
  auto bb = parse_bb(text);
  return bb ? "accepted" : bb.error();
}

std::string point_error(std::string_view text) {
  auto p = parse_point(text);
  return p ? "accepted" : p.error();
}

std::string spline_error(std::string_view text) {
  auto s = parse_spline(text);
  return s ? "accepted" : s.error();
}

TEST(Json0Values, BoundingBoxes) {
  EXPECT_EQ(parse_bb("0,0,54,108").value(), (BoundingBox{0, 0, 54, 108}));
  // Unicode white space around pieces is trimmed; the order is kept as given.
  EXPECT_EQ(parse_bb(" 9 ,\t-2,\xC2\xA0" "3 ,4\xE3\x80\x80").value(),
            (BoundingBox{9, -2, 3, 4}));
  EXPECT_EQ(bb_error("1,2,3"),
            "invalid bb format: '1,2,3' (expected 4 comma-separated values)");
  EXPECT_EQ(bb_error("1,2,3,4,5"),
            "invalid bb format: '1,2,3,4,5' (expected 4 comma-separated values)");
  EXPECT_EQ(bb_error(""),
            "invalid bb format: '' (expected 4 comma-separated values)");
  EXPECT_EQ(bb_error(",,,"),
            "invalid bb component 0: '': cannot parse float from empty string");
  EXPECT_EQ(bb_error("1,2,3,x"),
            "invalid bb component 3: 'x': invalid float literal");
  // The untrimmed piece is shown, and the first bad piece wins.
  EXPECT_EQ(bb_error("1,2, \t,y"),
            "invalid bb component 2: ' \t': cannot parse float from empty string");
}

TEST(Json0Values, Points) {
  EXPECT_EQ(parse_point("27,90").value(), (Point{27, 90}));
  EXPECT_EQ(parse_point("1, 2").value(), (Point{1, 2}));
  EXPECT_EQ(point_error("1,18!"), "invalid pos y: '18!': invalid float literal");
  EXPECT_EQ(point_error("x ,1"), "invalid pos x: 'x ': invalid float literal");
  EXPECT_EQ(point_error(" ,y"),
            "invalid pos x: ' ': cannot parse float from empty string");
  EXPECT_EQ(point_error("1"), "invalid pos format: '1' (expected 'x,y')");
  EXPECT_EQ(point_error("1,2,3"), "invalid pos format: '1,2,3' (expected 'x,y')");
  EXPECT_EQ(point_error(""), "invalid pos format: '' (expected 'x,y')");
}

TEST(Spline, TipsAnywhereAmongThePoints) {
  auto s = parse_spline("e,27,36.104 27,71.697 27,63.983 27,54.712 27,46.112");
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->points, (std::vector<Point>{{27, 71.697}, {27, 63.983},
                                           {27, 54.712}, {27, 46.112}}));
  EXPECT_EQ(s->end_point, (Point{27, 36.104}));
  EXPECT_FALSE(s->start_point.has_value());

  s = parse_spline("1,2 s,3,4 5,6 e,7,8 9,10");
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->points, (std::vector<Point>{{1, 2}, {5, 6}, {9, 10}}));
  EXPECT_EQ(s->start_point, (Point{3, 4}));
  EXPECT_EQ(s->end_point, (Point{7, 8}));
}

TEST(Spline, RepeatedTipsLastWins) {
  auto s = parse_spline("e,1,1 s,2,2 0,0 e,3,3 s,4,4");
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->end_point, (Point{3, 3}));
  EXPECT_EQ(s->start_point, (Point{4, 4}));
  EXPECT_EQ(s->points, (std::vector<Point>{{0, 0}}));
}

TEST(Spline, WhiteSpaceRuns) {
  for (const char* blank : {"", " ", " \t\n ", "\xE2\x80\x83"}) {
    auto s = parse_spline(blank);
    ASSERT_TRUE(s.has_value());
    EXPECT_TRUE(s->points.empty());
    EXPECT_FALSE(s->start_point || s->end_point);
  }
  // Leading, trailing and repeated separators, including Unicode ones.
  auto s = parse_spline("\n 1,2\xE2\x80\x83\xC2\x85 3,4 \xE3\x80\x80");
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->points, (std::vector<Point>{{1, 2}, {3, 4}}));
}

TEST(Spline, BadTokensEndTheSpline) {
  EXPECT_EQ(spline_error("e,"), "invalid pos format: '' (expected 'x,y')");
  EXPECT_EQ(spline_error("1,2 e"), "invalid pos format: 'e' (expected 'x,y')");
  EXPECT_EQ(spline_error("E,1,2"), "invalid pos format: 'E,1,2' (expected 'x,y')");
  EXPECT_EQ(spline_error("s,1,2,3"), "invalid pos format: '1,2,3' (expected 'x,y')");
  EXPECT_EQ(spline_error("1,2 3,z 4,w"), "invalid pos y: 'z': invalid float literal");
  // A no-break space is white space and splits, so "1,\xC2\xA0" "2" is two tokens.
  EXPECT_EQ(spline_error("1,\xC2\xA0" "2"),
            "invalid pos y: '': cannot parse float from empty string");
}

}  // namespace
}  // namespace vantri
