// Making way: a few routes planned earlier step aside for an edge they
// wall off from its facing ports.
//
// The edge takes the way over their lines that costs least, and they are
// planned again after it. When one of them comes out worse than before,
// everything goes back as it was.
#include <algorithm>

#include "render_edges/make_way.h"

namespace vantri {

std::vector<std::size_t> EdgePlanner::routes_through(std::vector<GridPoint> points) const {
  std::vector<std::size_t> out;
  if (points.empty()) return out;
  const auto before = [](GridPoint a, GridPoint b) {
    return a.row != b.row ? a.row < b.row : a.col < b.col;
  };
  std::sort(points.begin(), points.end(), before);
  const CellRect around = bounding_box(points);
  for (std::size_t r = 0; r < plan_.routes.size(); ++r) {
    const auto& pts = plan_.routes[r].points;
    if (pts.empty() || !bounding_box(pts).overlaps(around)) continue;
    const bool hit = !for_each_route_cell(plan_.routes[r], [&](GridPoint p, std::uint8_t) {
      return !std::binary_search(points.begin(), points.end(), p, before);
    });
    if (hit) out.push_back(r);
  }
  return out;
}

bool EdgePlanner::make_way(std::size_t edge, std::span<const RoutePort> from,
                           std::span<const RoutePort> to) {
  std::optional<EdgeRoute> route;
  CellRect window;
  for (const std::uint64_t margin : {std::uint64_t{4}, std::uint64_t{16}}) {
    window = search_window(edge, margin);
    SearchOutcome out =
        search(edge, from, to, window, limits_.cheapest_visits, false, 0, limits_.over_lines);
    route = std::move(out.route);
    if (route || out.walled) break;
  }
  if (!route) return false;
  std::vector<std::size_t> movers =
      routes_through(route_conflicts(cells_, *route, groups_[edge]));
  if (movers.empty() || movers.size() > limits_.most_making_way) return false;
  for (const std::size_t m : movers) {
    if (scene_.edges[m].tail == scene_.edges[m].head) return false;
  }
  std::vector<EdgeRoute> before;
  for (const std::size_t m : movers) before.push_back(plan_.routes[m]);
  uncommit_routes(cells_, plan_.routes, groups_, movers);
  for (const std::size_t m : movers) plan_.routes[m] = EdgeRoute{};
  // The way over their lines was the one with the fewest of them; with
  // those lines gone, a better one may open up.
  SearchOutcome plain = search(edge, from, to, window, limits_.cheapest_visits);
  if (plain.route) route = std::move(plain.route);
  bool kept = try_route(edge, std::move(*route));
  // Forward edges first, as in the plan.
  std::vector<std::size_t> order(movers.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_partition(order.begin(), order.end(),
                        [&](std::size_t k) { return is_forward(movers[k]); });
  making_way_ = true;
  for (std::size_t k = 0; kept && k < order.size(); ++k) {
    const std::size_t m = movers[order[k]];
    if (!try_straight(m) && !try_jog(m)) try_search(m);
    kept = flaws(m, plan_.routes[m]) <= flaws(m, before[order[k]]);
  }
  making_way_ = false;
  if (kept) return true;
  std::vector<std::size_t> placed;
  for (const std::size_t m : movers) {
    if (!plan_.routes[m].points.empty()) placed.push_back(m);
  }
  if (!plan_.routes[edge].points.empty()) placed.push_back(edge);
  uncommit_routes(cells_, plan_.routes, groups_, placed);
  plan_.routes[edge] = EdgeRoute{};
  for (std::size_t k = 0; k < movers.size(); ++k) {
    plan_.routes[movers[k]] = std::move(before[k]);
    commit_route(cells_, plan_.routes[movers[k]], groups_[movers[k]]);
  }
  return false;
}

}  // namespace vantri
