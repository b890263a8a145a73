// What makes a planned edge drawing misleading, found before it is drawn.
//
// A reader follows a line from one box to another and believes the graph
// has that edge. The plan must therefore keep every route off the boxes it
// does not join and off other edges' arrowheads; two routes may share a
// cell only where they cross at right angles, or where they leave the same
// tail or enter the same head; an edge that goes forward along the rank
// direction leaves and enters the facing sides, and no arrowhead enters its
// box from the side turned away from the other end; arrowheads sit exactly
// on the ends that carry one; self-loops and parallel edges are separate
// routes; and every label is shown whole, clear of boxes, lines, arrowheads,
// other labels and cluster frames, next to what it belongs to.
//
// The tests sweep example graphs and dense graphs with it, and the fuzz
// target checks hostile layouts; the render path does not run it.
#ifndef VANTRI_RENDER_EDGES_ROUTE_FAULTS_H_
#define VANTRI_RENDER_EDGES_ROUTE_FAULTS_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "graphviz/layout_graph.h"
#include "graphviz/stop_check.h"
#include "grid/node_box.h"
#include "grid/cell_rect.h"
#include "render_edges/route_plan.h"

namespace vantri {

struct RouteFault {
  enum class Rule : std::uint8_t {
    /// A route cell inside a node box.
    ThroughBox,
    /// A route cell on the arrowhead of an edge with a different end.
    ThroughArrowhead,
    /// Two routes share a cell where they neither cross nor share an end.
    FalseJoin,
    /// Leaves or enters the wrong side of a box, or at a corner, or points
    /// the wrong way.
    WrongSide,
    /// An arrowhead where the edge has none, or none where it has one.
    ArrowEnds,
    /// A self-loop that is not a closed loop beside its box.
    Loop,
    /// Legs that do not join, ends that do not touch their boxes, cells
    /// off the canvas, an edge that should be drawn and is not (or one
    /// that should not be and is).
    Broken,
    /// A label over something, off the canvas, away from its owner, or
    /// missing.
    Label,
    // Checked when `FaultScene::shared_lines` asks for them:
    /// Routes that meet (share a cell other than by crossing at right
    /// angles) join several tails to several heads, or a tail to a head
    /// that has no edge from it.
    SharedNetwork,
    /// An edge without arrowheads meets another route, but in a star
    /// around a box with more such lines than cells on its sides.
    ArrowlessShare,
    /// A self-loop shares a cell with another route.
    LoopTouch,
    /// An edge's label, head label or tail label has only cells that other
    /// routes use too beside it.
    SharedLabel,
    /// A tail arrowhead on the cell of another edge's arrowhead.
    SharedTailArrow,
  };
  Rule rule = Rule::Broken;
  /// Edge index; for a node's external label, the node index.
  std::size_t owner = 0;
  GridPoint cell;
  std::string detail;
};

/// A short name for a rule, for messages.
const char* rule_name(RouteFault::Rule rule);

/// What the check needs besides the plan.
struct FaultScene {
  std::span<const LayoutEdge> edges;
  std::span<const LayoutNode> nodes;
  std::span<const NodeBox> boxes;
  RankDir rankdir = RankDir::TopToBottom;
  /// Cells no label may take: cluster frames and their titles.
  std::span<const CellRect> reserved;
  /// When this says so, the check ends early with the faults found so far.
  StopCheck* stop = nullptr;
  /// Also check how routes that meet read: each set of meeting routes one
  /// tail fanning out or one head merged into, with real edges only; no
  /// route without arrowheads meeting another; self-loops touching
  /// nothing; labels beside their edge's own cells; tail arrowheads one
  /// per edge.
  bool shared_lines = false;
};

/// The faults of `plan`, at most `limit` of them. Edges whose tail or head
/// box does not lie wholly on the plan's canvas are not checked (a width
/// limit cut them off), nor are their labels.
std::vector<RouteFault> find_route_faults(const RoutePlan& plan, const FaultScene& scene,
                                          std::size_t limit);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_ROUTE_FAULTS_H_
