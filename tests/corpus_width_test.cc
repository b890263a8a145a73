// Graphviz's example graphs and our own drawn within 80 and 120 columns.
// No row is wider than the limit; every visible node either appears whole,
// its box intact and every line of its label inside (a shortened one no
// shorter than the floor), or is left out entirely and counted in the cut
// notice; a node divided into fields keeps every field's text; no two
// nodes whose labels differ show the same text; `dot` runs at most three
// times; and most nodes fit with their labels in full. Nodes that are not whole even without a limit (boxes that overlap
// in the layout itself) are no matter of the width and are left out of the
// count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
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
  std::size_t graphs = 0;
  std::size_t broken_unlimited = 0;
  std::size_t nodes = 0;
  std::size_t whole = 0;
  std::size_t left_out = 0;
  std::size_t graphs_cut = 0;
  std::size_t layouts = 0;
  // Nodes that show a label of their own (no fields, no point), and how.
  std::size_t labels = 0;
  std::size_t labels_full = 0;
  std::size_t labels_shortened = 0;
  // Pairs of drawn nodes whose labels differ but show the same text.
  std::size_t same_text_pairs = 0;
};

// The graphs of our own examples/ folder, with Graphviz's.
std::vector<ExampleGraph> swept_graphs() {
  std::vector<ExampleGraph> graphs = example_graphs();
  std::vector<std::filesystem::path> own;
  for (const auto& entry :
       std::filesystem::directory_iterator(VANTRI_EXAMPLES_DIR)) {
    if (entry.path().extension() == ".dot") own.push_back(entry.path());
  }
  std::sort(own.begin(), own.end());
  for (const auto& path : own) {
    std::ifstream in(path, std::ios::binary);
    graphs.push_back({"examples/" + path.filename().string(),
                      {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
  }
  return graphs;
}

// The words of a label: what must all show, in order, for it to count as
// shown in full however its lines are broken.
std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  const auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; };
  while (i < text.size()) {
    while (i < text.size() && blank(text[i])) ++i;
    const std::size_t start = i;
    while (i < text.size() && !blank(text[i])) ++i;
    if (i > start) out.push_back(text.substr(start, i - start));
  }
  return out;
}

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
    if (divided(d, i)) {
      // A field's first line anywhere in the box.
      if (lines.empty() || !printable_ascii(lines[0])) continue;
      if (!shows(grid, lines[0], b.top + 1, b.bottom() - 1, b.left + 1, b.right() - 1)) {
        why = "field \"" + std::string(lines[0]) + "\" not shown";
        return false;
      }
      continue;
    }
    // A label's lines one to a row, from the box's first row.
    for (std::size_t k = 0; k < lines.size(); ++k) {
      if (!printable_ascii(lines[k])) continue;
      const std::uint64_t row = b.top + 1 + k;
      if (row >= b.bottom() || !shows(grid, lines[k], row, row, b.left + 1, b.right() - 1)) {
        why = "label line \"" + std::string(lines[k]) + "\" not shown on row " +
              std::to_string(row);
        return false;
      }
    }
  }
  return true;
}

// The graph drawn without a width limit: which visible nodes are not drawn
// whole even so, the texts of each node's fields, and each node's label.
struct Unlimited {
  std::vector<bool> broken;
  std::vector<std::vector<std::string>> fields;
  std::vector<std::string> labels;
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
    out.labels.push_back(drawing->labels[i]);
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
  // What each drawn node with a label shows, and its own label.
  std::map<std::string, std::vector<std::size_t>> by_text;
  const bool same_nodes = d.layout.nodes.size() == first.labels.size();
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
    const bool labelled = same_nodes && !divided(d, i) &&
                          d.layout.nodes[i].shape != NodeShape::Point &&
                          !words(first.labels[i]).empty();
    tally.labels += labelled;
    if (left_out) {
      // Its box, or a loop beside it (two columns each), reaches past the cut.
      const auto loops = std::count_if(d.layout.edges.begin(), d.layout.edges.end(),
                                       [&](const LayoutEdge& e) { return e.tail == i && e.head == i; });
      EXPECT_GE(d.boxes[i].right() + 2 * static_cast<std::uint64_t>(loops), d.grid.width())
          << node << " left out but fits";
      continue;
    }
    std::string why;
    EXPECT_TRUE(drawn_whole(d, i, why)) << node << ": " << why;
    tally.whole += why.empty();
    if (!labelled || !why.empty()) continue;
    if (words(d.labels[i]) == words(first.labels[i])) {
      ++tally.labels_full;
    } else {
      ++tally.labels_shortened;
      // Shortened, but never below the floor.
      EXPECT_GE(label_width(d.labels[i]),
                std::min<std::uint64_t>(label_width(first.labels[i]), kLabelFloor))
          << node << " shows \"" << d.labels[i] << "\"";
    }
    by_text[d.labels[i]].push_back(i);
  }
  tally.nodes += counted;
  for (const auto& [text, shown_by] : by_text) {
    for (std::size_t a = 0; a < shown_by.size(); ++a) {
      for (std::size_t b = a + 1; b < shown_by.size(); ++b) {
        if (first.labels[shown_by[a]] == first.labels[shown_by[b]]) continue;
        ++tally.same_text_pairs;
        ADD_FAILURE() << where << ": nodes " << shown_by[a] << " (\"" << first.labels[shown_by[a]]
                      << "\") and " << shown_by[b] << " (\"" << first.labels[shown_by[b]]
                      << "\") both show \"" << text << "\"";
      }
    }
  }
  if (d.cut) {
    ++tally.graphs_cut;
    EXPECT_EQ(d.cut->columns, width) << where;
    EXPECT_EQ(d.cut->nodes, visible) << where;
  } else {
    EXPECT_TRUE(d.left_out.empty()) << where;
  }
}

double share(std::size_t part, std::size_t whole) {
  return whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole);
}

TEST(ExampleGraphsWithinAWidth, EveryNodeWholeOrCountedAndMostFitInFull) {
  ASSERT_GE(example_graphs().size(), 50u)
      << "example graphs not found under " << testing::kExampleGraphDir
      << " (install graphviz-doc)";
  const std::vector<ExampleGraph> graphs = swept_graphs();
  struct Target {
    unsigned width;
    double whole;   // per cent of nodes whole
    double full;    // per cent of labels shown in full
  };
  for (const Target& target : {Target{80, 81.5, 60.0}, Target{120, 91.5, 75.0}}) {
    Tally tally;
    for (const ExampleGraph& graph : graphs) check_graph(graph, target.width, tally);
    EXPECT_EQ(tally.whole + tally.left_out, tally.nodes) << "at " << target.width;
    const double whole = share(tally.whole, tally.nodes);
    const double full = share(tally.labels_full, tally.labels);
    std::printf("width %u, %zu graphs: %zu of %zu nodes whole (%.1f%%), %zu left out "
                "(%zu more broken without a limit); %zu of %zu labels in full (%.1f%%), "
                "%zu shortened; %zu pairs of nodes show the same text; %zu graphs cut; "
                "%.2f dot runs a graph\n",
                target.width, graphs.size(), tally.whole, tally.nodes, whole, tally.left_out,
                tally.broken_unlimited, tally.labels_full, tally.labels, full,
                tally.labels_shortened, tally.same_text_pairs, tally.graphs_cut,
                static_cast<double>(tally.layouts) / static_cast<double>(graphs.size()));
    EXPECT_GE(whole, target.whole) << "at " << target.width;
    EXPECT_GE(full, target.full) << "at " << target.width;
  }
}

}  // namespace
}  // namespace vantri
