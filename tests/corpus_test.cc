// Graphviz's own example graphs, laid out by the installed `dot`. Drawn
// without a width limit, every edge must end in an arrowhead unless a node
// box sits on its end cell, and every route must start on the grid or on a
// node box. Cut to a width, the end cells left on the grid still must.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "render/render_graph.h"
#include "support/example_graphs.h"

namespace vantri {
namespace {

using testing::draw_example;
using testing::example_graphs;
using testing::ExampleGraph;

bool is_arrowhead(char32_t c) {
  return c == U'▼' || c == U'▲' || c == U'▶' || c == U'◀';
}

bool inside_a_box(const std::vector<NodeBox>& boxes, std::uint64_t row,
                  std::uint64_t col) {
  return std::any_of(boxes.begin(), boxes.end(), [&](const NodeBox& b) {
    return b.width > 0 && b.height > 0 && row >= b.top && row <= b.bottom() &&
           col >= b.left && col <= b.right();
  });
}

struct Tally {
  std::size_t graphs = 0;
  std::size_t edges = 0;
  std::size_t arrowheads = 0;
  std::size_t covered = 0;
  std::size_t unplanned = 0;
  std::size_t cut_off = 0;
};

// Checks one drawing's edges and adds them to `tally`. With `cut`, the
// canvas was narrowed to a width limit and ends beyond it are skipped.
void check_edges(const std::string& name, const Drawing& drawing, Tally& tally,
                 bool cut = false) {
  const CharGrid& grid = drawing.grid;
  const auto& edges = drawing.layout.edges;
  ASSERT_EQ(drawing.plan.routes.size(), edges.size()) << name;
  for (std::size_t e = 0; e < edges.size(); ++e) {
    // Edges naming a node without a box are not drawn at all.
    if (edges[e].tail >= drawing.boxes.size() || edges[e].head >= drawing.boxes.size()) {
      ++tally.unplanned;
      continue;
    }
    ++tally.edges;
    const GridPoint end = drawing.plan.routes[e].points.empty() ? GridPoint{} : drawing.plan.routes[e].points.back();
    const GridPoint start = drawing.plan.routes[e].points.empty() ? GridPoint{} : drawing.plan.routes[e].points.front();
    const std::string where = name + " edge " + std::to_string(e) + " (" +
                              std::to_string(edges[e].tail) + " -> " +
                              std::to_string(edges[e].head) + ")";

    EXPECT_TRUE(cut || grid.contains(start.row, start.col) ||
                inside_a_box(drawing.boxes, start.row, start.col))
        << where << ": start (" << start.row << ", " << start.col
        << ") is off a " << grid.width() << "x" << grid.height() << " grid";

    if (cut && end.row < grid.height() && end.col >= grid.width()) {
      ++tally.cut_off;
      continue;
    }
    if (!grid.contains(end.row, end.col)) {
      ADD_FAILURE() << where << ": end (" << end.row << ", " << end.col
                    << ") is off a " << grid.width() << "x" << grid.height() << " grid";
      continue;
    }
    const Cell end_cell = grid.at(end.row, end.col);
    if (end_cell.kind() == CellKind::Arrow) {
      EXPECT_TRUE(is_arrowhead(end_cell.character()))
          << where << ": arrow cell holds U+" << std::hex
          << static_cast<std::uint32_t>(end_cell.character());
      ++tally.arrowheads;
    } else if (end_cell.kind() == CellKind::Node) {
      ++tally.covered;
    } else {
      ADD_FAILURE() << where << ": end (" << end.row << ", " << end.col
                    << ") holds cell kind " << static_cast<int>(end_cell.kind())
                    << ", not an arrowhead";
    }
  }
}

TEST(ExampleGraphs, EveryEdgeEndsInAnArrowheadOrUnderABox) {
  // Debian's graphviz-doc ships 60; fewer means the corpus is missing.
  ASSERT_GE(example_graphs().size(), 50u) << "example graphs not found under " << testing::kExampleGraphDir
                                  << " (install graphviz-doc)";
  Tally tally;
  for (const ExampleGraph& graph : example_graphs()) {
    ASSERT_FALSE(graph.source.empty()) << graph.name;
    auto drawing = draw_example(graph, RenderOptions{});
    ASSERT_TRUE(drawing.has_value()) << graph.name << ": " << display(drawing.error());
    check_edges(graph.name, *drawing, tally);
    ++tally.graphs;
  }
  EXPECT_EQ(tally.arrowheads + tally.covered, tally.edges);
  EXPECT_GT(tally.arrowheads, 0u);
  RecordProperty("graphs", static_cast<int>(tally.graphs));
  RecordProperty("edges", static_cast<int>(tally.edges));
  RecordProperty("arrowheads", static_cast<int>(tally.arrowheads));
  RecordProperty("covered_by_boxes", static_cast<int>(tally.covered));
  RecordProperty("unplanned", static_cast<int>(tally.unplanned));
  std::printf("example graphs: %zu, edges checked: %zu, arrowheads: %zu, "
              "covered by boxes: %zu, edges without boxes: %zu\n",
              tally.graphs, tally.edges, tally.arrowheads, tally.covered,
              tally.unplanned);
}

TEST(ExampleGraphs, NarrowedDrawingsKeepTheArrowheadsTheyShow) {
  ASSERT_GE(example_graphs().size(), 50u);
  for (const std::uint64_t width : {40u, 80u}) {
    Tally tally;
    RenderOptions options;
    options.max_width = width;
    for (const ExampleGraph& graph : example_graphs()) {
      auto drawing = draw_example(graph, options);
      ASSERT_TRUE(drawing.has_value()) << graph.name << ": " << display(drawing.error());
      EXPECT_LE(drawing->grid.width(), width) << graph.name;
      check_edges(graph.name + " at width " + std::to_string(width), *drawing, tally,
                  /*cut=*/true);
    }
    EXPECT_EQ(tally.arrowheads + tally.covered + tally.cut_off, tally.edges);
    std::printf("width %llu: edges checked: %zu, arrowheads: %zu, covered by boxes: "
                "%zu, beyond the width: %zu\n",
                static_cast<unsigned long long>(width), tally.edges, tally.arrowheads,
                tally.covered, tally.cut_off);
  }
}

}  // namespace
}  // namespace vantri
