#include "render/label_fit.h"

#include <gtest/gtest.h>

namespace vantri {
namespace {

LayoutNode named(std::string name, std::string label, double width = 54) {
  LayoutNode n;
  n.name = std::move(name);
  n.label = std::move(label);
  n.width = width;
  n.height = 36;
  return n;
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

}  // namespace
}  // namespace vantri
