// The planner on small scenes: rank directions, arrow ends, loops,
// parallel edges, labels, ends held to part of a box, and the fault check
// that the example-graph audit relies on.
#include "render_edges/plan_routes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render_edges/route_faults.h"

namespace vantri {
namespace {

struct Scene {
  std::vector<LayoutNode> nodes;
  std::vector<NodeBox> boxes;
  std::vector<LayoutEdge> edges;
  RankDir rankdir = RankDir::TopToBottom;

  std::size_t box(std::uint64_t left, std::uint64_t top, std::uint64_t width = 5,
                  std::uint64_t height = 3) {
    nodes.emplace_back();
    boxes.push_back({left, top, width, height});
    return boxes.size() - 1;
  }
  LayoutEdge& edge(std::size_t tail, std::size_t head) {
    edges.emplace_back();
    edges.back().tail = tail;
    edges.back().head = head;
    return edges.back();
  }
  RoutePlan plan(std::span<const EndSpans> spans = {}) const {
    RouteScene s;
    s.edges = edges;
    s.nodes = nodes;
    s.boxes = boxes;
    s.rankdir = rankdir;
    s.width = 60;
    s.height = 30;
    s.end_spans = spans;
    return plan_routes(s);
  }
  std::vector<RouteFault> faults(const RoutePlan& plan) const {
    return find_route_faults(plan, {edges, nodes, boxes, rankdir, {}}, 100);
  }
};

std::string describe(const std::vector<RouteFault>& faults) {
  std::string out;
  for (const RouteFault& f : faults) out += std::string(rule_name(f.rule)) + ": " + f.detail + "\n";
  return out;
}

TEST(PlanRoutes, ForwardEdgesRunAlongTheRankDirection) {
  struct Case {
    RankDir dir;
    Toward forward;
  };
  for (const Case c : {Case{RankDir::TopToBottom, Toward::Down}, Case{RankDir::BottomToTop, Toward::Up},
                       Case{RankDir::LeftToRight, Toward::Right},
                       Case{RankDir::RightToLeft, Toward::Left}}) {
    Scene s;
    s.rankdir = c.dir;
    const bool down_or_up = c.dir == RankDir::TopToBottom || c.dir == RankDir::BottomToTop;
    const bool backwards = c.dir == RankDir::BottomToTop || c.dir == RankDir::RightToLeft;
    // Three ranks along the direction, the middle one offset across it.
    // An edge shares at most one end, so the first box's facing side
    // takes two lines, as does the last one's: each has three cells.
    std::size_t at[3];
    for (std::size_t k = 0; k < 3; ++k) {
      const std::uint64_t along = 2 + 10 * (backwards ? 2 - k : k);
      const std::uint64_t across = k == 1 ? 10 : 4;
      at[k] = down_or_up ? s.box(across, along) : s.box(along, across, 5, 5);
    }
    s.edge(at[0], at[1]);
    s.edge(at[1], at[2]);
    s.edge(at[0], at[2]);  // past the middle one
    const RoutePlan plan = s.plan();
    EXPECT_TRUE(s.faults(plan).empty()) << describe(s.faults(plan));
    for (const EdgeRoute& r : plan.routes) {
      ASSERT_FALSE(r.points.empty());
      EXPECT_EQ(r.end_into, c.forward);
      EXPECT_EQ(r.start_into, opposite(c.forward));
      EXPECT_TRUE(r.arrow_at_end);
      EXPECT_FALSE(r.arrow_at_start);
    }
    // The two short edges go straight or with one jog.
    EXPECT_LE(plan.routes[0].points.size(), 4u);
    EXPECT_LE(plan.routes[1].points.size(), 4u);
  }
}

TEST(PlanRoutes, ArrowEndsLoopsAndParallelEdges) {
  Scene s;
  const auto a = s.box(4, 2), b = s.box(4, 12), c = s.box(20, 12);
  s.edge(a, b).arrow_at_head = false;  // undirected or dir=none
  LayoutEdge& back = s.edge(a, c);    // dir=back
  back.arrow_at_head = false;
  back.arrow_at_tail = true;
  s.edge(b, c).arrow_at_tail = true;  // dir=both
  s.edge(a, a);
  s.edge(a, a);
  s.edge(c, b);
  s.edge(c, b);
  s.edges.back().label = "twin";
  const RoutePlan plan = s.plan();
  EXPECT_TRUE(s.faults(plan).empty()) << describe(s.faults(plan));
  for (std::size_t i = 0; i < s.edges.size(); ++i) {
    EXPECT_EQ(plan.routes[i].arrow_at_end, s.edges[i].arrow_at_head) << i;
    EXPECT_EQ(plan.routes[i].arrow_at_start, s.edges[i].arrow_at_tail) << i;
  }
  // The two loops and the two parallel edges are separate routes.
  EXPECT_NE(plan.routes[3].points, plan.routes[4].points);
  EXPECT_NE(plan.routes[5].points.back(), plan.routes[6].points.back());
  ASSERT_EQ(plan.labels.size(), 1u);
  EXPECT_EQ(plan.labels[0].owner, 6u);
}

TEST(PlanRoutes, AnEndHeldToPartOfItsBoxAttachesBesideThatPart) {
  // A wide box whose right-hand field the edge must leave from.
  Scene s;
  const auto record = s.box(2, 2, 21, 3);
  const auto head = s.box(4, 14);
  s.edge(record, head);
  const CellRect field{.left = 16, .top = 2, .right = 22, .bottom = 4};
  const std::vector<EndSpans> spans{{field, std::nullopt}};
  const RoutePlan plan = s.plan(spans);
  EXPECT_TRUE(s.faults(plan).empty()) << describe(s.faults(plan));
  const GridPoint start = plan.routes[0].points.front();
  EXPECT_GE(start.col, field.left);
  EXPECT_LE(start.col, field.right);
  // Without the span the edge leaves from the middle of the box.
  EXPECT_LT(s.plan().routes[0].points.front().col, field.left);
}

TEST(RouteFaults, EachRuleCatchesItsFault) {
  Scene s;
  const auto a = s.box(4, 2), b = s.box(4, 12), c = s.box(20, 2), d = s.box(20, 12);
  s.edge(a, b);
  s.edge(c, d);
  const RoutePlan good = s.plan();
  ASSERT_TRUE(s.faults(good).empty()) << describe(s.faults(good));
  const auto rules = [&](const RoutePlan& p) {
    std::vector<RouteFault::Rule> out;
    for (const RouteFault& f : s.faults(p)) out.push_back(f.rule);
    return out;
  };
  const auto has = [&](const RoutePlan& p, RouteFault::Rule rule) {
    const auto r = rules(p);
    return std::find(r.begin(), r.end(), rule) != r.end();
  };
  {
    // c -> d detours through a's box.
    RoutePlan p = good;
    p.routes[1].points = {{5, 22}, {6, 22}, {6, 6}, {3, 6}, {3, 12}, {11, 12}, {11, 22}};
    EXPECT_TRUE(has(p, RouteFault::Rule::ThroughBox));
  }
  {
    // Both edges run down the same column.
    RoutePlan p = good;
    p.routes[1].points = {{5, 22}, {8, 22}, {8, 6}, {10, 6}, {10, 22}, {11, 22}};
    EXPECT_TRUE(has(p, RouteFault::Rule::FalseJoin));
  }
  {
    // a -> b leaves a at its bottom right corner and joins b at its top
    // left one.
    RoutePlan p = good;
    p.routes[0].points = {{5, 8}, {8, 8}, {8, 4}, {11, 4}};
    const auto r = rules(p);
    EXPECT_EQ(std::count(r.begin(), r.end(), RouteFault::Rule::WrongSide), 2) << describe(s.faults(p));
  }
  {
    RoutePlan p = good;
    p.routes[0].arrow_at_end = false;
    EXPECT_TRUE(has(p, RouteFault::Rule::ArrowEnds));
  }
  {
    RoutePlan p = good;
    p.routes[0].points.clear();
    EXPECT_TRUE(has(p, RouteFault::Rule::Broken));
  }
  {
    // A label over the other edge's line.
    RoutePlan p = good;
    PlacedLabel label;
    label.owner = 0;
    label.top = 8;
    label.left = 21;
    label.lines = {"xyz"};
    label.width = 3;
    label.text = "xyz";
    p.labels.push_back(label);
    EXPECT_TRUE(has(p, RouteFault::Rule::Label));
  }
}

}  // namespace
}  // namespace vantri
