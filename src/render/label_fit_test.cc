#include "render/label_fit.h"

#include <gtest/gtest.h>

#include "render/build_transform.h"
#include "support/fake_layout.h"

namespace vantri {
namespace {

using testing::FakeLayout;

LayoutNode named(std::string name, std::string label, double width = 54) {
  LayoutNode n;
  n.name = std::move(name);
  n.label = std::move(label);
  n.width = width;
  n.height = 36;
  return n;
}

TEST(LabelLimit, TrimsOnlyLabelsWiderThanTheLimit) {
  std::vector<std::string> labels = {"hello", "hello world", "ab\ncdefgh"};
  apply_label_limit(labels, std::nullopt, TrimStrategy::End);
  EXPECT_EQ(labels[1], "hello world");

  apply_label_limit(labels, 5, TrimStrategy::End);
  EXPECT_EQ(labels[0], "hello");     // exactly the limit
  EXPECT_EQ(labels[1], "he...");     // one byte wider is cut
  // The longest line decides, but the whole text is trimmed.
  EXPECT_EQ(labels[2], "ab...");
}

TEST(LabelLimit, ZeroLimitAndColumnWidths) {
  std::vector<std::string> labels = {"x", "\u00e9\u00e9\u00e9\u00e9\u00e9", "日本語"};
  apply_label_limit(labels, 0, TrimStrategy::Start);
  EXPECT_EQ(labels[0], "");
  labels = {"x", "\u00e9\u00e9\u00e9\u00e9\u00e9", "日本語"};
  // Five columns (ten bytes) fit a limit of five; six columns do not.
  apply_label_limit(labels, 5, TrimStrategy::End);
  EXPECT_EQ(labels[1], "\u00e9\u00e9\u00e9\u00e9\u00e9");
  EXPECT_EQ(labels[2], "日...");
}

TEST(RewriteDotLabels, ReplacesLiteralLabelsEverywhere) {
  std::vector<LayoutNode> nodes = {named("a", "first line\nsecond"), named("b", "same")};
  std::vector<std::string> labels = {"first...", "same"};
  const std::string dot =
      "digraph { a [label=\"first line\\nsecond\"]; c [label=\"first line\\nsecond\"]; "
      "b [label=\"same\"] }";
  EXPECT_EQ(rewrite_dot_labels(dot, nodes, labels),
            "digraph { a [label=\"first...\"]; c [label=\"first...\"]; "
            "b [label=\"same\"] }");
  EXPECT_EQ(escape_label("a\nb\"c\\d"), "a\\nb\"c\\d");
}

TEST(RewriteDotLabels, NodesWithoutALiteralLabelGetAStatement) {
  std::vector<LayoutNode> nodes = {
      named("an_extremely_long_identifier", "an_extremely_long_identifier"),
      named("spaced", "spaced out label"), named("html", "<b>bold</b> text"),
      named("quo\"te", "quoted name here")};
  std::vector<std::string> labels = {"an_...ier", "sp...el", "<b>...xt", "q\"\\\nx"};
  const std::string dot =
      "digraph {\n  an_extremely_long_identifier -> spaced;\n"
      "  spaced [label = \"spaced out label\"];\n  html [label=<<b>bold</b> text>];\n"
      "  \"quo\\\"te\";\n}\n";
  EXPECT_EQ(rewrite_dot_labels(dot, nodes, labels),
            "digraph {\n  an_extremely_long_identifier -> spaced;\n"
            "  spaced [label = \"spaced out label\"];\n  html [label=<<b>bold</b> text>];\n"
            "  \"quo\\\"te\";\n"
            "\n\"an_extremely_long_identifier\" [label=\"an_...ier\"];\n"
            "\"spaced\" [label=\"sp...el\"];\n"
            "\"html\" [label=\"<b>...xt\"];\n"
            "\"quo\\\"te\" [label=\"q\\\"\\\\\\nx\"];\n"
            "}\n");
}

TEST(RewriteDotLabels, SkipsNamesThatCannotBeQuoted) {
  std::vector<LayoutNode> nodes = {named("back\\", "long label"), named("", "x")};
  nodes[1].name.reset();
  std::vector<std::string> labels = {"lo...", "y"};
  EXPECT_EQ(rewrite_dot_labels("graph { }", nodes, labels), "graph { }");
}

LayoutGraph wide_graph() {
  LayoutGraph g;
  g.bb = {0, 0, 400, 36};
  g.nodes = {named("short", "ab"), named("long", "a_very_long_label_for_a_box", 300)};
  g.nodes[0].label = "ab";
  return g;
}

std::vector<std::string> labels_of(const LayoutGraph& g) {
  std::vector<std::string> labels;
  for (const auto& n : g.nodes) labels.push_back(n.label);
  return labels;
}

TEST(FitLabelsToWidth, NothingToDoWithoutALimitOrWhenItFits) {
  LayoutGraph g = wide_graph();
  auto labels = labels_of(g);
  std::vector<FieldLayout> fields;
  GridTransform t = build_transform(g.bb, g.nodes, labels);
  const std::uint64_t natural = t.width;
  FakeLayout fake;
  RenderOptions options;
  fit_labels_to_width("", g, labels, fields, t, options, fake.function());
  options.max_width = 4;  // below 5: no fitting
  fit_labels_to_width("", g, labels, fields, t, options, fake.function());
  options.max_width = natural;
  fit_labels_to_width("", g, labels, fields, t, options, fake.function());
  EXPECT_EQ(t.width, natural);
  EXPECT_EQ(fake.calls, 0);
  EXPECT_EQ(labels, labels_of(g));
}

TEST(FitLabelsToWidth, LabelsWithinTheirRoomOnlyNarrowTheCanvas) {
  LayoutGraph g = wide_graph();
  g.nodes[1].label = "short_one";
  auto labels = labels_of(g);
  std::vector<FieldLayout> fields;
  GridTransform t = build_transform(g.bb, g.nodes, labels);
  ASSERT_GT(t.width, 30u);
  FakeLayout fake;
  RenderOptions options;
  options.max_width = 30;
  fit_labels_to_width("", g, labels, fields, t, options, fake.function());
  EXPECT_EQ(t.width, 30u);
  EXPECT_EQ(fake.calls, 0);
}

TEST(FitLabelsToWidth, ShortensAndLaysOutOnceMore) {
  LayoutGraph g = wide_graph();
  auto labels = labels_of(g);
  std::vector<FieldLayout> fields;
  GridTransform t = build_transform(g.bb, g.nodes, labels);
  FakeLayout fake;
  LayoutGraph second;
  second.bb = {0, 0, 120, 36};
  second.nodes = {named("short", "ab"), named("long", "a_very...box", 100)};
  fake.result = second;
  RenderOptions options;
  options.max_width = 40;
  options.trim = TrimStrategy::End;
  const std::string dot = "digraph { short; long [label=\"a_very_long_label_for_a_box\"] }";
  fit_labels_to_width(dot, g, labels, fields, t, options, fake.function());
  EXPECT_EQ(fake.calls, 1);
  // Scale 400 / 38 points a column; the long node has room for
  // floor(300 / (400 / 38)) - 4 = 24 bytes.
  EXPECT_EQ(fake.last_source, "digraph { short; long [label=\"a_very_long_label_for...\"] }");
  EXPECT_EQ(g.bb, second.bb);
  EXPECT_EQ(labels, (std::vector<std::string>{"ab", "a_very...box"}));
  EXPECT_LE(t.width, 40u);
}

TEST(FitLabelsToWidth, RoomNeverBelowEightBytes) {
  LayoutGraph g = wide_graph();
  g.nodes[1].width = 10;  // almost no room at all
  auto labels = labels_of(g);
  std::vector<FieldLayout> fields;
  GridTransform t = build_transform(g.bb, g.nodes, labels);
  FakeLayout fake;
  RenderOptions options;
  options.max_width = 20;
  options.trim = TrimStrategy::End;
  fake.result = g;
  fit_labels_to_width("x [label=\"a_very_long_label_for_a_box\"]", g, labels, fields, t, options,
                      fake.function());
  EXPECT_EQ(fake.last_source, "x [label=\"a_ver...\"]");
}

TEST(FitLabelsToWidth, AFailingSecondLayoutKeepsTheFirst) {
  LayoutGraph g = wide_graph();
  auto labels = labels_of(g);
  std::vector<FieldLayout> fields;
  GridTransform t = build_transform(g.bb, g.nodes, labels);
  FakeLayout fake;  // no result: the second layout fails
  RenderOptions options;
  options.max_width = 40;
  options.trim = TrimStrategy::End;
  fit_labels_to_width("digraph { }", g, labels, fields, t, options, fake.function());
  EXPECT_EQ(fake.calls, 1);
  EXPECT_EQ(t.width, 40u);
  EXPECT_EQ(labels[1], "a_very_long_label_for...");
  EXPECT_EQ(g.nodes[1].label, "a_very_long_label_for_a_box");
}

}  // namespace
}  // namespace vantri
