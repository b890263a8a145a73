// The gaps between ranks. Crowding: stars share a track, straight edges
// need none, and the rows of a gap count less the two beside its bands.
// Plans: every edge of a complete bipartite layer planned, ends apart on
// their sides, networks on tracks of their own, and a long edge led
// through the band between its ends clear of the boxes there. A rank's
// flat lines: each on its own ports and its own stretch of track, off the
// rank.
#include "render_edges/flat_plan.h"
#include "render_edges/gap_demand.h"
#include "render_edges/gap_plan.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "render_edges/end_groups.h"

namespace vantri {
namespace {

LayoutEdge edge(std::size_t tail, std::size_t head) {
  LayoutEdge e;
  e.tail = tail;
  e.head = head;
  return e;
}

TEST(GapCrowding, CountsOverlappingStarsAgainstTheGapsRows) {
  // Four boxes over four, a gap of six rows between them (four tracks).
  std::vector<NodeBox> boxes;
  for (std::uint64_t i = 0; i < 4; ++i) boxes.push_back({10 * i, 0, 5, 3});
  for (std::uint64_t i = 0; i < 4; ++i) boxes.push_back({10 * i, 9, 5, 3});
  std::vector<LayoutEdge> edges;
  // Every upper box to the lower box across the row from it: four
  // overlapping spans of four different stars.
  for (std::size_t i = 0; i < 4; ++i) edges.push_back(edge(i, 7 - i));
  EXPECT_DOUBLE_EQ(gap_crowding(edges, boxes, RankDir::TopToBottom, 5).worst, 1.0);
  // Straight down needs no track.
  for (std::size_t i = 0; i < 4; ++i) edges.push_back(edge(i, 4 + i));
  EXPECT_DOUBLE_EQ(gap_crowding(edges, boxes, RankDir::TopToBottom, 5).worst, 1.0);
  // A fan-in of all four into one head is one star: the head has more
  // edges than any tail, so the others' spans join it.
  std::vector<LayoutEdge> fan_in;
  for (std::size_t i = 0; i < 4; ++i) fan_in.push_back(edge(i, 4));
  EXPECT_DOUBLE_EQ(gap_crowding(fan_in, boxes, RankDir::TopToBottom, 5).worst, 0.25);
  // Squeezed to a gap of three rows, one track is left for four stars.
  for (std::size_t i = 4; i < 8; ++i) boxes[i].top = 6;
  EXPECT_DOUBLE_EQ(gap_crowding(edges, boxes, RankDir::TopToBottom, 5).worst, 4.0);
  EXPECT_EQ(gap_crowding(edges, boxes, RankDir::TopToBottom, 5).missing, 3u);
  // Backward edges take no track of the gap.
  const std::vector<LayoutEdge> back = {edge(4, 0), edge(5, 1)};
  EXPECT_DOUBLE_EQ(gap_crowding(back, boxes, RankDir::TopToBottom, 5).worst, 0.0);
}

TEST(GapPlan, CompleteBipartiteLayerGetsEveryEdgeOnTracksOfItsOwn) {
  // Five boxes over five, each nine wide (seven cells between corners).
  std::vector<NodeBox> boxes;
  for (std::uint64_t i = 0; i < 5; ++i) boxes.push_back({12 * i, 0, 9, 3});
  for (std::uint64_t i = 0; i < 5; ++i) boxes.push_back({12 * i, 20, 9, 3});
  std::vector<LayoutEdge> edges;
  for (std::size_t a = 0; a < 5; ++a) {
    for (std::size_t b = 5; b < 10; ++b) edges.push_back(edge(a, b));
  }
  const std::vector<RouteGroups> groups = end_groups(edges, {}).first;
  const std::vector<char> planned(edges.size(), 1);
  const GapPlan plan = plan_gap_routes(
      GapPlanInput{edges, boxes, groups, planned, {}, Toward::Down, 0});
  EXPECT_DOUBLE_EQ(plan.stretch, 1.0);
  // Each horizontal stretch, with the head group whose merge it belongs
  // to (a tie between fan-out and fan-in goes to the fan-in).
  std::map<std::uint64_t, std::vector<std::pair<std::pair<std::uint64_t, std::uint64_t>, std::uint32_t>>>
      by_row;
  std::map<std::size_t, std::set<std::uint64_t>> tail_ports;
  for (std::size_t i = 0; i < edges.size(); ++i) {
    ASSERT_TRUE(plan.routes[i].has_value()) << "edge " << i << " not planned";
    const std::vector<GridPoint>& p = plan.routes[i]->points;
    const NodeBox& t = boxes[edges[i].tail];
    const NodeBox& h = boxes[edges[i].head];
    ASSERT_GE(p.size(), 2u);
    EXPECT_EQ(p.front().row, t.bottom() + 1) << "edge " << i;
    EXPECT_EQ(p.back().row, h.top - 1) << "edge " << i;
    EXPECT_GT(p.front().col, t.left);
    EXPECT_LT(p.front().col, t.right());
    EXPECT_GT(p.back().col, h.left);
    EXPECT_LT(p.back().col, h.right());
    EXPECT_TRUE(tail_ports[edges[i].tail].insert(p.front().col).second)
        << "edge " << i << " shares its tail port at column " << p.front().col;
    for (std::size_t k = 0; k + 1 < p.size(); ++k) {
      EXPECT_TRUE(p[k].row == p[k + 1].row || p[k].col == p[k + 1].col) << "edge " << i;
      if (p[k].row == p[k + 1].row) {
        by_row[p[k].row].push_back({{std::min(p[k].col, p[k + 1].col), std::max(p[k].col, p[k + 1].col)},
                                    groups[i].head});
      }
    }
  }
  // Stretches of different merges on one row neither overlap nor touch.
  for (const auto& [row, spans] : by_row) {
    for (std::size_t a = 0; a < spans.size(); ++a) {
      for (std::size_t b = a + 1; b < spans.size(); ++b) {
        if (spans[a].second == spans[b].second) continue;
        const bool apart = spans[a].first.second + 1 < spans[b].first.first ||
                           spans[b].first.second + 1 < spans[a].first.first;
        EXPECT_TRUE(apart) << "row " << row << ": merges " << spans[a].second << " and "
                           << spans[b].second << " meet";
      }
    }
  }
}

TEST(GapPlan, LongEdgeCrossesTheBandBetweenClearOfItsBoxes) {
  // Three bands; the middle one's box stands where the long edge would
  // cross it.
  const std::vector<NodeBox> boxes{{0, 0, 9, 3}, {0, 10, 9, 3}, {0, 20, 9, 3}};
  const std::vector<LayoutEdge> edges{edge(0, 2), edge(0, 1), edge(1, 2)};
  const std::vector<RouteGroups> groups = end_groups(edges, {}).first;
  const std::vector<char> planned(edges.size(), 1);
  const std::vector<std::vector<std::uint64_t>> crossings{{4}, {}, {}};
  const GapPlan plan = plan_gap_routes(
      GapPlanInput{edges, boxes, groups, planned, crossings, Toward::Down, 0});
  ASSERT_TRUE(plan.routes[0].has_value());
  bool crossed = false;
  for (const GridPoint& p : plan.routes[0]->points) {
    if (p.row >= 10 && p.row <= 12) ADD_FAILURE() << "a corner inside the middle band";
    // The leg through the band runs down a column a cell clear of the box.
    if (p.row < 10) continue;
    if (!crossed) {
      EXPECT_GT(p.col, boxes[1].right() + 1);
      crossed = true;
    }
  }
  EXPECT_TRUE(crossed);
}

TEST(FlatPlan, CrowdedRankGetsEveryLineItsOwnPortsAndStretchOfTrack) {
  // Ten boxes on one rank, room above and below; thirty edges among them,
  // some in both directions between the same boxes.
  std::vector<NodeBox> boxes;
  for (std::uint64_t i = 0; i < 10; ++i) boxes.push_back({12 * i, 20, 9, 3});
  std::vector<LayoutEdge> edges;
  for (std::size_t i = 0; i < 10; ++i) {
    for (const std::size_t step : {1, 3, 7}) edges.push_back(edge(i, (i + step) % 10));
  }
  const std::vector<char> planned(edges.size(), 1);
  const auto routes = plan_flat_routes(FlatPlanInput{edges, boxes, planned, {}, Toward::Down, 50, 8});
  std::set<std::pair<std::uint64_t, std::uint64_t>> ports;
  std::map<std::uint64_t, std::vector<std::pair<std::uint64_t, std::uint64_t>>> by_row;
  for (std::size_t i = 0; i < edges.size(); ++i) {
    ASSERT_TRUE(routes[i].has_value()) << "edge " << i << " not planned";
    const std::vector<GridPoint>& p = routes[i]->points;
    ASSERT_EQ(p.size(), 4u) << "edge " << i;
    const NodeBox& t = boxes[edges[i].tail];
    const NodeBox& h = boxes[edges[i].head];
    // Out of one side of the tail, along a track, into the same side of
    // the head, a blank row or more between the rank and the track.
    const bool above = p[0].row < t.top;
    EXPECT_EQ(p[0].row, above ? t.top - 1 : t.bottom() + 1) << "edge " << i;
    EXPECT_EQ(p[3].row, above ? h.top - 1 : h.bottom() + 1) << "edge " << i;
    EXPECT_TRUE(above ? p[1].row + 3 <= t.top : p[1].row >= t.bottom() + 3) << "edge " << i;
    EXPECT_EQ(p[1].row, p[2].row);
    EXPECT_EQ(p[1].col, p[0].col);
    EXPECT_EQ(p[2].col, p[3].col);
    EXPECT_TRUE(p[0].col > t.left && p[0].col < t.right() && p[3].col > h.left && p[3].col < h.right())
        << "edge " << i << " ends at a corner or off its box";
    EXPECT_TRUE(ports.insert({p[0].row, p[0].col}).second) << "edge " << i << " shares its tail port";
    EXPECT_TRUE(ports.insert({p[3].row, p[3].col}).second) << "edge " << i << " shares its head port";
    by_row[p[1].row].push_back({std::min(p[1].col, p[2].col), std::max(p[1].col, p[2].col)});
  }
  // Stretches on one track neither overlap nor touch.
  for (const auto& [row, spans] : by_row) {
    for (std::size_t a = 0; a < spans.size(); ++a) {
      for (std::size_t b = a + 1; b < spans.size(); ++b) {
        EXPECT_TRUE(spans[a].second + 1 < spans[b].first || spans[b].second + 1 < spans[a].first)
            << "row " << row << ": two lines meet on their track";
      }
    }
  }
  // A rank with fewer lines than a crowded one is left to the edges.
  const std::vector<LayoutEdge> few(edges.begin(), edges.begin() + 5);
  const auto none = plan_flat_routes(FlatPlanInput{few, boxes, planned, {}, Toward::Down, 50, 8});
  for (const auto& r : none) EXPECT_FALSE(r.has_value());
}

}  // namespace
}  // namespace vantri
