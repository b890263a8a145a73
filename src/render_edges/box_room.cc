// Counting the lines each box side must take, and growing boxes.
#include "render_edges/box_room.h"

#include <algorithm>
#include <unordered_set>
#include <utility>
#include <vector>

#include "grid/cell_arith.h"
#include "render_edges/edge_ports.h"
#include "render_edges/flat_plan.h"
#include "render_edges/planner_limits.h"

namespace vantri {

namespace {

// Cells kept between two boxes on a rank once they have widened: a line
// may pass between them.
constexpr std::uint64_t kGapBesideWidened = 3;
// The farthest boxes on a rank are moved apart at once.
constexpr double kMostSpread = 8;
// Boxes looked at on either side of a box short of room, in order along
// the ranks, for its neighbour on the same rank.
constexpr std::size_t kNeighbourScan = 256;

// How many times farther apart the boxes of a rank must stand so that each
// box of `short_of` (with the size along its rank it wants) can widen.
double spread_for(std::span<const NodeBox> boxes, std::span<const NodeBox> grown,
                  std::span<const std::pair<std::size_t, std::uint64_t>> short_of,
                  bool down_or_up) {
  // Centres along the rank, doubled to stay whole.
  const auto centre = [&](std::size_t i) {
    const NodeBox& b = boxes[i];
    return down_or_up ? 2 * b.left + b.width : 2 * b.top + b.height;
  };
  const auto same_rank = [&](std::size_t a, std::size_t b) {
    const NodeBox& x = boxes[a];
    const NodeBox& y = boxes[b];
    return down_or_up ? x.top <= y.bottom() && y.top <= x.bottom()
                      : x.left <= y.right() && y.left <= x.right();
  };
  std::vector<std::uint64_t> size(grown.size());
  for (std::size_t i = 0; i < grown.size(); ++i) {
    size[i] = down_or_up ? grown[i].width : grown[i].height;
  }
  for (const auto& [n, want] : short_of) size[n] = std::max(size[n], want);
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    if (boxes[i].width != 0 && boxes[i].height != 0) order.push_back(i);
  }
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return centre(a) < centre(b); });
  std::vector<std::size_t> place(boxes.size(), 0);
  for (std::size_t k = 0; k < order.size(); ++k) place[order[k]] = k;
  double spread = 1;
  const auto need = [&](std::size_t n, std::size_t m) {
    const std::uint64_t a = centre(n);
    const std::uint64_t b = centre(m);
    const double apart = static_cast<double>(a > b ? a - b : b - a) / 2;
    const double wanted = static_cast<double>(size[n] + size[m]) / 2 + kGapBesideWidened;
    spread = std::max(spread, wanted / std::max(apart, 0.5));
  };
  for (const auto& [n, want] : short_of) {
    const std::size_t k = place[n];
    for (std::size_t j = k; j-- > 0 && k - j <= kNeighbourScan;) {
      if (same_rank(n, order[j])) {
        need(n, order[j]);
        break;
      }
    }
    for (std::size_t j = k + 1; j < order.size() && j - k <= kNeighbourScan; ++j) {
      if (same_rank(n, order[j])) {
        need(n, order[j]);
        break;
      }
    }
  }
  return std::min(spread, kMostSpread);
}

}  // namespace

