// The edge planner: ports, simple forward routes, self-loops, searched
// routes, then labels.
#include "render_edges/plan_routes.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <map>
#include <unordered_map>

#include "grid/cell_arith.h"
#include "grid/span_cover.h"
#include "render_edges/place_labels.h"
#include "render_edges/plan_cells.h"
#include "render_edges/route_search.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// Far more than any detour is worth, less than no route at all.
constexpr std::uint32_t kAvoidSide = 2000;
constexpr std::uint32_t kOtherSide = 60;

// The direction a forward edge runs in.
Toward forward_of(RankDir dir) {
  switch (dir) {
    case RankDir::TopToBottom: return Toward::Down;
    case RankDir::BottomToTop: return Toward::Up;
    case RankDir::LeftToRight: return Toward::Right;
    case RankDir::RightToLeft: return Toward::Left;
  }
  return Toward::Down;
}

bool vertical(Toward d) { return d == Toward::Up || d == Toward::Down; }

// Whether `other` lies wholly beyond `box` in direction `d`, with at least
// `gap` free cells between.
bool beyond(const NodeBox& box, const NodeBox& other, Toward d, std::uint64_t gap) {
  switch (d) {
    case Toward::Down: return other.top > add_sat(box.bottom(), gap);
    case Toward::Up: return add_sat(other.bottom(), gap) < box.top;
    case Toward::Right: return other.left > add_sat(box.right(), gap);
    case Toward::Left: return add_sat(other.right(), gap) < box.left;
  }
  return false;
}

// The cell beside `box` on its side `side` at position `across` (a column
// for the top and bottom sides, a row for the left and right ones); false
// when that cell would lie above row 0 or left of column 0.
bool port_cell(const NodeBox& box, Toward side, std::uint64_t across, GridPoint& out) {
  switch (side) {
    case Toward::Down: out = {add_sat(box.bottom(), 1), across}; return true;
    case Toward::Up:
      if (box.top == 0) return false;
      out = {box.top - 1, across};
      return true;
    case Toward::Right: out = {across, add_sat(box.right(), 1)}; return true;
    case Toward::Left:
      if (box.left == 0) return false;
      out = {across, box.left - 1};
      return true;
  }
  return false;
}

// The positions along a side where lines may attach: the side without its
// corners, or the middle of a box too small to have any.
struct SideRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  std::uint64_t middle = 0;
};

