// Box sides and the ports of the route search.
#include "render_edges/edge_ports.h"

#include <algorithm>

#include "grid/cell_arith.h"

namespace vantri {

Toward forward_of(RankDir dir) {
  switch (dir) {
    case RankDir::TopToBottom: return Toward::Down;
    case RankDir::BottomToTop: return Toward::Up;
    case RankDir::LeftToRight: return Toward::Right;
    case RankDir::RightToLeft: return Toward::Left;
  }
  return Toward::Down;
}

bool beyond(const NodeBox& box, const NodeBox& other, Toward d, std::uint64_t gap) {
  switch (d) {
    case Toward::Down: return other.top > add_sat(box.bottom(), gap);
    case Toward::Up: return add_sat(other.bottom(), gap) < box.top;
    case Toward::Right: return other.left > add_sat(box.right(), gap);
    case Toward::Left: return add_sat(other.right(), gap) < box.left;
  }
  return false;
}

std::optional<GridPoint> port_cell(const NodeBox& box, Toward side, std::uint64_t across) {
  switch (side) {
    case Toward::Down: return GridPoint{add_sat(box.bottom(), 1), across};
    case Toward::Up:
      if (box.top == 0) return std::nullopt;
      return GridPoint{box.top - 1, across};
    case Toward::Right: return GridPoint{across, add_sat(box.right(), 1)};
    case Toward::Left:
      if (box.left == 0) return std::nullopt;
      return GridPoint{across, box.left - 1};
  }
  return std::nullopt;
}

SideRange side_range(const NodeBox& box, Toward side, const std::optional<CellRect>& span) {
  const bool cols = vertical(side);
  const std::uint64_t lo = cols ? box.left : box.top;
  const std::uint64_t size = cols ? box.width : box.height;
  SideRange r;
  if (size >= 3) {
    r = {lo + 1, lo + size - 2, lo + size / 2};
  } else {
    r = {lo + size / 2, lo + size / 2, lo + size / 2};
  }
  if (span) {
    const std::uint64_t s_lo = cols ? span->left : span->top;
    const std::uint64_t s_hi = cols ? span->right : span->bottom;
    const std::uint64_t first = std::max(r.first, s_lo);
    const std::uint64_t last = std::min(r.last, s_hi);
    if (first <= last) r = {first, last, midpoint_floor(first, last)};
  }
  return r;
}

bool span_reaches(const NodeBox& box, Toward side, const std::optional<CellRect>& span) {
  if (!span) return true;
  switch (side) {
    case Toward::Up: return span->top <= box.top + 1;
    case Toward::Down: return span->bottom + 1 >= box.bottom();
    case Toward::Left: return span->left <= box.left + 1;
    case Toward::Right: return span->right + 1 >= box.right();
  }
  return true;
}

void add_search_ports(std::vector<RoutePort>& out, const EndPlace& end,
                      const PlannerLimits& limits) {
  const NodeBox& box = *end.box;
  const NodeBox& other = *end.other;
  for (const Toward side : {Toward::Down, Toward::Up, Toward::Right, Toward::Left}) {
    if (!span_reaches(box, side, end.span)) continue;
    // A loop leaves by a left or right side and comes back by the top
    // or bottom (or, turned round, the other way), so that it cannot end
    // where it began.
    if (end.loop && vertical(side) != (end.head_end != end.turned)) continue;
    // The side turned away from the other end: an arrowhead comes in
    // there only when every other way is blocked, which is still better
    // than no edge at all.
    const bool far = !end.loop && beyond(box, other, opposite(side), 0);
    std::uint32_t cost = limits.other_side;
    if (end.loop) {
      cost = 0;
    } else if (end.forward_edge) {
      const Toward wanted = end.head_end ? opposite(end.forward) : end.forward;
      cost = side == wanted ? 0 : limits.avoid_side;
    } else if (beyond(box, other, side, 0)) {
      cost = 0;
    } else if (far) {
      cost = limits.avoid_side;
    }
    if (far && end.arrow) cost = 2 * limits.avoid_side;
    // The sides facing along the ranks belong to forward edges; others
    // go round by the sides facing across.
    if (!end.loop && !end.forward_edge && vertical(side) == vertical(end.forward)) {
      cost += limits.other_side;
    }
    const SideRange r = side_range(box, side, end.span);
    for (std::uint64_t at = r.first; at <= r.last; ++at) {
      const std::optional<GridPoint> cell = port_cell(box, side, at);
      if (!cell) break;
      const std::uint64_t off = at > r.middle ? at - r.middle : r.middle - at;
      out.push_back({*cell, opposite(side),
                     cost + static_cast<std::uint32_t>(
                                std::min<std::uint64_t>(off, limits.off_middle))});
    }
  }
}

}  // namespace vantri
