// What the DOT text says about how things look, swept over Graphviz's
// example graphs and the graphs of data/attributes (every line break and
// justification, line style, pen colour, outline-free shape and table
// border among them):
//
// - no row shows a label's \n, \l or \r escape;
// - every cell of a dashed, dotted or bold edge that no edge of another
//   look shares carries its style, in every colour mode, and the cells of
//   a solid edge none;
// - with colour on, every pen colour the palette has reaches the cells it
//   colours (an edge's lines and arrowheads, a node's border, a cluster's
//   frame) and the text, and colour changes nothing but the colour;
// - no plaintext, plain or none node has a border.
//
// Failures name the graph, the edge or node, and the cell.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "color/classify.h"
#include "render/render_graph.h"
#include "support/example_graphs.h"

namespace vantri {
namespace {

using testing::ExampleGraph;

std::vector<ExampleGraph> own_graphs() {
  namespace fs = std::filesystem;
  std::vector<ExampleGraph> graphs;
  for (const auto& entry :
       fs::directory_iterator(fs::path(VANTRI_TEST_DATA_DIR) / "attributes")) {
    std::ifstream in(entry.path(), std::ios::binary);
    graphs.push_back({"attributes/" + entry.path().filename().string(),
                      {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
  }
  return graphs;
}

std::string without_colour(const std::string& text) {
  static const std::regex sgr("\x1b\\[[0-9;]*m");
  return std::regex_replace(text, sgr, "");
}

std::string at(std::uint64_t row, std::uint64_t col) {
  return "cell (" + std::to_string(row) + ", " + std::to_string(col) + ")";
}

// Calls visit(row, col) for every cell of a route's legs inside the grid.
template <class Visit>
void route_cells(const EdgeRoute& route, const CharGrid& grid, Visit visit) {
  for (std::size_t k = 0; k + 1 < route.points.size(); ++k) {
    const GridPoint p = route.points[k], q = route.points[k + 1];
    const std::uint64_t r0 = std::min(p.row, q.row), r1 = std::max(p.row, q.row);
    const std::uint64_t c0 = std::min(p.col, q.col), c1 = std::max(p.col, q.col);
    for (std::uint64_t r = r0; r <= r1 && r < grid.height(); ++r) {
      for (std::uint64_t c = c0; c <= c1 && c < grid.width(); ++c) visit(r, c);
    }
  }
}

struct Tally {
  std::size_t styled_edges = 0;
  std::size_t styled_cells = 0;
  std::size_t styled_edges_shown = 0;
  std::size_t pen_colours = 0;
  std::size_t plain_nodes = 0;
  std::size_t escaped_labels = 0;
  std::vector<std::string> failures;
};

// The looks of the routes over each cell: one when they all agree.
struct CellLooks {
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::pair<LineStyle, std::string>> first;
  std::map<std::pair<std::uint64_t, std::uint64_t>, bool> mixed;

  void add(std::uint64_t r, std::uint64_t c, LineStyle style, const std::string& sgr) {
    const auto [it, fresh] = first.try_emplace({r, c}, style, sgr);
    if (!fresh && it->second != std::pair{style, sgr}) mixed[{r, c}] = true;
  }
  bool alone(std::uint64_t r, std::uint64_t c) const { return !mixed.contains({r, c}); }
};

void check_styles(const std::string& name, const Drawing& d, bool colour, Tally& tally) {
  const CharGrid& grid = d.grid;
  const auto& edges = d.layout.edges;
  const auto& routes = d.plan.routes;
  CellLooks looks;
  for (std::size_t i = 0; i < routes.size() && i < edges.size(); ++i) {
    const std::string sgr = colour ? std::string(pen_sgr(edges[i].color)) : "";
    route_cells(routes[i], grid, [&](std::uint64_t r, std::uint64_t c) {
      looks.add(r, c, edges[i].line_style, sgr);
    });
  }
  // Where edges of different looks meet, the line is plain.
  for (const auto& [cell_at, mixed] : looks.mixed) {
    const Cell cell = grid.at(cell_at.first, cell_at.second);
    if (cell.kind() == CellKind::Line &&
        (cell.line_style() != LineStyle::Solid || cell.paint() != 0)) {
      tally.failures.push_back(name + ": a line edges of different looks share is not plain at " +
                               at(cell_at.first, cell_at.second));
    }
  }
  for (std::size_t i = 0; i < routes.size() && i < edges.size(); ++i) {
    const LayoutEdge& edge = edges[i];
    const std::string sgr = colour ? std::string(pen_sgr(edge.color)) : "";
    const std::uint32_t paint = grid.paint_of(sgr);
    const std::string who = name + ": edge " + std::to_string(i);
    bool shown = false;
    route_cells(routes[i], grid, [&](std::uint64_t r, std::uint64_t c) {
      const Cell cell = grid.at(r, c);
      if (cell.kind() != CellKind::Line || !looks.alone(r, c)) return;
      shown = true;
      if (edge.line_style != LineStyle::Solid && colour) ++tally.styled_cells;
      if (cell.line_style() != edge.line_style) {
        tally.failures.push_back(who + " drawn in the wrong line style at " + at(r, c));
      }
      if (cell.paint() != paint) {
        tally.failures.push_back(who + " drawn in the wrong colour at " + at(r, c));
      }
    });
    if (colour && edge.line_style != LineStyle::Solid && !routes[i].points.empty()) {
      ++tally.styled_edges;
      if (shown) ++tally.styled_edges_shown;
    }
    // Arrowheads take the line's colour.
    const GridPoint end = routes[i].points.empty() ? GridPoint{} : routes[i].points.back();
    if (routes[i].arrow_at_end && grid.contains(end.row, end.col) &&
        grid.at(end.row, end.col).kind() == CellKind::Arrow && paint != 0 &&
        grid.at(end.row, end.col).paint() != paint) {
      // Another edge's arrowhead may share the cell.
      bool shared = false;
      for (std::size_t j = 0; j < routes.size(); ++j) {
        shared |= j != i && !routes[j].points.empty() && routes[j].points.back() == end;
      }
      if (!shared) tally.failures.push_back(who + " arrowhead uncoloured at " + at(end.row, end.col));
    }
  }
}

bool is_frame(char32_t c) {
  return std::u32string_view(U"┌┐└┘─│╭╮╰╯┬┴├┤┏┓┗┛━┃╔╗╚╝═║╌╎┄┆╍╏┅┇‥").find(c) !=
         std::u32string_view::npos;
}

void check_drawing(const std::string& name, const Drawing& ansi, const Drawing& off,
                   Tally& tally) {
  const std::string text = ansi.grid.to_text();
  const std::string plain = off.grid.to_text();
  // Colour changes nothing but the colour.
  if (without_colour(text) != plain) tally.failures.push_back(name + ": colour changes the drawing");
  if (plain.find('\x1b') != std::string::npos) {
    tally.failures.push_back(name + ": escape sequences without colour");
  }

  // No label shows its escapes: a backslash before n, l or r shows only
  // where a label says so with an escaped backslash.
  for (const LayoutEdge& e : ansi.layout.edges) {
    for (const auto* label : {&e.label, &e.head_label, &e.tail_label, &e.xlabel}) {
      if (*label && (*label)->find('\n') != std::string::npos) ++tally.escaped_labels;
    }
  }
  for (const LayoutNode& n : ansi.layout.nodes) {
    if (n.raw_label.find("\\n") != std::string::npos || n.raw_label.find("\\l") != std::string::npos ||
        n.raw_label.find("\\r") != std::string::npos) {
      ++tally.escaped_labels;
    }
  }
  static const std::regex escape(R"(\\[nlr])");
  std::size_t row = 0;
  for (std::size_t start = 0; start < plain.size(); ++row) {
    const std::size_t end = plain.find('\n', start);
    const std::string line = plain.substr(start, end - start);
    std::smatch m;
    if (std::regex_search(line, m, escape)) {
      tally.failures.push_back(name + ": row " + std::to_string(row) + " shows the escape " +
                               m.str() + ": " + line);
    }
    start = end + 1;
  }

  check_styles(name, ansi, true, tally);
  check_styles(name, off, false, tally);

  // Pen colours reach the cells and the text.
  const CharGrid& grid = ansi.grid;
  const auto paint_of = [&](std::string_view sgr) { return grid.paint_of(sgr); };
  for (const LayoutEdge& e : ansi.layout.edges) {
    const std::string_view sgr = pen_sgr(e.color);
    if (sgr.empty() || e.invisible) continue;
    ++tally.pen_colours;
    if (text.find(sgr) == std::string::npos) {
      tally.failures.push_back(name + ": edge colour " + *e.color + " does not reach the text");
    }
  }
  for (std::size_t i = 0; i < ansi.layout.nodes.size() && i < ansi.boxes.size(); ++i) {
    const LayoutNode& node = ansi.layout.nodes[i];
    const NodeBox& b = ansi.boxes[i];
    if (node.invisible || b.right() >= grid.width() || b.bottom() >= grid.height()) continue;
    if (node.shape == NodeShape::Plain && (i >= ansi.fields.size() || ansi.fields[i].empty())) {
      ++tally.plain_nodes;
      for (std::uint64_t r = b.top; r <= b.bottom(); ++r) {
        for (std::uint64_t c = b.left; c <= b.right(); ++c) {
          if (r != b.top && r != b.bottom() && c != b.left && c != b.right()) continue;
          const Cell cell = grid.at(r, c);
          if (cell.kind() == CellKind::Node && is_frame(cell.character())) {
            tally.failures.push_back(name + ": outline-free node " + std::to_string(i) +
                                     " has a border at " + at(r, c));
          }
        }
      }
      continue;
    }
    const std::string_view sgr = node.fillcolor ? std::string_view() : pen_sgr(node.color);
    if (sgr.empty() || node.shape == NodeShape::Point) continue;
    ++tally.pen_colours;
    if (grid.at(b.top, b.left).paint() != paint_of(sgr)) {
      tally.failures.push_back(name + ": node " + std::to_string(i) + "'s border lacks its colour at " +
                               at(b.top, b.left));
    }
  }
  for (std::size_t i = 0; i < ansi.layout.clusters.size(); ++i) {
    const LayoutCluster& cluster = ansi.layout.clusters[i];
    const std::string_view sgr = pen_sgr(cluster.color);
    if (sgr.empty()) continue;
    const std::uint64_t bottom = row_of(ansi.transform, cluster.bb.y0);
    const std::uint64_t left = column_of(ansi.transform, cluster.bb.x0);
    const std::uint64_t right = column_of(ansi.transform, cluster.bb.x1);
    if (right >= grid.width() || bottom >= grid.height() || right <= left + 1) continue;
    ++tally.pen_colours;
    // Somewhere along its bottom edge the frame shows in its colour.
    bool coloured = false;
    for (std::uint64_t c = left; c <= right && !coloured; ++c) {
      const Cell cell = grid.at(bottom, c);
      coloured = cell.kind() == CellKind::Text && cell.paint() == paint_of(sgr);
    }
    if (!coloured) {
      tally.failures.push_back(name + ": cluster " + std::to_string(i) + "'s frame lacks its colour in row " +
                               std::to_string(bottom));
    }
  }
}

TEST(ExampleGraphLooks, StylesColoursLineBreaksAndOutlinesShowAsWritten) {
  ASSERT_GE(testing::example_graphs().size(), 50u)
      << "example graphs not found under " << testing::kExampleGraphDir
      << " (install graphviz-doc)";
  std::vector<ExampleGraph> graphs = testing::example_graphs();
  const std::vector<ExampleGraph> own = own_graphs();
  ASSERT_GE(own.size(), 5u);
  graphs.insert(graphs.end(), own.begin(), own.end());
  for (const std::optional<std::uint64_t> width : {std::optional<std::uint64_t>(), std::optional<std::uint64_t>(80)}) {
    Tally tally;
    RenderOptions ansi;
    ansi.max_width = width;
    RenderOptions off = ansi;
    off.color = ColorMode::Off;
    for (const ExampleGraph& graph : graphs) {
      auto coloured = testing::draw_example(graph, ansi);
      auto plain = testing::draw_example(graph, off);
      ASSERT_TRUE(coloured.has_value() && plain.has_value()) << graph.name;
      check_drawing(graph.name + (width ? " at width 80" : ""), *coloured, *plain, tally);
    }
    for (const std::string& failure : tally.failures) ADD_FAILURE() << failure;
    EXPECT_GT(tally.styled_edges_shown, 12u);
    EXPECT_GT(tally.pen_colours, 100u);
    EXPECT_GT(tally.plain_nodes, 20u);
    std::printf("%s: %zu labels with line escapes, %zu styled edges (%zu shown in %zu cells "
                "of their own), %zu pen colours, %zu outline-free nodes\n",
                width ? "width 80" : "unlimited", tally.escaped_labels, tally.styled_edges,
                tally.styled_edges_shown, tally.styled_cells, tally.pen_colours,
                tally.plain_nodes);
  }
}

}  // namespace
}  // namespace vantri
