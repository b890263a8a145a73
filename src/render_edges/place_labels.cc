// Finding free places for labels beside routes, route ends and boxes.
#include "render_edges/place_labels.h"

#include <algorithm>
#include <string>
#include <vector>

#include "grid/cell_arith.h"
#include "render_edges/route_cells.h"
#include "render_edges/wrap_label.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// Labels wrap to at most this many columns, so that a long one becomes a
// compact block rather than a wide strip.
constexpr std::uint64_t kWrapWidth = 24;
constexpr std::uint64_t kNarrowWrap = 10;
// Labels longer than this are wrapped wider, to at most this many lines,
// and never narrower than the first try.
constexpr std::uint64_t kMaxBlockLines = 16;
constexpr std::uint64_t kNarrowable = 256;
// A shortened label keeps at least this many columns.
constexpr std::uint64_t kShortest = 8;
// The most lines a label wrapped two columns wide may take.
constexpr std::uint64_t kNarrowColumnLines = 4;
// Anchors tried per route: every cell of short routes, evenly spread ones
// of long routes.
constexpr std::size_t kMaxAnchors = 512;

struct Block {
  std::vector<std::string> lines;
  std::vector<std::uint64_t> widths;
  std::uint64_t width = 0;
  std::uint64_t rows() const { return lines.size(); }
};

Block wrap(std::string_view text, std::uint64_t width) {
  Block b;
  b.lines = wrap_label(text, width);
  for (const std::string& line : b.lines) {
    b.widths.push_back(text_width(line));
    b.width = std::max(b.width, b.widths.back());
  }
  return b;
}

struct Placer {
  PlanCells& cells;
  RoutePlan& plan;
  const RouteScene& scene;
  // Labels that found no room beside what they label, placed last.
  struct Homeless {
    Block block;
    LabelRole role;
    std::size_t owner;
    std::string text;
  };
  std::vector<Homeless> homeless;

  // The route whose label is being placed, or null for a node's label.
  const EdgeRoute* own = nullptr;
  // Candidate places, kept between labels so that trying them allocates
  // nothing.
  std::vector<GridPoint> spots;
  // Candidates lie only beside cells where the route's line is alone.
  bool own_stretch = false;

  // Whether the cell lies on the route whose label is being placed.
  bool on_own_route(std::uint64_t row, std::uint64_t col) const {
    if (own == nullptr) return false;
    const auto& pts = own->points;
    if (pts.size() == 1) return pts[0] == GridPoint{row, col};
    for (std::size_t s = 0; s + 1 < pts.size(); ++s) {
      const CellRect leg = bounding_box(std::span<const GridPoint>(&pts[s], 2));
      if (leg.contains({row, col})) return true;
    }
    return false;
  }

  bool foreign_line(std::uint64_t row, std::uint64_t col) const {
    return (cells.at(row, col).what & PlanCell::kLines) && !on_own_route(row, col);
  }

  // Whether the block fits with its first line at (top, left). With
  // `clear`, no other edge's line may touch its ends either: a label
  // between two lines would seem to belong to both.
  bool fits(const Block& b, std::uint64_t top, std::uint64_t left, bool clear) const {
    for (std::size_t l = 0; l < b.lines.size(); ++l) {
      const std::uint64_t row = top + l;
      if (b.widths[l] == 0) continue;
      const std::uint64_t right = left + b.widths[l] - 1;
      if (!cells.empty(row, row, left, right)) return false;
      // A blank column between this label and another on the same row.
      if (left > 0 && (cells.at(row, left - 1).what & PlanCell::kLabel)) return false;
      if (right + 1 < cells.width() && (cells.at(row, right + 1).what & PlanCell::kLabel)) {
        return false;
      }
      if (clear && ((left > 0 && foreign_line(row, left - 1)) ||
                    (right + 1 < cells.width() && foreign_line(row, right + 1)))) {
        return false;
      }
    }
    return true;
  }

  // Adds the label to the plan, its cells marked taken (cells beyond the
  // planned canvas are nobody else's anyway).
  void put(Block b, std::uint64_t top, std::uint64_t left, LabelRole role, std::size_t owner,
           std::string text) {
    for (std::size_t l = 0; l < b.lines.size(); ++l) {
      if (b.widths[l] == 0) continue;
      cells.mark(top + l, top + l, left, left + b.widths[l] - 1, PlanCell::kLabel);
    }
    PlacedLabel placed;
    placed.role = role;
    placed.owner = owner;
    placed.top = top;
    placed.left = left;
    placed.width = b.width;
    placed.lines = std::move(b.lines);
    placed.text = std::move(text);
    plan.labels.push_back(std::move(placed));
  }

