// Checking a finished drawing's line networks, crossings, labels and
// arrowheads against the graph it draws.
#include "support/line_rules.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

#include "grid/cell_arith.h"

namespace vantri::testing {
namespace {

using What = ReadCell::What;

void add_arm(Arms& a, Toward d) {
  switch (d) {
    case Toward::Up: a.up = true; break;
    case Toward::Down: a.down = true; break;
    case Toward::Left: a.left = true; break;
    case Toward::Right: a.right = true; break;
  }
}

bool mixes_axes(const Arms& a) { return (a.up || a.down) && (a.left || a.right); }

std::uint64_t below(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : 0; }

std::uint64_t key(GridPoint p) { return p.row << 32 | p.col; }
GridPoint point(std::uint64_t k) { return {k >> 32, k & 0xFFFFFFFFu}; }

std::string at(GridPoint p) {
  return "(" + std::to_string(p.row) + ", " + std::to_string(p.col) + ")";
}

// One edge's use of one cell: the arms its route shows there (an end cell
// also has the arm into its box) and whether an arrowhead sits there.
struct Use {
  std::size_t edge;
  Arms arms;
  bool arrow;
};

class Auditor {
 public:
  Auditor(const Drawing& d, std::string_view text, const GlyphTable& glyphs)
      : d_(d), read_(d, text, glyphs) {}

  LineAudit run() {
    gather_routes();
    check_networks();
    check_loops();
    check_crossings();
    check_hidden_lines();
    check_labels();
    check_tail_arrowheads();
    count_followable();
    out_.area = read_.screen().rows() * read_.screen().columns();
    return std::move(out_);
  }

 private:
  std::string node(std::size_t n) const {
    return n < d_.layout.nodes.size() ? d_.layout.nodes[n].name.value_or(std::to_string(n))
                                      : std::to_string(n);
  }
  std::string nodes(const std::set<std::size_t>& ns) const {
    std::string out = "{";
    for (const std::size_t n : ns) out += (out.size() > 1 ? ", " : "") + node(n);
    return out + "}";
  }
  void breach(int rule, const char* check, GridPoint cell, std::string message) {
    ++out_.by_rule[rule];
    ++out_.by_check[check];
    out_.breaches.push_back({rule, check, cell, std::move(message)});
  }

  bool on_canvas(std::size_t n) const {
    if (n >= d_.boxes.size()) return false;
    const NodeBox& b = d_.boxes[n];
    return b.width > 0 && b.height > 0 && b.right() < d_.grid.width() &&
           b.bottom() < d_.grid.height() &&
           !std::binary_search(d_.left_out.begin(), d_.left_out.end(), n);
  }
  // Edges drawn between two boxes on the canvas.
  bool drawn(std::size_t e) const {
    const LayoutEdge& edge = d_.layout.edges[e];
    return !edge.invisible && e < d_.plan.routes.size() && !d_.plan.routes[e].points.empty() &&
           on_canvas(edge.tail) && on_canvas(edge.head);
  }

  // Every drawn route's cells, and what the graph's edges say about pairs
  // of boxes.
  void gather_routes() {
    for (std::size_t e = 0; e < d_.layout.edges.size(); ++e) {
      if (!drawn(e)) continue;
      const LayoutEdge& edge = d_.layout.edges[e];
      const EdgeRoute& route = d_.plan.routes[e];
      if (route.arrow_at_end) arrowed_.insert({edge.tail, edge.head});
      if (route.arrow_at_start) arrowed_.insert({edge.head, edge.tail});
      linked_.insert(std::minmax(edge.tail, edge.head));
      std::map<std::uint64_t, Use> mine;
      const auto use = [&](GridPoint p, Toward d) {
        Use& u = mine.try_emplace(key(p), Use{e, {}, false}).first->second;
        add_arm(u.arms, d);
      };
      const std::vector<GridPoint>& pts = route.points;
      use(pts.front(), route.start_into);
      use(pts.back(), route.end_into);
      for (std::size_t s = 0; s + 1 < pts.size(); ++s) {
        GridPoint p = pts[s];
        const GridPoint q = pts[s + 1];
        if (p.row != q.row && p.col != q.col) break;  // not a straight leg
        while (p != q) {
          const Toward d = p.row == q.row ? (q.col > p.col ? Toward::Right : Toward::Left)
                                          : (q.row > p.row ? Toward::Down : Toward::Up);
          use(p, d);
          p = step(p, d);
          use(p, opposite(d));
        }
      }
      if (route.arrow_at_start) mine[key(pts.front())].arrow = true;
      if (route.arrow_at_end) mine[key(pts.back())].arrow = true;
      for (const auto& [k, u] : mine) uses_[k].push_back(u);
      if (edge.tail == edge.head) loops_.emplace_back(e, std::move(mine));
    }
  }

