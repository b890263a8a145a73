// Straight runs, one-jog routes and loops, as candidates.
#include "render_edges/simple_routes.h"

#include <algorithm>

#include "grid/cell_arith.h"
#include "render_edges/edge_ports.h"

namespace vantri {
namespace {

SimpleRoute make(std::initializer_list<GridPoint> points, Toward start_into, Toward end_into) {
  SimpleRoute r;
  for (const GridPoint& p : points) {
    if (r.count == 0 || r.points[r.count - 1] != p) r.points[r.count++] = p;
  }
  r.start_into = start_into;
  r.end_into = end_into;
  return r;
}

// Up to five positions along a side: its middle, then its neighbours,
// then theirs.
struct Positions {
  std::array<std::uint64_t, 5> at{};
  std::size_t count = 0;
};

Positions middle_first(const NodeBox& box, Toward side, const std::optional<CellRect>& span) {
  const SideRange r = side_range(box, side, span);
  Positions out{{r.middle}, 1};
  for (const std::uint64_t d : {1, 2}) {
    if (r.middle >= r.first + d) out.at[out.count++] = r.middle - d;
    if (r.middle + d <= r.last) out.at[out.count++] = r.middle + d;
  }
  return out;
}

// The jogs of a forward route from port cell `a` to port cell `b`.
void jogs_between(const SimpleEdge& e, const PlannerLimits& limits, GridPoint a, GridPoint b,
                  std::vector<SimpleRoute>& out) {
  const bool down_or_up = vertical(e.forward);
  // Along the rank axis: from the start's coordinate towards the end's.
  const std::uint64_t sa = down_or_up ? a.row : a.col;
  const std::uint64_t ea = down_or_up ? b.row : b.col;
  const bool increasing = e.forward == Toward::Down || e.forward == Toward::Right;
  if (increasing ? ea <= sa : sa <= ea) return;
  const std::uint64_t gap = increasing ? ea - sa : sa - ea;  // cells after the start
  const auto at = [&](std::uint64_t along, std::uint64_t across) {
    return down_or_up ? GridPoint{along, across} : GridPoint{across, along};
  };
  const std::uint64_t sx = down_or_up ? a.col : a.row;
  const std::uint64_t ex = down_or_up ? b.col : b.row;
  // Jog positions, as steps from the start: merging edges take the one
  // right before the head, others the middle of the rows between the two
  // ports (the start's own row only when there are none).
  std::uint64_t preferred = e.merging ? gap - 1 : std::min(std::max<std::uint64_t>((gap - 1) / 2, 1), gap - 1);
  // A label goes beside the last leg: it keeps a few cells.
  if (e.labelled && !e.merging && gap >= 4) preferred = std::min(preferred, gap - 3);
  for (std::uint64_t k = 0; k <= std::min<std::uint64_t>(2 * gap, limits.jog_tries); ++k) {
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
    out.push_back(make({at(sa, sx), at(m, sx), at(m, ex), at(ea, ex)}, opposite(e.forward),
                       e.forward));
  }
}

}  // namespace

void straight_routes(const SimpleEdge& e, const PlannerLimits& limits,
                     std::vector<SimpleRoute>& out) {
  const NodeBox& t = *e.tail;
  const NodeBox& h = *e.head;
  for (const Toward d : {Toward::Down, Toward::Up, Toward::Right, Toward::Left}) {
    if (!beyond(t, h, d, 0)) continue;
    if (e.forward_edge && d != e.forward) continue;
    if (!span_reaches(t, d, e.tail_span) || !span_reaches(h, opposite(d), e.head_span)) continue;
    const SideRange tr = side_range(t, d, e.tail_span);
    const SideRange hr = side_range(h, opposite(d), e.head_span);
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
    // Edges that merge before their head come in at its middle, or jog;
    // edges that fan out leave at the tail's middle, or jog: a straight
    // line beside the trunk's start would wall off the trunk's branches
    // on one side, which may neither join nor cross it right above its
    // arrowhead.
    if (e.merging && prefer != hr.middle) continue;
    if (e.fanning) {
      if (tr.middle < first || tr.middle > last) continue;
      prefer = tr.middle;
    }
    const std::uint64_t offsets = e.merging || e.fanning ? 0 : limits.straight_offsets;
    for (std::uint64_t k = 0; k <= offsets; ++k) {
      for (const int sign : {1, -1}) {
        if (k == 0 && sign < 0) continue;
        const std::uint64_t off = 2 * k;
        if (sign < 0 && off > prefer - first) continue;
        const std::uint64_t at = sign > 0 ? prefer + off : prefer - off;
        if (at > last) continue;
        const auto a = port_cell(t, d, at);
        const auto b = port_cell(h, opposite(d), at);
        if (a && b) out.push_back(make({*a, *b}, opposite(d), d));
      }
    }
  }
}

bool jog_routes(const SimpleEdge& e, const PlannerLimits& limits, std::size_t pair,
                std::vector<SimpleRoute>& out) {
  if (!e.forward_edge) return false;
  const NodeBox& t = *e.tail;
  const NodeBox& h = *e.head;
  if (!span_reaches(t, e.forward, e.tail_span) ||
      !span_reaches(h, opposite(e.forward), e.head_span)) {
    return false;
  }
  // The middles of the facing sides first, then pairs that stray further.
  const Positions tails = middle_first(t, e.forward, e.tail_span);
  const Positions heads = middle_first(h, opposite(e.forward), e.head_span);
  std::size_t n = 0;
  for (std::size_t k = 0; k < std::min<std::size_t>(tails.count + heads.count - 1, 5); ++k) {
    for (std::size_t ti = 0; ti <= k && ti < tails.count; ++ti) {
      const std::size_t hi = k - ti;
      if (hi >= heads.count) continue;
      if (n++ != pair) continue;
      const auto a = port_cell(t, e.forward, tails.at[ti]);
      const auto b = port_cell(h, opposite(e.forward), heads.at[hi]);
      if (a && b) jogs_between(e, limits, *a, *b, out);
      return true;
    }
  }
  return false;
}

void flat_routes(const SimpleEdge& e, std::uint64_t depths, std::vector<SimpleRoute>& out) {
  const NodeBox& t = *e.tail;
  const NodeBox& h = *e.head;
  if (beyond(t, h, e.forward, 1) || beyond(h, t, e.forward, 1)) return;
  for (const Toward side : {e.forward, opposite(e.forward)}) {
    if (!span_reaches(t, side, e.tail_span) || !span_reaches(h, side, e.head_span)) continue;
    const bool down_or_up = vertical(side);
    const bool increasing = side == Toward::Down || side == Toward::Right;
    const Positions tails = middle_first(t, side, e.tail_span);
    const Positions heads = middle_first(h, side, e.head_span);
    // Ports on the side, and the track beyond the further of them.
    std::array<GridPoint, 3> tail_ports{}, head_ports{};
    std::size_t tail_count = 0, head_count = 0;
    // The three positions nearest the middles.
    for (std::size_t i = 0; i < std::min<std::size_t>(tails.count, 3); ++i) {
      if (auto p = port_cell(t, side, tails.at[i])) tail_ports[tail_count++] = *p;
    }
    for (std::size_t i = 0; i < std::min<std::size_t>(heads.count, 3); ++i) {
      if (auto p = port_cell(h, side, heads.at[i])) head_ports[head_count++] = *p;
    }
    if (tail_count == 0 || head_count == 0) continue;
    const auto along = [&](GridPoint p) { return down_or_up ? p.row : p.col; };
    const std::uint64_t a = along(tail_ports[0]), b = along(head_ports[0]);
    const std::uint64_t first = increasing ? std::max(a, b) : std::min(a, b);
    for (std::uint64_t d = 1; d <= depths; ++d) {
      if (!increasing && first < d) break;
      const std::uint64_t track = increasing ? add_sat(first, d) : first - d;
      for (std::size_t k = 0; k < std::min<std::size_t>(tail_count + head_count - 1, 3); ++k) {
        for (std::size_t ti = 0; ti <= k && ti < tail_count; ++ti) {
          const std::size_t hi = k - ti;
          if (hi >= head_count) continue;
          const GridPoint p = tail_ports[ti], q = head_ports[hi];
          const GridPoint pt = down_or_up ? GridPoint{track, p.col} : GridPoint{p.row, track};
          const GridPoint qt = down_or_up ? GridPoint{track, q.col} : GridPoint{q.row, track};
          out.push_back(make({p, pt, qt, q}, opposite(side), opposite(side)));
        }
      }
    }
  }
}

void loop_routes(const NodeBox& b, std::span<const std::uint64_t, 4> nested, std::uint8_t first,
                 std::vector<SimpleRoute>& out) {
  const SideRange rows = side_range(b, Toward::Right, std::nullopt);
  const SideRange cols = side_range(b, Toward::Up, std::nullopt);
  for (std::uint8_t n = 0; n < 4; ++n) {
    const auto corner = static_cast<std::uint8_t>((first + n) % 4);
    const bool right = corner % 2 == 0;
    const bool above = corner < 2;
    const std::uint64_t j = nested[corner];
    // Loops round the upper corners leave from the side's top rows down,
    // those round the lower corners from its bottom rows up, so that each
    // loop passes outside the ones before it. Each goes out 2 + 2j
    // columns, up or down past the box, back over it and in.
    if (j > rows.last - rows.first) continue;
    const std::uint64_t start_row = above ? rows.first + j : rows.last - j;
    if (!right && b.left < 3 + 2 * j) continue;
    if (above && b.top < 3 + j) continue;
    const std::uint64_t side_col = right ? add_sat(b.right(), 1) : b.left - 1;
    const std::uint64_t out_col = right ? add_sat(b.right(), 2 + 2 * j) : b.left - 2 - 2 * j;
    const std::uint64_t turn_row = above ? b.top - 2 - j : add_sat(b.bottom(), 2 + j);
    const std::uint64_t end_row = above ? b.top - 1 : add_sat(b.bottom(), 1);
    std::uint64_t end_col = cols.middle;
    if (b.width >= 3) {
      if (j > cols.last - cols.first) continue;
      end_col = right ? cols.last - j : cols.first + j;
    }
    SimpleRoute r = make({{start_row, side_col}, {start_row, out_col}, {turn_row, out_col},
                          {turn_row, end_col}, {end_row, end_col}},
                         right ? Toward::Left : Toward::Right, above ? Toward::Down : Toward::Up);
    r.corner = corner;
    out.push_back(r);
  }
  // Where lines crowd the gaps above and below the box, a loop may keep
  // to one side: out of it, down a row a cell away, and back in.
  for (const bool right : {true, false}) {
    if (!right && b.left < 3) continue;
    const std::uint64_t side_col = right ? add_sat(b.right(), 1) : b.left - 1;
    const std::uint64_t out_col = right ? add_sat(b.right(), 2) : b.left - 2;
    const Toward into = right ? Toward::Left : Toward::Right;
    for (std::uint64_t row = rows.first; row < rows.last; row += 2) {
      SimpleRoute r = make({{row, side_col}, {row, out_col}, {row + 1, out_col}, {row + 1, side_col}},
                           into, into);
      r.corner = right ? 0 : 1;
      out.push_back(r);
    }
  }
  // Or to the top or bottom side, where edges between boxes of a rank
  // side by side (left to right) crowd the other sides.
  for (const bool above : {true, false}) {
    if (above && b.top < 3) continue;
    const std::uint64_t side_row = above ? b.top - 1 : add_sat(b.bottom(), 1);
    const std::uint64_t out_row = above ? b.top - 2 : add_sat(b.bottom(), 2);
    const Toward into = above ? Toward::Down : Toward::Up;
    for (std::uint64_t col = cols.first; col < cols.last; col += 2) {
      SimpleRoute r = make({{side_row, col}, {out_row, col}, {out_row, col + 1}, {side_row, col + 1}},
                           into, into);
      r.corner = above ? 0 : 2;
      out.push_back(r);
    }
  }
}

}  // namespace vantri