  // Candidate first cells for a block beside one cell of a route.
  static void beside_cell(GridPoint p, std::uint8_t usage, const Block& b,
                          std::vector<GridPoint>& out) {
    const std::uint64_t n = b.rows(), w = b.width;
    const auto add = [&](std::uint64_t top, std::uint64_t left, bool ok) {
      if (ok) out.push_back({top, left});
    };
    if (usage != PlanCell::kAcross) {  // beside a vertical line
      add(sub_floor(p.row, n / 2), p.col + 1, true);
      add(sub_floor(p.row, n / 2), p.col - w, p.col >= w);
      add(p.row, p.col + 1, n > 1);
      add(sub_floor(p.row, n - 1), p.col + 1, n > 1);
    }
    if (usage != PlanCell::kAlong) {  // above or below a horizontal line
      add(p.row - n, sub_floor(p.col, w / 2), p.row >= n);
      add(p.row + 1, sub_floor(p.col, w / 2), true);
      add(p.row - n, p.col + 1, p.row >= n);
      add(p.row + 1, p.col + 1, true);
      add(p.row - n, p.col - w, p.row >= n && p.col >= w);
      add(p.row + 1, p.col - w, p.col >= w);
    }
  }

  // Blocks whose cells come within `reach` of the rectangle, nearest first:
  // at each distance, right of it, left, above and below, each side from
  // its middle outwards (a few places per side: enough for real labels,
  // bounded for absurd ones).
  static void around(std::uint64_t top, std::uint64_t bottom, std::uint64_t left,
                     std::uint64_t right, std::uint64_t reach, const Block& b,
                     std::vector<GridPoint>& out) {
    const std::uint64_t n = std::max<std::uint64_t>(b.rows(), 1);
    const std::uint64_t w = std::max<std::uint64_t>(b.width, 1);
    constexpr std::uint64_t kPerSide = 16;
    // Positions from `lo` to `hi`, the one nearest `mid` first.
    const auto spread = [&](std::uint64_t lo, std::uint64_t hi, std::uint64_t mid,
                            auto&& emit) {
      if (lo > hi) return;
      mid = std::clamp(mid, lo, hi);
      const std::uint64_t span = hi - lo;
      const std::uint64_t step = std::max<std::uint64_t>(1, span / kPerSide);
      emit(mid);
      for (std::uint64_t k = step; k <= span; k += step) {
        if (mid + k <= hi) emit(mid + k);
        if (k <= mid - lo) emit(mid - k);
      }
    };
    for (std::uint64_t d = 1; d <= reach; ++d) {
      // Rows where a block beside the rectangle stays within distance d.
      const std::uint64_t t_lo = sub_floor(top, n - 1 + (d - 1));
      const std::uint64_t t_hi = add_sat(bottom, d - 1);
      const std::uint64_t t_mid = sub_floor(midpoint_floor(top, bottom), n / 2);
      spread(t_lo, t_hi, t_mid, [&](std::uint64_t t) { out.push_back({t, add_sat(right, d)}); });
      if (left >= w + d - 1 + 1) {
        spread(t_lo, t_hi, t_mid, [&](std::uint64_t t) { out.push_back({t, left - d - (w - 1)}); });
      }
      const std::uint64_t l_lo = sub_floor(left, w - 1 + (d - 1));
      const std::uint64_t l_hi = add_sat(right, d - 1);
      const std::uint64_t l_mid = sub_floor(midpoint_floor(left, right), w / 2);
      if (top >= n + d - 1 + 1) {
        spread(l_lo, l_hi, l_mid, [&](std::uint64_t l) { out.push_back({top - d - (n - 1), l}); });
      }
      spread(l_lo, l_hi, l_mid, [&](std::uint64_t l) { out.push_back({add_sat(bottom, d), l}); });
    }
  }

  // The candidates for one label, from the block's own shape.
  void candidates(LabelRole role, std::size_t owner, const Block& b,
                  std::vector<GridPoint>& out) const {
    out.clear();
    if (role == LabelRole::NodeExternal) {
      const NodeBox& box = scene.boxes[owner];
      around(box.top, box.bottom(), box.left, box.right(), 2, b, out);
      return;
    }
    const EdgeRoute& route = plan.routes[owner];
    if (role == LabelRole::HeadEnd || role == LabelRole::TailEnd) {
      const GridPoint e = role == LabelRole::HeadEnd ? route.points.back() : route.points.front();
      around(e.row, e.row, e.col, e.col, 2, b, out);
      return;
    }
    // From the middle of the route outwards, every cell of a short route,
    // evenly spread ones of a long one.
    const std::vector<GridPoint>& pts = route.points;
    std::uint64_t count = 1;
    for (std::size_t s = 0; s + 1 < pts.size(); ++s) count = add_sat(count, leg_length(pts[s], pts[s + 1]));
    const std::uint64_t stride = std::max<std::uint64_t>(1, count / kMaxAnchors);
    const std::uint64_t middle = count / 2;
    for (std::uint64_t k = 0; k <= count; k += stride) {
      for (const int sign : {1, -1}) {
        if (sign < 0 && (k == 0 || k > middle)) continue;
        const std::uint64_t at = sign > 0 ? middle + k : middle - k;
        if (at >= count) continue;
        const auto [cell, usage] = route_cell(pts, at);
        if (own_stretch && !only_line(cell)) continue;
        beside_cell(cell, usage, b, out);
      }
    }
  }