  const std::vector<Use>* uses_at(GridPoint p) const {
    const auto found = uses_.find(key(p));
    return found == uses_.end() ? nullptr : &found->second;
  }

  // Rules 1 and 2: each network a fan-out from one tail or a merge into one
  // head, every (tail, head) pair a real edge; networks without arrowheads
  // join two boxes of one edge, or are a star round a crowded box.
  void check_networks() {
    std::set<std::pair<std::size_t, std::size_t>> false_pairs;
    std::set<std::pair<std::size_t, std::size_t>> shared_pairs;
    for (const Network& net : read_.networks()) {
      std::string lies;
      for (const std::size_t t : net.tails) {
        for (const std::size_t h : net.heads) {
          if (arrowed_.contains({t, h})) continue;
          false_pairs.insert({t, h});
          lies += (lies.empty() ? "" : ", ") + node(t) + " -> " + node(h);
        }
      }
      if (!net.heads.empty()) {
        if ((net.tails.size() > 1 && net.heads.size() > 1) || !lies.empty()) {
          breach(1, "network lies", net.first,
                 "network at " + at(net.first) + " joins tails " + nodes(net.tails) +
                     " to heads " + nodes(net.heads) +
                     (lies.empty() ? "" : "; no such edge: " + lies));
        }
        continue;
      }
      if (net.tails.size() < 2) continue;
      std::string unlinked;
      for (auto a = net.tails.begin(); a != net.tails.end(); ++a) {
        for (auto b = std::next(a); b != net.tails.end(); ++b) {
          if (linked_.contains({*a, *b})) continue;
          shared_pairs.insert({*a, *b});
          unlinked += (unlinked.empty() ? "" : ", ") + node(*a) + " - " + node(*b);
        }
      }
      if ((net.tails.size() > 2 || !unlinked.empty()) && !crowded_star(net.tails)) {
        breach(2, "arrowless lines shared", net.first,
               "network without arrowheads at " + at(net.first) + " joins " + nodes(net.tails) +
                   (unlinked.empty() ? "" : "; no edge between " + unlinked));
      }
    }
    out_.false_pairs = false_pairs.size();
    out_.shared_arrowless_pairs = shared_pairs.size();
  }

  // Whether one of `boxes` has an edge to each of the others and more ends
  // without arrowheads than cells between the corners of its sides.
  bool crowded_star(const std::set<std::size_t>& boxes) const {
    for (const std::size_t c : boxes) {
      bool star = true;
      for (const std::size_t o : boxes) {
        if (o != c && !linked_.contains(std::minmax(c, o))) star = false;
      }
      if (!star) continue;
      std::size_t ends = 0;
      for (std::size_t e = 0; e < d_.layout.edges.size(); ++e) {
        if (!drawn(e)) continue;
        const LayoutEdge& edge = d_.layout.edges[e];
        const EdgeRoute& route = d_.plan.routes[e];
        ends += (edge.tail == c && !route.arrow_at_start) + (edge.head == c && !route.arrow_at_end);
      }
      const NodeBox& b = d_.boxes[c];
      const auto side = [](std::uint64_t n) { return n >= 3 ? n - 2 : n; };
      if (ends > 2 * side(b.width) + 2 * side(b.height)) return true;
    }
    return false;
  }

  // Rule 3: the networks a self-loop's cells lie in hold its cells only,
  // no cell of it is a crossing, and they join its own box alone.
  void check_loops() {
    for (const auto& [e, mine] : loops_) {
      const std::size_t box = d_.layout.edges[e].tail;
      std::map<std::size_t, std::size_t> cells_in;
      std::optional<GridPoint> crossed;
      for (const auto& [k, u] : mine) {
        const std::vector<std::size_t> nets = read_.networks_at(point(k));
        if (nets.size() > 1 && !crossed) crossed = point(k);
        for (const std::size_t n : nets) ++cells_in[n];
      }
      for (const auto& [n, count] : cells_in) {
        const Network& net = read_.networks()[n];
        const bool foreign = std::any_of(net.tails.begin(), net.tails.end(),
                                         [&](std::size_t t) { return t != box; }) ||
                             std::any_of(net.heads.begin(), net.heads.end(),
                                         [&](std::size_t h) { return h != box; });
        if (net.cells > count || foreign) {
          breach(3, "self-loop touched", net.first,
                 "self-loop " + edge_title(d_, e) + " shares its line with other lines (network at " +
                     at(net.first) + ", joining " + nodes(net.tails) + " and " + nodes(net.heads) +
                     ")");
          crossed.reset();
          break;
        }
      }
      if (crossed) breach(3, "self-loop touched", *crossed, "self-loop " + edge_title(d_, e) + " crossed at " + at(*crossed));
    }
  }

