// The crowding of the gaps between ranks: stars share a track, straight
// edges need none, and the rows of a gap count less the two beside its
// bands.
#include "render_edges/gap_demand.h"

#include <gtest/gtest.h>

#include <vector>

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

}  // namespace
}  // namespace vantri
