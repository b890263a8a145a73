#include "render/width_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/build_transform.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

LayoutNode node(double x, double y, double width, std::string label) {
  LayoutNode n;
  n.pos = {x, y};
  n.width = width;
  n.height = 36;
  n.label = std::move(label);
  return n;
}

std::vector<std::string> labels_of(const LayoutGraph& g) {
  std::vector<std::string> labels;
  for (const LayoutNode& n : g.nodes) labels.push_back(n.label);
  return labels;
}

// Two ranks top-down: three wide nodes side by side 18 points apart, and
// one narrow node below them.
LayoutGraph top_down() {
  LayoutGraph g;
  const std::string label(30, 'x');  // 226 points wide, as dot makes it
  g.nodes = {node(113, 90, 226, label), node(357, 90, 226, label),
             node(601, 90, 226, label), node(357, 18, 54, "a")};
  g.bb = {0, 0, 714, 108};
  return g;
}

TEST(WidthModel, TopDownRanksNarrowByWhatAllTheirNodesGiveBack) {
  const LayoutGraph g = top_down();
  const auto labels = labels_of(g);
  const WidthModel model(g, labels, {});
  EXPECT_EQ(model.widest_wanted(), 30u);
  EXPECT_NEAR(model.gap(), 18.0, 1e-9);
  // Unchanged labels predict what the drawing's scale gives.
  EXPECT_EQ(model.columns(30), build_transform(g.bb, g.nodes, labels).width);
  EXPECT_EQ(model.drawn_columns(), model.columns(30));
  // Labels drawn shorter than `dot` sized their nodes for (a label limit)
  // make the drawing at hand narrower than a layout of them would be.
  std::vector<std::string> limited = labels;
  for (std::string& label : limited) label = label.substr(0, 20);
  const WidthModel drawn(g, limited, {});
  EXPECT_EQ(drawn.drawn_columns(), build_transform(g.bb, g.nodes, limited).width);
  EXPECT_GT(drawn.columns(20), drawn.drawn_columns());
  // Labels of 10: each wide node keeps 14/34 of its width, and its ratio of
  // points to columns, 226/34, stays the drawing's scale; the rank is three
  // of them and two gaps.
  const double rank = 3 * 226.0 * 14 / 34 + 2 * 18;
  EXPECT_EQ(model.columns(10), static_cast<std::uint64_t>(std::ceil(rank / (226.0 / 34))) + 2);
  // Less space between the nodes of a rank narrows it by both gaps.
  EXPECT_LT(model.columns(10, 12), model.columns(10));
  std::uint64_t previous = 0;
  for (std::uint64_t budget = kLabelFloor; budget <= 30; ++budget) {
    EXPECT_GE(model.columns(budget), previous) << budget;
    previous = model.columns(budget);
  }
  // The largest budget that fits, and none when even the floor does not.
  const auto budget = model.largest_budget(60);
  ASSERT_TRUE(budget.has_value());
  EXPECT_LE(model.columns(*budget), 60u);
  EXPECT_GT(model.columns(*budget + 1), 60u);
  EXPECT_FALSE(model.largest_budget(10).has_value());
  EXPECT_EQ(model.largest_budget(1000), 30u);
}

TEST(WidthModel, LeftToRightRanksNarrowByTheirWidestNodeAndNodesKeepTheirFloor) {
  LayoutGraph g;
  g.rankdir = RankDir::LeftToRight;
  // Two ranks standing side by side, 50 points apart; the first holds a
  // short and a long label, the second a record that keeps its size.
  g.nodes = {node(113, 18, 226, std::string(30, 'y')), node(113, 90, 54, "b"),
             node(326, 18, 100, "{record|fields}")};
  g.nodes[2].shape = NodeShape::Record;
  g.bb = {0, 0, 376, 108};
  const auto labels = labels_of(g);
  const std::vector<bool> keeps = {false, false, true};
  const WidthModel model(g, labels, {}, keeps);
  EXPECT_NEAR(model.gap(), 50.0, 1e-9);
  // At the floor the long node would shrink to 226 * (floor + 4) / 34
  // points; the record gives back nothing.
  const double floor_box = static_cast<double>(kLabelFloor + 4);
  const double width = 376 - (226 - 226.0 * floor_box / 34);
  const double scale = std::min({226.0 / 34, 54.0 / 5, 100.0 / 10});
  EXPECT_EQ(model.columns(kLabelFloor),
            static_cast<std::uint64_t>(std::ceil(width / std::max(scale, 4.0))) + 2);
  // Fewer points between the ranks: one gap less.
  EXPECT_EQ(model.columns(kLabelFloor, 20),
            static_cast<std::uint64_t>(std::ceil((width - 20) / std::max(scale, 4.0))) + 2);
  // A node that wants more than it shows grows back with a larger budget.
  const LabelWidthWithin wanted = [](std::size_t i, std::uint64_t budget) {
    constexpr std::uint64_t kWanted[] = {40, 1, 15};
    return std::min(kWanted[i], budget);
  };
  const WidthModel grown(g, labels, wanted, keeps);
  EXPECT_EQ(grown.widest_wanted(), 40u);
  EXPECT_GT(grown.columns(40), model.columns(30));
}

}  // namespace
}  // namespace vantri
