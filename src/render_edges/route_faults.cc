// Checking a planned edge drawing cell by cell.
#include "render_edges/route_faults.h"

#include <algorithm>
#include <map>
#include <memory>
#include <numeric>
#include <set>
#include <span>
#include <unordered_map>
#include <utility>
#include <unordered_set>

#include "graphviz/label_text.h"
#include "grid/cell_arith.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

using Rule = RouteFault::Rule;

// The directions a route leaves one of its cells in (none when
// value-initialized).
struct Dirs {
  bool up, down, left, right;
  void add(Toward d) {
    switch (d) {
      case Toward::Up: up = true; break;
      case Toward::Down: down = true; break;
      case Toward::Left: left = true; break;
      case Toward::Right: right = true; break;
    }
  }
  bool straight_across() const { return left && right && !up && !down; }
  bool straight_along() const { return up && down && !left && !right; }
};

// A route's use of a cell (its key, see `Checker::key`).
struct Use {
  std::uint64_t cell;
  std::uint32_t edge;
  Dirs dirs;
};

bool inside(const NodeBox& b, GridPoint p) {
  return b.width > 0 && b.height > 0 && p.row >= b.top && p.row <= b.bottom() &&
         p.col >= b.left && p.col <= b.right();
}

// Whether a line coming in along `into` joins `b` at a corner cell `p`: it
// reads as running past the box. A side of fewer than three cells has only
// corners, and a line may join it anywhere.
bool on_corner(const NodeBox& b, GridPoint p, Toward into) {
  const bool vertical = into == Toward::Up || into == Toward::Down;
  if ((vertical ? b.width : b.height) < 3) return false;
  return (p.row == b.top || p.row == b.bottom()) && (p.col == b.left || p.col == b.right());
}

// Boxes bucketed by 16 × 16 cells, for "which box holds this cell".
class BoxIndex {
 public:
  BoxIndex(std::span<const NodeBox> boxes) : boxes_(boxes) {
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const NodeBox& b = boxes[i];
      if (b.width == 0 || b.height == 0) continue;
      const std::uint64_t rows = (b.bottom() >> 4) - (b.top >> 4) + 1;
      const std::uint64_t cols = (b.right() >> 4) - (b.left >> 4) + 1;
      if (rows * cols > 4096 || rows > 4096 || cols > 4096) {
        large_.push_back(i);
        continue;
      }
      for (std::uint64_t r = b.top >> 4; r <= b.bottom() >> 4; ++r) {
        for (std::uint64_t c = b.left >> 4; c <= b.right() >> 4; ++c) {
          buckets_[key(r, c)].push_back(i);
        }
      }
    }
  }
  // A box holding `p`, or boxes.size().
  std::size_t at(GridPoint p) const {
    for (std::size_t i : large_) {
      if (inside(boxes_[i], p)) return i;
    }
    const auto found = buckets_.find(key(p.row >> 4, p.col >> 4));
    if (found == buckets_.end()) return boxes_.size();
    for (std::size_t i : found->second) {
      if (inside(boxes_[i], p)) return i;
    }
    return boxes_.size();
  }

 private:
  static std::uint64_t key(std::uint64_t r, std::uint64_t c) {
    return r * 0x9E3779B97F4A7C15ull ^ c;
  }
  std::span<const NodeBox> boxes_;
  std::unordered_map<std::uint64_t, std::vector<std::size_t>> buckets_;
  std::vector<std::size_t> large_;
};

struct Checker {
  const RoutePlan& plan;
  const FaultScene& scene;
  std::size_t limit;
  std::vector<RouteFault> faults;
  BoxIndex boxes;
  // Every cell of every route, in route order; `sort_uses` then groups
  // them by cell. One flat list rather than a map of lists: a drawing's
  // routes may cover tens of millions of cells, and freeing one block is
  // quick where freeing a node per cell is not, also when the check stops
  // early.
  std::vector<Use> uses;
  std::uint64_t last_cell = 0;
  // Arrowhead cells: the edge and whether it is the head end.
  std::unordered_map<std::uint64_t, std::pair<std::size_t, bool>> arrows;

