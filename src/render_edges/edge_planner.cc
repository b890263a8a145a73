// The planner's setup, its simple shapes and loops, and the order edges
// are routed in.
#include "render_edges/edge_planner.h"

#include <algorithm>

#include "grid/cell_arith.h"
#include "grid/span_cover.h"
#include "render_edges/flat_plan.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// Marks `what` on a thin rectangle (a run along rows or columns), only
// where no earlier run of the same kind reached: many boxes and clusters
// share rows and columns, and hostile layouts stack thousands of them.
struct OnceMarker {
  PlanCells& cells;
  std::uint8_t what;
  std::unordered_map<std::uint64_t, SpanCover> rows{}, columns{};

  void run(std::uint64_t top, std::uint64_t bottom, std::uint64_t left, std::uint64_t right) {
    if (top >= cells.height() || left >= cells.width() || bottom < top || right < left) return;
    bottom = std::min(bottom, cells.height() - 1);
    right = std::min(right, cells.width() - 1);
    // Short runs (every box of a real graph) cost less marked again.
    if ((bottom - top + 1) * (right - left + 1) <= 256) {
      cells.mark(top, bottom, left, right, what);
      return;
    }
    if (bottom - top <= right - left) {
      for (std::uint64_t row = top; row <= bottom; ++row) {
        rows[row].mark(left, right, [&](std::uint64_t a, std::uint64_t b) {
          cells.mark(row, row, a, b, what);
        });
      }
    } else {
      for (std::uint64_t col = left; col <= right; ++col) {
        columns[col].mark(top, bottom, [&](std::uint64_t a, std::uint64_t b) {
          cells.mark(a, b, col, col, what);
        });
      }
    }
  }
  void ring(std::uint64_t top, std::uint64_t bottom, std::uint64_t left, std::uint64_t right) {
    run(top, top, left, right);
    run(bottom, bottom, left, right);
    run(top, bottom, left, left);
    run(top, bottom, right, right);
  }
};

}  // namespace

EdgePlanner::EdgePlanner(const RouteScene& scene, std::uint64_t width, std::uint64_t height,
                         bool dense)
    : scene_(scene),
      limits_(scene.limits),
      cells_(width, height, !vertical(forward_of(scene.rankdir))),
      forward_(forward_of(scene.rankdir)) {
  budget_ = add_sat(limits_.budget_base, limits_.budget_per_edge * scene.edges.size());
  const auto times = [&](std::uint64_t factor) {
    return budget_ > kMaxCell / factor ? kMaxCell : budget_ * factor;
  };
  last_resort_budget_ = times(limits_.last_resort_factor);
  fitting_budget_ = times(limits_.fitting_budget_factor);
  if (scene.groups) {
    groups_ = scene.groups->first;
    crowded_groups_ = scene.groups->crowded;
    walled_groups_ = scene.groups->walled;
  } else {
    EndGroups groups = end_groups(scene.edges, scene.end_spans);
    groups_ = std::move(groups.first);
    crowded_groups_ = std::move(groups.crowded);
    walled_groups_ = std::move(groups.walled);
  }
  mark_obstacles();
  dense_ = dense;

  if (!scene.guides.empty()) bands_ = bands_of(scene.boxes, forward_);
  // Forward edges between whole sides of usable boxes may have their
  // routes planned with their gaps: in crowded gaps, or everywhere in a
  // dense graph.
  std::vector<char> plannable(scene.edges.size(), 0);
  for (std::size_t i = 0; i < scene.edges.size(); ++i) {
    const LayoutEdge& e = scene.edges[i];
    plannable[i] = !e.invisible && box_usable(e.tail) && box_usable(e.head) && is_forward(i) &&
                   !span(i, false) && !span(i, true);
  }
  const std::vector<std::vector<std::uint64_t>> crossings =
      dense ? band_crossings() : std::vector<std::vector<std::uint64_t>>{};
  GapPlan gaps = plan_gap_routes(GapPlanInput{scene.edges, scene.boxes, groups_, plannable,
                                              crossings, forward_, dense ? 0 : limits_.crowded_side});
  planned_ = std::move(gaps.routes);
  planned_stretch_ = gaps.stretch;

  // Edges between boxes of one rank are planned a rank at a time where a
  // rank holds many (everywhere in a dense graph), keeping off the ends
  // the gaps' routes took.
  std::vector<char> flat(scene.edges.size(), 0);
  for (std::size_t i = 0; i < scene.edges.size(); ++i) {
    const LayoutEdge& e = scene.edges[i];
    flat[i] = !e.invisible && e.tail != e.head && box_usable(e.tail) && box_usable(e.head) &&
              !span(i, false) && !span(i, true) && !planned_[i];
  }
  std::vector<std::optional<GapRoute>> flat_routes = plan_flat_routes(
      FlatPlanInput{scene.edges, scene.boxes, flat, planned_, forward_,
                    vertical(forward_) ? height : width, dense ? 0 : limits_.crowded_side});
  // Each flat route on its own, after every gap's.
  std::uint32_t batches = 0;
  for (const std::optional<GapRoute>& r : planned_) {
    if (r) batches = std::max(batches, r->batch + 1);
  }
  for (std::size_t i = 0; i < flat_routes.size(); ++i) {
    if (!flat_routes[i]) continue;
    planned_[i] = std::move(flat_routes[i]);
    planned_[i]->batch = batches + static_cast<std::uint32_t>(i);
  }
}