  // Rule 4: no route turns, merges or ends on a ┼, and no ┼ stands beside
  // an arrowhead or a junction.
  void check_crossings() {
    for (std::uint64_t r = 0; r < read_.rows(); ++r) {
      for (std::uint64_t c = 0; c < read_.columns(); ++c) {
        const GridPoint p{r, c};
        const ReadCell& cell = read_.at(p);
        if (cell.what != What::Line || !cell.crossing) continue;
        if (const std::vector<Use>* here = uses_at(p)) {
          std::string turning;
          for (const Use& u : *here) {
            if (mixes_axes(u.arms) || u.arms.count() == 1) {
              turning += (turning.empty() ? "" : ", ") + edge_title(d_, u.edge);
            }
          }
          if (!turning.empty()) {
            breach(4, "junction drawn as a crossing", p, "a junction drawn as a crossing at " + at(p) + ": " + turning +
                             " turn or end there");
            continue;
          }
        }
        for (const Toward d : {Toward::Up, Toward::Down, Toward::Left, Toward::Right}) {
          const ReadCell& n = read_.at(step(p, d));
          const bool junction = n.what == What::Line && !n.crossing && n.arms.count() == 3;
          if (n.what == What::Arrow || junction) {
            breach(4, "crossing beside arrowhead or junction", p,
                   std::string("a crossing beside ") +
                             (junction ? "a junction" : "an arrowhead") + " at " + at(p));
            break;
          }
        }
      }
    }
  }

  // Rule 5: every planned line cell but an arrowhead's shows a line, not
  // text; where it meets a cluster frame it crosses it straight, at right
  // angles to the frame's run (a line along a frame, or turning on it, is
  // lost in it).
  void check_hidden_lines() {
    std::map<std::size_t, GridPoint> under_text;
    std::map<std::size_t, GridPoint> along_frame;
    const auto first = [](std::map<std::size_t, GridPoint>& m, std::size_t e, GridPoint p) {
      const auto found = m.find(e);
      if (found == m.end() || key(p) < key(found->second)) m[e] = p;
    };
    const auto frame = [&](GridPoint p) { return read_.at(p).what == What::Frame; };
    for (const auto& [k, list] : uses_) {
      const GridPoint p = point(k);
      const What what = read_.at(p).what;
      if (what != What::Text && what != What::Frame) continue;
      const bool runs_across =
          frame(step(p, Toward::Left)) || frame(step(p, Toward::Right));
      const bool runs_along = frame(step(p, Toward::Up)) || frame(step(p, Toward::Down));
      for (const Use& u : list) {
        if (u.arrow) continue;
        if (what == What::Text) {
          first(under_text, u.edge, p);
          continue;
        }
        const bool vertical = u.arms == Arms{true, true, false, false};
        const bool horizontal = u.arms == Arms{false, false, true, true};
        const bool crosses = runs_across != runs_along ? (runs_across ? vertical : horizontal)
                                                       : vertical || horizontal;
        if (!crosses) first(along_frame, u.edge, p);
      }
    }
    for (const auto& [e, p] : under_text) {
      breach(5, "line under text", p,
             "the line of " + edge_title(d_, e) + " is hidden under text at " + at(p) + " (\"" +
                 read_.text(p.row, p.col >= 3 ? p.col - 3 : 0, 7) + "\")");
    }
    for (const auto& [e, p] : along_frame) {
      breach(5, "line along a frame", p,
             "the line of " + edge_title(d_, e) + " runs along or turns on a cluster frame at " +
                 at(p));
    }
  }

  // Rule 6: some line cell of the label's edge beside it is used by that
  // edge alone.
  void check_labels() {
    for (const PlacedLabel& label : d_.plan.labels) {
      if (label.role == LabelRole::NodeExternal || label.owner >= d_.layout.edges.size() ||
          !drawn(label.owner) || label.lines.empty()) {
        continue;
      }
      const std::uint64_t reach =
          label.role == LabelRole::HeadEnd || label.role == LabelRole::TailEnd ? 2 : 1;
      bool near = false;
      bool own = false;
      std::set<std::size_t> sharing;
      GridPoint first_shared;
      for (std::uint64_t r = below(label.top, reach); r <= add_sat(label.bottom(), reach); ++r) {
        for (std::uint64_t c = below(label.left, reach); c <= add_sat(label.right(), reach); ++c) {
          const std::vector<Use>* here = uses_at({r, c});
          if (here == nullptr) continue;
          const bool mine = std::any_of(here->begin(), here->end(),
                                        [&](const Use& u) { return u.edge == label.owner; });
          if (!mine) continue;
          if (!near) first_shared = {r, c};
          near = true;
          if (here->size() == 1) own = true;
          for (const Use& u : *here) {
            if (u.edge != label.owner) sharing.insert(u.edge);
          }
        }
      }
      if (near && !own) {
        ++out_.labels_on_shared;
        std::string others;
        for (const std::size_t e : sharing) others += (others.empty() ? "" : ", ") + edge_title(d_, e);
        breach(6, "label beside a shared stretch", first_shared, "label \"" + label.text + "\" of " + edge_title(d_, label.owner) +
                                    " is beside a stretch shared with " + others + " at " +
                                    at(first_shared));
      }
    }
  }