  // Enough faults found, or the check must stop.
  bool full() { return faults.size() >= limit || must_stop(scene.stop); }

  void fault(Rule rule, std::size_t owner, GridPoint cell, std::string detail) {
    if (faults.size() < limit) faults.push_back({rule, owner, cell, std::move(detail)});
  }

  std::uint64_t key(GridPoint p) const { return p.row * plan.width + p.col; }
  bool on_canvas(GridPoint p) const { return p.row < plan.height && p.col < plan.width; }

  bool box_on_canvas(const NodeBox& b) const {
    return b.width > 0 && b.height > 0 && b.right() < plan.width && b.bottom() < plan.height;
  }

  // Whether the edge is drawn on this canvas at all.
  bool checked(const LayoutEdge& e) const {
    return e.tail < scene.boxes.size() && e.head < scene.boxes.size() &&
           box_on_canvas(scene.boxes[e.tail]) && box_on_canvas(scene.boxes[e.head]);
  }

  // Edges may share a cell when they leave the same tail or enter the same
  // head with the same kind of end, but parallel edges never.
  bool may_share(std::size_t a, std::size_t b) const {
    const LayoutEdge& x = scene.edges[a];
    const LayoutEdge& y = scene.edges[b];
    const bool parallel = (x.tail == y.tail && x.head == y.head) ||
                          (x.tail == y.head && x.head == y.tail);
    if (parallel) return false;
    return (x.tail == y.tail && x.arrow_at_tail == y.arrow_at_tail) ||
           (x.head == y.head && x.arrow_at_head == y.arrow_at_head);
  }