std::vector<std::vector<std::uint64_t>> EdgePlanner::band_crossings() const {
  std::vector<std::vector<std::uint64_t>> out(scene_.edges.size());
  if (bands_.size() < 3) return out;
  const bool down_or_up = vertical(forward_);
  const auto band = [&](const NodeBox& b) {
    return band_holding(bands_, down_or_up ? b.top : b.left);
  };
  for (std::size_t i = 0; i < scene_.edges.size() && i < scene_.guides.size(); ++i) {
    const LayoutEdge& e = scene_.edges[i];
    if (e.invisible || !box_usable(e.tail) || !box_usable(e.head) || !is_forward(i)) continue;
    const std::size_t tb = band(scene_.boxes[e.tail]);
    const std::size_t hb = band(scene_.boxes[e.head]);
    const std::size_t lo = std::min(tb, hb), hi = std::max(tb, hb);
    if (hi - lo < 2) continue;
    std::vector<std::uint64_t> across;
    for (std::size_t k = 1; k < hi - lo; ++k) {
      const Band& b = bands_[tb < hb ? tb + k : tb - k];
      const std::optional<std::uint64_t> x = guide_across(i, midpoint_floor(b.first, b.last));
      if (!x) break;
      across.push_back(*x);
    }
    if (across.size() == hi - lo - 1) out[i] = std::move(across);
  }
  return out;
}

void EdgePlanner::mark_obstacles() {
  OnceMarker near{cells_, PlanCell::kNearBox};
  OnceMarker border{cells_, PlanCell::kBox};
  for (const NodeBox& b : scene_.boxes) {
    if (b.width == 0 || b.height == 0) continue;
    near.ring(sub_floor(b.top, 1), add_sat(b.bottom(), 1), sub_floor(b.left, 1),
              add_sat(b.right(), 1));
    // Routes and labels keep off the whole box. Routes can only reach a
    // box across its border, and labels are placed beside routes and
    // boxes, so the border is all a huge box (only hostile layouts have
    // them) needs, which keeps it cheap.
    if (b.width <= 512 && b.height <= 64 && b.width * b.height <= 4096) {
      cells_.mark(b.top, b.bottom(), b.left, b.right(), PlanCell::kBox);
    } else {
      border.ring(b.top, b.bottom(), b.left, b.right());
    }
  }
  OnceMarker frames{cells_, PlanCell::kFrame};
  for (const CellRect& r : scene_.frames) frames.run(r.top, r.bottom, r.left, r.right);
  // A line under a title's text would be hidden by it; one through a
  // frame's corner would read as part of the frame.
  for (const CellRect& r : scene_.closed) cells_.mark(r.top, r.bottom, r.left, r.right, PlanCell::kLabel);
}

