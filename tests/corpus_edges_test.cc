// Every edge of every Graphviz example graph, followed on the drawing.
//
// Each graph is drawn with the default options and with widths of 80 and
// 120 columns. The plan must be free of faults (no route through a box or
// an arrowhead, no false joins, rank direction and arrow ends honoured,
// closed self-loops, labels clear of everything and beside their owners),
// and the grid must show it: every route cell carries the route's line (a
// cluster frame may stand on a crossing), arrowheads sit exactly on the
// ends that have one and point into the box, an undirected graph shows
// none, and every label reads on the grid as planned, whole. The same
// drawing printed in ASCII, read back cell by cell, tells what the
// box-drawing text tells, and every edge and label is followed on it too.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "grid/cell_arith.h"
#include "render/render_graph.h"
#include "render_edges/plan_routes.h"
#include "render_edges/route_faults.h"
#include "support/ascii_read_back.h"
#include "support/example_graphs.h"
#include "support/line_rules.h"
#include "text/utf8.h"

namespace vantri {
namespace {

using testing::draw_example;
using testing::example_graphs;
using testing::ExampleGraph;
using testing::AsciiReadBack;
using testing::read_back_ascii;
using testing::LineAudit;

struct Tally {
  std::size_t edges = 0;
  std::size_t followable = 0;
  std::size_t labels = 0;
  std::size_t labels_garbled = 0;
  std::size_t undirected_arrowheads = 0;
  std::size_t lr_arrowheads = 0;
  std::size_t lr_wrong_way = 0;
  std::size_t facing_side_full = 0;
  std::size_t no_room_at_end = 0;
  std::size_t ascii_cells = 0;
  std::size_t ascii_faults = 0;
  std::map<std::string, std::size_t> faults;
  // What the line rules found: breaches by rule, the figures summed, and
  // the graphs that add most to each figure.
  std::array<std::size_t, 8> line_rules{};
  std::map<std::string, std::size_t> line_checks;
  std::size_t false_pairs = 0;
  std::size_t shared_arrowless_pairs = 0;
  // Those of directed graphs: merges cut off from their arrowhead, and
  // edges drawn without one.
  std::size_t shared_arrowless_pairs_directed = 0;
  std::size_t labels_on_shared = 0;
  std::size_t area = 0;
  std::size_t edges_read = 0;
  std::size_t followable_read = 0;
  std::map<std::string, std::size_t> false_pairs_by_graph;
  std::map<std::string, std::size_t> shared_pairs_by_graph;
};

// The checks of the line rules the sweep fails on; the others are counted
// and printed, and join this list once the planner keeps them at every
// width.
constexpr std::array<std::string_view, 6> kEnforcedLineChecks{
    "self-loop touched",     "junction drawn as a crossing", "line under text",
    "tail arrowhead astray", "tail arrowhead shared",        "arrowhead into no box"};

// The plan's faults of how meeting lines read: counted like the checks
// on the text, and failed once enforced.
bool is_line_rule(RouteFault::Rule rule) {
  using Rule = RouteFault::Rule;
  return rule == Rule::SharedNetwork || rule == Rule::ArrowlessShare || rule == Rule::LoopTouch ||
         rule == Rule::SharedLabel || rule == Rule::SharedTailArrow;
}

bool enforced(std::string_view check) {
  return std::find(kEnforcedLineChecks.begin(), kEnforcedLineChecks.end(), check) !=
         kEnforcedLineChecks.end();
}

// "edge 4 (a -> b) [(3, 5) (3, 9) (7, 9)]": the edge, its nodes and its
// route's corners.
std::string edge_name(const Drawing& d, std::size_t e) {
  const LayoutEdge& edge = d.layout.edges[e];
  const auto name = [&](std::size_t n) {
    return d.layout.nodes[n].name.value_or(std::to_string(n));
  };
  std::string out =
      "edge " + std::to_string(e) + " (" + name(edge.tail) + " -> " + name(edge.head) + ") [";
  for (const GridPoint& p : d.plan.routes[e].points) {
    out += "(" + std::to_string(p.row) + ", " + std::to_string(p.col) + ")";
  }
  return out + "]";
}

bool in_rects(const std::vector<CellRect>& rects, std::uint64_t row, std::uint64_t col) {
  for (const CellRect& r : rects) {
    if (row >= r.top && row <= r.bottom && col >= r.left && col <= r.right) return true;
  }
  return false;
}

// `grid` (the drawing's, or one read back from its text) shows route `e`: line cells carrying its directions, frame
// cells where it crosses a cluster frame, arrowheads on its arrow ends.
// Returns the first cell that does not, with what is wrong.
std::string grid_shows_route(const Drawing& d, std::size_t e,
                             const std::vector<CellRect>& frames, const CharGrid& grid) {
  const EdgeRoute& route = d.plan.routes[e];
  const auto expect = [&](GridPoint p, LineFlags need, bool arrow, Toward into) -> std::string {
    if (!grid.contains(p.row, p.col)) return "";
    const Cell cell = grid.at(p.row, p.col);
    const std::string at = " at (" + std::to_string(p.row) + ", " + std::to_string(p.col) + ")";
    if (arrow) {
      if (cell.kind() != CellKind::Arrow || cell.character() != arrowhead_toward(into)) {
        return "no arrowhead pointing into the box" + at;
      }
      return "";
    }
    if (cell.kind() == CellKind::Text && in_rects(frames, p.row, p.col)) return "";
    const LineFlags f = cell.flags();
    if (cell.kind() != CellKind::Line || (need.up && !f.up) || (need.down && !f.down) ||
        (need.left && !f.left) || (need.right && !f.right)) {
      return "line hidden or broken" + at;
    }
    return "";
  };
  const auto flag = [](Toward d) {
    return LineFlags{d == Toward::Up, d == Toward::Down, d == Toward::Left, d == Toward::Right};
  };
  const std::vector<GridPoint>& pts = route.points;
  for (std::size_t s = 0; s + 1 < pts.size(); ++s) {
    GridPoint p = pts[s];
    const GridPoint q = pts[s + 1];
    if (p == q) continue;
    const Toward d = p.row == q.row ? (q.col > p.col ? Toward::Right : Toward::Left)
                                    : (q.row > p.row ? Toward::Down : Toward::Up);
    while (p != q) {
      GridPoint next = p;
      if (d == Toward::Up) --next.row;
      if (d == Toward::Down) ++next.row;
      if (d == Toward::Left) --next.col;
      if (d == Toward::Right) ++next.col;
      const bool start_arrow = p == pts.front() && route.arrow_at_start;
      const bool end_arrow = next == pts.back() && route.arrow_at_end;
      if (!start_arrow && !(p == pts.back() && route.arrow_at_end)) {
        if (auto m = expect(p, flag(d), false, d); !m.empty()) return m;
      }
      if (!end_arrow && !(next == pts.front() && route.arrow_at_start)) {
        if (auto m = expect(next, flag(opposite(d)), false, d); !m.empty()) return m;
      }
      p = next;
    }
  }
  if (route.arrow_at_end) {
    if (auto m = expect(pts.back(), {}, true, route.end_into); !m.empty()) return m;
  }
  if (route.arrow_at_start) {
    if (auto m = expect(pts.front(), {}, true, route.start_into); !m.empty()) return m;
  }
  return "";
}

// The label's cells on `grid` hold its characters, and its lines hold the
// text it was given.
std::string grid_shows_label(const PlacedLabel& label, const CharGrid& grid) {
  std::string joined;
  for (std::size_t l = 0; l < label.lines.size(); ++l) {
    std::size_t i = 0;
    std::uint64_t col = label.left;
    const std::string& line = label.lines[l];
    while (i < line.size()) {
      const char32_t c = next_code_point(line, i);
      const Cell cell = grid.at(label.top + l, col);
      if (cell.kind() != CellKind::Text || cell.character() != c) {
        return "label cell (" + std::to_string(label.top + l) + ", " + std::to_string(col) +
               ") does not show its character";
      }
      ++col;
    }
    joined += line;
  }
  std::string squeezed;
  for (char c : label.text) {
    if (c != ' ') squeezed += c;
  }
  std::string shown;
  for (char c : joined) {
    if (c != ' ') shown += c;
  }
  if (shown != squeezed) return "label lines do not spell its text";
  return "";
}

// Whether no line can join the side of `box` that faces along `into`'s
// reverse (the side a forward edge should use) past the other edges'
// routes: each cell beside it, but for the cells beside its corners, is
// either taken by another route or walled in, its way out from the box
// meeting another route's bend or run, or a box, before a free cell (lines
// crossing that way out straight at right angles do not wall it in). Then
// the edge had to come in (or leave) elsewhere.
bool side_taken(const Drawing& d, std::size_t edge, const NodeBox& box, Toward into) {
  // The other routes' cells, each with the directions they leave it in.
  constexpr unsigned kVertical = 1, kHorizontal = 2;
  std::map<std::pair<std::uint64_t, std::uint64_t>, unsigned> others;
  for (std::size_t e = 0; e < d.plan.routes.size(); ++e) {
    if (e == edge) continue;
    const EdgeRoute& route = d.plan.routes[e];
    const auto& pts = route.points;
    if (pts.empty()) continue;
    const auto axis = [](Toward t) { return t == Toward::Up || t == Toward::Down ? kVertical : kHorizontal; };
    others[{pts.front().row, pts.front().col}] |= axis(route.start_into);
    others[{pts.back().row, pts.back().col}] |= axis(route.end_into);
    for (std::size_t k = 0; k + 1 < pts.size(); ++k) {
      GridPoint p = pts[k];
      const GridPoint q = pts[k + 1];
      const unsigned along = p.row != q.row ? kVertical : kHorizontal;
      while (true) {
        others[{p.row, p.col}] |= along;
        if (p == q) break;
        if (p.row != q.row) p.row += q.row > p.row ? 1 : -1;
        else p.col += q.col > p.col ? 1 : -1;
      }
    }
  }
  const bool vertical = into == Toward::Up || into == Toward::Down;
  const unsigned crossing = vertical ? kHorizontal : kVertical;
  const auto in_any_box = [&](GridPoint p) {
    for (const NodeBox& b : d.boxes) {
      if (b.width > 0 && b.height > 0 && p.row >= b.top && p.row <= b.bottom() &&
          p.col >= b.left && p.col <= b.right()) {
        return true;
      }
    }
    return false;
  };
  // Whether a line can join the box at the cell `p` beside it.
  const auto open = [&](GridPoint p) {
    if (others.contains({p.row, p.col})) return false;
    while (true) {
      switch (into) {
        case Toward::Down: if (p.row == 0) return true; --p.row; break;
        case Toward::Up: ++p.row; break;
        case Toward::Right: if (p.col == 0) return true; --p.col; break;
        case Toward::Left: ++p.col; break;
      }
      if (p.row >= d.grid.height() || p.col >= d.grid.width()) return true;
      if (in_any_box(p)) return false;
      const auto found = others.find({p.row, p.col});
      if (found == others.end()) return true;
      if (found->second != crossing) return false;
    }
  };
  // Lines join a side between its corners, unless it is too short to have
  // cells between them.
  const auto first = [](std::uint64_t lo, std::uint64_t size) { return size >= 3 ? lo + 1 : lo; };
  const auto last = [](std::uint64_t lo, std::uint64_t size) {
    return size >= 3 ? lo + size - 2 : lo + size - 1;
  };
  switch (into) {
    case Toward::Down:  // the cells above the box
    case Toward::Up: {  // the cells below it
      if (into == Toward::Down && box.top == 0) return true;
      const std::uint64_t r = into == Toward::Down ? box.top - 1 : box.bottom() + 1;
      for (std::uint64_t c = first(box.left, box.width); c <= last(box.left, box.width); ++c) {
        if (open({r, c})) return false;
      }
      return true;
    }
    case Toward::Right:
    case Toward::Left: {
      if (into == Toward::Right && box.left == 0) return true;
      const std::uint64_t c = into == Toward::Right ? box.left - 1 : box.right() + 1;
      for (std::uint64_t r = first(box.top, box.height); r <= last(box.top, box.height); ++r) {
        if (open({r, c})) return false;
      }
      return true;
    }
  }
  return false;
}

// A forward edge that uses another side because no line can join its
// facing side past the other routes, or an arrowhead that enters from the
// far side because no line can join any other side: the rule cannot be met
// there, and the edge still reads.
bool facing_side_full(const Drawing& d, const RouteFault& f) {
  if (f.rule != RouteFault::Rule::WrongSide || f.owner >= d.layout.edges.size()) return false;
  const LayoutEdge& e = d.layout.edges[f.owner];
  // The planner combed every cell the facing ports reach and found no way.
  if (d.plan.routes[f.owner].facing_walled) return true;
  Toward forward = Toward::Down;
  switch (d.layout.rankdir) {
    case RankDir::TopToBottom: forward = Toward::Down; break;
    case RankDir::BottomToTop: forward = Toward::Up; break;
    case RankDir::LeftToRight: forward = Toward::Right; break;
    case RankDir::RightToLeft: forward = Toward::Left; break;
  }
  if (f.detail == "forward edge does not enter the head's facing side") {
    return side_taken(d, f.owner, d.boxes[e.head], forward);
  }
  if (f.detail == "forward edge does not leave the tail's facing side") {
    return side_taken(d, f.owner, d.boxes[e.tail], opposite(forward));
  }
  // An arrowhead from the far side, when every other side is full, or
  // when the planner found no other way in past the routes before it.
  const bool at_head = f.detail == "arrowhead enters the head from its far side";
  if (at_head || f.detail == "arrowhead enters the tail from its far side") {
    const EdgeRoute& route = d.plan.routes[f.owner];
    if (route.cornered) return true;
    const Toward used = at_head ? route.end_into : route.start_into;
    const NodeBox& box = d.boxes[at_head ? e.head : e.tail];
    for (const Toward side : {Toward::Up, Toward::Down, Toward::Left, Toward::Right}) {
      if (side != used && !side_taken(d, f.owner, box, side)) return false;
    }
    return true;
  }
  return false;
}

std::size_t count_arrowheads(const CharGrid& grid) {
  std::size_t arrows = 0;
  for (std::uint64_t r = 0; r < grid.height(); ++r) {
    for (std::uint64_t c = 0; c < grid.width(); ++c) {
      if (grid.at(r, c).kind() == CellKind::Arrow) ++arrows;
    }
  }
  return arrows;
}

// The drawing printed in ASCII: only printable ASCII outside label text,
// each cell telling what its box-drawing glyph tells, and every edge
// followed and every label read on the grid the ASCII text gives back.
void audit_ascii(const Drawing& d, const std::string& where,
                 const std::vector<CellRect>& frames, Tally& tally) {
  const AsciiReadBack back = read_back_ascii(d.grid, 12);
  tally.ascii_cells += back.cells_compared;
  tally.ascii_faults += back.faults.size();
  for (const std::string& fault : back.faults) ADD_FAILURE() << where << "ASCII " << fault;
  std::size_t reported = 0;
  for (std::size_t e = 0; e < d.layout.edges.size(); ++e) {
    if (d.layout.edges[e].invisible || d.plan.routes[e].points.empty()) continue;
    // Routes the box-drawing grid does not show either are reported above.
    if (!grid_shows_route(d, e, frames, d.grid).empty()) continue;
    const std::string shown = grid_shows_route(d, e, frames, back.grid);
    if (!shown.empty() && reported++ < 12) {
      ++tally.ascii_faults;
      ADD_FAILURE() << where << "ASCII " << edge_name(d, e) << ": " << shown;
    }
  }
  for (const PlacedLabel& label : d.plan.labels) {
    if (!grid_shows_label(label, d.grid).empty()) continue;
    const std::string shown = grid_shows_label(label, back.grid);
    if (!shown.empty() && reported++ < 12) {
      ++tally.ascii_faults;
      ADD_FAILURE() << where << "ASCII label \"" << label.text << "\": " << shown;
    }
  }
  EXPECT_EQ(count_arrowheads(back.grid), count_arrowheads(d.grid))
      << where << "arrowheads in the ASCII text";
}

// A head or tail label that went below the drawing because every place
// within two cells of its end is taken: boxes and lines leave no block of
// its size blank there, so the rule cannot be met and the label still
// shows.
bool no_room_at_end(const Drawing& d, const RouteFault& f) {
  if (f.rule != RouteFault::Rule::Label || f.detail != "label is not beside what it labels") {
    return false;
  }
  const auto placed = std::find_if(d.plan.labels.begin(), d.plan.labels.end(), [&](const PlacedLabel& l) {
    return l.owner == f.owner && l.top == f.cell.row && l.left == f.cell.col &&
           (l.role == LabelRole::HeadEnd || l.role == LabelRole::TailEnd);
  });
  if (placed == d.plan.labels.end() || f.owner >= d.plan.routes.size()) return false;
  const EdgeRoute& route = d.plan.routes[f.owner];
  if (route.points.empty()) return false;
  const GridPoint end = placed->role == LabelRole::HeadEnd ? route.points.back() : route.points.front();
  const std::uint64_t rows = placed->bottom() - placed->top + 1, cols = placed->width;
  const auto blank = [&](std::uint64_t top, std::uint64_t left) {
    for (std::uint64_t r = top; r < top + rows; ++r) {
      for (std::uint64_t c = left; c < left + cols; ++c) {
        if (!d.grid.contains(r, c) || d.grid.at(r, c).kind() != CellKind::Empty) return false;
      }
    }
    return true;
  };
  // Every block whose nearest cell lies within two cells of the end.
  for (std::uint64_t top = end.row >= rows + 1 ? end.row - rows - 1 : 0; top <= end.row + 2; ++top) {
    for (std::uint64_t left = end.col >= cols + 1 ? end.col - cols - 1 : 0; left <= end.col + 2;
         ++left) {
      const std::uint64_t dr = top > end.row ? top - end.row : end.row > top + rows - 1 ? end.row - (top + rows - 1) : 0;
      const std::uint64_t dc = left > end.col ? left - end.col : end.col > left + cols - 1 ? end.col - (left + cols - 1) : 0;
      if (std::max(dr, dc) <= 2 && blank(top, left)) return false;
    }
  }
  return true;
}

void audit(const ExampleGraph& graph, const RenderOptions& options, const std::string& tag,
           Tally& tally) {
  auto drawing = draw_example(graph, options);
  ASSERT_TRUE(drawing.has_value()) << graph.name << ": " << display(drawing.error());
  const Drawing& d = *drawing;
  const std::string where = graph.name + tag + ": ";
  if (options.max_width) {
    EXPECT_LE(d.grid.width(), *options.max_width) << where;
  }
  const auto frames = cluster_frame_cells(d.layout.clusters, d.transform);
  const FaultScene scene{d.layout.edges, d.layout.nodes, d.boxes, d.layout.rankdir, frames,
                         nullptr, true};
  const auto faults = find_route_faults(d.plan, scene, ~std::size_t{0});
  std::vector<bool> faulty(d.layout.edges.size(), false);
  std::vector<bool> label_faulty(d.layout.edges.size() + d.layout.nodes.size(), false);
  std::vector<bool> wrong_way(d.layout.edges.size(), false);
  std::size_t reported = 0;
  for (const RouteFault& f : faults) {
    if (facing_side_full(d, f)) {
      ++tally.facing_side_full;
      continue;
    }
    if (no_room_at_end(d, f)) {
      ++tally.no_room_at_end;
      continue;
    }
    ++tally.faults[rule_name(f.rule)];
    if (is_line_rule(f.rule) && !enforced(rule_name(f.rule))) continue;
    const bool of_node = f.rule == RouteFault::Rule::Label && f.detail == "node label missing";
    // What stops a reader from following the edge from box to box.
    const bool unfollowable = f.rule == RouteFault::Rule::ThroughBox ||
                              f.rule == RouteFault::Rule::ThroughArrowhead ||
                              f.rule == RouteFault::Rule::FalseJoin ||
                              f.rule == RouteFault::Rule::Loop ||
                              f.rule == RouteFault::Rule::Broken;
    if (unfollowable && f.owner < faulty.size()) faulty[f.owner] = true;
    if (f.rule == RouteFault::Rule::Label) {
      const std::size_t at = of_node ? d.layout.edges.size() + f.owner : f.owner;
      if (at < label_faulty.size() && !label_faulty[at]) ++tally.labels_garbled;
      if (at < label_faulty.size()) label_faulty[at] = true;
    }
    if (f.rule == RouteFault::Rule::WrongSide && f.detail.find("far side") != std::string::npos &&
        f.owner < wrong_way.size()) {
      wrong_way[f.owner] = true;
    }
    if (reported++ < 12) {
      ADD_FAILURE() << where << (of_node ? "node " + std::to_string(f.owner) : edge_name(d, f.owner))
                    << ": " << rule_name(f.rule) << ": " << f.detail << " at (" << f.cell.row
                    << ", " << f.cell.col << ")";
    }
  }
  for (std::size_t e = 0; e < d.layout.edges.size(); ++e) {
    const LayoutEdge& edge = d.layout.edges[e];
    if (edge.invisible || d.plan.routes[e].points.empty()) continue;
    const auto on_canvas = [&](std::size_t n) {
      const NodeBox& b = d.boxes[n];
      return b.right() < d.grid.width() && b.bottom() < d.grid.height();
    };
    if (!on_canvas(edge.tail) || !on_canvas(edge.head)) continue;
    ++tally.edges;
    const std::string shown = grid_shows_route(d, e, frames, d.grid);
    if (!shown.empty()) {
      faulty[e] = true;
      if (reported++ < 12) ADD_FAILURE() << where << edge_name(d, e) << ": " << shown;
    }
    if (!faulty[e]) ++tally.followable;
  }
  for (const PlacedLabel& label : d.plan.labels) {
    ++tally.labels;
    const std::string shown = grid_shows_label(label, d.grid);
    const std::size_t at = label.role == LabelRole::NodeExternal
                               ? d.layout.edges.size() + label.owner
                               : label.owner;
    if (!shown.empty()) {
      if (at < label_faulty.size() && !label_faulty[at]) ++tally.labels_garbled;
      if (at < label_faulty.size()) label_faulty[at] = true;
      if (reported++ < 12) ADD_FAILURE() << where << "label \"" << label.text << "\": " << shown;
    }
  }
  // Arrowheads on the grid: none in an undirected graph; in a graph laid
  // out sideways, count the ones entering from the far side.
  const std::size_t arrows = count_arrowheads(d.grid);
  if (!d.layout.directed) {
    tally.undirected_arrowheads += arrows;
    EXPECT_EQ(arrows, 0u) << where << "arrowheads in an undirected graph";
  }
  if (d.layout.rankdir == RankDir::LeftToRight || d.layout.rankdir == RankDir::RightToLeft) {
    tally.lr_arrowheads += arrows;
    for (bool w : wrong_way) tally.lr_wrong_way += w;
  }
  audit_ascii(d, where, frames, tally);
  // The text as a reader reads it: line networks, crossings, hidden lines,
  // labels and arrowheads.
  const LineAudit lines = testing::audit_lines(d, d.grid.to_text());
  for (std::size_t r = 1; r < lines.by_rule.size(); ++r) tally.line_rules[r] += lines.by_rule[r];
  for (const auto& [check, n] : lines.by_check) tally.line_checks[check] += n;
  tally.false_pairs += lines.false_pairs;
  (d.layout.directed ? tally.shared_arrowless_pairs_directed : tally.shared_arrowless_pairs) +=
      lines.shared_arrowless_pairs;
  tally.labels_on_shared += lines.labels_on_shared;
  tally.area += lines.area;
  tally.edges_read += lines.edges;
  tally.followable_read += lines.followable;
  if (lines.false_pairs) tally.false_pairs_by_graph[graph.name] = lines.false_pairs;
  if (lines.shared_arrowless_pairs) {
    tally.shared_pairs_by_graph[graph.name] = lines.shared_arrowless_pairs;
  }
  for (const testing::LineBreach& b : lines.breaches) {
    if (enforced(b.check) && reported++ < 12) {
      ADD_FAILURE() << where << "line rule " << b.rule << ": " << b.message;
    }
  }
}

// "jsort.gv 82, world.gv 45": the graphs that count most.
std::string most(const std::map<std::string, std::size_t>& by_graph) {
  std::vector<std::pair<std::size_t, std::string>> sorted;
  for (const auto& [name, n] : by_graph) sorted.push_back({n, name});
  std::sort(sorted.rbegin(), sorted.rend());
  std::string out;
  for (std::size_t i = 0; i < sorted.size() && i < 5; ++i) {
    out += (i ? ", " : "") + sorted[i].second + " " + std::to_string(sorted[i].first);
  }
  return out;
}

void print(const char* title, const Tally& t) {
  std::printf("%s: edges %zu, followable %zu; labels placed %zu, owners with a garbled, misplaced or missing label %zu; "
              "arrowheads in undirected graphs %zu; in sideways graphs %zu, from the far "
              "side %zu\n",
              title, t.edges, t.followable, t.labels, t.labels_garbled,
              t.undirected_arrowheads, t.lr_arrowheads, t.lr_wrong_way);
  std::printf("  ASCII text: %zu cells compared, %zu faults\n", t.ascii_cells, t.ascii_faults);
  std::printf("  edges kept off a rule by a full side or no other way in: %zu\n", t.facing_side_full);
  std::printf("  end labels with no room by their end, shown below: %zu\n", t.no_room_at_end);
  for (const auto& [rule, n] : t.faults) std::printf("  %s: %zu\n", rule.c_str(), n);
  std::printf("  pairs joined falsely %zu (%s); pairs sharing arrowless lines %zu in undirected "
              "graphs, %zu in directed ones (%s); labels beside shared stretches %zu; drawing "
              "area %zu cells\n",
              t.false_pairs, most(t.false_pairs_by_graph).c_str(), t.shared_arrowless_pairs,
              t.shared_arrowless_pairs_directed, most(t.shared_pairs_by_graph).c_str(),
              t.labels_on_shared, t.area);
  std::printf("  read from the text, a crossing as a crossing: edges followable %zu of %zu\n",
              t.followable_read, t.edges_read);
  std::printf("  line rule breaches:");
  for (int r = 1; r <= 7; ++r) std::printf(" %d: %zu", r, t.line_rules[r]);
  std::printf("\n");
  for (const std::string_view check : testing::kLineChecks) {
    const auto n = t.line_checks.find(std::string(check));
    std::printf("    %s: %zu%s\n", std::string(check).c_str(),
                n == t.line_checks.end() ? 0 : n->second, enforced(check) ? " (enforced)" : "");
  }
}

TEST(ExampleGraphEdges, EveryEdgeCanBeFollowedAndEveryLabelRead) {
  ASSERT_GE(example_graphs().size(), 50u)
      << "example graphs not found under " << testing::kExampleGraphDir
      << " (install graphviz-doc)";
  // Fill colours as box styles too, so that every frame style is printed
  // and read back in ASCII.
  struct OptionSet {
    const char* title;
    std::optional<std::uint64_t> width;
    ColorMode color;
  };
  const OptionSet option_sets[] = {{"default", std::nullopt, ColorMode::Ansi},
                                   {"width 80", 80, ColorMode::Ansi},
                                   {"width 120", 120, ColorMode::Ansi},
                                   {"box styles", std::nullopt, ColorMode::BoxStyles}};
  for (const auto& [title, width, color] : option_sets) {
    Tally tally;
    RenderOptions options;
    options.max_width = width;
    options.color = color;
    std::string tag = width ? " at width " + std::to_string(*width) : "";
    if (color == ColorMode::BoxStyles) tag += " in box styles";
    for (const ExampleGraph& graph : example_graphs()) audit(graph, options, tag, tally);
    print(title, tally);
  }
}

// Every frame style, line style, arrowhead and point, printed in ASCII and
// read back: the example graphs fill few boxes. Labels keep their own
// characters, box-drawing ones and ASCII ones that are also glyphs
// included, and every other character printed is printable ASCII.
TEST(ExampleGraphEdges, EveryStyleReadsTheSameInAscii) {
  const std::string source = R"(
    node [style=filled];
    red [fillcolor=red]; yellow [fillcolor=yellow]; green [fillcolor=green];
    blue [fillcolor=blue]; purple [fillcolor=purple]; grey [fillcolor=lightgrey];
    black [fillcolor=black]; plain [label="Grüße ─│┼ +-| v<>", fillcolor=white];
    rec [shape=Mrecord, label="{a|b}|c"];
    dc [shape=doublecircle]; dcb [shape=doublecircle, fillcolor=blue]; p [shape=point];
    subgraph cluster_c { label="c:+.漢"; plain; rec; }
    red -> yellow [style=dashed]; yellow -> green [style=dotted];
    green -> blue [style=bold]; blue -> purple [label="a+b|c"]; purple -> grey [dir=back];
    grey -> black [dir=both]; black -> plain; plain -> rec; rec -> dc;
    dc -> dcb [style=bold]; dcb -> p; red -> p [style=dotted]; yellow -> black [style=dashed];
    green -> rec; blue -> dc [label="Grüß ─"]; rec -> red;
  })";
  std::string printed;
  for (const auto& [rankdir, color] : {std::pair{"TB", ColorMode::BoxStyles},
                                       std::pair{"LR", ColorMode::BoxStyles},
                                       std::pair{"TB", ColorMode::Ansi}}) {
    const ExampleGraph graph{std::string("every style ") + rankdir,
                             std::string("digraph { rankdir=") + rankdir + ";" + source};
    RenderOptions options;
    options.color = color;
    auto drawing = draw_example(graph, options);
    ASSERT_TRUE(drawing.has_value()) << display(drawing.error());
    const AsciiReadBack back = read_back_ascii(drawing->grid, 20);
    for (const std::string& fault : back.faults) ADD_FAILURE() << "ASCII " << fault;
    const std::vector<CellRect> frames =
        cluster_frame_cells(drawing->layout.clusters, drawing->transform);
    for (std::size_t e = 0; e < drawing->layout.edges.size(); ++e) {
      EXPECT_EQ(grid_shows_route(*drawing, e, frames, back.grid), "") << edge_name(*drawing, e);
    }
    for (const PlacedLabel& label : drawing->plan.labels) {
      EXPECT_EQ(grid_shows_label(label, back.grid), "") << label.text;
    }
    const std::string ascii = drawing->grid.to_text(nullptr, GlyphSet::Ascii);
    EXPECT_NE(ascii.find("Grüße ─│┼ +-| v<>"), std::string::npos) << ascii;
    EXPECT_NE(ascii.find("c:+.漢"), std::string::npos) << ascii;
    printed += ascii;
  }
  // Every glyph of the table shows up, so each was read back above.
  for (const char glyph : std::string_view("-|+.:~!,;=H_[\"]#/\\'*^v<>")) {
    EXPECT_NE(printed.find(glyph), std::string::npos) << "no '" << glyph << "' in\n" << printed;
  }
}

