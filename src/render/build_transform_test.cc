#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/build_transform.h"

namespace vantri {
namespace {

LayoutNode node(double width, double height, NodeShape shape = NodeShape::Other) {
  LayoutNode n;
  n.width = width;
  n.height = height;
  n.shape = shape;
  return n;
}

TEST(BuildTransform, NoNodesUsesTheSmallestScale) {
  const GridTransform t = build_transform({0, 0, 101, 80}, {}, {});
  EXPECT_EQ(t.column_scale, 4.0);
  EXPECT_EQ(t.row_scale, 8.0);
  EXPECT_EQ(t.width, 26u + 2);  // ceil(101 / 4)
  EXPECT_EQ(t.height, 10u + 2);
  EXPECT_EQ(t.margin, 1);
  EXPECT_EQ(t.bbox, (BoundingBox{0, 0, 101, 80}));
}

TEST(BuildTransform, NarrowestNodeSetsTheColumnScale) {
  std::vector<LayoutNode> nodes = {node(54, 36)};
  std::vector<std::string> labels = {"A"};
  GridTransform t = build_transform({0, 0, 54, 36}, nodes, labels);
  EXPECT_DOUBLE_EQ(t.column_scale, 10.8);  // 54 / (1 + 4)
  // A box of three rows must fit in 36 points: 12 points a row.
  EXPECT_DOUBLE_EQ(t.row_scale, 12.0);

  nodes.push_back(node(200, 36));
  labels.push_back("a much longer label here");  // 24 bytes: 200 / 28
  t = build_transform({0, 0, 300, 36}, nodes, labels);
  EXPECT_DOUBLE_EQ(t.column_scale, 200.0 / 28.0);

  // Never below 4 points a column, nor 8 points a row.
  labels = {"a label far too long for the tiny node it sits in", "x"};
  nodes = {node(20, 10), node(54, 36)};
  t = build_transform({0, 0, 100, 100}, nodes, labels);
  EXPECT_EQ(t.column_scale, 4.0);
  EXPECT_EQ(t.row_scale, 8.0);
}

TEST(BuildTransform, RowScaleFollowsLineCountsButSkipsPoints) {
  // A point is one cell, however small dot draws it.
  std::vector<LayoutNode> nodes = {node(300, 60), node(3.6, 3.6, NodeShape::Point),
                                   node(300, 90, NodeShape::DoubleCircle)};
  std::vector<std::string> labels = {"two\nlines", "", "x\ny\nz\nw"};
  const GridTransform t = build_transform({0, 0, 300, 200}, nodes, labels);
  EXPECT_DOUBLE_EQ(t.column_scale, 300.0 / 9.0);
  EXPECT_DOUBLE_EQ(t.row_scale, 15.0);  // 60 / (2 + 2) and 90 / (4 + 2)

  // Without any boxed node the scale is the smallest one.
  const GridTransform only_point =
      build_transform({0, 0, 100, 100}, std::vector{nodes[1]}, std::vector<std::string>{""});
  EXPECT_DOUBLE_EQ(only_point.column_scale, 4.0);
  EXPECT_DOUBLE_EQ(only_point.row_scale, 8.0);
}

TEST(BuildTransform, LabelsCountColumnsAndPairingStopsAtTheShorterList) {
  std::vector<LayoutNode> nodes = {node(96, 36), node(8, 8)};
  std::vector<std::string> labels = {"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"};
  GridTransform t = build_transform({0, 0, 96, 36}, nodes, labels);
  EXPECT_DOUBLE_EQ(t.column_scale, 96.0 / 14);  // ten columns and four
  labels = {"日本語"};
  t = build_transform({0, 0, 96, 36}, nodes, labels);
  EXPECT_DOUBLE_EQ(t.column_scale, 96.0 / 10);
}

TEST(BuildTransform, HostileSizesSaturate) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<LayoutNode> nodes = {node(nan, nan), node(-5, -5)};
  std::vector<std::string> labels = {"a", "b"};
  const GridTransform t = build_transform({0, 0, inf, nan}, nodes, labels);
  EXPECT_EQ(t.column_scale, 4.0);
  EXPECT_EQ(t.row_scale, 8.0);
  EXPECT_EQ(t.width, std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(t.height, 2u);
}

}  // namespace
}  // namespace vantri