SideRange side_range(const NodeBox& box, Toward side, const std::optional<EndSpan>& span) {
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

// Whether a field span reaches the side of its box: a field inside a record
// is reached only from the sides it touches.
bool span_reaches(const NodeBox& box, Toward side, const std::optional<EndSpan>& span) {
  if (!span) return true;
  switch (side) {
    case Toward::Up: return span->top <= box.top + 1;
    case Toward::Down: return span->bottom + 1 >= box.bottom();
    case Toward::Left: return span->left <= box.left + 1;
    case Toward::Right: return span->right + 1 >= box.right();
  }
  return true;
}

struct Planner {
  const RouteScene& scene;
  PlanCells cells;
  RoutePlan plan;
  SearchBuffers buffers;
  Toward forward;
  std::vector<RouteGroups> groups;
  // Loops already drawn per node.
  std::map<std::size_t, std::uint64_t> loops;
  // What searching may still cost, in states visited: enough for every
  // real graph many times over, while a hostile layout whose edges find no
  // way anywhere cannot make the plan take more than linear time.
  std::uint64_t search_budget = 0;
  // Forward edges per head: they merge on the row (column) before it.
  std::vector<std::uint32_t> forward_in;

  Planner(const RouteScene& s, std::uint64_t width, std::uint64_t height)
      : scene(s), cells(width, height), forward(forward_of(s.rankdir)) {}

  std::optional<EndSpan> span_of(std::size_t edge, bool head_end) const {
    if (!scene.end_span) return std::nullopt;
    return scene.end_span(scene.end_span_context, edge, head_end);
  }

  bool box_usable(std::size_t node) const {
    if (node >= scene.boxes.size()) return false;
    const NodeBox& b = scene.boxes[node];
    return b.width > 0 && b.height > 0 && b.right() < cells.width() && b.bottom() < cells.height();
  }

  bool is_forward(const LayoutEdge& e) const {
    return e.tail != e.head && beyond(scene.boxes[e.tail], scene.boxes[e.head], forward, 1);
  }

  // An end's group: edges whose ends have the same one may share cells
  // there (a fan-out trunk or a fan-in merge).
  struct EndKey {
    std::uint64_t node = 0;
    std::uint64_t twin = 0;
    // The field the end attaches to, or all ~0 for the whole box.
    EndSpan span{~std::uint64_t{0}, ~std::uint64_t{0}, ~std::uint64_t{0}, ~std::uint64_t{0}};
    bool arrow = false;
    bool head = false;
    bool operator==(const EndKey& o) const {
      return node == o.node && twin == o.twin && span.top == o.span.top &&
             span.bottom == o.span.bottom && span.left == o.span.left &&
             span.right == o.span.right && arrow == o.arrow && head == o.head;
    }
  };
  static std::uint64_t mix(std::uint64_t h, std::uint64_t v) {
    h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h * 0xff51afd7ed558ccdULL;
  }
  struct EndKeyHash {
    std::size_t operator()(const EndKey& k) const {
      std::uint64_t h = mix(mix(k.node, k.twin), k.span.top);
      h = mix(mix(mix(h, k.span.bottom), k.span.left), k.span.right);
      return static_cast<std::size_t>(mix(h, (k.arrow ? 2u : 0u) | (k.head ? 1u : 0u)));
    }
  };
  struct PairHash {
    std::size_t operator()(const std::pair<std::size_t, std::size_t>& p) const {
      return static_cast<std::size_t>(mix(p.first, p.second));
    }
  };

  void assign_groups() {
    std::unordered_map<EndKey, std::uint32_t, EndKeyHash> ids;
    std::unordered_map<std::pair<std::size_t, std::size_t>, std::uint64_t, PairHash> twins;
    ids.reserve(2 * scene.edges.size());
    twins.reserve(scene.edges.size());
    groups.resize(scene.edges.size());
    for (std::size_t i = 0; i < scene.edges.size(); ++i) {
      const LayoutEdge& e = scene.edges[i];
      // Parallel edges never share cells: each gets groups of its own rank
      // among them. (Edges between the same nodes the other way round
      // never share a group anyway: one's tail is the other's head.)
      const std::uint64_t twin = twins[{e.tail, e.head}]++;
      // Edges from (or to) different fields of a record do not share
      // cells either: a trunk would join fields the graph keeps apart.
      const auto id = [&](bool head) {
        EndKey key;
        key.node = head ? e.head : e.tail;
        key.twin = twin;
        key.arrow = head ? e.arrow_at_head : e.arrow_at_tail;
        key.head = head;
        if (const auto span = span_of(i, head)) key.span = *span;
        const auto [it, fresh] = ids.try_emplace(key, static_cast<std::uint32_t>(ids.size() + 1));
        return it->second;
      };
      groups[i] = {id(false), id(true)};
    }
  }

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

  void mark_obstacles() {
    OnceMarker near{cells, PlanCell::kNearBox};
    OnceMarker border{cells, PlanCell::kBox};
    for (const NodeBox& b : scene.boxes) {
      if (b.width == 0 || b.height == 0) continue;
      near.ring(sub_floor(b.top, 1), add_sat(b.bottom(), 1), sub_floor(b.left, 1),
                add_sat(b.right(), 1));
      // Routes and labels keep off the whole box. Routes can only reach
      // a box across its border, and labels are placed beside routes and
      // boxes, so the border is all a huge box (only hostile layouts have
      // them) needs, which keeps it cheap.
      if (b.width <= 512 && b.height <= 64 && b.width * b.height <= 4096) {
        cells.mark(b.top, b.bottom(), b.left, b.right(), PlanCell::kBox);
      } else {
        border.ring(b.top, b.bottom(), b.left, b.right());
      }
    }
    OnceMarker frames{cells, PlanCell::kFrame};
    for (const LabelRect& r : scene.frames) frames.run(r.top, r.bottom, r.left, r.right);
  }

  EdgeRoute with_arrows(EdgeRoute route, const LayoutEdge& e) const {
    route.arrow_at_end = e.arrow_at_head;
    route.arrow_at_start = e.arrow_at_tail;
    return route;
  }

  // Whether a cell of the route runs right beside a box other than its
  // own two.
  bool hugs_other_box(std::size_t i, const EdgeRoute& route) const {
    const NodeBox& t = scene.boxes[scene.edges[i].tail];
    const NodeBox& h = scene.boxes[scene.edges[i].head];
    const auto beside = [](const NodeBox& b, GridPoint p) {
      return p.row + 1 >= b.top && p.row <= b.bottom() + 1 && p.col + 1 >= b.left &&
             p.col <= b.right() + 1;
    };
    return !for_each_route_cell(route, [&](GridPoint p, std::uint8_t) {
      if (!cells.contains(p.row, p.col)) return true;
      return !(cells.at(p.row, p.col).what & PlanCell::kNearBox) || beside(t, p) || beside(h, p);
    });
  }

  // Records the route when it fits.
  bool try_route(std::size_t i, EdgeRoute route) {
    route = with_arrows(std::move(route), scene.edges[i]);
    if (!route_fits(cells, route, groups[i])) return false;
    commit_route(cells, route, groups[i]);
    plan.routes[i] = std::move(route);
    return true;
  }

  // `try_route` for the many candidate routes of the simple shapes, built
  // in one reused route so that trying them allocates nothing. A simple
  // route must also keep a cell away from other boxes, or the search finds
  // a better one.
  EdgeRoute scratch;
  bool try_scratch(std::size_t i, std::initializer_list<GridPoint> points, Toward start_into,
                   Toward end_into) {
    scratch.points.assign(points);
    scratch.points.erase(std::unique(scratch.points.begin(), scratch.points.end()),
                         scratch.points.end());
    scratch.start_into = start_into;
    scratch.end_into = end_into;
    scratch.arrow_at_end = scene.edges[i].arrow_at_head;
    scratch.arrow_at_start = scene.edges[i].arrow_at_tail;
    scratch.cornered = false;
    if (!route_fits(cells, scratch, groups[i]) || hugs_other_box(i, scratch)) return false;
    commit_route(cells, scratch, groups[i]);
    plan.routes[i] = scratch;
    return true;
  }

  // One straight run between facing sides, when the boxes overlap across.
  bool try_straight(std::size_t i) {
    const LayoutEdge& e = scene.edges[i];
    const NodeBox& t = scene.boxes[e.tail];
    const NodeBox& h = scene.boxes[e.head];
    for (const Toward d : {Toward::Down, Toward::Up, Toward::Right, Toward::Left}) {
      if (!beyond(t, h, d, 0)) continue;
      if (is_forward(e) && d != forward) continue;
      const auto t_span = span_of(i, false);
      const auto h_span = span_of(i, true);
      if (!span_reaches(t, d, t_span) || !span_reaches(h, opposite(d), h_span)) continue;
      const SideRange tr = side_range(t, d, t_span);
      const SideRange hr = side_range(h, opposite(d), h_span);
      const std::uint64_t first = std::max(tr.first, hr.first);
      const std::uint64_t last = std::min(tr.last, hr.last);
      if (first > last) continue;
      // The head's middle, else the tail's, else the middle of the overlap;
      // then every other position outwards, two apart.
      std::uint64_t prefer = midpoint_floor(first, last);
      if (hr.middle >= first && hr.middle <= last) {
        prefer = hr.middle;
      } else if (tr.middle >= first && tr.middle <= last) {
        prefer = tr.middle;
      }
      for (std::uint64_t k = 0; k <= 8; ++k) {
        for (const int sign : {1, -1}) {
          if (k == 0 && sign < 0) continue;
          const std::uint64_t off = 2 * k;
          if (sign < 0 && off > prefer - first) continue;
          const std::uint64_t at = sign > 0 ? prefer + off : prefer - off;
          if (at > last) continue;
          GridPoint a, b;
          if (!port_cell(t, d, at, a) || !port_cell(h, opposite(d), at, b)) continue;
          if (try_scratch(i, {a, b}, opposite(d), d)) return true;
        }
      }
    }
    return false;
  }

  // Forward with one jog in the gap between the boxes.
  bool try_jog(std::size_t i) {
    const LayoutEdge& e = scene.edges[i];
    if (!is_forward(e)) return false;
    const NodeBox& t = scene.boxes[e.tail];
    const NodeBox& h = scene.boxes[e.head];
    const auto t_span = span_of(i, false);
    const auto h_span = span_of(i, true);
    if (!span_reaches(t, forward, t_span) || !span_reaches(h, opposite(forward), h_span)) {
      return false;
    }
    // The middles of the facing sides first, then their neighbours.
    struct Positions {
      std::array<std::uint64_t, 3> at;
      std::size_t count = 0;
      std::size_t size() const { return count; }
      std::uint64_t operator[](std::size_t k) const { return at[k]; }
    };
    const auto positions = [&](const NodeBox& box, Toward side, const std::optional<EndSpan>& span) {
      const SideRange r = side_range(box, side, span);
      Positions out{{r.middle}, 1};
      if (r.middle > r.first) out.at[out.count++] = r.middle - 1;
      if (r.middle < r.last) out.at[out.count++] = r.middle + 1;
      return out;
    };
    const Positions tails = positions(t, forward, t_span);
    const Positions heads = positions(h, opposite(forward), h_span);
    for (std::size_t k = 0; k < std::min<std::size_t>(tails.size() + heads.size() - 1, 3); ++k) {
      // Pairs in order of how far they stray from the two middles.
      for (std::size_t ti = 0; ti <= k && ti < tails.size(); ++ti) {
        const std::size_t hi = k - ti;
        if (hi >= heads.size()) continue;
        GridPoint a, b;
        if (!port_cell(t, forward, tails[ti], a) || !port_cell(h, opposite(forward), heads[hi], b)) {
          continue;
        }
        if (try_jog_between(i, a, b)) return true;
      }
    }
    return false;
  }

  // The jogs of a forward route from port cell `a` to port cell `b`.
  bool try_jog_between(std::size_t i, GridPoint a, GridPoint b) {
    const LayoutEdge& e = scene.edges[i];
    const bool down_or_up = vertical(forward);
    // Along the rank axis: from the start's coordinate towards the end's.
    const std::uint64_t sa = down_or_up ? a.row : a.col;
    const std::uint64_t ea = down_or_up ? b.row : b.col;
    const bool increasing = forward == Toward::Down || forward == Toward::Right;
    if (increasing ? ea <= sa : sa <= ea) return false;
    const std::uint64_t gap = increasing ? ea - sa : sa - ea;  // cells after the start
    const auto at = [&](std::uint64_t along, std::uint64_t across) {
      return down_or_up ? GridPoint{along, across} : GridPoint{across, along};
    };
    const std::uint64_t sx = down_or_up ? a.col : a.row;
    const std::uint64_t ex = down_or_up ? b.col : b.row;
    // Jog positions, as steps from the start: merging edges prefer the one
    // right before the head, others the middle of the gap.
    const std::uint64_t preferred = forward_in[e.head] >= 2 ? gap - 1 : (gap - 1) / 2;
    // The nearest few positions; a wide gap has room for the search.
    for (std::uint64_t k = 0; k <= std::min<std::uint64_t>(2 * gap, 24); ++k) {
      const std::uint64_t off = (k + 1) / 2;
      std::uint64_t step;
      if (k % 2 == 1) {
        if (preferred + off > gap - 1) continue;
        step = preferred + off;
      } else {
        if (off > preferred) continue;
        step = preferred - off;
      }
      const std::uint64_t m = increasing ? sa + step : sa - step;
      if (try_scratch(i, {at(sa, sx), at(m, sx), at(m, ex), at(ea, ex)}, opposite(forward),
                      forward)) {
        return true;
      }
    }
    return false;
  }

  // A loop k out of one side, round a corner of the box and into the
  // neighbouring side, nested outside the loops drawn before it.
  bool try_loop(std::size_t i) {
    const LayoutEdge& e = scene.edges[i];
    const NodeBox& b = scene.boxes[e.tail];
    const std::uint64_t k = loops[e.tail];
    const std::uint64_t mid = b.top + b.height / 2;
    const std::uint64_t centre = b.left + b.width / 2;
    for (int variant = 0; variant < 4; ++variant) {
      const bool right = variant % 2 == 0;
      const bool above = variant < 2;
      // Out of the left or right side at the middle row, out 2 + 2k
      // columns, up or down past the box, back over it and in.
      const std::uint64_t side_col = right ? add_sat(b.right(), 1) : b.left - 1;
      if (!right && b.left < 3 + 2 * k) continue;
      if (above && b.top < 3 + k) continue;
      const std::uint64_t out = right ? add_sat(b.right(), 2 + 2 * k) : b.left - 2 - 2 * k;
      const std::uint64_t turn_row = above ? b.top - 2 - k : add_sat(b.bottom(), 2 + k);
      const std::uint64_t end_row = above ? b.top - 1 : add_sat(b.bottom(), 1);
      std::uint64_t end_col;
      if (b.width >= 3) {
        end_col = right ? sub_floor(b.right(), 1 + k) : add_sat(b.left, 1 + k);
        if (end_col <= b.left || end_col >= b.right()) end_col = centre;
      } else {
        end_col = centre;
      }
      EdgeRoute route;
      route.points = {{mid, side_col}, {mid, out}, {turn_row, out}, {turn_row, end_col},
                      {end_row, end_col}};
      route.start_into = right ? Toward::Left : Toward::Right;
      route.end_into = above ? Toward::Down : Toward::Up;
      if (try_route(i, std::move(route))) {
        ++loops[e.tail];
        return true;
      }
    }
    return false;
  }

  // Ports of one end for the search, cheapest on the sides that face the
  // other end.
  void add_ports(std::vector<RoutePort>& out, std::size_t i, bool head_end) {
    const LayoutEdge& e = scene.edges[i];
    const NodeBox& box = scene.boxes[head_end ? e.head : e.tail];
    const NodeBox& other = scene.boxes[head_end ? e.tail : e.head];
    const bool arrow = head_end ? e.arrow_at_head : e.arrow_at_tail;
    const auto span = span_of(i, head_end);
    const bool loop = e.tail == e.head;
    for (const Toward side : {Toward::Down, Toward::Up, Toward::Right, Toward::Left}) {
      if (!span_reaches(box, side, span)) continue;
      // A loop leaves by a left or right side and comes back by the top
      // or bottom, so that it cannot end where it began.
      if (loop && vertical(side) != head_end) continue;
      // The side turned away from the other end: an arrowhead comes in
      // there only when every other way is blocked, which is still better
      // than no edge at all.
      const bool far = !loop && beyond(box, other, opposite(side), 0);
      std::uint32_t cost = kOtherSide;
      if (loop) {
        cost = 0;
      } else if (is_forward(e)) {
        const Toward wanted = head_end ? opposite(forward) : forward;
        cost = side == wanted ? 0 : kAvoidSide;
      } else if (beyond(box, other, side, 0)) {
        cost = 0;
      } else if (far) {
        cost = kAvoidSide;
      }
      if (far && arrow) cost = 2 * kAvoidSide;
      // The sides facing along the ranks belong to forward edges; others
      // go round by the sides facing across.
      if (!loop && !is_forward(e) && vertical(side) == vertical(forward)) cost += kOtherSide;
      // Never beside a corner: a line that joins a box there seems to run
      // past it.
      const SideRange r = side_range(box, side, span);
      for (std::uint64_t at = r.first; at <= r.last; ++at) {
        GridPoint cell;
        if (!port_cell(box, side, at, cell)) break;
        const std::uint64_t off = at > r.middle ? at - r.middle : r.middle - at;
        out.push_back({cell, opposite(side),
                       cost + static_cast<std::uint32_t>(std::min<std::uint64_t>(off, 50))});
      }
    }
  }

  // The window of edge i's searches: both boxes and `margin` cells round
  // them (twice that across, where rows are narrow).
  SearchWindow search_window(std::size_t i, std::uint64_t margin) const {
    const NodeBox& t = scene.boxes[scene.edges[i].tail];
    const NodeBox& h = scene.boxes[scene.edges[i].head];
    return SearchWindow{sub_floor(std::min(t.top, h.top), margin),
                        add_sat(std::max(t.bottom(), h.bottom()), margin),
                        sub_floor(std::min(t.left, h.left), 2 * margin),
                        add_sat(std::max(t.right(), h.right()), 2 * margin)};
  }

  // The window at `margin` already spans the whole canvas: a wider one
  // finds nothing more.
  bool whole_canvas(std::size_t i, std::uint64_t margin) const {
    const SearchWindow w = search_window(i, margin);
    return w.top == 0 && w.left == 0 && w.bottom >= cells.height() - 1 &&
           w.right >= cells.width() - 1;
  }

  // One search for edge i, which spends from the plan's budget what its
  // window costs to set up and the states it visits.
  std::optional<EdgeRoute> search(std::size_t i, std::span<const RoutePort> sources,
                                  std::span<const RoutePort> targets, std::uint64_t margin,
                                  std::size_t limit, std::size_t then_any = 0) {
    buffers.walled = false;
    buffers.visited = 0;
    const SearchWindow w = search_window(i, margin);
    const std::uint64_t area = (std::min(w.bottom, cells.height() - 1) - w.top + 1) *
                               (std::min(w.right, cells.width() - 1) - w.left + 1);
    if (area / 8 >= search_budget) {
      search_budget = 0;
      return std::nullopt;
    }
    search_budget -= area / 8;
    buffers.visit_limit = static_cast<std::size_t>(
        std::min<std::uint64_t>(limit == 0 ? search_budget : limit, search_budget));
    if (buffers.visit_limit == 0) return std::nullopt;
    buffers.then_any_limit = static_cast<std::size_t>(std::min<std::uint64_t>(then_any, search_budget));
    const LayoutEdge& e = scene.edges[i];
    auto route = search_route(cells, sources, targets, groups[i],
                              RouteArrows{e.arrow_at_tail, e.arrow_at_head}, w, buffers);
    buffers.then_any_limit = 0;
    search_budget = sub_floor(search_budget, buffers.visited);
    return route;
  }

  // `search`, settling for the first route found.
  std::optional<EdgeRoute> first_route(std::size_t i, std::span<const RoutePort> sources,
                                       std::span<const RoutePort> targets, std::uint64_t margin,
                                       std::size_t limit) {
    buffers.first_found = true;
    auto route = search(i, sources, targets, margin, limit);
    buffers.first_found = false;
    return route;
  }

  static constexpr std::uint64_t kMargins[] = {4, 16, 64, 256};
  // States a search for any route to the facing ports of an end may visit:
  // settling for the first route found, it mostly needs far fewer.
  static constexpr std::size_t kAnyRouteLimit = 4 * 16384;

  bool try_search(std::size_t i) {
    std::vector<RoutePort> from, to;
    add_ports(from, i, false);
    add_ports(to, i, true);
    if (from.empty() || to.empty()) return false;
    // First only the ports the edge should use, in small windows; then
    // every port, in windows growing until one holds a route.
    std::vector<RoutePort> good_from, good_to;
    for (const RoutePort& p : from) {
      if (p.cost < kAvoidSide) good_from.push_back(p);
    }
    for (const RoutePort& p : to) {
      if (p.cost < kAvoidSide) good_to.push_back(p);
    }
    if (!good_from.empty() && !good_to.empty()) {
      // Where no such route exists the search would comb the whole window:
      // it stops after a few thousand cells. The facing sides are worth a
      // long way round: while a window is combed without finding one, the
      // next wider one is tried before any other side. A search stopped
      // short would only visit the same cells again in a wider window, and
      // one walled in stays walled in.
      for (const std::uint64_t margin : kMargins) {
        // A search stopped short of proving which route is cheapest has
        // not shown that there is none: in a dense window the crossings
        // make the cheapest costly to prove. It goes on settling for any
        // way into these ports, which beats any way into the others.
        if (auto route = search(i, good_from, good_to, margin, 16384, kAnyRouteLimit)) {
          return try_route(i, std::move(*route));
        }
        if (buffers.went_on || buffers.visited >= buffers.visit_limit) break;
        if (buffers.walled || whole_canvas(i, margin)) break;
      }
      if (!making_way && make_way(i, good_from, good_to)) return true;
    }
    // When the facing ports of only one end are walled in, the other end
    // still keeps to its own: first either end may go elsewhere, then both.
    std::optional<EdgeRoute> best;
    const auto consider = [&](std::span<const RoutePort> a, std::span<const RoutePort> b,
                              std::size_t limit) {
      if (best && !best->cornered) return;
      auto route = any_route(i, a, b, limit);
      if (route && (!best || !route->cornered)) best = std::move(route);
    };
    if (!good_to.empty() && good_to.size() < to.size()) consider(from, good_to, kAnyRouteLimit);
    if (!good_from.empty() && good_from.size() < from.size()) consider(good_from, to, kAnyRouteLimit);
    consider(from, to, 0);
    if (!best) return false;
    return try_route(i, std::move(*best));
  }

  // Any route from one of `from` to one of `to`, in windows growing until
  // one holds one; the first search may visit `limit` states (0: all the
  // budget). A route that needs an arrowhead from the far side is kept
  // only when no larger window finds one that does not, and is marked so.
  // One larger window is searched for it, and only so far.
  std::optional<EdgeRoute> any_route(std::size_t i, std::span<const RoutePort> from,
                                     std::span<const RoutePort> to, std::size_t limit) {
    std::optional<EdgeRoute> far_side;
    for (const std::uint64_t margin : kMargins) {
      // Any way at all will do here: proving a costly route the cheapest
      // would comb the whole window.
      auto route = first_route(i, from, to, margin, far_side ? 16384 : limit);
      if (route && !arrow_from_far_side(i, *route)) return route;
      if (far_side) break;
      far_side = std::move(route);
      if (buffers.walled || whole_canvas(i, margin)) break;
    }
    if (far_side) far_side->cornered = true;
    return far_side;
  }

  // What keeps a route from the rules, worst last: nothing, a forward
  // edge off a facing side, an arrowhead from the far side, no route.
  int flaws(std::size_t i, const EdgeRoute& route) const {
    if (route.points.empty()) return 3;
    if (route.cornered || arrow_from_far_side(i, route)) return 2;
    if (is_forward(scene.edges[i]) &&
        (route.end_into != forward || route.start_into != opposite(forward))) {
      return 1;
    }
    return 0;
  }

  // The edges whose routes pass one of `points`.
  std::vector<std::size_t> routes_through(std::vector<GridPoint> points) const {
    std::vector<std::size_t> out;
    if (points.empty()) return out;
    const auto key = [](GridPoint p) { return std::pair{p.row, p.col}; };
    std::sort(points.begin(), points.end(),
              [&](GridPoint a, GridPoint b) { return key(a) < key(b); });
    std::uint64_t top = ~std::uint64_t{0}, bottom = 0, left = ~std::uint64_t{0}, right = 0;
    for (const GridPoint& p : points) {
      top = std::min(top, p.row);
      bottom = std::max(bottom, p.row);
      left = std::min(left, p.col);
      right = std::max(right, p.col);
    }
    for (std::size_t r = 0; r < plan.routes.size(); ++r) {
      const auto& pts = plan.routes[r].points;
      if (pts.empty()) continue;
      const auto [lo_row, hi_row] = std::minmax_element(
          pts.begin(), pts.end(), [](GridPoint a, GridPoint b) { return a.row < b.row; });
      const auto [lo_col, hi_col] = std::minmax_element(
          pts.begin(), pts.end(), [](GridPoint a, GridPoint b) { return a.col < b.col; });
      if (hi_row->row < top || lo_row->row > bottom || hi_col->col < left ||
          lo_col->col > right) {
        continue;
      }
      const bool hit = !for_each_route_cell(plan.routes[r], [&](GridPoint p, std::uint8_t) {
        return !std::binary_search(points.begin(), points.end(), p,
                                   [&](GridPoint a, GridPoint b) { return key(a) < key(b); });
      });
      if (hit) out.push_back(r);
    }
    return out;
  }

  // Edge i would have to leave a facing side although one of its ports is
  // free: the routes planned before it wall that port in. A few of them
  // (no loops) make way: edge i takes the way over their lines that costs
  // least, and they are planned again after it. When one of them comes
  // out worse than before, everything goes back as it was.
  static constexpr std::uint32_t kOverLines = 300;
  static constexpr std::size_t kMostMakingWay = 6;
  bool making_way = false;

  bool make_way(std::size_t i, std::span<const RoutePort> from, std::span<const RoutePort> to) {
    std::optional<EdgeRoute> route;
    std::uint64_t margin = 4;
    buffers.over_lines = kOverLines;
    for (const std::uint64_t m : {std::uint64_t{4}, std::uint64_t{16}}) {
      margin = m;
      route = search(i, from, to, margin, 16384);
      if (route || buffers.walled) break;
    }
    buffers.over_lines = 0;
    if (!route) return false;
    std::vector<std::size_t> movers = routes_through(route_conflicts(cells, *route, groups[i]));
    if (movers.empty() || movers.size() > kMostMakingWay) return false;
    for (const std::size_t m : movers) {
      if (scene.edges[m].tail == scene.edges[m].head) return false;
    }
    std::vector<EdgeRoute> before;
    for (const std::size_t m : movers) before.push_back(plan.routes[m]);
    uncommit_routes(cells, plan.routes, groups, movers);
    for (const std::size_t m : movers) plan.routes[m] = EdgeRoute{};
    // The way over their lines was the one with the fewest of them; with
    // those lines gone, a better one may open up.
    if (auto plain = search(i, from, to, margin, 16384)) route = std::move(plain);
    bool kept = try_route(i, std::move(*route));
    // Forward edges first, as in the plan.
    std::vector<std::size_t> order(movers.size());
    for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
    std::stable_partition(order.begin(), order.end(),
                          [&](std::size_t k) { return is_forward(scene.edges[movers[k]]); });
    making_way = true;
    for (std::size_t k = 0; kept && k < order.size(); ++k) {
      const std::size_t m = movers[order[k]];
      if (!try_straight(m) && !try_jog(m)) try_search(m);
      kept = flaws(m, plan.routes[m]) <= flaws(m, before[order[k]]);
    }
    making_way = false;
    if (kept) return true;
    std::vector<std::size_t> placed;
    for (const std::size_t m : movers) {
      if (!plan.routes[m].points.empty()) placed.push_back(m);
    }
    if (!plan.routes[i].points.empty()) placed.push_back(i);
    uncommit_routes(cells, plan.routes, groups, placed);
    plan.routes[i] = EdgeRoute{};
    for (std::size_t k = 0; k < movers.size(); ++k) {
      plan.routes[movers[k]] = std::move(before[k]);
      commit_route(cells, plan.routes[movers[k]], groups[movers[k]]);
    }
    return false;
  }

  // Whether an arrowhead of `route` enters its box from the side turned
  // away from the edge's other end.
  bool arrow_from_far_side(std::size_t i, const EdgeRoute& route) const {
    const LayoutEdge& e = scene.edges[i];
    if (e.tail == e.head) return false;
    const NodeBox& t = scene.boxes[e.tail];
    const NodeBox& h = scene.boxes[e.head];
    return (route.arrow_at_end && beyond(h, t, route.end_into, 0)) ||
           (route.arrow_at_start && beyond(t, h, route.start_into, 0));
  }

  void route_all() {
    const std::size_t n = scene.edges.size();
    plan.routes.assign(n, EdgeRoute{});
    forward_in.assign(scene.nodes.size() + scene.boxes.size(), 0);
    std::vector<std::size_t> simple, loops_first, rest;
    for (std::size_t i = 0; i < n; ++i) {
      const LayoutEdge& e = scene.edges[i];
      if (e.invisible || !box_usable(e.tail) || !box_usable(e.head)) continue;
      if (e.tail == e.head) {
        loops_first.push_back(i);
      } else {
        simple.push_back(i);
        if (is_forward(e) && e.head < forward_in.size()) ++forward_in[e.head];
      }
    }
    // Short edges first: they have the fewest ways to go.
    const auto length = [&](std::size_t i) {
      const NodeBox& t = scene.boxes[scene.edges[i].tail];
      const NodeBox& h = scene.boxes[scene.edges[i].head];
      const std::uint64_t dr = t.top > h.top ? t.top - h.top : h.top - t.top;
      const std::uint64_t tc = t.left + t.width / 2, hc = h.left + h.width / 2;
      return add_sat(dr, tc > hc ? tc - hc : hc - tc);
    };
    std::stable_sort(simple.begin(), simple.end(),
                     [&](std::size_t a, std::size_t b) { return length(a) < length(b); });
    for (std::size_t i : simple) {
      if (must_stop(scene.stop)) return;
      if (!try_straight(i)) rest.push_back(i);
    }
    std::vector<std::size_t> still;
    for (std::size_t i : rest) {
      if (must_stop(scene.stop)) return;
      if (!try_jog(i)) still.push_back(i);
    }
    for (std::size_t i : loops_first) {
      if (must_stop(scene.stop)) return;
      if (!try_loop(i)) still.push_back(i);
    }
    // Forward edges first: they need the sides facing along the ranks.
    std::stable_partition(still.begin(), still.end(),
                          [&](std::size_t i) { return is_forward(scene.edges[i]); });
    for (std::size_t i : still) {
      if (must_stop(scene.stop)) return;
      try_search(i);
    }
  }
};

}  // namespace

