#include "render/node_faces.h"

#include <gtest/gtest.h>

namespace vantri {
namespace {

LayoutNode record(std::string raw, NodeShape shape = NodeShape::Record) {
  LayoutNode n;
  n.raw_label = raw;
  n.label = std::move(raw);
  n.shape = shape;
  n.name = "r";
  return n;
}

TEST(NodeFaces, RecordsAreFieldsOtherNodesText) {
  LayoutGraph g;
  g.nodes = {record("<f0> left|<f1> right"), record("plain", NodeShape::Box),
             record("a|{b|c}", NodeShape::MRecord), record("bad{", NodeShape::Record)};
  const NodeFaces faces = node_faces(g, std::nullopt, TrimStrategy::End);
  ASSERT_EQ(faces.fields.size(), 4u);
  EXPECT_EQ(faces.fields[0].fields.size(), 2u);
  EXPECT_EQ(faces.labels[0], "");
  EXPECT_TRUE(faces.fields[1].empty());
  EXPECT_EQ(faces.labels[1], "plain");
  EXPECT_EQ(faces.fields[2].fields.size(), 3u);
  // Not record syntax: shown as its text.
  EXPECT_TRUE(faces.fields[3].empty());
  EXPECT_EQ(faces.labels[3], "bad{");

  // Without any record there are no field layouts at all.
  g.nodes = {record("x", NodeShape::Other)};
  EXPECT_TRUE(node_faces(g, std::nullopt, TrimStrategy::End).fields.empty());
}

TEST(NodeFaces, TheLabelLimitHoldsForEveryField) {
  LayoutGraph g;
  g.nodes = {record("short|a_rather_long_field"), record("a_rather_long_label", NodeShape::Box)};
  const NodeFaces faces = node_faces(g, 8, TrimStrategy::End);
  EXPECT_EQ(faces.fields[0].fields[0].text, "short");
  EXPECT_EQ(faces.fields[0].fields[1].text, "a_rat...");
  EXPECT_EQ(faces.labels[1], "a_rat...");
}

}  // namespace
}  // namespace vantri
