// Graphviz's example graphs drawn within 80 and 120 columns. No row is
// wider than the limit; every visible node either appears whole, its box
// intact and its label (shortened no further than the floor) inside, or is
// left out entirely and counted in the cut notice; a node divided into
// fields keeps every field's text; `dot` runs at most three times; and
// most nodes fit. Nodes that are not whole even without a limit
// (boxes that overlap in the layout itself) are no matter of the width and
// are left out of the count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "render/node_faces.h"
#include "render/render_graph.h"
#include "render/width_model.h"
#include "support/example_graphs.h"
#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri {
namespace {

using testing::draw_example;
using testing::example_graphs;
using testing::ExampleGraph;

struct Tally {
  std::size_t broken_unlimited = 0;
  std::size_t nodes = 0;
  std::size_t whole = 0;
  std::size_t left_out = 0;
  std::size_t graphs_cut = 0;
  std::size_t layouts = 0;
};

// The characters of `row` from `first` to `last`, inclusive.
std::u32string row_text(const CharGrid& grid, std::uint64_t row, std::uint64_t first,
                        std::uint64_t last) {
  std::u32string text;
  for (std::uint64_t col = first; col <= last; ++col) text += grid.at(row, col).character();
  return text;
}

std::u32string code_points(std::string_view text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) out += next_code_point(text, i);
  return out;
}

bool printable_ascii(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7f; });
}

bool divided(const Drawing& d, std::size_t i) {
  return i < d.fields.size() && !d.fields[i].empty();
}

// The texts of the fields node `i` is divided into, in order.
std::vector<std::string> field_texts(const Drawing& d, std::size_t i) {
  std::vector<std::string> texts;
  if (divided(d, i)) {
    for (const LaidField& field : d.fields[i].fields) texts.push_back(field.text);
  }
  return texts;
}

// Whether `line` shows on one of the rows `top` to `bottom` between
// columns `left` and `right`.
bool shows(const CharGrid& grid, std::string_view line, std::uint64_t top, std::uint64_t bottom,
           std::uint64_t left, std::uint64_t right) {
  for (std::uint64_t row = top; row <= bottom; ++row) {
    if (row_text(grid, row, left, right).find(code_points(line)) != std::u32string::npos) {
      return true;
    }
  }
  return false;
}

// Whether node `i` is drawn whole: its box on the grid with its four
// corners (light, round or double; a point its dot) and its label's first
// line inside, or the first line of every field's text.
bool drawn_whole(const Drawing& d, std::size_t i, std::string& why) {
  const NodeBox& b = d.boxes[i];
  const CharGrid& grid = d.grid;
  if (b.right() >= grid.width() || b.bottom() >= grid.height()) {
    why = "box reaches past the grid";
    return false;
  }
  const auto is = [&](std::uint64_t row, std::uint64_t col, std::u32string_view any) {
    return grid.at(row, col).kind() == CellKind::Node &&
           any.find(grid.at(row, col).character()) != std::u32string_view::npos;
  };
  if (d.layout.nodes[i].shape == NodeShape::Point) {
    if (!is(b.top, b.left, U"●")) why = "dot missing";
    return why.empty();
  }
  if (!is(b.top, b.left, U"┌╭╔") || !is(b.top, b.right(), U"┐╮╗") ||
      !is(b.bottom(), b.left, U"└╰╚") || !is(b.bottom(), b.right(), U"┘╯╝")) {
    why = "corners missing";
    return false;
  }
  if (b.height <= 2 || b.width <= 2) return true;
  const std::vector<std::string> texts =
      divided(d, i) ? field_texts(d, i) : std::vector<std::string>{d.labels[i]};
  for (const std::string& text : texts) {
    const std::vector<std::string_view> lines = split_label_lines(text);
    if (lines.empty() || !printable_ascii(lines[0])) continue;
    // A label's first line is on the box's first row; a field's anywhere in it.
    const std::uint64_t last_row = divided(d, i) ? b.bottom() - 1 : b.top + 1;
    if (!shows(grid, lines[0], b.top + 1, last_row, b.left + 1, b.right() - 1)) {
      why = "label \"" + std::string(lines[0]) + "\" not shown";
      return false;
    }
  }
  return true;
}

// The graph drawn without a width limit: which visible nodes are not drawn
// whole even so, and the texts of each node's fields.
struct Unlimited {
  std::vector<bool> broken;
  std::vector<std::vector<std::string>> fields;
};

