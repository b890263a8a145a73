#include "render/render_graph.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fake_layout.h"
#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri {
namespace {

using testing::FakeLayout;
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
  return result ? result->text : "";
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

// Draws with a width limit; further layouts fail, so the first is drawn.
Drawing draw_limited(LayoutGraph g, std::uint64_t max_width) {
  FakeLayout failing;
  RenderOptions options;
  options.max_width = max_width;
  options.color = ColorMode::Off;
  auto drawing = draw_layout("", std::move(g), options, failing.function());
  EXPECT_TRUE(drawing.has_value());
  return std::move(drawing.value());
}

TEST(RenderLayout, WidthLimitsCutTheCanvasAndLeaveOutWhatDoesNotFit) {
  LayoutGraph g;
  g.bb = {0, 0, 200, 36};
  g.nodes = {node_at(27, 18, "A"), node_at(170, 18, "B")};
  for (std::uint64_t limit : {0u, 3u, 12u}) {
    RenderOptions options;
    options.max_width = limit;
    FakeLayout failing;
    const std::string text = render_layout("", g, options, failing.function())->text;
    EXPECT_LE(widest_line(text), limit) << text;
    if (limit == 0) {
      EXPECT_EQ(text, "\n");
    }
  }
  // B's box would be cut in two at 12 columns: it is left out whole, and
  // the cut says so.
  const Drawing cut = draw_limited(g, 12);
  EXPECT_EQ(cut.left_out, std::vector<std::size_t>{1});
  ASSERT_TRUE(cut.cut.has_value());
  EXPECT_EQ(cut.cut->message("--width"),
            "drawing cut at 12 columns: 1 of 2 nodes do not fit; a wider --width shows them");
  EXPECT_EQ(cut.grid.to_text(), "\n\n┌───┐\n│ A │\n└───┘\n");
  EXPECT_FALSE(draw_limited(g, 40).cut.has_value());
  EXPECT_EQ((DrawingCut{80, 1, 1}.message("max_width")),
            "drawing cut at 80 columns: 1 of 1 node does not fit; a wider max_width shows them");
  // Drawn whole instead: nothing cut or left out, as narrow as the fitting
  // made it, and the rendering says it is wider than asked.
  RenderOptions whole;
  whole.max_width = 12;
  whole.overflow = WidthOverflow::Widen;
  whole.color = ColorMode::Off;
  FakeLayout failing;
  const auto widened = render_layout("", g, whole, failing.function());
  ASSERT_TRUE(widened.has_value());
  EXPECT_TRUE(widened->widened);
  EXPECT_FALSE(widened->cut.has_value());
  EXPECT_GT(widest_line(widened->text), 12u);
  EXPECT_NE(widened->text.find("│ A │"), std::string::npos) << widened->text;
  EXPECT_NE(widened->text.find("│ B │"), std::string::npos) << widened->text;
  whole.max_width = 40;
  EXPECT_FALSE(render_layout("", g, whole, failing.function())->widened);
}

TEST(RenderLayout, BlankColumnsBesideADrawingGoBeforeAnyCut) {
  // A node twenty inches wide centres both boxes 66 columns in; within 60
  // columns they are drawn whole at the left.
  LayoutGraph g;
  g.bb = {0, 0, 1440, 108};
  g.nodes = {node_at(720, 90, "a"), node_at(720, 18, "b")};
  g.nodes[0].width = 1440;
  const Drawing drawing = draw_limited(g, 60);
  EXPECT_FALSE(drawing.cut.has_value());
  EXPECT_TRUE(drawing.left_out.empty());
  EXPECT_EQ(drawing.grid.to_text(), "\n\n┌───┐\n│ a │\n└───┘\n\n\n\n┌───┐\n│ b │\n└───┘\n");
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

TEST(RenderLayout, AbsurdCanvasFailsCleanlyWithAdviceThatWorks) {
  LayoutGraph g;
  g.bb = {0, 0, 1e12, 1e12};
  g.nodes = {node_at(1, 1, "tiny"), node_at(5e11, 5e11, "huge")};
  g.nodes[1].width = 1e12;
  g.nodes[1].height = 1e12;
  auto result = render_layout("", g, {}, no_relayout());
  ASSERT_FALSE(result.has_value());
  ASSERT_TRUE(std::holds_alternative<CanvasTooLarge>(result.error()));
  EXPECT_TRUE(display(result.error()).ends_with("it is too tall to draw at any width."))
      << display(result.error());

  // Wide but not tall: the message names a width limit, and it works.
  g.bb = {0, 0, 1e12, 100};
  g.nodes[1].pos = {5e11, 50};
  g.nodes[1].height = 36;
  result = render_layout("", g, {}, no_relayout());
  ASSERT_FALSE(result.has_value());
  const std::string message = display(result.error());
  const std::size_t at = message.find("a width limit of ");
  ASSERT_NE(at, std::string::npos) << message;
  RenderOptions options;
  options.max_width = std::stoull(message.substr(at + 17));
  FakeLayout failing;
  auto drawn = render_layout("", g, options, failing.function());
  ASSERT_TRUE(drawn.has_value()) << display(drawn.error());
  EXPECT_LE(widest_line(drawn->text), *options.max_width);
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

// Fitting a graph of records, HTML-like labels and a title into a narrow
// width with `dot` laid out again: fields stay whole, HTML-like text shows
// without markup and shortened like any label, the label limit holds for
// every layout without making the fitting shorten more than it would
// anyway, and the title stays within the width.
TEST(RenderLayout, WidthFittingKeepsFieldsTheTitleAndTheLabelLimit) {
  const std::string dot =
      "digraph { label=\"The services of the shop\"; labelloc=t;\n"
      "  r [shape=record, label=\"{<in> gateway_entry|routing_table}\"];\n"
      "  t [shape=plaintext, label=<<TABLE><TR><TD>cell_one</TD><TD>cell_two</TD></TR>"
      "</TABLE>>];\n"
      "  h [label=<<B>html_label_that_is_rather_long</B>>];\n"
      "  a [label=\"plain_label_number_one_long\"];\n"
      "  r -> h; r -> a; h -> t }";
  RenderOptions options;
  options.trim = TrimStrategy::End;
  options.color = ColorMode::Off;
  const auto draw = [&](std::optional<std::uint64_t> max_width, int* layouts,
                        std::optional<std::uint64_t> max_label = 20) {
    options.max_width = max_width;
    options.max_label = max_label;
    const LayoutFunction counted = [layouts](std::string_view source,
                                             std::span<const std::string> args) {
      ++*layouts;
      return layout_with_dot(source, args);
    };
    auto layout = layout_with_dot(dot);
    EXPECT_TRUE(layout.has_value()) << layout.error().display();
    auto d = draw_layout(dot, std::move(*layout), options, counted);
    EXPECT_TRUE(d.has_value());
    return std::move(*d);
  };
  int unlimited_layouts = 0;
  const Drawing wide = draw(std::nullopt, &unlimited_layouts);
  int layouts = 0;
  const Drawing narrow = draw(44, &layouts);
  ASSERT_GE(layouts, 1) << "the fitting laid nothing out again";
  EXPECT_LE(layouts, 2);
  EXPECT_FALSE(narrow.cut.has_value());
  EXPECT_LE(narrow.grid.width(), 44u);
  ASSERT_EQ(narrow.layout.nodes.size(), wide.layout.nodes.size());
  std::size_t divided = 0;
  for (std::size_t i = 0; i < narrow.layout.nodes.size(); ++i) {
    const std::string name = narrow.layout.nodes[i].name.value_or("?");
    const bool fields = !narrow.fields.empty() && !narrow.fields[i].empty();
    if (fields) {
      ++divided;
      ASSERT_EQ(narrow.fields[i].fields.size(), wide.fields[i].fields.size()) << name;
      for (std::size_t f = 0; f < narrow.fields[i].fields.size(); ++f) {
        EXPECT_EQ(narrow.fields[i].fields[f].text, wide.fields[i].fields[f].text) << name;
      }
      continue;
    }
    EXPECT_LE(label_width(narrow.labels[i]), 20u) << name << ": " << narrow.labels[i];
    EXPECT_LT(label_width(narrow.labels[i]), label_width(wide.labels[i])) << name;
    EXPECT_EQ(narrow.labels[i].find('<'), std::string::npos) << name;
  }
  EXPECT_EQ(divided, 2u);
  int unlimited_label_layouts = 0;
  EXPECT_EQ(draw(44, &unlimited_label_layouts, std::nullopt).labels, narrow.labels);
  const std::string text = narrow.grid.to_text();
  EXPECT_NE(text.find("The services of the shop"), std::string::npos) << text;
  EXPECT_NE(text.find("html_"), std::string::npos) << text;
  EXPECT_NE(text.find("routing_table"), std::string::npos) << text;
}

TEST(RenderLayout, LayoutErrorsAndCanvasErrorsDisplayTheirText) {
  EXPECT_EQ(display(RenderError(LayoutError::dot_not_found())),
            "Graphviz `dot` command not found in PATH. Please install Graphviz.");
  EXPECT_EQ((CanvasTooLarge{100000, 100000}.display()),
            "Drawing too large: 100000 columns × 100000 rows = 10000000000 character "
            "cells, more than the limit of 67108864; a width limit of 671 columns or "
            "less draws it (max_width, --width on the command line).");
}

}  // namespace
}  // namespace vantri
