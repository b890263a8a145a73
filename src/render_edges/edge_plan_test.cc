// Classification, lanes and ports of the edge plan.
#include "render_edges/edge_plan.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/edge_scene.h"

namespace vantri {
namespace {

using testing::Scene;

constexpr PlannedEdge::Kind kDownward = PlannedEdge::Kind::Downward;
constexpr PlannedEdge::Kind kSide = PlannedEdge::Kind::Side;

std::vector<PlannedEdge::Kind> kinds(const EdgePlan& plan) {
  std::vector<PlannedEdge::Kind> out;
  for (const PlannedEdge& edge : plan.edges) out.push_back(edge.kind);
  return out;
}

TEST(EdgePlan, LanesAndPorts) {
  Scene s;
  const auto a = s.node(0, 0), b = s.node(20, 0), below = s.node(0, 8);
  s.edge(a, b);
  s.edge(b, a).points = {{0, 0}};  // left of b's centre: a left lane
  s.edge(a, a);
  s.edge(a, below);  // downward
  s.edge(b, a).points = {{0, 0}};
  s.edge(b, b);
  const EdgePlan plan = plan_edges(s.edges, s.nodes, s.boxes);
  EXPECT_EQ(kinds(plan), (std::vector{kSide, kSide, kSide, kDownward, kSide, kSide}));
  EXPECT_EQ(plan.edges[0].lane, (Lane{27, Side::Right}));
  EXPECT_EQ(plan.edges[1].lane, (Lane{0, Side::Left}));  // leftmost box at column 0
  EXPECT_EQ(plan.edges[2].lane, (Lane{29, Side::Right}));
  EXPECT_EQ(plan.edges[3].kind, kDownward);
  EXPECT_EQ(plan.edges[4].lane, (Lane{0, Side::Left}));
  EXPECT_EQ(plan.edges[5].lane, (Lane{31, Side::Right}));
  EXPECT_EQ(plan.rightmost_right_lane, 31u);
  EXPECT_EQ(plan.edges[0].ports, (EdgePorts{1, 5, 1, 25}));
  EXPECT_EQ(plan.edges[1].ports, (EdgePorts{1, 19, 1, 0}));  // left - 1 stops at 0
  EXPECT_EQ(plan.edges[3].ports, (EdgePorts{3, 2, 7, 2}));

  // Left lanes step two columns outwards and stop at column 0.
  Scene w;
  const auto c = w.node(5, 0);
  for (int i = 0; i < 3; ++i) w.edge(c, c).points = {{0, 0}};
  const EdgePlan left = plan_edges(w.edges, w.nodes, w.boxes);
  EXPECT_EQ(left.edges[0].lane, (Lane{2, Side::Left}));
  EXPECT_EQ(left.edges[1].lane, (Lane{0, Side::Left}));
  EXPECT_EQ(left.edges[2].lane, (Lane{0, Side::Left}));
  EXPECT_EQ(left.rightmost_right_lane, std::nullopt);
}

TEST(EdgePlan, DownwardNeedsTwoFreeRows) {
  Scene s;
  const auto a = s.node(0, 0);
  s.edge(a, s.node(0, 5));  // rows 3 and 4 free
  s.edge(a, s.node(0, 4));  // only row 3 free
  s.edge(a, s.node(0, 3));  // touching
  s.edge(s.node(0, 9), a);  // upwards
  const EdgePlan plan = plan_edges(s.edges, s.nodes, s.boxes);
  EXPECT_EQ(kinds(plan), (std::vector{kDownward, kSide, kSide, kSide}));
  EXPECT_EQ(plan.rightmost_right_lane, 11u);  // lanes 7, 9, 11
  EXPECT_EQ(plan_edges({}, {}, {}).rightmost_right_lane, std::nullopt);
}

}  // namespace
}  // namespace vantri
