#include "render/stagger_ranks.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "graphviz/run_dot.h"

namespace vantri {
namespace {

LayoutNode at(std::string name, double x, double y) {
  LayoutNode n;
  n.name = std::move(name);
  n.pos = {x, y};
  n.width = 54;
  n.height = 36;
  return n;
}

LayoutEdge edge(std::size_t tail, std::size_t head) {
  LayoutEdge e;
  e.tail = tail;
  e.head = head;
  return e;
}

// A root above `leaves` leaves side by side, and a source beside them
// with nothing above it.
LayoutGraph fan_out(std::size_t leaves) {
  LayoutGraph g;
  g.nodes.push_back(at("root", 100, 90));
  for (std::size_t i = 0; i < leaves; ++i) {
    g.nodes.push_back(at("leaf" + std::to_string(i), 60.0 * static_cast<double>(i), 18));
    g.edges.push_back(edge(0, i + 1));
  }
  g.nodes.push_back(at("lone", 60.0 * static_cast<double>(leaves), 18));
  return g;
}

TEST(StaggerWideRanks, EachKthNodeOfATooWideRankGoesFurtherDown) {
  const LayoutGraph g = fan_out(5);
  // Six boxes of 9 columns and a blank each: 60 columns, in 25 of room.
  const std::vector<std::uint64_t> boxes(g.nodes.size(), 9);
  const Stagger stagger = stagger_wide_ranks(g, boxes, 25);
  EXPECT_EQ(stagger.statements,
            "\"root\" -> \"leaf1\" [style=invis, minlen=2];\n"
            "\"root\" -> \"leaf2\" [style=invis, minlen=3];\n"
            "\"root\" -> \"leaf4\" [style=invis, minlen=2];\n"
            "\"leaf0\" -> \"lone\" [style=invis, minlen=2];\n");
  EXPECT_EQ(stagger.edges, 4u);

  // Room enough, a strict graph, ranks side by side: nothing.
  EXPECT_EQ(stagger_wide_ranks(g, boxes, 60).edges, 0u);
  LayoutGraph strict = g;
  strict.strict = true;
  EXPECT_EQ(stagger_wide_ranks(strict, boxes, 25).edges, 0u);
  LayoutGraph sideways = g;
  sideways.rankdir = RankDir::LeftToRight;
  EXPECT_EQ(stagger_wide_ranks(sideways, boxes, 25).edges, 0u);

  // Bottom to top the ranks go the other way; undirected edges join with --.
  LayoutGraph upward = g;
  upward.rankdir = RankDir::BottomToTop;
  upward.directed = false;
  for (LayoutNode& node : upward.nodes) node.pos.y = 108 - node.pos.y;
  const Stagger up = stagger_wide_ranks(upward, boxes, 25);
  EXPECT_EQ(up.edges, 4u);
  EXPECT_NE(up.statements.find("\"root\" -- \"leaf2\" [style=invis, minlen=3];"),
            std::string::npos)
      << up.statements;

  // A rank of 600 leaves in 80 columns would go 60 rows deep: `dot` would
  // take minutes over the ranks that adds. It goes less deep, adding at
  // most 2048 ranks.
  const LayoutGraph wide = fan_out(600);
  const std::vector<std::uint64_t> wide_boxes(wide.nodes.size(), 9);
  const Stagger spread = stagger_wide_ranks(wide, wide_boxes, 80);
  EXPECT_GT(spread.edges, 0u);
  std::uint64_t added = 0;
  for (std::size_t at = spread.statements.find("minlen="); at != std::string::npos;
       at = spread.statements.find("minlen=", at + 1)) {
    // A leaf's edge from the root is one rank long; the rest is added.
    added += std::stoull(spread.statements.substr(at + 7)) - 1;
  }
  EXPECT_LE(added, 2048u);
  EXPECT_GT(added, 1024u) << "the rank is hardly spread";
}

TEST(StaggerWideRanks, DotSpreadsTheRankAndItsEdgesGoAgain) {
  std::string dot = "digraph {\n  root -> \"leaf 0\" [style=invis];\n";
  for (int i = 0; i < 20; ++i) dot += "  root -> \"leaf " + std::to_string(i) + "\";\n";
  dot += "}\n";
  const auto first = layout_with_dot(dot);
  ASSERT_TRUE(first.has_value()) << first.error().display();
  const std::vector<std::uint64_t> boxes(first->nodes.size(), 11);
  const Stagger stagger = stagger_wide_ranks(*first, boxes, 80);
  ASSERT_GT(stagger.edges, 0u);
  auto again = layout_with_dot(dot.substr(0, dot.rfind('}')) + stagger.statements + "}\n");
  ASSERT_TRUE(again.has_value()) << again.error().display();
  ASSERT_EQ(again->edges.size(), first->edges.size() + stagger.edges);
  // Once they go, the graph's own edges are left, its invisible one too.
  drop_stagger_edges(*again, first->edges);
  ASSERT_EQ(again->edges.size(), first->edges.size());
  const auto ends = [](const LayoutGraph& g) {
    std::multimap<std::pair<std::size_t, std::size_t>, bool> out;
    for (const LayoutEdge& e : g.edges) out.insert({{e.tail, e.head}, e.invisible});
    return out;
  };
  EXPECT_EQ(ends(*again), ends(*first));
  // Twenty boxes of eleven columns and a blank in 80: seven a row would be
  // 84, so four rows of five.
  std::map<double, int> per_row;
  for (const LayoutNode& node : again->nodes) {
    if (node.name != "root") ++per_row[node.pos.y];
  }
  EXPECT_EQ(per_row.size(), 4u);
  for (const auto& [y, count] : per_row) EXPECT_LE(count * 12, 80) << "row at " << y;
}

}  // namespace
}  // namespace vantri