// Simple top-to-bottom graphs keep the shapes that read best: centred
// straight lines, one jog half way between the ranks, fan-ins merging just
// above their head. The expected texts in data/original_drawings were
// checked by eye; a change to the planner that moves a line in them must
// be looked at again.
TEST(ExampleGraphEdges, TruthfulTopDownDrawingsStayAsTheyWere) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(VANTRI_TEST_DATA_DIR) / "original_drawings";
  std::map<std::string, std::string> expected;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();  // directed__alf.gv.txt
    name = name.substr(0, name.size() - 4);
    name.replace(name.find("__"), 2, "/");
    std::ifstream in(entry.path(), std::ios::binary);
    expected[name] = {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  ASSERT_GE(expected.size(), 10u) << dir;
  std::size_t compared = 0;
  for (const ExampleGraph& graph : example_graphs()) {
    const auto found = expected.find(graph.name);
    if (found == expected.end()) continue;
    auto drawing = draw_example(graph, RenderOptions{});
    ASSERT_TRUE(drawing.has_value()) << graph.name;
    EXPECT_EQ(drawing->grid.to_text(), found->second) << graph.name;
    ++compared;
  }
  EXPECT_EQ(compared, expected.size());
}


// Dense graphs of the kinds that crowd a drawing: random graphs with one
// to four edges per node (labelled, left to right, undirected), complete
// bipartite layers, one rank full of edges, records and HTML-like tables
// with port edges, wide fan-outs, many self-loops and parallel edges. Every
// visible edge must be drawn: a route that joins its tail's box and its
// head's box, shown on the grid, following no other edge and through no
// box, with its label shown beside it.
struct DenseGraph {
  std::string name;
  std::string source;
};