bool EdgePlanner::box_usable(std::size_t node) const {
  if (node >= scene_.boxes.size()) return false;
  const NodeBox& b = scene_.boxes[node];
  return b.width > 0 && b.height > 0 && b.right() < cells_.width() && b.bottom() < cells_.height();
}

bool EdgePlanner::is_forward(std::size_t edge) const {
  const LayoutEdge& e = scene_.edges[edge];
  return e.tail != e.head && beyond(scene_.boxes[e.tail], scene_.boxes[e.head], forward_, 1);
}

std::optional<CellRect> EdgePlanner::span(std::size_t edge, bool head_end) const {
  if (edge >= scene_.end_spans.size()) return std::nullopt;
  return head_end ? scene_.end_spans[edge].head : scene_.end_spans[edge].tail;
}

SimpleEdge EdgePlanner::simple_edge(std::size_t edge) const {
  const LayoutEdge& e = scene_.edges[edge];
  SimpleEdge s;
  s.tail = &scene_.boxes[e.tail];
  s.head = &scene_.boxes[e.head];
  s.tail_span = span(edge, false);
  s.head_span = span(edge, true);
  s.forward = forward_;
  s.forward_edge = is_forward(edge);
  s.merging = merging(edge);
  const std::uint32_t tail = groups_[edge].tail;
  s.fanning = tail < forward_out_.size() && forward_out_[tail] >= 2;
  s.labelled = e.label.has_value() && !e.label->empty();
  return s;
}

bool EdgePlanner::merging(std::size_t edge) const {
  const std::uint32_t head = groups_[edge].head;
  return head < forward_in_.size() && forward_in_[head] >= 2;
}

bool EdgePlanner::try_route(std::size_t edge, EdgeRoute route) {
  const LayoutEdge& e = scene_.edges[edge];
  route.arrow_at_end = e.arrow_at_head;
  route.arrow_at_start = e.arrow_at_tail;
  if (!route_fits(cells_, route, groups_[edge])) return false;
  commit_route(cells_, route, groups_[edge]);
  plan_.routes[edge] = std::move(route);
  close_loop(edge);
  return true;
}

void EdgePlanner::close_loop(std::size_t edge) {
  const LayoutEdge& e = scene_.edges[edge];
  if (e.tail != e.head) return;
  // No other line may cross a loop either: it would read as joining it.
  for_each_route_cell(plan_.routes[edge], [&](GridPoint p, std::uint8_t) {
    if (cells_.contains(p.row, p.col)) {
      cells_.update(p.row, p.col, [](PlanCell& c) { c.what |= PlanCell::kLabel; });
    }
    return true;
  });
}

bool EdgePlanner::near_other_box(std::size_t edge, const EdgeRoute& route) const {
  const LayoutEdge& e = scene_.edges[edge];
  const auto round = [](const NodeBox& b) {
    return CellRect{sub_floor(b.left, 1), sub_floor(b.top, 1), add_sat(b.right(), 1),
                    add_sat(b.bottom(), 1)};
  };
  return route_near_other_box(cells_, route, round(scene_.boxes[e.tail]),
                              round(scene_.boxes[e.head]));
}

bool EdgePlanner::try_candidates(std::size_t edge, std::span<const SimpleRoute> candidates) {
  const LayoutEdge& e = scene_.edges[edge];
  // A simple route must keep a cell away from other boxes, or the search
  // finds a better one.
  EdgeRoute& r = scratch_route_;
  for (const SimpleRoute& c : candidates) {
    // One edge may try hundreds of candidates, each walking long legs.
    if (fitting_spent() || must_stop(scene_.stop)) return false;
    r.points.assign(c.points.begin(), c.points.begin() + c.count);
    r.start_into = c.start_into;
    r.end_into = c.end_into;
    r.arrow_at_end = e.arrow_at_head;
    r.arrow_at_start = e.arrow_at_tail;
    r.cornered = false;
    r.facing_walled = false;
    if (!route_fits(cells_, r, groups_[edge])) continue;
    if (e.tail != e.head && near_other_box(edge, r)) continue;
    if (!crossings_clear(cells_, r, groups_[edge])) continue;
    // A loop crosses no line, or it would read as joining it.
    if (e.tail == e.head && !for_each_route_cell(r, [&](GridPoint p, std::uint8_t) {
          return (cells_.at(p.row, p.col).what & PlanCell::kLines) == 0;
        })) {
      continue;
    }
    commit_route(cells_, r, groups_[edge]);
    plan_.routes[edge] = r;
    close_loop(edge);
    if (e.tail == e.head) ++loops_[e.tail][c.corner];
    return true;
  }
  return false;
}

