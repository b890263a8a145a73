// Classification, lanes and ports of every edge, before the grid exists.
#include <algorithm>

#include "grid/cell_arith.h"
#include "render_edges/edge_plan.h"

namespace vantri {
namespace {

std::uint64_t bottom_row(const NodeBox& box) {
  return sub_floor(add_sat(box.top, box.height), 1);
}

std::uint64_t right_column(const NodeBox& box) {
  return sub_floor(add_sat(box.left, box.width), 1);
}

// A side edge goes round the left when its spline lies, on average, left
// of its tail's centre.
bool goes_left(const LayoutEdge& edge, std::span<const LayoutNode> nodes) {
  if (edge.points.empty() || edge.tail >= nodes.size()) return false;
  double sum = 0.0;
  for (const Point& p : edge.points) sum += p.x;
  return nodes[edge.tail].pos.x > sum / static_cast<double>(edge.points.size());
}

}  // namespace

EdgePlan plan_edges(std::span<const LayoutEdge> edges,
                    std::span<const LayoutNode> nodes,
                    std::span<const NodeBox> boxes) {
  EdgePlan plan;
  plan.edges.assign(edges.size(), PlannedEdge{});

  // Lanes start three columns clear of the outermost boxes.
  std::uint64_t rightmost = 0;
  std::uint64_t leftmost = boxes.empty() ? 0 : kMaxCell;
  for (const NodeBox& box : boxes) {
    rightmost = std::max(rightmost, right_column(box));
    leftmost = std::min(leftmost, box.left);
  }
  std::uint64_t right_lane = add_sat(rightmost, 3);
  std::uint64_t left_lane = sub_floor(leftmost, 3);

  for (std::size_t i = 0; i < edges.size(); ++i) {
    const LayoutEdge& edge = edges[i];
    // An edge naming a node without a box has nowhere to attach.
    if (edge.tail >= boxes.size() || edge.head >= boxes.size()) continue;
    const NodeBox& t = boxes[edge.tail];
    const NodeBox& h = boxes[edge.head];
    PlannedEdge& planned = plan.edges[i];
    // Downward needs two free rows between the boxes: one for the line
    // leaving the tail (and its jog), one for the arrowhead.
    if (add_sat(bottom_row(t), 2) < h.top) {
      planned.kind = PlannedEdge::Kind::Downward;
      planned.ports = {add_sat(t.top, t.height), add_sat(t.left, t.width / 2), h.top - 1,
                       add_sat(h.left, h.width / 2)};
      continue;
    }
    planned.kind = PlannedEdge::Kind::Side;
    if (goes_left(edge, nodes)) {
      planned.lane = Lane{left_lane, Side::Left};
      left_lane = sub_floor(left_lane, 2);
      planned.ports = {add_sat(t.top, t.height / 2), sub_floor(t.left, 1),
                       add_sat(h.top, h.height / 2), sub_floor(h.left, 1)};
    } else {
      planned.lane = Lane{right_lane, Side::Right};
      plan.rightmost_right_lane = right_lane;
      right_lane = add_sat(right_lane, 2);
      planned.ports = {add_sat(t.top, t.height / 2), add_sat(t.left, t.width),
                       add_sat(h.top, h.height / 2), add_sat(h.left, h.width)};
    }
  }
  return plan;
}

}  // namespace vantri