std::vector<DenseGraph> dense_graphs() {
  std::uint64_t state = 0x2545f4914f6cdd1dULL;
  const auto next = [&](std::uint64_t n) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return (state >> 33) % n;
  };
  const auto random_graph = [&](std::size_t nodes, std::size_t per_node, bool lr, bool labels,
                                bool undirected) {
    std::string dot = undirected ? "graph g {\n" : "digraph g {\n";
    if (lr) dot += "rankdir=LR;\n";
    for (std::size_t i = 0; i < nodes * per_node; ++i) {
      dot += "n" + std::to_string(next(nodes)) + (undirected ? " -- n" : " -> n") +
             std::to_string(next(nodes));
      dot += labels ? " [label=\"e" + std::to_string(i) + "\"];\n" : ";\n";
    }
    return dot + "}\n";
  };
  const auto bipartite = [](std::size_t size, std::size_t layers) {
    std::string dot = "digraph g {\n";
    for (std::size_t l = 0; l + 1 < layers; ++l) {
      for (std::size_t a = 0; a < size; ++a) {
        for (std::size_t b = 0; b < size; ++b) {
          dot += "l" + std::to_string(l) + "_" + std::to_string(a) + " -> l" +
                 std::to_string(l + 1) + "_" + std::to_string(b) + ";\n";
        }
      }
    }
    return dot + "}\n";
  };
  std::vector<DenseGraph> out;
  out.push_back({"random 60x2 labelled", random_graph(60, 2, false, true, false)});
  out.push_back({"random 60x2 labelled LR", random_graph(60, 2, true, true, false)});
  out.push_back({"random 40x4", random_graph(40, 4, false, false, false)});
  out.push_back({"random 40x4 LR", random_graph(40, 4, true, false, false)});
  out.push_back({"undirected 60x2", random_graph(60, 2, false, false, true)});
  // Enough lines without arrowheads left to the searches to be planned as
  // a dense graph.
  out.push_back({"undirected 80x2", random_graph(80, 2, false, false, true)});
  // Large enough to be planned gap by gap: edges from lower numbers to
  // higher, which `dot` lays out quickly.
  const auto random_dag = [&](std::size_t nodes, std::size_t per_node, bool lr) {
    std::string dot = lr ? "digraph g {\nrankdir=LR;\n" : "digraph g {\n";
    for (std::size_t i = 0; i < nodes * per_node; ++i) {
      const std::uint64_t a = next(nodes), b = next(nodes);
      if (a == b) continue;
      dot += "n" + std::to_string(std::min(a, b)) + " -> n" + std::to_string(std::max(a, b)) + ";\n";
    }
    return dot + "}\n";
  };
  out.push_back({"random DAG 200x4", random_dag(200, 4, false)});
  out.push_back({"random DAG 200x2 LR", random_dag(200, 2, true)});
  // A chain with edges that skip several ranks, which run through the
  // gaps `dot` left for them.
  for (const bool lr : {false, true}) {
    std::string dot = lr ? "digraph g {\nrankdir=LR;\n" : "digraph g {\n";
    for (std::size_t i = 0; i < 40; ++i) {
      dot += "n" + std::to_string(i) + " -> n" + std::to_string(i + 1) + ";\n";
      dot += "n" + std::to_string(i) + " -> n" + std::to_string(i + 3 + next(5)) + ";\n";
    }
    out.push_back({lr ? "long edges across ranks LR" : "long edges across ranks", dot + "}\n"});
  }
  out.push_back({"K8,8", bipartite(8, 2)});
  out.push_back({"K20,20", bipartite(20, 2)});
  out.push_back({"K5,5 chain", bipartite(5, 3)});
  // One rank, its edges planned a rank at a time at 100 boxes, top down
  // and left to right.
  for (const int nodes : {30, 100, -100}) {
    const bool lr = nodes < 0;
    const int n = lr ? -nodes : nodes;
    std::string dot = lr ? "digraph g {\nrankdir=LR;\n{rank=same;" : "digraph g {\n{rank=same;";
    for (int i = 0; i < n; ++i) dot += " n" + std::to_string(i) + ";";
    dot += "}\n";
    for (int i = 0; i < 2 * n; ++i) {
      dot += "n" + std::to_string(next(n)) + " -> n" + std::to_string(next(n)) + ";\n";
    }
    out.push_back({"one rank of " + std::to_string(n) + (lr ? " LR" : ""), dot + "}\n"});
  }
  // Records whose port edges run across many ranks: at 40, too many such
  // searches for the careful planner, which plans them as a dense graph.
  for (const int nodes : {15, 40}) {
    std::string dot = "digraph g {\nnode [shape=record];\n";
    for (int i = 0; i < nodes; ++i) {
      dot += "r" + std::to_string(i) + " [label=\"<a> a" + std::to_string(i) +
             "|<b> b|{<c> c|<d> d}|<e> e\"];\n";
    }
    for (int i = 0; i < 3 * nodes; ++i) {
      dot += "r" + std::to_string(next(nodes)) + ":" + std::string(1, "abcde"[next(5)]) + " -> r" +
             std::to_string(next(nodes)) + ":" + std::string(1, "abcde"[next(5)]) + ";\n";
    }
    out.push_back({"records with ports, " + std::to_string(nodes), dot + "}\n"});
  }
  {
    std::string dot = "digraph g {\nnode [shape=plaintext];\n";
    for (int i = 0; i < 15; ++i) {
      dot += "t" + std::to_string(i) + " [label=<<table><tr><td port=\"p\">T" +
             std::to_string(i) + "</td><td>x</td></tr><tr><td colspan=\"2\">row</td></tr></table>>];\n";
    }
    for (int i = 0; i < 30; ++i) {
      dot += "t" + std::to_string(next(15)) + ":p -> t" + std::to_string(next(15)) + ";\n";
    }
    out.push_back({"HTML-like tables", dot + "}\n"});
  }
  const auto fan_out = [](int children, const char* extra) {
    std::string dot = std::string("digraph g {\n") + extra;
    for (int i = 0; i < children; ++i) dot += "root -> c" + std::to_string(i) + ";\n";
    return dot + "}\n";
  };
  out.push_back({"fan-out of 300", fan_out(300, "")});
  out.push_back({"fan-out of 100, nodesep=30", fan_out(100, "nodesep=30;\n")});
  const auto loops = [](int loops, int parallel) {
    std::string dot = "digraph g {\n";
    for (int i = 0; i < loops; ++i) dot += "a -> a [label=\"l" + std::to_string(i) + "\"];\n";
    for (int i = 0; i < parallel; ++i) dot += "a -> b [label=\"p" + std::to_string(i) + "\"];\n";
    return dot + "}\n";
  };
  out.push_back({"two labelled loops", "digraph { idle -> idle [label=\"tick\"]; idle -> idle [label=\"noop\"] }"});
  out.push_back({"three loops", "digraph { a -> a; a -> a; a -> a; a -> b }"});
  {
    std::string dot = "digraph {\n";
    for (int i = 0; i < 8; ++i) dot += "a -> b;\n";
    for (int i = 0; i < 4; ++i) dot += "a -> b [label=\"p" + std::to_string(i) + "\"];\n";
    out.push_back({"8 + 4 labelled parallel edges", dot + "}\n"});
  }
  out.push_back({"12 loops and 12 parallel edges", loops(12, 12)});
  out.push_back({"50 loops", loops(50, 0)});
  out.push_back({"50 parallel edges", loops(0, 50)});
  return out;
}

