// Routing whole scenes: straight and jogged downward edges, fan-outs and
// merges, side edges round their lanes, and hostile or large inputs.
#include "render_edges/draw_edges.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "support/edge_scene.h"

namespace vantri {
namespace {

using testing::Scene;

TEST(DownwardEdges, StraightWhenTheHeadIsCentred) {
  Scene s;
  s.edge(s.node(0, 0, "A"), s.node(0, 6, "B"));
  EXPECT_EQ(s.draw(10, 10).to_text(),
            "┌───┐\n"
            "│ A │\n"
            "└───┘\n"
            "  │\n"
            "  │\n"
            "  ▼\n"
            "┌───┐\n"
            "│ B │\n"
            "└───┘\n");
}

TEST(DownwardEdges, JogToTheRightAndToTheLeft) {
  Scene right;
  right.edge(right.node(0, 0, "A"), right.node(6, 7, "B"));
  EXPECT_EQ(right.draw(12, 10).to_text(),
            "┌───┐\n"
            "│ A │\n"
            "└───┘\n"
            "  │\n"
            "  └─────┐\n"
            "        │\n"
            "        ▼\n"
            "      ┌───┐\n"
            "      │ B │\n"
            "      └───┘\n");
  Scene left;
  left.edge(left.node(6, 0, "A"), left.node(0, 7, "B"));
  EXPECT_EQ(left.draw(12, 10).to_text(),
            "      ┌───┐\n"
            "      │ A │\n"
            "      └───┘\n"
            "        │\n"
            "  ┌─────┘\n"
            "  │\n"
            "  ▼\n"
            "┌───┐\n"
            "│ B │\n"
            "└───┘\n");
}

TEST(DownwardEdges, FanOutBranchesJoinTheirTail) {
  Scene two;  // no head centred: the jogs take different rows
  const auto a = two.node(4, 0, "A");
  two.edge(a, two.node(0, 7, "B"));
  two.edge(a, two.node(8, 7, "C"));
  EXPECT_EQ(two.draw(14, 10).to_text(),
            "    ┌───┐\n"
            "    │ A │\n"
            "    └───┘\n"
            "      │\n"
            "  ┌───┤\n"
            "  │   └───┐\n"
            "  ▼       ▼\n"
            "┌───┐   ┌───┐\n"
            "│ B │   │ C │\n"
            "└───┘   └───┘\n");
  Scene three;  // the middle head centred: it runs straight through
  const auto t = three.node(8, 0, "A");
  three.edge(t, three.node(0, 7, "B"));
  three.edge(t, three.node(8, 7, "C"));
  three.edge(t, three.node(16, 7, "D"));
  EXPECT_EQ(three.draw(22, 10).to_text(),
            "        ┌───┐\n"
            "        │ A │\n"
            "        └───┘\n"
            "          │\n"
            "  ┌───────┤\n"
            "  │       ├───────┐\n"
            "  ▼       ▼       ▼\n"
            "┌───┐   ┌───┐   ┌───┐\n"
            "│ B │   │ C │   │ D │\n"
            "└───┘   └───┘   └───┘\n");
}

TEST(DownwardEdges, TwoFreeRowsJogOnTheUpperOne) {
  // Every jog lands on the row under the tail; later siblings keep the
  // junction of earlier ones and no stub hangs below it.
  Scene two;
  const auto a = two.node(8, 0, "A");
  two.edge(a, two.node(0, 5, "B"));
  two.edge(a, two.node(16, 5, "D"));
  EXPECT_EQ(two.draw(22, 8).to_text(),
            "        ┌───┐\n"
            "        │ A │\n"
            "        └───┘\n"
            "  ┌───────┴───────┐\n"
            "  ▼               ▼\n"
            "┌───┐           ┌───┐\n"
            "│ B │           │ D │\n"
            "└───┘           └───┘\n");
  Scene three;
  const auto t = three.node(8, 0, "A");
  three.edge(t, three.node(0, 5, "B"));
  three.edge(t, three.node(8, 5, "C"));
  three.edge(t, three.node(16, 5, "D"));
  EXPECT_EQ(three.draw(22, 8).to_text(),
            "        ┌───┐\n"
            "        │ A │\n"
            "        └───┘\n"
            "  ┌───────┼───────┐\n"
            "  ▼       ▼       ▼\n"
            "┌───┐   ┌───┐   ┌───┐\n"
            "│ B │   │ C │   │ D │\n"
            "└───┘   └───┘   └───┘\n");
}

TEST(DownwardEdges, TwoTailsMergeAboveTheirHead) {
  Scene s;
  const auto c = s.node(6, 7, "C");
  s.edge(s.node(0, 0, "A"), c);
  s.edge(s.node(12, 0, "B"), c);
  EXPECT_EQ(s.draw(18, 10).to_text(),
            "┌───┐       ┌───┐\n"
            "│ A │       │ B │\n"
            "└───┘       └───┘\n"
            "  │           │\n"
            "  │           │\n"
            "  └─────┬─────┘\n"
            "        ▼\n"
            "      ┌───┐\n"
            "      │ C │\n"
            "      └───┘\n");
}

TEST(DownwardEdges, JogKeepsOffBoxRowsAndEarlierLabels) {
  Scene s;
  const auto a = s.node(0, 0, "A");
  const auto b = s.node(6, 12, "B");
  s.node(30, 6, "X");  // far to the side, across the middle of the band
  s.edge(a, b);
  CharGrid grid = s.draw(40, 16);
  // The band runs from row 3 to row 11; the middle row 7 lies in X's rows.
  EXPECT_EQ(grid.at(9, 4), Cell::line({.left = true, .right = true}));
  EXPECT_EQ(grid.at(7, 4).kind(), CellKind::Empty);

  // A labelled straight edge is drawn first: its label sits in row 3, so
  // the jog moves from row 4 to row 5, one row clear of it.
  Scene l;
  const auto t = l.node(0, 0, "A");
  l.edge(t, l.node(0, 7, "B"), "lbl");
  l.edge(t, l.node(20, 7, "C"));
  CharGrid labelled = l.draw(30, 11);
  EXPECT_EQ(labelled.at(3, 3), Cell::text(U'l'));
  EXPECT_EQ(labelled.at(5, 10), Cell::line({.left = true, .right = true}));
  EXPECT_EQ(labelled.at(4, 10).kind(), CellKind::Empty);
}

TEST(SideEdges, OneFreeRowGoesRoundTheRight) {
  Scene s;
  s.edge(s.node(0, 0, "A"), s.node(0, 4, "B"));
  EXPECT_EQ(s.draw(10, 8).to_text(),
            "┌───┐\n"
            "│ A │──┐\n"
            "└───┘  │\n"
            "       │\n"
            "┌───┐  │\n"
            "│ B │◀─┘\n"
            "└───┘\n");
}

TEST(SideEdges, SplineLeftOfTheTailGoesRoundTheLeft) {
  Scene s;
  s.edge(s.node(6, 0, "A"), s.node(6, 4, "B")).points = {{0, 0}, {0, 0}, {0, 0}, {0, 0}};
  EXPECT_EQ(s.draw(14, 8).to_text(),
            "      ┌───┐\n"
            "   ┌──│ A │\n"
            "   │  └───┘\n"
            "   │\n"
            "   │  ┌───┐\n"
            "   └─▶│ B │\n"
            "      └───┘\n");
}

TEST(SideEdges, SelfLoop) {
  Scene s;
  const auto a = s.node(0, 0, "A");
  s.edge(a, a);
  EXPECT_EQ(s.draw(10, 4).to_text(),
            "┌───┐\n"
            "│ A │◀─┤\n"
            "└───┘\n");
}

TEST(HostileCoordinates, HugePositionsOnATinyGridFinishAtOnce) {
  constexpr std::uint64_t kHuge = std::numeric_limits<std::int64_t>::max();
  Scene s;
  const auto a = s.node(0, 0);
  const auto far = s.node(kHuge, kHuge);
  const auto side = s.node(kHuge, 0);
  const auto edge_of_range = s.node(std::numeric_limits<std::uint64_t>::max() - 2,
                                    std::numeric_limits<std::uint64_t>::max() - 2);
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<Point> wild = {{nan, inf}, {-inf, nan}, {1e308, -1e308}, {inf, inf}};
  for (auto [t, h] : {std::pair{a, far}, {far, a}, {a, side}, {side, a}, {far, far},
                      {a, edge_of_range}, {edge_of_range, far}, {a, a}}) {
    for (int copy = 0; copy < 3; ++copy) {
      s.edge(t, h, "a label, long enough to wrap somewhere").points = wild;
      s.edge(t, h);
    }
  }
  const EdgePlan plan = plan_edges(s.edges, s.nodes, s.boxes);
  CharGrid grid(8, 5);
  draw_edges(grid, plan, s.edges, s.boxes, GridTransform{}, TrimStrategy::Smart, 8);
  EXPECT_EQ(plan.rightmost_right_lane, std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(plan.edges[0].kind, PlannedEdge::Kind::Downward);
  EXPECT_EQ(grid.at(3, 2).kind(), CellKind::Line);  // A's edge to far leaves downwards
}

TEST(LargeGraphs, ManyEdgesAndLabels) {
  // 1000 tails over 1000 heads, 20 edges each, every sixth labelled.
  Scene s;
  constexpr std::size_t kNodes = 1000;
  for (std::size_t i = 0; i < kNodes; ++i) s.node(6 * i, 0);
  for (std::size_t i = 0; i < kNodes; ++i) s.node(6 * i, 12);
  std::size_t labelled = 0;
  for (std::size_t i = 0; i < kNodes; ++i) {
    for (std::size_t k = 0; k < 20; ++k) {
      const std::size_t head = kNodes + (i * 7 + k * 13) % kNodes;
      const bool label = (i + k) % 6 == 0;
      labelled += label;
      s.edge(i, head, label ? std::optional<std::string>("edge label") : std::nullopt);
    }
  }
  const CharGrid grid = s.draw(6 * kNodes + 40, 40);
  std::size_t arrows = 0, text = 0;
  for (std::uint64_t r = 0; r < grid.height(); ++r) {
    for (std::uint64_t c = 0; c < grid.width(); ++c) {
      arrows += grid.at(r, c).kind() == CellKind::Arrow;
      text += grid.at(r, c).kind() == CellKind::Text;
    }
  }
  EXPECT_EQ(arrows, kNodes);  // one arrow row above every head
  EXPECT_GT(text, 0u);
  EXPECT_GT(labelled, 3000u);
}

TEST(LargeGraphs, SideEdgesAlongAVeryWideRow) {
  // 3000 same-rank edges between two boxes 3 million columns apart all run
  // along the same row out to their lanes; drawn cell by cell that row alone
  // would take 18 billion writes.
  constexpr std::uint64_t kFar = 3'000'000;
  Scene s;
  const auto a = s.node(0, 0);
  const auto b = s.node(kFar, 0);
  for (int i = 0; i < 3000; ++i) s.edge(a, b);
  const CharGrid grid = s.draw(kFar + 7000, 4);
  EXPECT_EQ(grid.at(1, kFar / 2), Cell::line({.left = true, .right = true}));
  EXPECT_EQ(grid.at(1, kFar + 5), Cell::arrow(U'◀'));
  EXPECT_EQ(grid.at(1, kFar + 6000).kind(), CellKind::Line);  // the outer lanes
}

}  // namespace
}  // namespace vantri