RoutePlan plan_routes(const RouteScene& scene) {
  // Room for routes and labels beyond the drawing proper.
  std::uint64_t widest_label = 0;
  std::uint64_t labels = 0;
  for (const LayoutEdge& e : scene.edges) {
    for (const auto* text : {&e.label, &e.head_label, &e.tail_label, &e.xlabel}) {
      if (*text) {
        widest_label = std::max<std::uint64_t>(widest_label, label_width(**text));
        ++labels;
      }
    }
  }
  for (const LayoutNode& n : scene.nodes) {
    if (n.xlabel) {
      widest_label = std::max<std::uint64_t>(widest_label, label_width(*n.xlabel));
      ++labels;
    }
  }
  std::uint64_t width = add_sat(scene.width, 8 + std::min<std::uint64_t>(widest_label, 40));
  std::uint64_t height = add_sat(scene.height, 8 + 2 * std::min<std::uint64_t>(labels, 64));
  if (scene.max_width) width = std::min(width, *scene.max_width);
  // Never more than a few times the cells of the drawing itself.
  const std::uint64_t limit = std::uint64_t{1} << 28;
  while (width != 0 && height > scene.height && height > limit / width) --height;
  if (width != 0 && height > limit / width) height = limit / width;

  Planner planner(scene, width, height);
  planner.search_budget = add_sat(std::uint64_t{1} << 20, 256 * scene.edges.size());
  planner.assign_groups();
  planner.mark_obstacles();
  planner.buffers.stop = scene.stop;
  planner.route_all();
  if (must_stop(scene.stop)) return std::move(planner.plan);
  place_labels(planner.cells, planner.plan, scene);

  // The canvas: the drawing, and whatever routes and labels reach beyond.
  std::uint64_t used_w = scene.width, used_h = scene.height;
  for (const EdgeRoute& r : planner.plan.routes) {
    for (const GridPoint& p : r.points) {
      used_w = std::max(used_w, add_sat(p.col, 1));
      used_h = std::max(used_h, add_sat(p.row, 1));
    }
  }
  for (const PlacedLabel& l : planner.plan.labels) {
    used_w = std::max(used_w, add_sat(l.right(), 1));
    used_h = std::max(used_h, add_sat(l.bottom(), 1));
  }
  if (scene.max_width) used_w = std::min(used_w, *scene.max_width);
  planner.plan.width = used_w;
  planner.plan.height = used_h;
  return std::move(planner.plan);
}

}  // namespace vantri