Unlimited unlimited(const ExampleGraph& graph) {
  RenderOptions options;
  options.color = ColorMode::Off;
  auto drawing = draw_example(graph, options);
  Unlimited out;
  if (!drawing) return out;
  for (std::size_t i = 0; i < drawing->boxes.size(); ++i) {
    std::string why;
    out.broken.push_back(!drawing->layout.nodes[i].invisible && !drawn_whole(*drawing, i, why));
    out.fields.push_back(field_texts(*drawing, i));
  }
  return out;
}

void check_graph(const ExampleGraph& graph, std::uint64_t width, Tally& tally) {
  const Unlimited first = unlimited(graph);
  const std::vector<bool>& broken = first.broken;
  RenderOptions options;
  options.max_width = width;
  options.color = ColorMode::Off;
  int layouts = 0;
  auto drawing = draw_example(graph, options, &layouts);
  ASSERT_TRUE(drawing.has_value()) << graph.name << ": " << display(drawing.error());
  const Drawing& d = *drawing;
  const std::string where = graph.name + " at " + std::to_string(width);
  EXPECT_LE(layouts, 3) << where;
  tally.layouts += static_cast<std::size_t>(layouts);
  EXPECT_LE(d.grid.width(), width) << where;
  const std::string text = d.grid.to_text();
  for (std::string_view line : split_label_lines(text)) {
    EXPECT_LE(text_width(line), width) << where;
  }

  std::size_t visible = 0;
  std::size_t counted = 0;
  for (std::size_t i = 0; i < d.boxes.size(); ++i) {
    if (d.layout.nodes[i].invisible) continue;
    ++visible;
    const std::string node = where + " node " + std::to_string(i);
    if (divided(d, i) || (i < first.fields.size() && !first.fields[i].empty())) {
      // Fields are never shortened to fit (a graph laid out again keeps
      // its nodes in order).
      if (d.layout.nodes.size() == first.fields.size()) {
        EXPECT_EQ(field_texts(d, i), first.fields[i]) << node;
      }
    } else {
      // Shortened, perhaps, but never below the floor.
      EXPECT_GE(label_width(d.labels[i]),
                std::min<std::uint64_t>(label_width(display_label(d.layout.nodes[i])),
                                        kLabelFloor))
          << node;
    }
    const bool left_out =
        std::binary_search(d.left_out.begin(), d.left_out.end(), i);
    // A node drawn broken even without a limit is not counted (a graph
    // laid out again keeps its nodes in order).
    if (i < broken.size() && broken[i] && d.layout.nodes.size() == broken.size()) {
      ++tally.broken_unlimited;
      continue;
    }
    ++counted;
    tally.left_out += left_out;
    if (left_out) {
      EXPECT_GE(d.boxes[i].right(), d.grid.width()) << node << " left out but fits";
      continue;
    }
    std::string why;
    EXPECT_TRUE(drawn_whole(d, i, why)) << node << ": " << why;
    tally.whole += why.empty();
  }
  tally.nodes += counted;
  if (d.cut) {
    ++tally.graphs_cut;
    EXPECT_EQ(d.cut->columns, width) << where;
    EXPECT_EQ(d.cut->nodes, visible) << where;
  } else {
    EXPECT_TRUE(d.left_out.empty()) << where;
  }
}

TEST(ExampleGraphsWithinAWidth, EveryNodeWholeOrCountedAndMostFit) {
  ASSERT_GE(example_graphs().size(), 50u)
      << "example graphs not found under " << testing::kExampleGraphDir
      << " (install graphviz-doc)";
  for (const auto& [width, share] : {std::pair{80u, 0.80}, std::pair{120u, 0.90}}) {
    Tally tally;
    for (const ExampleGraph& graph : example_graphs()) check_graph(graph, width, tally);
    EXPECT_EQ(tally.whole + tally.left_out, tally.nodes) << "at " << width;
    const double whole = static_cast<double>(tally.whole) / static_cast<double>(tally.nodes);
    EXPECT_GE(whole, share) << "at " << width;
    std::printf("width %u: %zu of %zu nodes whole (%.1f%%), %zu left out and counted "
                "(%zu more broken without a limit); %zu of %zu graphs cut; %.2f dot runs "
                "a graph\n",
                width, tally.whole, tally.nodes, 100 * whole, tally.left_out,
                tally.broken_unlimited,
                tally.graphs_cut, example_graphs().size(),
                static_cast<double>(tally.layouts) / static_cast<double>(example_graphs().size()));
  }
}

}  // namespace
}  // namespace vantri