bool EdgePlanner::try_straight(std::size_t edge) {
  candidates_.clear();
  straight_routes(simple_edge(edge), limits_, candidates_);
  return try_candidates(edge, candidates_);
}

bool EdgePlanner::try_jog(std::size_t edge) {
  candidates_.clear();
  SimpleEdge s = simple_edge(edge);
  if (!s.forward_edge && beyond(*s.tail, *s.head, opposite(forward_), 1)) {
    // An edge back against the ranks jogs as a forward one does the other
    // way: out of its tail's side facing its head, into the head's side
    // facing the tail.
    s.forward = opposite(forward_);
    s.forward_edge = true;
    s.merging = false;
    s.fanning = false;
  }
  // A pair of ports at a time: most edges take the first.
  for (std::size_t pair = 0;; ++pair) {
    candidates_.clear();
    if (!jog_routes(s, limits_, pair, candidates_)) return false;
    if (try_candidates(edge, candidates_)) return true;
  }
}

void EdgePlanner::route_planned() {
  std::vector<std::pair<std::uint32_t, std::size_t>> batches;  // batch, edge
  for (std::size_t i = 0; i < planned_.size(); ++i) {
    if (planned_[i]) batches.emplace_back(planned_[i]->batch, i);
  }
  std::sort(batches.begin(), batches.end());
  std::vector<std::pair<std::size_t, EdgeRoute>> fitting;
  for (std::size_t k = 0; k < batches.size();) {
    std::size_t end = k;
    while (end < batches.size() && batches[end].first == batches[k].first) ++end;
    fitting.clear();
    for (std::size_t j = k; j < end; ++j) {
      // A gap may hold thousands of routes; the plan is thrown away when
      // it stops short.
      if (must_stop(scene_.stop)) return;
      const std::size_t edge = batches[j].second;
      const LayoutEdge& e = scene_.edges[edge];
      EdgeRoute r;
      r.points = planned_[edge]->points;
      r.start_into = planned_[edge]->start_into;
      r.end_into = planned_[edge]->end_into;
      r.arrow_at_end = e.arrow_at_head;
      r.arrow_at_start = e.arrow_at_tail;
      if (!route_fits(cells_, r, groups_[edge]) || near_other_box(edge, r)) continue;
      fitting.emplace_back(edge, std::move(r));
    }
    for (auto& [edge, route] : fitting) {
      if (must_stop(scene_.stop)) return;
      commit_route(cells_, route, groups_[edge]);
      plan_.routes[edge] = std::move(route);
    }
    k = end;
  }
}

bool EdgePlanner::try_flat(std::size_t edge) {
  candidates_.clear();
  flat_routes(simple_edge(edge), limits_.flat_depths, candidates_);
  return try_candidates(edge, candidates_);
}

bool EdgePlanner::try_loop(std::size_t edge) {
  const std::size_t node = scene_.edges[edge].tail;
  const std::array<std::uint64_t, 4>& nested = loops_[node];
  std::uint64_t drawn = 0;
  for (const std::uint64_t n : nested) drawn += n;
  candidates_.clear();
  // The corners in turn, so that many loops spread round the box.
  loop_routes(scene_.boxes[node], nested, static_cast<std::uint8_t>(drawn % 4), candidates_);
  return try_candidates(edge, candidates_);
}