TEST(DenseGraphs, EveryEdgeIsDrawnAndEveryLabelShown) {
  for (const DenseGraph& graph : dense_graphs()) {
    auto drawing = draw_example({graph.name, graph.source}, RenderOptions{});
    ASSERT_TRUE(drawing.has_value()) << graph.name << ": " << display(drawing.error());
    const Drawing& d = *drawing;
    const std::string where = graph.name + ": ";
    EXPECT_FALSE(d.cut.has_value()) << where << d.cut->message("max_width");
    const auto frames = cluster_frame_cells(d.layout.clusters, d.transform);
    std::size_t reported = 0;
    const auto fail = [&](const std::string& what) {
      if (reported++ < 8) ADD_FAILURE() << where << what;
    };
    for (std::size_t e = 0; e < d.layout.edges.size(); ++e) {
      const LayoutEdge& edge = d.layout.edges[e];
      if (edge.invisible) continue;
      const EdgeRoute& route = d.plan.routes[e];
      if (route.points.empty()) {
        fail(edge_name(d, e) + ": not drawn");
        continue;
      }
      // The route joins its boxes: the cell past each end lies in the box.
      const auto joins = [&](GridPoint end, Toward into, const NodeBox& box) {
        GridPoint p = end;
        switch (into) {
          case Toward::Up: p.row -= 1; break;
          case Toward::Down: p.row += 1; break;
          case Toward::Left: p.col -= 1; break;
          case Toward::Right: p.col += 1; break;
        }
        return p.row >= box.top && p.row <= box.bottom() && p.col >= box.left &&
               p.col <= box.right();
      };
      if (!joins(route.points.front(), route.start_into, d.boxes[edge.tail])) {
        fail(edge_name(d, e) + ": does not leave its tail's box at (" +
             std::to_string(route.points.front().row) + ", " +
             std::to_string(route.points.front().col) + ")");
      }
      if (!joins(route.points.back(), route.end_into, d.boxes[edge.head])) {
        fail(edge_name(d, e) + ": does not enter its head's box at (" +
             std::to_string(route.points.back().row) + ", " +
             std::to_string(route.points.back().col) + ")");
      }
      const std::string shown = grid_shows_route(d, e, frames, d.grid);
      if (!shown.empty()) fail(edge_name(d, e) + ": " + shown);
      if (edge.label && !edge.label->empty()) {
        const auto label = std::find_if(d.plan.labels.begin(), d.plan.labels.end(),
                                        [&](const PlacedLabel& l) {
                                          return l.role == LabelRole::Edge && l.owner == e;
                                        });
        if (label == d.plan.labels.end()) {
          fail(edge_name(d, e) + ": label \"" + *edge.label + "\" not placed");
        } else if (const std::string text = grid_shows_label(*label, d.grid); !text.empty()) {
          fail(edge_name(d, e) + ": label \"" + label->text + "\": " + text);
        }
      }
    }
    // No route runs through a box or an arrowhead, or along another edge's
    // line, and every label sits clear of everything, beside its edge.
    // (Where lines crowd each other, a label may have to go further away,
    // on rows of its own under the drawing: shown, but not beside its edge.)
    const FaultScene scene{d.layout.edges, d.layout.nodes, d.boxes, d.layout.rankdir, frames};
    for (const RouteFault& f : find_route_faults(d.plan, scene, 64)) {
      if (f.rule == RouteFault::Rule::WrongSide) continue;  // a full side, see above
      if (f.detail == "label is not beside what it labels") continue;
      fail((f.owner < d.layout.edges.size() ? edge_name(d, f.owner) : "node") + ": " +
           rule_name(f.rule) + ": " + f.detail + " at (" + std::to_string(f.cell.row) + ", " +
           std::to_string(f.cell.col) + ")");
    }
  }
}

}  // namespace
}  // namespace vantri