  // Rule 7: each tail arrowhead shows, points into its tail box and is no
  // other edge's; no arrowhead points into nothing.
  void check_tail_arrowheads() {
    for (std::size_t e = 0; e < d_.layout.edges.size(); ++e) {
      if (!drawn(e) || !d_.plan.routes[e].arrow_at_start) continue;
      const EdgeRoute& route = d_.plan.routes[e];
      const GridPoint s = route.points.front();
      const ReadCell& cell = read_.at(s);
      const ReadCell& front = read_.at(step(s, route.start_into));
      if (cell.what != What::Arrow || cell.points != route.start_into ||
          front.what != What::Box || front.node != d_.layout.edges[e].tail) {
        breach(7, "tail arrowhead astray", s, "the tail arrowhead of " + edge_title(d_, e) +
                         " does not point into its tail box at " + at(s));
        continue;
      }
      std::string others;
      for (const Use& u : *uses_at(s)) {
        if (u.edge != e && u.arrow) others += (others.empty() ? "" : ", ") + edge_title(d_, u.edge);
      }
      if (!others.empty()) {
        breach(7, "tail arrowhead shared", s, "the tail arrowhead of " + edge_title(d_, e) + " at " + at(s) +
                         " is also that of " + others);
      }
    }
    for (const GridPoint p : read_.stray_arrowheads()) {
      // An arrowhead into a box the width limit cut off is the cut's.
      const GridPoint front = step(p, read_.at(p).points);
      bool cut = false;
      for (std::size_t n = 0; n < d_.boxes.size() && n < d_.layout.nodes.size(); ++n) {
        const NodeBox& b = d_.boxes[n];
        cut = cut || (!on_canvas(n) && front.row >= b.top && front.row <= b.bottom() &&
                      front.col >= b.left && front.col <= b.right());
      }
      if (cut) continue;
      breach(7, "arrowhead into no box", p, "an arrowhead pointing into no box at " + at(p));
    }
  }

  void count_followable() {
    for (std::size_t e = 0; e < d_.layout.edges.size(); ++e) {
      const LayoutEdge& edge = d_.layout.edges[e];
      // A line from an invisible node comes from nowhere a reader sees.
      if (!drawn(e) || d_.layout.nodes[edge.tail].invisible || d_.layout.nodes[edge.head].invisible) {
        continue;
      }
      ++out_.edges;
      const EdgeRoute& route = d_.plan.routes[e];
      const std::size_t from = read_.network_at(route.points.front(), route.start_into);
      const std::size_t to = read_.network_at(route.points.back(), route.end_into);
      if (from == ReadDrawing::kNone || from != to) continue;
      const Network& net = read_.networks()[from];
      const auto joins = [&](std::size_t box, bool arrow) {
        return (arrow ? net.heads : net.tails).contains(box);
      };
      if (joins(edge.tail, route.arrow_at_start) && joins(edge.head, route.arrow_at_end)) {
        ++out_.followable;
      }
    }
  }

  const Drawing& d_;
  ReadDrawing read_;
  LineAudit out_;
  std::unordered_map<std::uint64_t, std::vector<Use>> uses_;
  std::vector<std::pair<std::size_t, std::map<std::uint64_t, Use>>> loops_;
  std::set<std::pair<std::size_t, std::size_t>> arrowed_;
  std::set<std::pair<std::size_t, std::size_t>> linked_;
};

}  // namespace

std::string edge_title(const Drawing& d, std::size_t e) {
  const LayoutEdge& edge = d.layout.edges[e];
  const auto name = [&](std::size_t n) {
    return d.layout.nodes[n].name.value_or(std::to_string(n));
  };
  return "edge " + std::to_string(e) + " (" + name(edge.tail) + " -> " + name(edge.head) + ")";
}

LineAudit audit_lines(const Drawing& d, std::string_view text, const GlyphTable& glyphs) {
  return Auditor(d, text, glyphs).run();
}

}  // namespace vantri::testing