  static std::uint64_t leg_length(GridPoint p, GridPoint q) {
    return (p.row > q.row ? p.row - q.row : q.row - p.row) +
           (p.col > q.col ? p.col - q.col : q.col - p.col);
  }

  // Cell `k` of a route counted from its start (cell 0), and how the route
  // uses it (`PlanCell::kAcross`, `kAlong` or `kBent`).
  static std::pair<GridPoint, std::uint8_t> route_cell(const std::vector<GridPoint>& pts,
                                                       std::uint64_t k) {
    if (k == 0 || pts.size() < 2) return {pts.front(), PlanCell::kBent};
    for (std::size_t s = 0; s + 1 < pts.size(); ++s) {
      const GridPoint p = pts[s], q = pts[s + 1];
      const std::uint64_t len = leg_length(p, q);
      if (k > len) {
        k -= len;
        continue;
      }
      if (k == len) return {q, PlanCell::kBent};
      if (p.row == q.row) {
        return {{p.row, q.col > p.col ? p.col + k : p.col - k}, PlanCell::kAcross};
      }
      return {{q.row > p.row ? p.row + k : p.row - k, p.col}, PlanCell::kAlong};
    }
    return {pts.back(), PlanCell::kBent};
  }

  // Whether the route's line is the only one in `cell`: lines of several
  // edges leave their groups mixed.
  bool only_line(GridPoint cell) const {
    if (!cells.contains(cell.row, cell.col)) return false;
    const PlanCell c = cells.at(cell.row, cell.col);
    return c.tail_group != PlanCell::kMixed && c.head_group != PlanCell::kMixed;
  }

  bool try_place(const Block& b, LabelRole role, std::size_t owner, const std::string& text,
                 bool clear) {
    candidates(role, owner, b, spots);
    for (const GridPoint& s : spots) {
      if (fits(b, s.row, s.col, clear)) {
        put(b, s.row, s.col, role, owner, text);
        return true;
      }
    }
    return false;
  }

  void place(std::string_view label, LabelRole role, std::size_t owner) {
    own = role == LabelRole::NodeExternal ? nullptr : &plan.routes[owner];
    std::string text = limit_label(label, scene.max_label, scene.trim, LabelLines::Split);
    const std::uint64_t room = std::max<std::uint64_t>(1, sub_floor(cells.width(), 1));
    // A very long label becomes a wider block rather than a tall one.
    const std::uint64_t length = text_width(text);
    const std::uint64_t wide =
        std::min(std::max(kWrapWidth, (length + kMaxBlockLines - 1) / kMaxBlockLines), room);
    // Narrower and narrower blocks fit between closer and closer lines;
    // each is tried first where it touches no other edge's line.
    std::vector<Block> blocks{wrap(text, wide)};
    for (const std::uint64_t width : {kNarrowWrap, std::uint64_t{6}, std::uint64_t{4}}) {
      if (width >= wide || length > kNarrowable) break;
      Block narrow = wrap(text, width);
      if (narrow.lines != blocks.back().lines) blocks.push_back(std::move(narrow));
    }
    // Whole words beside the label's own line first; a word broken in two
    // or a label next to another edge's line only when nothing better fits.
    const auto whole_words = [&](const Block& b) {
      std::string joined;
      for (const std::string& line : b.lines) joined += (joined.empty() ? "" : " ") + line;
      return joined == text;
    };
    // First beside a stretch of the edge's own line, which names it alone
    // (not a trunk or a merge it shares, nor a crossing).
    const bool along_route = role == LabelRole::Edge || role == LabelRole::EdgeExternal;
    for (const bool own : {true, false}) {
      if (own && !along_route) continue;
      own_stretch = own;
      for (const bool clear : {true, false}) {
        for (const Block& block : blocks) {
          if (clear && &block != &blocks.front() && !whole_words(block)) continue;
          if (try_place(block, role, owner, text, clear)) {
            own_stretch = false;
            return;
          }
        }
      }
    }
    own_stretch = false;
    Block first = std::move(blocks.front());
    std::string shorter = text;
    if (text_width(text) > kShortest) {
      shorter = trim_label_lines(text, kShortest, scene.trim);
      for (const std::uint64_t width : {kShortest, std::uint64_t{4}}) {
        if (try_place(wrap(shorter, width), role, owner, shorter, false)) return;
      }
    }
    // Between lines two columns apart (a tightly laid out graph), a short
    // label still fits as a narrow column of its own beside its edge.
    if (text_width(shorter) <= 2 * kNarrowColumnLines &&
        try_place(wrap(shorter, 2), role, owner, shorter, false)) {
      return;
    }
    // Below everything, on rows of its own: at most a few lines, so that
    // a drawing full of huge labels (only hostile layouts have them) grows
    // by a bounded amount per label.
    if (first.rows() > kMaxBlockLines) {
      text = trim_label_lines(text, static_cast<std::size_t>(kMaxBlockLines * room), scene.trim);
      first = wrap(text, room);
    }
    homeless.push_back({std::move(first), role, owner, std::move(text)});
  }