void EdgePlanner::keep_label_room(std::size_t edge) {
  const LayoutEdge& e = scene_.edges[edge];
  if (!e.label || e.label->empty()) return;
  const CellRect loop = bounding_box(plan_.routes[edge].points);
  // The label as it will most likely be placed: its lines, at most as
  // wide as a wrapped label.
  std::uint64_t rows = 0, cols = 1;
  for (const std::string_view line : split_label_lines(*e.label)) {
    ++rows;
    cols = std::max<std::uint64_t>(cols, text_width(line));
  }
  rows = std::clamp<std::uint64_t>(rows, 1, 3);
  cols = std::min<std::uint64_t>(cols, 16);
  // Above the loop, right of it, below it, left of it, right beside its
  // lines.
  const std::uint64_t above = sub_floor(loop.top, rows);
  const std::uint64_t left_of = sub_floor(loop.left, cols);
  const std::array<CellRect, 4> spots{
      CellRect{loop.left, above, loop.left + cols - 1, above + rows - 1},
      CellRect{loop.right + 1, loop.top, loop.right + cols, loop.top + rows - 1},
      CellRect{loop.left, loop.bottom + 1, loop.left + cols - 1, loop.bottom + rows},
      CellRect{left_of, loop.top, left_of + cols - 1, loop.top + rows - 1}};
  for (const CellRect& r : spots) {
    if ((r == spots[0] && loop.top < rows) || (r == spots[3] && loop.left < cols)) continue;
    if (!cells_.empty(r.top, r.bottom, r.left, r.right)) continue;
    cells_.mark(r.top, r.bottom, r.left, r.right, PlanCell::kLabel);
    label_room_.push_back(r);
    return;
  }
}

void EdgePlanner::free_label_room() {
  for (const CellRect& r : label_room_) {
    for (std::uint64_t row = r.top; row <= r.bottom; ++row) {
      for (std::uint64_t col = r.left; col <= r.right; ++col) {
        cells_.update(row, col, [](PlanCell& c) { c.what &= ~PlanCell::kLabel; });
      }
    }
  }
  label_room_.clear();
}

namespace {

// The farthest the ranks of a dense graph move apart at once.
constexpr double kMostDenseStretch = 4;
// A dense graph whose gap plan leaves more than one edge in this many to
// the searches, for want of tracks, has its ranks moved apart first.
constexpr std::size_t kMostLeftOver = 4;
// An edge whose ends lie this many bands apart or more makes a costly
// search: its windows span the bands between.
constexpr std::size_t kLongSearch = 3;

}  // namespace

std::size_t EdgePlanner::long_searches(std::span<const std::size_t> edges) const {
  const std::vector<Band> bands = bands_of(scene_.boxes, forward_);
  const auto band = [&](const NodeBox& b) {
    return band_holding(bands, vertical(forward_) ? b.top : b.left);
  };
  std::size_t n = 0;
  for (const std::size_t i : edges) {
    const std::size_t a = band(scene_.boxes[scene_.edges[i].tail]);
    const std::size_t b = band(scene_.boxes[scene_.edges[i].head]);
    if ((a > b ? a - b : b - a) >= kLongSearch) ++n;
  }
  return n;
}

