#include "render/fit_width.h"

#include <gtest/gtest.h>

#include <regex>

#include "render/build_transform.h"
#include "render/width_model.h"
#include "support/fake_layout.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

using testing::FakeLayout;

// A stand-in for `dot` on graphs of one rank: every node statement
// `nK [label="..."]` becomes a box as wide as Graphviz makes one for its
// label (seven points a byte and sixteen of margin, never below 54), side
// by side with `nodesep` between them (-Gnodesep, 0.25 inch by default).
struct RowLayout {
  int calls = 0;
  std::vector<std::vector<std::string>> args;

  static LayoutGraph lay_out(std::string_view source, double nodesep) {
    LayoutGraph g;
    static const std::regex statement(R"re(n(\d+) \[label="([^"]*)"\])re");
    double x = 0;
    const std::string text(source);
    for (std::sregex_iterator it(text.begin(), text.end(), statement), end; it != end; ++it) {
      LayoutNode node;
      node.name = "n" + (*it)[1].str();
      node.label = (*it)[2].str();
      node.width = std::max(54.0, 7.0 * static_cast<double>(label_width(node.label)) + 16);
      node.height = 36;
      if (!g.nodes.empty()) x += nodesep;
      node.pos = {x + node.width / 2, 18};
      x += node.width;
      g.nodes.push_back(node);
    }
    g.bb = {0, 0, x, 36};
    return g;
  }

  LayoutFunction function() {
    return [this](std::string_view source, std::span<const std::string> dot_args)
               -> std::expected<LayoutGraph, LayoutError> {
      ++calls;
      args.emplace_back(dot_args.begin(), dot_args.end());
      double nodesep = 18;
      for (const std::string& arg : dot_args) {
        if (arg.starts_with("-Gnodesep=")) nodesep = 72 * std::stod(arg.substr(10));
      }
      return lay_out(source, nodesep);
    };
  }
};

// Sizes a layout the way the pipeline does, without edges.
SizedLayout sized(LayoutGraph layout, NodeFaces faces) {
  SizedLayout s;
  s.transform = build_transform(layout.bb, layout.nodes, faces.labels, faces.fields);
  for (std::size_t i = 0; i < layout.nodes.size(); ++i) {
    s.boxes.push_back(i < faces.fields.size()
                          ? node_box(s.transform, layout.nodes[i], faces.labels[i],
                                     faces.fields[i])
                          : node_box(s.transform, layout.nodes[i], faces.labels[i]));
  }
  s.width = s.transform.width;
  s.layout = std::move(layout);
  s.labels = std::move(faces.labels);
  s.fields = std::move(faces.fields);
  return s;
}

std::string row_source(const std::vector<std::string>& labels) {
  std::string dot = "digraph {";
  for (std::size_t i = 0; i < labels.size(); ++i) {
    dot += " n" + std::to_string(i) + " [label=\"" + labels[i] + "\"];";
  }
  return dot + " }";
}

WidthFit fit(const std::string& dot, std::uint64_t max_width,
             const LayoutFunction& relayout) {
  LayoutGraph first = RowLayout::lay_out(dot, 18);
  std::vector<std::string> labels;
  for (const LayoutNode& node : first.nodes) labels.push_back(node.label);
  RenderOptions options;
  options.max_width = max_width;
  options.trim = TrimStrategy::End;
  return fit_to_width(dot, sized(std::move(first), {std::move(labels), {}}), options, relayout,
                      sized);
}

TEST(FitToWidth, NothingToDoWithoutALimitWhenItFitsOrWithoutLayouts) {
  const std::string dot = row_source({"alpha", "beta"});
  FakeLayout fake;
  EXPECT_EQ(fit(dot, 1000, fake.function()).layouts, 0);
  EXPECT_EQ(fit(dot, 10, nullptr).layouts, 0);
  LayoutGraph first = RowLayout::lay_out(dot, 18);
  std::vector<std::string> labels = {"alpha", "beta"};
  const WidthFit unlimited =
      fit_to_width(dot, sized(first, {labels, {}}), RenderOptions{}, fake.function(), sized);
  EXPECT_EQ(unlimited.layouts, 0);
  EXPECT_EQ(fake.calls, 0);
}

TEST(FitToWidth, ShortensJustEnoughInOneMoreLayout) {
  // Four labels of 30 bytes: 226 points each, 37 columns at 6.6 points.
  const std::vector<std::string> long_labels(4, std::string(30, 'x'));
  for (const std::uint64_t limit : {70u, 80u, 120u}) {
    RowLayout dot;
    const WidthFit result = fit(row_source(long_labels), limit, dot.function());
    ASSERT_EQ(dot.calls, 1) << limit;
    EXPECT_TRUE(dot.args[0].empty()) << "labels alone can do it at " << limit;
    EXPECT_LE(result.sized.width, limit);
    std::uint64_t budget = 0;
    for (const std::string& label : result.sized.labels) {
      EXPECT_GE(label_width(label), kLabelFloor);
      budget = std::max<std::uint64_t>(budget, label_width(label));
    }
    // A few columns more would not have fitted: the estimate is close.
    std::vector<std::string> longer(4, std::string(budget + 3, 'x'));
    EXPECT_GT(sized(RowLayout::lay_out(row_source(longer), 18), {longer, {}}).width, limit)
        << "budget " << budget << " at " << limit;
  }
}

TEST(FitToWidth, LaysOutTighterOnlyWhenLabelsAtTheFloorCannotFit) {
  // Twelve short labels: nothing to shorten, 54-point boxes 18 points apart.
  std::vector<std::string> labels;
  for (int i = 0; i < 12; ++i) labels.push_back("n" + std::to_string(i));
  RowLayout dot;
  const std::string source = row_source(labels);
  const std::uint64_t natural = fit(source, 1000, dot.function()).sized.width;
  const WidthFit result = fit(source, natural - 10, dot.function());
  ASSERT_EQ(dot.calls, 1);
  ASSERT_EQ(dot.args[0].size(), 7u);
  EXPECT_TRUE(dot.args[0][0].starts_with("-Gnodesep=0.")) << dot.args[0][0];
  EXPECT_EQ(dot.args[0][1], "-Gratio=");
  EXPECT_EQ(dot.args[0][2], "-Nshape=box");
  // Nodes as wide as their boxes: a fixed-width font, two characters of
  // margin, no least size.
  EXPECT_EQ(std::vector(dot.args[0].begin() + 3, dot.args[0].end()),
            (std::vector<std::string>{"-Nfontname=Courier", "-Nwidth=0", "-Nheight=0",
                                      "-Nmargin=0.233,0.05"}));
  EXPECT_LE(result.sized.width, natural - 10);
  EXPECT_EQ(result.sized.labels, labels);
  // Boxes may touch but never overlap.
  for (std::size_t i = 1; i < result.sized.boxes.size(); ++i) {
    EXPECT_GT(result.sized.boxes[i].left, result.sized.boxes[i - 1].right());
  }
}

TEST(FitToWidth, AtMostTwoMoreLayoutsAndTheBestIsKept) {
  const std::vector<std::string> labels(6, std::string(20, 'y'));
  const std::string dot = row_source(labels);
  // A `dot` whose every layout is worse than the first: the first stays.
  FakeLayout worse;
  worse.result = RowLayout::lay_out(dot, 2000);
  const WidthFit kept = fit(dot, 40, worse.function());
  EXPECT_GE(worse.calls, 1);
  EXPECT_LE(worse.calls, 2);
  EXPECT_EQ(kept.layouts, worse.calls);
  EXPECT_EQ(kept.sized.labels, labels);
  EXPECT_EQ(kept.sized.layout.bb, RowLayout::lay_out(dot, 18).bb);
  // A failing layout ends the fitting with the best so far, drawn with the
  // labels it asked for.
  FakeLayout broken;
  const WidthFit first = fit(dot, 40, broken.function());
  EXPECT_EQ(broken.calls, 1);
  EXPECT_EQ(first.layouts, 0);
  EXPECT_EQ(first.sized.layout.bb, RowLayout::lay_out(dot, 18).bb);
  EXPECT_EQ(label_width(first.sized.labels[0]), kLabelFloor);
  // Far too narrow for anything: labels at the floor, laid out tight, and
  // the drawing that leaves the most boxes whole.
  RowLayout real;
  const WidthFit narrow = fit(dot, 30, real.function());
  EXPECT_LE(real.calls, 2);
  EXPECT_GT(narrow.sized.width, 30u);
  EXPECT_EQ(label_width(narrow.sized.labels[0]), kLabelFloor);
  EXPECT_GE(nodes_within(narrow.sized, 30), 2u);
}

}  // namespace
}  // namespace vantri