  // The labels that found no room go under everything drawn, one blank
  // row apart, each below the end of its route.
  void place_homeless() {
    if (homeless.empty()) return;
    std::uint64_t top = 0;
    for (const EdgeRoute& r : plan.routes) {
      for (const GridPoint& p : r.points) top = std::max(top, add_sat(p.row, 1));
    }
    for (const PlacedLabel& l : plan.labels) top = std::max(top, add_sat(l.bottom(), 1));
    for (const NodeBox& b : scene.boxes) {
      if (b.width != 0 && b.height != 0) top = std::max(top, add_sat(b.bottom(), 1));
    }
    top = add_sat(top, 1);
    for (Homeless& h : homeless) {
      std::uint64_t left = 0;
      if (h.role != LabelRole::NodeExternal && !plan.routes[h.owner].points.empty()) {
        left = std::min(plan.routes[h.owner].points.back().col,
                        sub_floor(cells.width(), h.block.width));
      }
      const std::uint64_t rows = std::max<std::uint64_t>(h.block.rows(), 1);
      put(std::move(h.block), top, left, h.role, h.owner, std::move(h.text));
      top = add_sat(top, rows + 1);
    }
    homeless.clear();
  }
};

}  // namespace

void place_labels(PlanCells& cells, RoutePlan& plan, const RouteScene& scene) {
  Placer placer{cells, plan, scene, {}, nullptr, {}, false};
  // The labels with the fewest places first: a loop's label (the planner
  // kept room beside each loop for it), then head and tail labels, which
  // must sit by one cell, then labels that may go anywhere along a route.
  const auto drawn = [&](std::size_t i) {
    return !scene.edges[i].invisible && !plan.routes[i].points.empty();
  };
  const auto has = [](const std::optional<std::string>& text) { return text && !text->empty(); };
  const std::size_t edges = std::min(scene.edges.size(), plan.routes.size());
  for (std::size_t i = 0; i < edges; ++i) {
    const LayoutEdge& e = scene.edges[i];
    if (drawn(i) && e.tail == e.head && has(e.label)) placer.place(*e.label, LabelRole::Edge, i);
  }
  for (std::size_t i = 0; i < edges; ++i) {
    if (must_stop(scene.stop)) return;
    const LayoutEdge& e = scene.edges[i];
    if (!drawn(i)) continue;
    if (has(e.head_label)) placer.place(*e.head_label, LabelRole::HeadEnd, i);
    if (has(e.tail_label)) placer.place(*e.tail_label, LabelRole::TailEnd, i);
  }
  for (std::size_t i = 0; i < edges; ++i) {
    if (must_stop(scene.stop)) return;
    const LayoutEdge& e = scene.edges[i];
    if (!drawn(i)) continue;
    if (e.tail != e.head && has(e.label)) placer.place(*e.label, LabelRole::Edge, i);
    if (has(e.xlabel)) placer.place(*e.xlabel, LabelRole::EdgeExternal, i);
  }
  for (std::size_t n = 0; n < scene.nodes.size() && n < scene.boxes.size(); ++n) {
    if (must_stop(scene.stop)) return;
    const LayoutNode& node = scene.nodes[n];
    const NodeBox& b = scene.boxes[n];
    if (!node.xlabel || node.xlabel->empty() || node.invisible) continue;
    if (b.width == 0 || b.right() >= cells.width() || b.bottom() >= cells.height()) continue;
    placer.place(*node.xlabel, LabelRole::NodeExternal, n);
  }
  placer.place_homeless();
}

}  // namespace vantri