bool EdgePlanner::route_all() {
  const std::size_t n = scene_.edges.size();
  plan_.routes.assign(n, EdgeRoute{});
  std::vector<std::size_t> simple, loops, rest;
  // Group numbers run from 1 to at most a few per edge.
  std::uint32_t groups = 0;
  for (const RouteGroups& g : groups_) groups = std::max({groups, g.tail, g.head});
  forward_in_.assign(std::size_t{groups} + 1, 0);
  forward_out_.assign(std::size_t{groups} + 1, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const LayoutEdge& e = scene_.edges[i];
    if (e.invisible || !box_usable(e.tail) || !box_usable(e.head)) continue;
    if (e.tail == e.head) {
      loops.push_back(i);
    } else {
      simple.push_back(i);
      if (is_forward(i)) {
        ++forward_in_[groups_[i].head];
        ++forward_out_[groups_[i].tail];
      }
    }
  }
  // Short edges first: they have the fewest ways to go.
  const auto length = [&](std::size_t i) {
    const NodeBox& t = scene_.boxes[scene_.edges[i].tail];
    const NodeBox& h = scene_.boxes[scene_.edges[i].head];
    const std::uint64_t dr = t.top > h.top ? t.top - h.top : h.top - t.top;
    const std::uint64_t tc = t.left + t.width / 2, hc = h.left + h.width / 2;
    return add_sat(dr, tc > hc ? tc - hc : hc - tc);
  };
  std::stable_sort(simple.begin(), simple.end(),
                   [&](std::size_t a, std::size_t b) { return length(a) < length(b); });
  // Between edges the plan asks whether it must stop; a plan stopped
  // short is thrown away.
  const auto stop = [&] { return must_stop(scene_.stop); };
  // How far a dense graph's ranks would have to move apart for every
  // track to have a row: where edges are left out, they move so far.
  if (dense_) plan_.stretch = std::min(planned_stretch_, kMostDenseStretch);
  route_planned();
  for (const std::size_t i : simple) {
    if (stop()) return true;
    if (!plan_.routes[i].points.empty()) continue;
    if (!try_straight(i)) rest.push_back(i);
  }
  std::vector<std::size_t> still;
  for (const std::size_t i : rest) {
    if (stop()) return true;
    if (!try_jog(i) && !try_guided(i) && !try_flat(i)) still.push_back(i);
    if (!dense_ && still.size() > limits_.dense_searches) return false;
  }
  for (const std::size_t i : loops) {
    if (stop()) return true;
    if (try_loop(i)) {
      keep_label_room(i);
    } else {
      still.push_back(i);
    }
  }
  if (!dense_ && still.size() > limits_.dense_searches) return false;
  if (!dense_ && long_searches(still) > limits_.dense_long_searches) return false;
  if (!dense_ && static_cast<std::size_t>(std::count_if(still.begin(), still.end(), [&](std::size_t i) {
        return !scene_.edges[i].arrow_at_head && !scene_.edges[i].arrow_at_tail;
      })) > limits_.dense_arrowless_searches) {
    return false;
  }
  if (dense_ && !scene_.last_try && planned_stretch_ > 1 &&
      still.size() * kMostLeftOver > simple.size()) {
    plan_.given_up = true;
    return true;
  }
  // Forward edges first: they need the sides facing along the ranks.
  std::stable_partition(still.begin(), still.end(), [&](std::size_t i) { return is_forward(i); });
  for (const std::size_t i : still) {
    if (stop()) return true;
    facing_walled_ = false;
    // Most edges of a dense graph are planned with their gaps; those left
    // over settle for the first route found rather than the best.
    if ((!dense_ && try_search(i)) || try_anywhere(i)) continue;
    // Walled in at a crowded box: the edge shares its other end instead,
    // and at last both.
    bool drawn = false;
    const bool loop = scene_.edges[i].tail == scene_.edges[i].head;
    for (const RouteGroups& g : {crowded_groups_[i], walled_groups_[i]}) {
      if (drawn || (g.tail == groups_[i].tail && g.head == groups_[i].head)) continue;
      if (loop && !scene_.last_try) continue;
      groups_[i] = g;
      drawn = try_search(i) || try_anywhere(i);
    }
    // At last a route may turn right at its ports: a box whose sides face
    // other boxes one row away is left and entered along that row. A loop
    // so turned would not go round.
    if (!drawn && !loop) {
      turn_at_ports_ = true;
      drawn = try_anywhere(i);
      turn_at_ports_ = false;
    }
    if (!drawn) ++plan_.undrawn;
  }
  // A plan that spent the whole last-resort budget and still left a
  // quarter of its edges out is one whose lines wall each other in; one
  // that left out a few lacked room, which moving the ranks apart gives.
  plan_.exhausted = last_resort_budget_ == 0 && plan_.undrawn * 4 >= simple.size() + loops.size();
  free_label_room();
  return true;
}

}  // namespace vantri