RoomedBoxes boxes_with_room(std::span<const LayoutEdge> edges, std::span<const NodeBox> boxes,
                            std::span<const RouteGroups> groups, std::span<const char> growable,
                            RankDir rankdir) {
  RoomedBoxes result;
  result.boxes.assign(boxes.begin(), boxes.end());
  std::vector<NodeBox>& out = result.boxes;
  // Boxes that could not grow enough, with the size along their rank
  // they want.
  std::vector<std::pair<std::size_t, std::uint64_t>> short_of;
  const Toward forward = forward_of(rankdir);
  // Per box: the distinct ends of forward edges leaving and entering it,
  // of other edges, and its loops.
  struct Ends {
    std::unordered_set<std::uint32_t> out, in, other;
    std::uint64_t loops = 0;
  };
  std::vector<Ends> ends(boxes.size());
  bool any = false;
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const LayoutEdge& e = edges[i];
    if (e.invisible || e.tail >= boxes.size() || e.head >= boxes.size()) continue;
    if (e.tail == e.head) {
      ++ends[e.tail].loops;
      any = true;
      continue;
    }
    const NodeBox& t = boxes[e.tail];
    const NodeBox& h = boxes[e.head];
    if (t.width == 0 || h.width == 0) continue;
    if (beyond(t, h, forward, 1)) {
      ends[e.tail].out.insert(groups[i].tail);
      ends[e.head].in.insert(groups[i].head);
    } else {
      ends[e.tail].other.insert(groups[i].tail);
      ends[e.head].other.insert(groups[i].head);
    }
    any = true;
  }
  if (!any) return result;
  const bool down_or_up = vertical(forward);
  // A rank crowded with lines between its own boxes deals their ends out
  // along the sides facing its tracks, before and after it: about half on
  // each.
  const std::vector<std::uint32_t> flat =
      crowded_flat_ends(edges, boxes, forward, PlannerLimits{}.crowded_side);
  for (std::size_t n = 0; n < out.size(); ++n) {
    NodeBox& b = out[n];
    if (n >= growable.size() || !growable[n] || b.width == 0 || b.height == 0) continue;
    const Ends& e = ends[n];
    // A side crowded enough to have its ends planned with its gap keeps
    // two cells spare, so that its lines can keep off the places where
    // lines go on down from the sides facing it.
    const std::uint64_t busiest = std::max(e.out.size(), e.in.size());
    const std::uint64_t along = busiest >= PlannerLimits{}.crowded_side ? busiest + 2 : busiest;
    // Loops go round the corners: with room above the box, half of them
    // round the upper ones; each takes a cell of a left or right side and
    // one of the top or bottom.
    const std::uint64_t loops =
        e.loops >= 2 && b.top >= 3 + e.loops ? (e.loops + 1) / 2 : e.loops;
    // Cells between the corners needed on the top and bottom sides, and
    // on the left and right ones: forward edges use the sides facing along
    // the ranks, loops leave by the left or right side and come back by
    // the top or bottom.
    // Beside loops, the edges that are not forward (to boxes on the same
    // rank, or back) join the sides across the ranks, half on each: those
    // sides then need cells for them as well as for the loops.
    const std::uint64_t beside_loops = e.loops != 0 ? (e.other.size() + 1) / 2 : 0;
    const std::uint64_t flat_side = (flat[n] + 1) / 2;
    const std::uint64_t cols = down_or_up ? std::max(along, flat_side) + loops : loops + beside_loops;
    const std::uint64_t have_cols = b.width >= 3 ? b.width - 2 : 1;
    const std::uint64_t have_rows = b.height >= 3 ? b.height - 2 : 1;
    // Loops round the left corners need columns left of the box, two for
    // each: a box too near the canvas's left edge takes every loop on its
    // right side.
    const std::uint64_t grows_left = cols > have_cols ? (cols - have_cols + 1) / 2 : 0;
    const std::uint64_t side_loops =
        sub_floor(b.left, grows_left) < 3 + 2 * e.loops ? e.loops : loops;
    const std::uint64_t rows =
        down_or_up ? side_loops + beside_loops : std::max(along, flat_side) + side_loops;
    const std::uint64_t all = e.out.size() + e.in.size() + e.other.size() + 2 * e.loops;
    std::uint64_t want_cols = std::max(have_cols, cols);
    std::uint64_t want_rows = std::max(have_rows, rows);
    // A side along the rank with another box right beside it takes no
    // line: a line must leave a side square to it, into that box. Only a
    // box whose sides are nearly all taken is looked at.
    const auto sides_open = [&] {
      std::uint64_t open = 2;
      for (const bool before : {true, false}) {
        const CellRect beside =
            down_or_up ? (before ? CellRect{sub_floor(b.left, 2), b.top, sub_floor(b.left, 1), b.bottom()}
                                 : CellRect{add_sat(b.right(), 1), b.top, add_sat(b.right(), 2), b.bottom()})
                       : (before ? CellRect{b.left, sub_floor(b.top, 2), b.right(), sub_floor(b.top, 1)}
                                 : CellRect{b.left, add_sat(b.bottom(), 1), b.right(), add_sat(b.bottom(), 2)});
        const bool blocked = std::any_of(boxes.begin(), boxes.end(), [&](const NodeBox& o) {
          return &o != &boxes[n] && o.width != 0 && o.height != 0 &&
                 beside.overlaps(CellRect{o.left, o.top, o.right(), o.bottom()});
        });
        if (blocked) --open;
      }
      return open;
    };
    const std::uint64_t side = down_or_up ? want_rows : want_cols;
    const std::uint64_t open_sides = all + side > 2 * (want_cols + want_rows) ? sides_open() : 2;
    const std::uint64_t have_ports = 2 * (want_cols + want_rows) - (2 - open_sides) * side;
    if (have_ports < all) {
      // The short sides grow when both sides along the rank are blocked.
      const std::uint64_t short_by = all - have_ports;
      const std::uint64_t per_cell = open_sides == 0 ? 2 : open_sides;
      std::uint64_t& grows = (down_or_up == (open_sides != 0)) ? want_rows : want_cols;
      grows += (short_by + per_cell - 1) / per_cell;
    }
    if (want_cols == have_cols && want_rows == have_rows) continue;
    const auto grow_to = [&](std::uint64_t cols_to, std::uint64_t rows_to) {
      NodeBox grown = b;
      if (cols_to > have_cols) {
        const std::uint64_t grow = cols_to - have_cols;
        grown.left = sub_floor(b.left, grow / 2);
        grown.width += grow;
      }
      if (rows_to > have_rows) {
        const std::uint64_t grow = rows_to - have_rows;
        grown.top = sub_floor(b.top, grow / 2);
        grown.height += grow;
      }
      return grown;
    };
    // A box grows only into free space, a cell clear of every other box.
    const auto clear = [&](const NodeBox& grown) {
      const CellRect room{sub_floor(grown.left, 1), sub_floor(grown.top, 1),
                          add_sat(grown.right(), 1), add_sat(grown.bottom(), 1)};
      return std::none_of(boxes.begin(), boxes.end(), [&](const NodeBox& o) {
        return &o != &boxes[n] && o.width != 0 && o.height != 0 &&
               room.overlaps(CellRect{o.left, o.top, o.right(), o.bottom()});
      });
    };
    const NodeBox grown = grow_to(want_cols, want_rows);
    if (clear(grown)) {
      b = grown;
      continue;
    }
    // Boxes on one rank often stand close, while the gap between ranks is
    // wide: a box that cannot widen along its rank grows across it instead,
    // so that its sides along the rank take the lines its other sides
    // have no room for.
    const std::uint64_t facing = down_or_up ? have_cols : have_rows;
    const std::uint64_t overflow = sub_floor(e.out.size(), facing) +
                                   sub_floor(e.in.size(), facing) + e.other.size() + 2 * e.loops;
    const std::uint64_t open_now = sides_open();
    const std::uint64_t open = std::max<std::uint64_t>(open_now, 1);
    const std::uint64_t across_cells =
        std::max(down_or_up ? want_rows : want_cols, (overflow + open - 1) / open);
    const NodeBox across = down_or_up ? grow_to(have_cols, across_cells)
                                      : grow_to(across_cells, have_rows);
    const std::uint64_t usable = 2 * facing + open_now * across_cells;
    const bool across_clear = clear(across);
    if (across_clear) b = across;
    // Forward lines belong on the facing sides: a box two or more of
    // them short there is short too, left to right, where boxes a row
    // tall have a cell there.
    // So is a box of a crowded rank without a cell on the sides facing its
    // tracks for each of its lines there.
    if (!across_clear || usable < all || (!down_or_up && busiest > facing + 1) ||
        flat_side > facing) {
      short_of.emplace_back(n, add_sat(down_or_up ? want_cols : want_rows, 2));
    }
  }
  if (!short_of.empty()) result.spread = spread_for(boxes, out, short_of, down_or_up);
  return result;
}

}  // namespace vantri
