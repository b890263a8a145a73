// Routes of long forward edges through the ranks between their ends.
//
// `dot` leads an edge across the ranks between its ends through gaps it
// keeps free for it. Its spline, mapped to cells, gives the column (the
// row, left to right) where the route crosses each band of boxes on the
// way; between the bands the route jogs across in the gap, on the first
// row, from the gap's middle outwards, that the lines already there leave
// free. This draws most long edges of a layered graph without a search.
#include <algorithm>

#include "grid/cell_arith.h"
#include "render_edges/guided_routes.h"

namespace vantri {
namespace {

// Pairs of ports a guided route tries, by how far from the middles they
// lie together: the middles, then one beside them, then two.
constexpr std::size_t kGuidedPortTries = 3;

}  // namespace
namespace {

std::uint64_t distance(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : b - a; }

}  // namespace

std::optional<std::uint64_t> EdgePlanner::guide_across(std::size_t edge,
                                                       std::uint64_t along) const {
  const std::vector<GridPoint>& guide = scene_.guides[edge];
  const bool down_or_up = vertical(forward_);
  const auto al = [&](GridPoint p) { return down_or_up ? p.row : p.col; };
  const auto ac = [&](GridPoint p) { return down_or_up ? p.col : p.row; };
  for (std::size_t i = 0; i + 1 < guide.size(); ++i) {
    const std::uint64_t a0 = al(guide[i]), a1 = al(guide[i + 1]);
    if (along < std::min(a0, a1) || along > std::max(a0, a1)) continue;
    if (a0 == a1) return ac(guide[i]);
    // Between the two control points, in proportion.
    const double t = (static_cast<double>(along) - static_cast<double>(a0)) /
                     (static_cast<double>(a1) - static_cast<double>(a0));
    const double x = static_cast<double>(ac(guide[i])) +
                     t * (static_cast<double>(ac(guide[i + 1])) -
                          static_cast<double>(ac(guide[i])));
    return static_cast<std::uint64_t>(std::max(0.0, x + 0.5));
  }
  return std::nullopt;
}

bool EdgePlanner::try_guided(std::size_t edge) {
  if (edge >= scene_.guides.size() || scene_.guides[edge].size() < 2 || !is_forward(edge)) {
    return false;
  }
  const LayoutEdge& e = scene_.edges[edge];
  const NodeBox& t = scene_.boxes[e.tail];
  const NodeBox& h = scene_.boxes[e.head];
  const std::optional<CellRect> tail_span = span(edge, false);
  const std::optional<CellRect> head_span = span(edge, true);
  if (!span_reaches(t, forward_, tail_span) || !span_reaches(h, opposite(forward_), head_span)) {
    return false;
  }
  // The middles of the two sides first, then places beside them, as a
  // jog's ports are tried: where other edges leave the same side, its
  // middle is taken.
  const SideRange tr = side_range(t, forward_, tail_span);
  const SideRange hr = side_range(h, opposite(forward_), head_span);
  const auto beside_middle = [](const SideRange& r, std::size_t k) -> std::optional<std::uint64_t> {
    const std::uint64_t d = (k + 1) / 2;
    if (k % 2 == 1) return r.middle + d <= r.last ? std::optional(r.middle + d) : std::nullopt;
    return r.middle >= r.first + d ? std::optional(r.middle - d) : std::nullopt;
  };
  for (std::size_t k = 0; k < kGuidedPortTries; ++k) {
    for (std::size_t ti = 0; ti <= k; ++ti) {
      const auto x = beside_middle(tr, ti);
      const auto y = beside_middle(hr, k - ti);
      if (!x || !y) continue;
      const auto a = port_cell(t, forward_, *x);
      const auto b = port_cell(h, opposite(forward_), *y);
      if (fitting_spent()) return false;
      if (a && b && try_guided_between(edge, *a, *b)) return true;
    }
  }
  return false;
}

bool EdgePlanner::try_guided_between(std::size_t edge, GridPoint a, GridPoint b) {
  const bool down_or_up = vertical(forward_);
  const bool increasing = forward_ == Toward::Down || forward_ == Toward::Right;
  const auto al = [&](GridPoint p) { return down_or_up ? p.row : p.col; };
  const auto ac = [&](GridPoint p) { return down_or_up ? p.col : p.row; };
  const auto at = [&](std::uint64_t along, std::uint64_t across) {
    return down_or_up ? GridPoint{along, across} : GridPoint{across, along};
  };
  const std::uint64_t sa = al(a), ea = al(b);
  // The bands strictly between the two ports, in the order the route
  // meets them.
  std::vector<Band> between;
  for (const Band& band : bands_) {
    if (band.first > std::min(sa, ea) && band.last < std::max(sa, ea)) between.push_back(band);
  }
  if (between.empty()) return false;
  if (!increasing) std::reverse(between.begin(), between.end());

  // Like the simple shapes, a guided route keeps a cell away from boxes
  // other than its own two, where it would read as part of their border.
  EdgeRoute& trial = scratch_route_;
  const auto clear_of_boxes = [&](std::span<const GridPoint> legs) {
    trial.points.assign(legs.begin(), legs.end());
    return !near_other_box(edge, trial);
  };
  std::vector<GridPoint>& points = guided_points_;
  points.assign(1, a);
  const RouteGroups groups = groups_[edge];
  const bool merging = this->merging(edge);
  for (std::size_t k = 0; k <= between.size(); ++k) {
    const bool last = k == between.size();
    const GridPoint cur = points.back();
    const std::uint64_t from = al(cur);
    // Where the gap ends, and where the leg after the jog ends: through
    // the band, or into the head's port.
    const std::uint64_t gap_end = last ? ea : (increasing ? between[k].first : between[k].last);
    const std::uint64_t leg_end = last ? ea : (increasing ? between[k].last + 1 : between[k].first - 1);
    std::uint64_t want = ac(b);
    if (!last) {
      const std::uint64_t mid = (between[k].first + between[k].last) / 2;
      const std::optional<std::uint64_t> x = guide_across(edge, mid);
      if (!x) return false;
      want = *x;
    }
    const std::uint64_t rows = distance(from, gap_end);  // the gap's rows: 1 .. rows-1 steps on
    bool placed = false;
    // Across a band, the columns beside the guide's too, nearest first.
    for (std::uint64_t shift = 0; shift <= (last ? 0 : 4) && !placed; ++shift) {
      const std::uint64_t x = shift % 2 == 1 ? want + (shift + 1) / 2 : want - std::min(want, shift / 2);
      if (x == ac(cur)) {
        // Straight on, no jog.
        const GridPoint end = at(leg_end, x);
        const GridPoint legs[] = {cur, end};
        if (legs_fit(cells_, legs, groups) && clear_of_boxes(legs)) {
          if (points.size() > 1) points.pop_back();
          points.push_back(end);
          placed = true;
        }
        continue;
      }
      if (rows < 2) continue;
      // The jog: on the gap's middle row, or right before a head that
      // several forward edges enter, then the rows round it.
      const std::uint64_t preferred = last && merging ? rows - 1 : std::max<std::uint64_t>(rows / 2, 1);
      for (std::uint64_t n = 0; n < 2 * rows && !placed; ++n) {
        if (fitting_spent() || must_stop(scene_.stop)) return false;
        const std::uint64_t off = (n + 1) / 2;
        std::uint64_t step;
        if (n % 2 == 1) {
          if (preferred + off > rows - 1) continue;
          step = preferred + off;
        } else {
          if (off >= preferred) continue;
          step = preferred - off;
        }
        const std::uint64_t m = increasing ? from + step : from - step;
        const GridPoint legs[] = {cur, at(m, ac(cur)), at(m, x), at(leg_end, x)};
        if (!legs_fit(cells_, legs, groups) || !clear_of_boxes(legs)) continue;
        if (points.size() > 1) points.pop_back();
        points.insert(points.end(), {at(m, ac(cur)), at(m, x), at(leg_end, x)});
        placed = true;
      }
    }
    if (!placed) return false;
  }
  EdgeRoute route;
  route.points.assign(points.begin(), points.end());
  route.start_into = opposite(forward_);
  route.end_into = forward_;
  route.arrow_at_end = scene_.edges[edge].arrow_at_head;
  route.arrow_at_start = scene_.edges[edge].arrow_at_tail;
  if (!crossings_clear(cells_, route, groups)) return false;
  return try_route(edge, std::move(route));
}

}  // namespace vantri
