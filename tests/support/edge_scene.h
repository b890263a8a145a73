// A scene of nodes and edges for edge drawing tests: boxes placed by row
// and column, drawn the way node drawing draws them.
#ifndef VANTRI_TESTS_SUPPORT_EDGE_SCENE_H_
#define VANTRI_TESTS_SUPPORT_EDGE_SCENE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/char_grid.h"
#include "grid/grid_transform.h"
#include "grid/node_box.h"
#include "render_edges/draw_edges.h"
#include "render_edges/plan_routes.h"

namespace vantri::testing {

// Nodes with one-letter labels: boxes 5 columns wide and 3 rows high.
struct Scene {
  std::vector<LayoutNode> nodes;
  std::vector<NodeBox> boxes;
  std::vector<LayoutEdge> edges;

  std::size_t node(std::uint64_t left, std::uint64_t top, std::string label = "X") {
    LayoutNode n;
    n.label = std::move(label);
    n.pos = {100.0, 0.0};
    nodes.push_back(n);
    boxes.push_back({left, top, 5, 3});
    return nodes.size() - 1;
  }

  LayoutEdge& edge(std::size_t tail, std::size_t head,
                   std::optional<std::string> label = std::nullopt) {
    LayoutEdge e;
    e.tail = tail;
    e.head = head;
    e.label = std::move(label);
    edges.push_back(e);
    return edges.back();
  }

  CharGrid draw(std::uint64_t width, std::uint64_t height) const {
    CharGrid grid(width, height);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const NodeBox& b = boxes[i];
      for (std::uint64_t c = b.left + 1; c < b.right(); ++c) {
        grid.put(b.top, c, Cell::node(U'─'));
        grid.put(b.bottom(), c, Cell::node(U'─'));
        grid.put(b.top + 1, c, Cell::node(U' '));
      }
      grid.put(b.top, b.left, Cell::node(U'┌'));
      grid.put(b.top, b.right(), Cell::node(U'┐'));
      grid.put(b.top + 1, b.left, Cell::node(U'│'));
      grid.put(b.top + 1, b.left + 2, Cell::node(static_cast<char32_t>(nodes[i].label[0])));
      grid.put(b.top + 1, b.right(), Cell::node(U'│'));
      grid.put(b.bottom(), b.left, Cell::node(U'└'));
      grid.put(b.bottom(), b.right(), Cell::node(U'┘'));
    }
    RouteScene scene;
    scene.edges = edges;
    scene.nodes = nodes;
    scene.boxes = boxes;
    scene.width = width;
    scene.height = height;
    scene.max_width = width;
    scene.trim = TrimStrategy::End;
    draw_route_plan(grid, plan_routes(scene));
    return grid;
  }
};

}  // namespace vantri::testing

#endif  // VANTRI_TESTS_SUPPORT_EDGE_SCENE_H_
