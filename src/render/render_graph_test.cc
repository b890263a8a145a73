#include "render/render_graph.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fake_layout.h"
#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri {
namespace {

using testing::no_relayout;

LayoutNode node_at(double x, double y, std::string label,
                   std::optional<std::string> fill = std::nullopt) {
  LayoutNode n;
  n.pos = {x, y};
  n.width = 54;
  n.height = 36;
  n.label = std::move(label);
  n.fillcolor = std::move(fill);
  return n;
}

std::string render(LayoutGraph g, RenderOptions options = {}) {
  auto result = render_layout("", std::move(g), options, no_relayout());
  EXPECT_TRUE(result.has_value()) << (result ? "" : display(result.error()));
  return result ? *result : "";
}

std::size_t widest_line(const std::string& text) {
  std::size_t widest = 0;
  for (std::string_view line : split_label_lines(text)) {
    widest = std::max(widest, count_code_points(line));
  }
  return widest;
}

TEST(RenderLayout, EmptyGraphIsOneLineFeed) {
  LayoutGraph g;
  g.bb = {0, 0, 40, 40};
  EXPECT_EQ(render(g), "\n");
}

TEST(RenderLayout, OneNodeDrawsItsBox) {
  LayoutGraph g;
  g.bb = {0, 0, 54, 36};
  g.nodes = {node_at(27, 18, "A")};
  // 10.8 points a column, 12 a row: the centre maps to row 3, column 4.
  EXPECT_EQ(render(g), "\n\n  ┌───┐\n  │ A │\n  └───┘\n");
}

TEST(RenderLayout, ColourModes) {
  LayoutGraph g;
  g.bb = {0, 0, 54, 36};
  g.nodes = {node_at(27, 18, "A", "red")};
  RenderOptions options;
  options.color = ColorMode::Off;
  EXPECT_EQ(render(g, options), "\n\n  ┌───┐\n  │ A │\n  └───┘\n");
  options.color = ColorMode::BoxStyles;
  EXPECT_EQ(render(g, options), "\n\n  ┌╌╌╌┐\n  ╎ A ╎\n  └╌╌╌┘\n");
  options.color = ColorMode::Ansi;
  EXPECT_EQ(render(g, options),
            "\n\n  \x1b[31m┌───┐\x1b[0m\n  \x1b[31m│\x1b[0m A \x1b[31m│\x1b[0m\n"
            "  \x1b[31m└───┘\x1b[0m\n");
}

// An accepting state keeps its name in a double frame, which a fill colour
// colours (Ansi) or draws in its line style (BoxStyles) as any box.
TEST(RenderLayout, DoubleCircleWithAFillColour) {
  LayoutGraph g;
  g.bb = {0, 0, 54, 36};
  g.nodes = {node_at(27, 18, "A", "red")};
  g.nodes[0].shape = NodeShape::DoubleCircle;
  RenderOptions options;
  options.color = ColorMode::Ansi;
  EXPECT_EQ(render(g, options),
            "\n\n  \x1b[31m╔═══╗\x1b[0m\n  \x1b[31m║\x1b[0m A \x1b[31m║\x1b[0m\n"
            "  \x1b[31m╚═══╝\x1b[0m\n");
  options.color = ColorMode::BoxStyles;
  EXPECT_EQ(render(g, options), "\n\n  ╔╌╌╌╗\n  ╎ A ╎\n  ╚╌╌╌╝\n");
  options.color = ColorMode::Off;
  EXPECT_EQ(render(g, options), "\n\n  ╔═══╗\n  ║ A ║\n  ╚═══╝\n");
}

TEST(RenderLayout, WidthLimitsCutTheCanvas) {
  LayoutGraph g;
  g.bb = {0, 0, 200, 36};
  g.nodes = {node_at(27, 18, "A"), node_at(170, 18, "B")};
  for (std::uint64_t limit : {0u, 3u, 12u}) {
    RenderOptions options;
    options.max_width = limit;
    const std::string text = render(g, options);
    EXPECT_LE(widest_line(text), limit) << text;
    if (limit == 0) {
      EXPECT_EQ(text, "\n");
    }
  }
}

TEST(RenderLayout, TheCanvasGrowsToShowAnEdgeLabelWhole) {
  LayoutGraph g;
  g.bb = {0, 0, 54, 36};
  g.nodes = {node_at(27, 18, "A")};
  LayoutEdge loop;
  loop.label = std::string(40, 'x');
  g.edges = {loop};
  RenderOptions options;
  options.color = ColorMode::Off;
  // The drawing proper is 16 columns by 7 rows; the label, wrapped, still
  // shows every one of its characters beside the loop.
  const std::string text = render(g, options);
  EXPECT_EQ(std::count(text.begin(), text.end(), 'x'), 40) << text;
  EXPECT_GT(widest_line(text), 16u) << text;
  // Under a width limit it wraps narrower instead.
  options.max_width = 16;
  const std::string narrow = render(g, options);
  EXPECT_EQ(std::count(narrow.begin(), narrow.end(), 'x'), 40) << narrow;
  EXPECT_LE(widest_line(narrow), 16u) << narrow;
}

TEST(RenderLayout, AbsurdCanvasFailsCleanly) {
  LayoutGraph g;
  g.bb = {0, 0, 1e12, 1e12};
  g.nodes = {node_at(1, 1, "tiny"), node_at(5e11, 5e11, "huge")};
  g.nodes[1].width = 1e12;
  g.nodes[1].height = 1e12;
  auto result = render_layout("", g, {}, no_relayout());
  ASSERT_FALSE(result.has_value());
  ASSERT_TRUE(std::holds_alternative<CanvasTooLarge>(result.error()));
  const std::string message = display(result.error());
  EXPECT_NE(message.find("character cells"), std::string::npos) << message;
  EXPECT_NE(message.find("max_width"), std::string::npos) << message;

  // A width limit makes the same layout drawable when the rows fit.
  g.bb = {0, 0, 1e12, 100};
  g.nodes[1].pos = {5e11, 50};
  g.nodes[1].height = 36;
  RenderOptions options;
  options.max_width = 80;
  EXPECT_LE(widest_line(render(g, options)), 80u);
}

// The graph's own label, centred below the drawing (or above it with
// labelloc=t) one blank row from what is drawn; wider than the drawing, it
// widens the canvas with the drawing centred under it, unless a width
// limit shortens it.
TEST(RenderLayout, GraphTitle) {
  LayoutGraph g;
  g.bb = {0, 0, 54, 60};
  g.nodes = {node_at(27, 42, "A")};
  g.label = "Title";
  g.label_pos = {27, 8};
  RenderOptions options;
  options.color = ColorMode::Off;
  EXPECT_EQ(render(g, options), "\n\n  ┌───┐\n  │ A │\n  └───┘\n\n  Title\n");

  g.label = "\\nAbove\\nthe drawing\\n";
  g.label_at_top = true;
  EXPECT_EQ(render(g, options),
            "\n     Above\n  the drawing\n\n     ┌───┐\n     │ A │\n     └───┘\n");

  g.label = "a title far wider than the drawing";
  g.label_at_top = false;
  const std::string wide = render(g, options);
  EXPECT_NE(wide.find("\n a title far wider than the drawing\n"), std::string::npos) << wide;
  EXPECT_NE(wide.find("               │ A │\n"), std::string::npos) << wide;
  options.max_width = 20;
  options.trim = TrimStrategy::End;
  const std::string cut = render(g, options);
  EXPECT_NE(cut.find("\n a title far wid...\n"), std::string::npos) << cut;
  EXPECT_LE(widest_line(cut), 20u);
}

// The port dot names on an edge of a nested record finds, on the grid, the
// field that shows its text: where the edge is to start.
TEST(RenderLayout, EdgePortsNameTheirRecordFieldOnTheGrid) {
  const std::string dot =
      "digraph { node [shape=record]; s [label=\"{<a> a|{<b> b|<c> c}}\"]; s:c -> t }";
  auto layout = layout_with_dot(dot);
  ASSERT_TRUE(layout.has_value()) << layout.error().display();
  auto d = draw_layout(dot, std::move(*layout), {}, no_relayout());
  ASSERT_TRUE(d.has_value());
  const LayoutEdge& edge = d->layout.edges.at(0);
  ASSERT_EQ(edge.tail_port, "c");
  const NodeBox& box = d->boxes.at(edge.tail);
  const auto rect = field_rect(box, d->fields.at(edge.tail), *edge.tail_port);
  ASSERT_TRUE(rect.has_value());
  // c is the bottom right field: it shares the box's right and bottom.
  EXPECT_EQ(rect->right, box.right());
  EXPECT_EQ(rect->bottom, box.bottom());
  EXPECT_GT(rect->left, box.left);
  EXPECT_GT(rect->top, box.top);
  std::string inside;
  for (std::uint64_t col = rect->left + 1; col < rect->right; ++col) {
    append_utf8(inside, d->grid.at(rect->top + 1, col).character());
  }
  EXPECT_EQ(inside, " c ");
}

TEST(RenderLayout, LayoutErrorsAndCanvasErrorsDisplayTheirText) {
  EXPECT_EQ(display(RenderError(LayoutError::dot_not_found())),
            "Graphviz `dot` command not found in PATH. Please install Graphviz.");
  EXPECT_EQ((CanvasTooLarge{100000, 100000}.display()),
            "Drawing too large: 100000 columns × 100000 rows = 10000000000 character "
            "cells, more than the limit of 67108864; set max_width (--width on the "
            "command line) to draw it narrower.");
}

}  // namespace
}  // namespace vantri