  // Room for every cell of the routes checked, found from their legs, so
  // that the list never moves as it grows (up to a generous size).
  void reserve_uses(std::size_t count) {
    std::uint64_t cells = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const std::vector<GridPoint>& pts = plan.routes[i].points;
      if (pts.empty() || !checked(scene.edges[i])) continue;
      cells = add_sat(cells, 1);
      for (std::size_t s = 0; s + 1 < pts.size(); ++s) {
        const GridPoint p = pts[s], q = pts[s + 1];
        cells = add_sat(cells, (p.row > q.row ? p.row - q.row : q.row - p.row) +
                                   (p.col > q.col ? p.col - q.col : q.col - p.col));
      }
    }
    uses.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(cells, kMostReserved)));
  }
  static constexpr std::uint64_t kMostReserved = std::uint64_t{1} << 26;

  void check_route(std::size_t i) {
    const LayoutEdge& edge = scene.edges[i];
    const EdgeRoute& route = plan.routes[i];
    if (edge.invisible) {
      if (!route.points.empty()) fault(Rule::Broken, i, route.points.front(), "an invisible edge is drawn");
      return;
    }
    if (route.points.empty()) {
      fault(Rule::Broken, i, {}, "edge not drawn");
      return;
    }
    const NodeBox& tail = scene.boxes[edge.tail];
    const NodeBox& head = scene.boxes[edge.head];
    if (route.arrow_at_end != edge.arrow_at_head || route.arrow_at_start != edge.arrow_at_tail) {
      fault(Rule::ArrowEnds, i, route.points.back(), "arrowheads differ from the edge's");
    }
    if (!inside(tail, step(route.points.front(), route.start_into))) {
      fault(Rule::Broken, i, route.points.front(), "start cell does not touch the tail box");
    }
    if (!inside(head, step(route.points.back(), route.end_into))) {
      fault(Rule::Broken, i, route.points.back(), "end cell does not touch the head box");
    }
    if (on_corner(tail, step(route.points.front(), route.start_into), route.start_into)) {
      fault(Rule::WrongSide, i, route.points.front(), "route leaves the tail box at a corner");
    }
    if (on_corner(head, step(route.points.back(), route.end_into), route.end_into)) {
      fault(Rule::WrongSide, i, route.points.back(), "route enters the head box at a corner");
    }
    if (edge.tail == edge.head) {
      if (route.points.size() < 4 || route.points.front() == route.points.back()) {
        fault(Rule::Loop, i, route.points.front(), "self-loop is not a closed loop");
      }
    }
    check_sides(i, edge, route, tail, head);
    // Every cell with the directions the route leaves it in.
    std::unordered_map<std::uint64_t, Dirs> own;
    std::vector<std::uint64_t> order;
    auto visit = [&](GridPoint p, Toward d) {
      if (!on_canvas(p)) return false;
      const std::uint64_t k = key(p);
      auto [it, fresh] = own.try_emplace(k);
      if (fresh) order.push_back(k);
      it->second.add(d);
      return true;
    };
    {
      auto [it, fresh] = own.try_emplace(key(route.points.front()));
      (void)fresh;
      order.push_back(key(route.points.front()));
      it->second.add(route.start_into);
      if (!on_canvas(route.points.front())) {
        fault(Rule::Broken, i, route.points.front(), "start cell off the canvas");
        return;
      }
    }
    for (std::size_t s = 0; s + 1 < route.points.size(); ++s) {
      GridPoint p = route.points[s];
      const GridPoint q = route.points[s + 1];
      if (p.row != q.row && p.col != q.col) {
        fault(Rule::Broken, i, p, "a leg is not straight");
        return;
      }
      if (p == q) continue;
      const Toward d = p.row == q.row ? (q.col > p.col ? Toward::Right : Toward::Left)
                                      : (q.row > p.row ? Toward::Down : Toward::Up);
      while (p != q) {
        if (full()) return;
        visit(p, d);
        p = step(p, d);
        if (!visit(p, opposite(d))) {
          fault(Rule::Broken, i, p, "route leaves the canvas");
          return;
        }
      }
    }
    own[key(route.points.back())].add(route.end_into);
    for (std::uint64_t k : order) {
      if (full()) return;
      const GridPoint p{k / plan.width, k % plan.width};
      const std::size_t b = boxes.at(p);
      if (b < scene.boxes.size()) {
        fault(Rule::ThroughBox, i, p, "route runs through the box of node " + std::to_string(b));
      }
      uses.push_back({k, static_cast<std::uint32_t>(i), own[k]});
      last_cell = std::max(last_cell, k);
    }
    if (route.arrow_at_end) arrows[key(route.points.back())] = {i, true};
    if (route.arrow_at_start) arrows[key(route.points.front())] = {i, false};
  }

  // Forward edges use the facing sides; no arrowhead comes in from the far
  // side of its box.
  void check_sides(std::size_t i, const LayoutEdge& edge, const EdgeRoute& route,
                   const NodeBox& tail, const NodeBox& head) {
    if (edge.tail == edge.head) return;
    const auto away = [](const NodeBox& from, const NodeBox& to, Toward into) {
      // `into` points from the end cell into `to`; the cell lies on the
      // side of `to` turned away from `from` when `to` lies wholly beyond
      // `from` in the opposite direction of `into`'s reverse.
      switch (into) {
        case Toward::Left: return to.left > from.right();   // cell right of `to`
        case Toward::Right: return to.right() < from.left;  // cell left of `to`
        case Toward::Up: return to.top > from.bottom();     // cell below `to`
        case Toward::Down: return to.bottom() < from.top;   // cell above `to`
      }
      return false;
    };
    if (route.arrow_at_end && away(tail, head, route.end_into)) {
      fault(Rule::WrongSide, i, route.points.back(), "arrowhead enters the head from its far side");
    }
    if (route.arrow_at_start && away(head, tail, route.start_into)) {
      fault(Rule::WrongSide, i, route.points.front(), "arrowhead enters the tail from its far side");
    }
    // The rank direction: the way a forward edge runs.
    Toward forward = Toward::Down;
    bool ahead = false;
    switch (scene.rankdir) {
      case RankDir::TopToBottom: forward = Toward::Down; ahead = head.top > tail.bottom(); break;
      case RankDir::BottomToTop: forward = Toward::Up; ahead = head.bottom() < tail.top; break;
      case RankDir::LeftToRight: forward = Toward::Right; ahead = head.left > tail.right(); break;
      case RankDir::RightToLeft: forward = Toward::Left; ahead = head.right() < tail.left; break;
    }
    if (!ahead) return;
    if (route.end_into != forward) {
      fault(Rule::WrongSide, i, route.points.back(), "forward edge does not enter the head's facing side");
    }
    if (route.start_into != opposite(forward)) {
      fault(Rule::WrongSide, i, route.points.front(), "forward edge does not leave the tail's facing side");
    }
  }

  // Each cell's uses together, in route order: a stable radix sort by
  // cell, 16 bits at a time, which also stops between blocks when the check
  // must stop.
  void sort_uses() {
    if (full()) return;
    // Pages are touched as the uses land, between the checks for a stop.
    auto sorted = std::make_unique_for_overwrite<Use[]>(uses.size());
    constexpr std::size_t kBlock = std::size_t{1} << 16;
    Use* from = uses.data();
    Use* to = sorted.get();
    const std::size_t n = uses.size();
    for (unsigned shift = 0; shift < 64 && (last_cell >> shift) != 0; shift += 16) {
      std::vector<std::size_t> start(std::size_t{1} << 16, 0);
      for (std::size_t i = 0; i < n; ++i) {
        if (i % kBlock == 0 && full()) return;
        ++start[(from[i].cell >> shift) & 0xffff];
      }
      std::size_t at = 0;
      for (std::size_t& s : start) at += std::exchange(s, at);
      for (std::size_t i = 0; i < n; ++i) {
        if (i % kBlock == 0 && full()) return;
        to[start[(from[i].cell >> shift) & 0xffff]++] = from[i];
      }
      std::swap(from, to);
    }
    for (std::size_t i = 0; from != uses.data() && i < n; i += kBlock) {
      if (full()) return;
      std::copy_n(from + i, std::min(kBlock, n - i), uses.data() + i);
    }
  }

  bool used(std::uint64_t k) const {
    const auto it = std::lower_bound(uses.begin(), uses.end(), k,
                                     [](const Use& u, std::uint64_t cell) { return u.cell < cell; });
    return it != uses.end() && it->cell == k;
  }

  void check_sharing() {
    for (std::size_t first = 0, end = 0; first < uses.size(); first = end) {
      if (full()) return;
      const std::uint64_t k = uses[first].cell;
      for (end = first + 1; end < uses.size() && uses[end].cell == k;) ++end;
      const std::span<const Use> list(uses.data() + first, end - first);
      const GridPoint p{k / plan.width, k % plan.width};
      const auto arrow = arrows.find(k);
      for (const Use& u : list) {
        if (arrow == arrows.end() || arrow->second.first == u.edge) continue;
        const LayoutEdge& owner = scene.edges[arrow->second.first];
        const LayoutEdge& other = scene.edges[u.edge];
        const bool same_end =
            arrow->second.second
                ? other.head == owner.head && other.arrow_at_head && !(other.tail == owner.tail)
                : other.tail == owner.tail && other.arrow_at_tail && !(other.head == owner.head);
        if (!same_end) {
          fault(Rule::ThroughArrowhead, u.edge, p,
                "route passes the arrowhead of edge " + std::to_string(arrow->second.first));
        }
      }
      if (list.size() < 2) continue;
      for (std::size_t a = 0; a < list.size(); ++a) {
        for (std::size_t b = a + 1; b < list.size(); ++b) {
          const Use& x = list[a];
          const Use& y = list[b];
          if (x.edge == y.edge) continue;
          if (may_share(x.edge, y.edge)) continue;
          const bool crossing = (x.dirs.straight_across() && y.dirs.straight_along()) ||
                                (x.dirs.straight_along() && y.dirs.straight_across());
          if (!crossing) {
            fault(Rule::FalseJoin, y.edge, p,
                  "shares a cell with edge " + std::to_string(x.edge));
          }
        }
        if (list.size() > 64) break;  // a hub: its first members tell
      }
    }
  }

  // Chebyshev distance from `p` to the nearest cell of a rectangle.
  static std::uint64_t distance(GridPoint p, std::uint64_t top, std::uint64_t bottom,
                                std::uint64_t left, std::uint64_t right) {
    const std::uint64_t dr = p.row < top ? top - p.row : (p.row > bottom ? p.row - bottom : 0);
    const std::uint64_t dc = p.col < left ? left - p.col : (p.col > right ? p.col - right : 0);
    return std::max(dr, dc);
  }

  void check_labels() {
    std::unordered_set<std::uint64_t> taken;
    std::vector<bool> labelled(scene.edges.size() * 4 + scene.nodes.size(), false);
    for (const PlacedLabel& label : plan.labels) {
      if (full()) return;
      const bool of_node = label.role == LabelRole::NodeExternal;
      if (of_node) {
        if (label.owner >= scene.boxes.size() || !box_on_canvas(scene.boxes[label.owner])) continue;
        labelled[scene.edges.size() * 4 + label.owner] = true;
      } else {
        if (label.owner >= scene.edges.size() || !checked(scene.edges[label.owner])) continue;
        labelled[label.owner * 4 + static_cast<std::size_t>(label.role)] = true;
      }
      bool near = false;
      const EdgeRoute* route = of_node ? nullptr : &plan.routes[label.owner];
      for (std::size_t l = 0; l < label.lines.size(); ++l) {
        const std::uint64_t row = label.top + l;
        const std::uint64_t w = text_width(label.lines[l]);
        for (std::uint64_t c = label.left; c < label.left + w; ++c) {
          const GridPoint p{row, c};
          if (!on_canvas(p)) {
            fault(Rule::Label, label.owner, p, "label runs off the canvas");
            return;
          }
          const std::uint64_t k = key(p);
          if (boxes.at(p) < scene.boxes.size()) fault(Rule::Label, label.owner, p, "label over a box");
          if (used(k)) fault(Rule::Label, label.owner, p, "label over a line");
          if (arrows.contains(k)) fault(Rule::Label, label.owner, p, "label over an arrowhead");
          if (!taken.insert(k).second) fault(Rule::Label, label.owner, p, "label over a label");
          for (const CellRect& r : scene.reserved) {
            if (row >= r.top && row <= r.bottom && c >= r.left && c <= r.right) {
              fault(Rule::Label, label.owner, p, "label over a cluster frame");
              break;
            }
          }
          if (!near) near = beside(label, p, route);
        }
      }
      if (!near && !label.lines.empty()) {
        fault(Rule::Label, label.owner, {label.top, label.left}, "label is not beside what it labels");
      }
    }
    // Every label of a drawn edge or node is shown.
    for (std::size_t i = 0; i < scene.edges.size() && !full(); ++i) {
      const LayoutEdge& e = scene.edges[i];
      if (e.invisible || !checked(e) || plan.routes[i].points.empty()) continue;
      const auto want = [&](const std::optional<std::string>& text, LabelRole role) {
        if (text && !text->empty() && !labelled[i * 4 + static_cast<std::size_t>(role)]) {
          fault(Rule::Label, i, plan.routes[i].points.front(), "label missing");
        }
      };
      want(e.label, LabelRole::Edge);
      want(e.head_label, LabelRole::HeadEnd);
      want(e.tail_label, LabelRole::TailEnd);
      want(e.xlabel, LabelRole::EdgeExternal);
    }
    for (std::size_t n = 0; n < scene.nodes.size() && n < scene.boxes.size() && !full(); ++n) {
      const auto& x = scene.nodes[n].xlabel;
      if (x && !x->empty() && !scene.nodes[n].invisible && box_on_canvas(scene.boxes[n]) &&
          !labelled[scene.edges.size() * 4 + n]) {
        fault(Rule::Label, n, {scene.boxes[n].top, scene.boxes[n].left}, "node label missing");
      }
    }
  }

  // The uses of cell `k`, empty when no route has it.
  std::span<const Use> uses_of(std::uint64_t k) const {
    const auto less = [](const Use& u, std::uint64_t cell) { return u.cell < cell; };
    const auto first = std::lower_bound(uses.begin(), uses.end(), k, less);
    auto last = first;
    while (last != uses.end() && last->cell == k) ++last;
    return {first, last};
  }

  std::string node_name(std::size_t n) const {
    return n < scene.nodes.size() ? scene.nodes[n].name.value_or(std::to_string(n))
                                  : std::to_string(n);
  }
  std::string names(const std::set<std::size_t>& nodes) const {
    std::string out;
    for (const std::size_t n : nodes) out += (out.empty() ? "" : ", ") + node_name(n);
    return "{" + out + "}";
  }
  static std::string edge_list(const std::vector<std::size_t>& edges) {
    std::string out;
    for (std::size_t i = 0; i < edges.size() && i < 8; ++i) {
      out += (i ? ", " : "") + std::to_string(edges[i]);
    }
    return out + (edges.size() > 8 ? ", ..." : "");
  }

  // How routes that meet read. Routes meet where they share a cell other
  // than by crossing straight at right angles; the routes that meet,
  // directly or through others, are one network. A reader takes the boxes
  // its lines join without an arrowhead for its tails and those its
  // arrowheads point into for its heads.
  void check_shared_lines() {
    const std::size_t count = std::min(plan.routes.size(), scene.edges.size());
    std::vector<std::size_t> parent(count);
    std::iota(parent.begin(), parent.end(), std::size_t{0});
    const auto find = [&](std::size_t x) {
      while (parent[x] != x) x = parent[x] = parent[parent[x]];
      return x;
    };
    // The first cell where each network's routes met.
    std::vector<std::pair<std::size_t, GridPoint>> meetings;
    std::vector<bool> loop_reported(count, false);
    const auto arrow_here = [&](const Use& u, std::uint64_t k) {
      const EdgeRoute& r = plan.routes[u.edge];
      return (r.arrow_at_start && key(r.points.front()) == k) ||
             (r.arrow_at_end && key(r.points.back()) == k);
    };
    for (std::size_t first = 0, end = 0; first < uses.size(); first = end) {
      if (full()) return;
      const std::uint64_t k = uses[first].cell;
      for (end = first + 1; end < uses.size() && uses[end].cell == k;) ++end;
      const std::span<const Use> list(uses.data() + first, end - first);
      if (list.size() < 2) continue;
      const GridPoint p{k / plan.width, k % plan.width};
      for (std::size_t a = 0; a < list.size() && a < 64; ++a) {
        const Use& x = list[a];
        const EdgeRoute& rx = plan.routes[x.edge];
        if (rx.arrow_at_start && key(rx.points.front()) == k) {
          for (const Use& y : list) {
            if (y.edge != x.edge && arrow_here(y, k)) {
              fault(Rule::SharedTailArrow, x.edge, p,
                    "tail arrowhead of edge " + std::to_string(x.edge) + " is also that of edge " +
                        std::to_string(y.edge));
              break;
            }
          }
        }
        for (std::size_t b = a + 1; b < list.size(); ++b) {
          const Use& y = list[b];
          if (x.edge == y.edge) continue;
          for (const Use* loop : {&x, &y}) {
            const LayoutEdge& e = scene.edges[loop->edge];
            if (e.tail == e.head && !loop_reported[loop->edge]) {
              loop_reported[loop->edge] = true;
              fault(Rule::LoopTouch, loop->edge, p,
                    "self-loop " + std::to_string(loop->edge) + " shares a cell with edge " +
                        std::to_string(loop == &x ? y.edge : x.edge));
            }
          }
          const bool crossing = (x.dirs.straight_across() && y.dirs.straight_along()) ||
                                (x.dirs.straight_along() && y.dirs.straight_across());
          if (crossing) continue;
          const std::size_t rx_root = find(x.edge), ry_root = find(y.edge);
          if (rx_root == ry_root) continue;
          parent[std::max(rx_root, ry_root)] = std::min(rx_root, ry_root);
          meetings.push_back({x.edge, p});
        }
      }
    }
    // The edges of each network that has more than one.
    std::set<std::pair<std::size_t, std::size_t>> arrowed;
    for (std::size_t i = 0; i < count; ++i) {
      const LayoutEdge& e = scene.edges[i];
      if (plan.routes[i].arrow_at_end) arrowed.insert({e.tail, e.head});
      if (plan.routes[i].arrow_at_start) arrowed.insert({e.head, e.tail});
    }
    std::map<std::size_t, std::vector<std::size_t>> networks;
    std::map<std::size_t, GridPoint> met_at;
    for (const auto& [edge, cell] : meetings) met_at.try_emplace(find(edge), cell);
    for (std::size_t i = 0; i < count; ++i) {
      if (met_at.contains(find(i))) networks[find(i)].push_back(i);
    }
    for (const auto& [root, edges] : networks) {
      if (full()) return;
      std::set<std::size_t> tails, heads;
      bool arrowless = false;
      for (const std::size_t i : edges) {
        const LayoutEdge& e = scene.edges[i];
        const EdgeRoute& r = plan.routes[i];
        (r.arrow_at_start ? heads : tails).insert(e.tail);
        (r.arrow_at_end ? heads : tails).insert(e.head);
        arrowless = arrowless || (!r.arrow_at_start && !r.arrow_at_end);
      }
      std::string lies;
      for (const std::size_t t : tails) {
        for (const std::size_t h : heads) {
          if (!arrowed.contains({t, h})) lies += (lies.empty() ? "" : ", ") + node_name(t) + " -> " + node_name(h);
        }
      }
      const GridPoint at = met_at[root];
      if (!heads.empty() && ((tails.size() > 1 && heads.size() > 1) || !lies.empty())) {
        fault(Rule::SharedNetwork, edges.front(), at,
              "edges " + edge_list(edges) + " meet, joining tails " + names(tails) + " to heads " +
                  names(heads) + (lies.empty() ? "" : "; no such edge: " + lies));
      }
      if (arrowless && !crowded_star(edges)) {
        fault(Rule::ArrowlessShare, edges.front(), at,
              "edges " + edge_list(edges) + " meet, one of them without arrowheads, joining " +
                  names(tails));
      }
    }
    check_shared_labels();
  }

  // Whether `edges` all lack arrowheads and share one box that has more
  // ends of such edges than cells between the corners of its sides.
  bool crowded_star(const std::vector<std::size_t>& edges) const {
    const LayoutEdge& first = scene.edges[edges.front()];
    for (const std::size_t centre : {first.tail, first.head}) {
      bool star = true;
      for (const std::size_t i : edges) {
        const LayoutEdge& e = scene.edges[i];
        const EdgeRoute& r = plan.routes[i];
        star = star && !r.arrow_at_start && !r.arrow_at_end && (e.tail == centre || e.head == centre);
      }
      if (!star || centre >= scene.boxes.size()) continue;
      std::size_t ends = 0;
      for (std::size_t i = 0; i < std::min(plan.routes.size(), scene.edges.size()); ++i) {
        const LayoutEdge& e = scene.edges[i];
        const EdgeRoute& r = plan.routes[i];
        if (r.points.empty() || e.invisible) continue;
        ends += (e.tail == centre && !r.arrow_at_start) + (e.head == centre && !r.arrow_at_end);
      }
      const NodeBox& b = scene.boxes[centre];
      const auto side = [](std::uint64_t n) { return n >= 3 ? n - 2 : n; };
      if (ends > 2 * side(b.width) + 2 * side(b.height)) return true;
    }
    return false;
  }

  // Each edge label, head label and tail label has a cell of its edge
  // beside it that no other route uses (within one cell of the label, two
  // for the labels at the ends).
  void check_shared_labels() {
    for (const PlacedLabel& label : plan.labels) {
      if (full()) return;
      if (label.role == LabelRole::NodeExternal || label.owner >= scene.edges.size() ||
          label.owner >= plan.routes.size() || !checked(scene.edges[label.owner]) ||
          label.lines.empty()) {
        continue;
      }
      const std::uint64_t reach =
          label.role == LabelRole::HeadEnd || label.role == LabelRole::TailEnd ? 2 : 1;
      bool near = false, own = false;
      GridPoint first;
      std::set<std::size_t> others;
      const std::uint64_t top = label.top > reach ? label.top - reach : 0;
      const std::uint64_t left = label.left > reach ? label.left - reach : 0;
      for (std::uint64_t r = top; r <= add_sat(label.bottom(), reach) && r < plan.height; ++r) {
        for (std::uint64_t c = left; c <= add_sat(label.right(), reach) && c < plan.width; ++c) {
          const std::span<const Use> here = uses_of(key({r, c}));
          if (std::none_of(here.begin(), here.end(),
                           [&](const Use& u) { return u.edge == label.owner; })) {
            continue;
          }
          if (!near) first = {r, c};
          near = true;
          own = own || here.size() == 1;
          for (const Use& u : here) {
            if (u.edge != label.owner) others.insert(u.edge);
          }
        }
      }
      if (near && !own) {
        std::string list;
        for (const std::size_t e : others) list += (list.empty() ? "" : ", ") + std::to_string(e);
        fault(Rule::SharedLabel, label.owner, first,
              "label \"" + label.text + "\" is beside cells edges " + list + " use too");
      }
    }
  }

  // Whether label cell `p` lies next to what the label belongs to.
  bool beside(const PlacedLabel& label, GridPoint p, const EdgeRoute* route) const {
    switch (label.role) {
      case LabelRole::NodeExternal: {
        const NodeBox& b = scene.boxes[label.owner];
        return distance(p, b.top, b.bottom(), b.left, b.right()) <= 2;
      }
      case LabelRole::HeadEnd: {
        const GridPoint e = route->points.back();
        return distance(p, e.row, e.row, e.col, e.col) <= 2;
      }
      case LabelRole::TailEnd: {
        const GridPoint s = route->points.front();
        return distance(p, s.row, s.row, s.col, s.col) <= 2;
      }
      case LabelRole::Edge:
      case LabelRole::EdgeExternal:
        for (std::size_t s = 0; s + 1 < route->points.size() || s == 0; ++s) {
          const GridPoint a = route->points[s];
          const GridPoint b = route->points[std::min(s + 1, route->points.size() - 1)];
          if (distance(p, std::min(a.row, b.row), std::max(a.row, b.row), std::min(a.col, b.col),
                       std::max(a.col, b.col)) <= 1) {
            return true;
          }
          if (route->points.size() == 1) break;
        }
        return false;
    }
    return false;
  }
};

}  // namespace

