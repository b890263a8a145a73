// The planner's searches: into the facing ports in growing windows, then
// into any port, and as a last resort the first route found anywhere.
#include <algorithm>
#include <cstdint>

#include "grid/cell_arith.h"
#include "render_edges/searched_routes.h"

namespace vantri {

EndPlace EdgePlanner::end_place(std::size_t edge, bool head_end) const {
  const LayoutEdge& e = scene_.edges[edge];
  EndPlace end;
  end.box = &scene_.boxes[head_end ? e.head : e.tail];
  end.other = &scene_.boxes[head_end ? e.tail : e.head];
  end.span = span(edge, head_end);
  end.arrow = head_end ? e.arrow_at_head : e.arrow_at_tail;
  end.head_end = head_end;
  end.loop = e.tail == e.head;
  end.forward_edge = is_forward(edge);
  end.forward = forward_;
  return end;
}

CellRect EdgePlanner::search_window(std::size_t edge, std::uint64_t margin) const {
  const NodeBox& t = scene_.boxes[scene_.edges[edge].tail];
  const NodeBox& h = scene_.boxes[scene_.edges[edge].head];
  // Both boxes and `margin` cells round them (twice that across, where
  // rows are narrow).
  return CellRect{sub_floor(std::min(t.left, h.left), 2 * margin),
                  sub_floor(std::min(t.top, h.top), margin),
                  add_sat(std::max(t.right(), h.right()), 2 * margin),
                  add_sat(std::max(t.bottom(), h.bottom()), margin)};
}

bool EdgePlanner::whole_canvas(std::size_t edge, std::uint64_t margin) const {
  const CellRect w = search_window(edge, margin);
  return w.top == 0 && w.left == 0 && w.bottom >= cells_.height() - 1 &&
         w.right >= cells_.width() - 1;
}

SearchRequest EdgePlanner::request_for(std::size_t edge, std::span<const RoutePort> from,
                                       std::span<const RoutePort> to, bool backwards) const {
  const LayoutEdge& e = scene_.edges[edge];
  SearchRequest request;
  request.from = backwards ? to : from;
  request.to = backwards ? from : to;
  request.groups = groups_[edge];
  request.arrow_at_start = backwards ? e.arrow_at_head : e.arrow_at_tail;
  request.arrow_at_end = backwards ? e.arrow_at_tail : e.arrow_at_head;
  request.reversed = backwards;
  request.clear_crossings = !last_resort_;
  request.turn_at_ports = last_resort_ && turn_at_ports_;
  request.no_crossings = e.tail == e.head && !scene_.last_try;
  request.greedy = last_resort_;
  request.stop = scene_.stop;
  return request;
}

SearchOutcome EdgePlanner::search(std::size_t edge, std::span<const RoutePort> from,
                                  std::span<const RoutePort> to, CellRect window,
                                  std::size_t limit, bool first_found, std::size_t then_any,
                                  std::uint32_t over_lines) {
  SearchRequest request = request_for(edge, from, to, false);
  SearchRequest back = request_for(edge, from, to, true);
  for (SearchRequest* r : {&request, &back}) {
    r->window = window;
    r->visit_limit = limit;
    r->first_found = first_found;
    r->then_any_limit = then_any;
    r->over_lines = over_lines;
  }
  // The cheapest route is sought from the tail and back from the head at
  // once, and the first to end gives it: an end in a pocket of lines is
  // left, not combed for. A search settling for the first route found
  // heads straight for its target and seldom combs; run from both ends it
  // would only cost twice.
  SearchOutcome out;
  if (first_found) {
    out = search_route(cells_, request, limits_, scratch_);
  } else {
    BothWaysOutcome both =
        search_both_ways(cells_, request, back, limits_, scratch_, back_scratch_);
    out = std::move(both.outcome);
    if (both.backward && out.route) turn_round(edge, *out.route);
  }
  // What the window costs to set up, and the states visited.
  const std::uint64_t rows = std::min(window.bottom, cells_.height() - 1) - window.top + 1;
  const std::uint64_t cols = std::min(window.right, cells_.width() - 1) - window.left + 1;
  budget_ = sub_floor(budget_, rows * cols / 8 + out.visited);
  return out;
}

SearchOutcome EdgePlanner::search_back(std::size_t edge, std::span<const RoutePort> from,
                                       std::span<const RoutePort> to, std::size_t limit) {
  if (cells_.width() == 0 || cells_.height() == 0 ||
      cells_.width() * cells_.height() > limits_.max_window_cells) {
    return {};
  }
  // The same moves backwards: out of the head's ports, into the tail's.
  SearchRequest request = request_for(edge, from, to, true);
  request.window = CellRect{0, 0, cells_.width() - 1, cells_.height() - 1};
  request.visit_limit = limit;
  request.first_found = true;
  SearchOutcome out = search_route(cells_, request, limits_, scratch_);
  if (out.route) turn_round(edge, *out.route);
  return out;
}

void EdgePlanner::turn_round(std::size_t edge, EdgeRoute& route) const {
  const LayoutEdge& e = scene_.edges[edge];
  std::reverse(route.points.begin(), route.points.end());
  std::swap(route.start_into, route.end_into);
  route.arrow_at_start = e.arrow_at_tail;
  route.arrow_at_end = e.arrow_at_head;
}

bool EdgePlanner::try_search(std::size_t edge) {
  // The careful searches spend the plan's budget; past it, the last
  // resort alone draws what is left.
  if (budget_ == 0) return false;
  std::vector<RoutePort> from, to;
  add_search_ports(from, end_place(edge, false), limits_);
  add_search_ports(to, end_place(edge, true), limits_);
  if (from.empty() || to.empty()) return false;
  // Whether the routes before it wall in every facing port.
  bool walled = false;
  // First only the ports the edge should use, in small windows; then
  // every port, in windows growing until one holds a route.
  std::vector<RoutePort> good_from, good_to;
  for (const RoutePort& p : from) {
    if (p.cost < limits_.avoid_side) good_from.push_back(p);
  }
  for (const RoutePort& p : to) {
    if (p.cost < limits_.avoid_side) good_to.push_back(p);
  }
  if (!good_from.empty() && !good_to.empty()) {
    // Where no such route exists the search would comb the whole window:
    // it stops after a few thousand cells. The facing sides are worth a
    // long way round: while a window is combed without finding one, the
    // next wider one is tried before any other side. A search stopped
    // short would only visit the same cells again in a wider window, and
    // one walled in stays walled in.
    //
    for (const std::uint64_t margin : limits_.margins) {
      // A search stopped short of proving which route is cheapest has
      // not shown that there is none: in a dense window the crossings
      // make the cheapest costly to prove. It goes on settling for any
      // way into these ports, which beats any way into the others.
      SearchOutcome out = search(edge, good_from, good_to, search_window(edge, margin),
                                 limits_.cheapest_visits, false, limits_.any_route_visits);
      if (out.route) return try_route(edge, std::move(*out.route));
      // A search that ran out of cells in the widest window it gets (the
      // last, or the one it had to go on in) found every cell those ports
      // reach there: the routes before it wall them in.
      const bool combed = !out.stopped && (out.went_on || whole_canvas(edge, margin) ||
                                           margin == limits_.margins.back());
      walled = out.walled || combed;
      if (out.went_on || out.stopped || out.walled || whole_canvas(edge, margin)) break;
      if (budget_ == 0) {
        facing_walled_ = walled;
        return false;
      }
    }
    if (!making_way_ && budget_ != 0 && make_way(edge, good_from, good_to)) return true;
  }
  facing_walled_ = walled;
  // When the facing ports of only one end are walled in, the other end
  // still keeps to its own: first either end may go elsewhere, then both.
  std::optional<EdgeRoute> best;
  const auto consider = [&](std::span<const RoutePort> a, std::span<const RoutePort> b,
                            std::size_t limit) {
    if ((best && !best->cornered) || budget_ == 0) return;
    auto route = any_route(edge, a, b, limit);
    if (route && (!best || !route->cornered)) best = std::move(route);
  };
  if (!good_to.empty() && good_to.size() < to.size()) {
    consider(from, good_to, limits_.any_route_visits);
  }
  if (!good_from.empty() && good_from.size() < from.size()) {
    consider(good_from, to, limits_.any_route_visits);
  }
  // Any port at all may spend what is left of the budget.
  consider(from, to, static_cast<std::size_t>(std::min<std::uint64_t>(budget_, SIZE_MAX)));
  if (!best) return false;
  best->facing_walled = facing_walled_;
  return try_route(edge, std::move(*best));
}

std::optional<EdgeRoute> EdgePlanner::any_route(std::size_t edge, std::span<const RoutePort> from,
                                                std::span<const RoutePort> to, std::size_t limit) {
  // Any way at all will do here: proving a costly route the cheapest would
  // comb the whole window. A route that needs an arrowhead from the far
  // side is kept only when no larger window finds one that does not, and
  // is marked so; one larger window is searched for it, and only so far.
  std::optional<EdgeRoute> far_side;
  for (const std::uint64_t margin : limits_.margins) {
    SearchOutcome out = search(edge, from, to, search_window(edge, margin),
                               far_side ? limits_.cheapest_visits : limit, true);
    if (out.route && !arrow_from_far_side(edge, *out.route)) return std::move(out.route);
    if (far_side) break;
    far_side = std::move(out.route);
    if (out.walled || whole_canvas(edge, margin) || budget_ == 0) break;
  }
  if (far_side) far_side->cornered = true;
  return far_side;
}

bool EdgePlanner::try_anywhere(std::size_t edge) {
  // Any route that joins the boxes will do here, even one whose crossings
  // stand beside an arrowhead or a junction.
  last_resort_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{last_resort_};
  // A loop may also turn round, when the sides it leaves by are full.
  const bool loop = scene_.edges[edge].tail == scene_.edges[edge].head;
  for (const bool turned : {false, true}) {
    if (turned && !loop) break;
    EndPlace tail = end_place(edge, false), head = end_place(edge, true);
    tail.turned = head.turned = turned;
    std::vector<RoutePort> from, to;
    add_search_ports(from, tail, limits_);
    add_search_ports(to, head, limits_);
    std::optional<EdgeRoute> route = first_route_anywhere(edge, from, to);
    if (route) route->facing_walled = facing_walled_;
    if (route && try_route(edge, std::move(*route))) return true;
  }
  return false;
}

std::optional<EdgeRoute> EdgePlanner::first_route_anywhere(std::size_t edge,
                                                          std::span<const RoutePort> from,
                                                          std::span<const RoutePort> to) {
  if (from.empty() || to.empty()) return std::nullopt;
  // Windows four times as large each time, up to the whole canvas or the
  // largest window a search covers: a search settling for the first route
  // found heads for the target and visits few cells where the way is
  // open. Where it is not, the search stops after a number of states and
  // one back from the head takes its turn, allowed as many; then both go
  // on with four times as many. The first to find a route gives it, and
  // the first to run out of cells shows that there is none (lines wall
  // one end off), at about what the smaller of the two regions costs
  // rather than the whole canvas. Every state spends the plan's
  // last-resort budget: on a hostile layout where every edge meets a maze
  // of others' lines, each edge would otherwise comb a canvas that its
  // predecessors fill, at a cost that grows with edges times cells. Once
  // the budget is spent, the edges left are left out and counted, and the
  // drawing says so.
  if (last_resort_budget_ == 0) return std::nullopt;
  std::uint64_t margin = limits_.margins.back();
  std::size_t limit = limits_.pocket_visits;
  const auto spend = [&](const SearchOutcome& out) {
    last_resort_budget_ = sub_floor(last_resort_budget_, out.visited);
  };
  while (true) {
    CellRect w = search_window(edge, margin);
    w.right = std::min(w.right, cells_.width() - 1);
    w.bottom = std::min(w.bottom, cells_.height() - 1);
    const bool whole = whole_canvas(edge, margin);
    const std::uint64_t area = (w.right - w.left + 1) * (w.bottom - w.top + 1);
    if (area <= limits_.max_window_cells) {
      SearchOutcome out = search(edge, from, to, w, limit, true);
      spend(out);
      if (out.route) {
        out.route->cornered = arrow_from_far_side(edge, *out.route);
        return std::move(out.route);
      }
      if (out.walled || must_stop(scene_.stop)) return std::nullopt;
      if (out.stopped) {
        SearchOutcome back = search_back(edge, from, to, limit);
        spend(back);
        if (back.route && route_fits(cells_, *back.route, groups_[edge])) {
          back.route->cornered = arrow_from_far_side(edge, *back.route);
          return std::move(back.route);
        }
        // A search that ran out of states before its limit found every
        // cell it can reach.
        if (!back.route && (back.walled || (back.visited > 0 && !back.stopped))) {
          return std::nullopt;
        }
        if (last_resort_budget_ == 0) return std::nullopt;
        // Four times as many states the next turn, as far as the budget
        // left allows, and never fewer than this turn.
        const std::uint64_t grown = limit > SIZE_MAX / 4 ? SIZE_MAX : std::uint64_t{4} * limit;
        limit = static_cast<std::size_t>(
            std::max<std::uint64_t>(limit, std::min(grown, last_resort_budget_)));
        continue;
      }
    }
    if (whole || area > limits_.max_window_cells) return std::nullopt;
    margin = add_sat(margin, 3 * margin);
  }
}

bool EdgePlanner::arrow_from_far_side(std::size_t edge, const EdgeRoute& route) const {
  const LayoutEdge& e = scene_.edges[edge];
  if (e.tail == e.head) return false;
  const NodeBox& t = scene_.boxes[e.tail];
  const NodeBox& h = scene_.boxes[e.head];
  return (route.arrow_at_end && beyond(h, t, route.end_into, 0)) ||
         (route.arrow_at_start && beyond(t, h, route.start_into, 0));
}

int EdgePlanner::flaws(std::size_t edge, const EdgeRoute& route) const {
  if (route.points.empty()) return 3;
  if (route.cornered || arrow_from_far_side(edge, route)) return 2;
  if (is_forward(edge) &&
      (route.end_into != forward_ || route.start_into != opposite(forward_))) {
    return 1;
  }
  return 0;
}

}  // namespace vantri