const char* rule_name(RouteFault::Rule rule) {
  switch (rule) {
    case Rule::ThroughBox: return "through a box";
    case Rule::ThroughArrowhead: return "through an arrowhead";
    case Rule::FalseJoin: return "false join";
    case Rule::WrongSide: return "wrong side";
    case Rule::ArrowEnds: return "arrowhead ends";
    case Rule::Loop: return "self-loop";
    case Rule::Broken: return "broken route";
    case Rule::Label: return "label";
    case Rule::SharedNetwork: return "meeting lines join several tails and heads or a false pair";
    case Rule::ArrowlessShare: return "a line without arrowheads meets another";
    case Rule::LoopTouch: return "a self-loop touches another line";
    case Rule::SharedLabel: return "a label beside shared cells only";
    case Rule::SharedTailArrow: return "a tail arrowhead shared";
  }
  return "?";
}

std::vector<RouteFault> find_route_faults(const RoutePlan& plan, const FaultScene& scene,
                                          std::size_t limit) {
  Checker checker{plan, scene, limit, {}, BoxIndex{scene.boxes}, {}, 0, {}};
  const std::size_t count = std::min(plan.routes.size(), scene.edges.size());
  if (plan.routes.size() != scene.edges.size()) {
    checker.fault(Rule::Broken, 0, {}, "the plan has no route for some edges");
  }
  checker.reserve_uses(count);
  for (std::size_t i = 0; i < count && !checker.full(); ++i) {
    if (checker.checked(scene.edges[i])) checker.check_route(i);
  }
  checker.sort_uses();
  if (!checker.full()) checker.check_sharing();
  if (!checker.full()) checker.check_labels();
  if (!checker.full() && scene.shared_lines) checker.check_shared_lines();
  return std::move(checker.faults);
}

}  // namespace vantri
