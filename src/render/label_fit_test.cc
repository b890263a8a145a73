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

TEST(LabelBudget, CutsEveryLineOnItsOwnAndLeavesWhatFits) {
  EXPECT_EQ(shorten_lines("short", 6, TrimStrategy::End), "short");
  EXPECT_EQ(shorten_lines("a_long_line\nok\nanother_one", 6, TrimStrategy::End),
            "a_l...\nok\nano...");
  EXPECT_EQ(shorten_lines("a_long_line\r\nx", 8, TrimStrategy::Start), "..._line\nx");

  const std::vector<std::string> unshortened = {"first_line\nsecond_line",
                                                "abcdefghijklmnopqrstuvwxyz"};
  // The label limit left b at twelve columns; a budget above it keeps that.
  std::vector<std::string> labels = {"first_line\nsecond_line", "abcdefghi..."};
  apply_label_budget(unshortened, labels, 12, TrimStrategy::End);
  EXPECT_EQ(labels, (std::vector<std::string>{"first_line\nsecond_line", "abcdefghi..."}));
  // Below it the whole text is cut, not the limited one.
  apply_label_budget(unshortened, labels, 8, TrimStrategy::Middle);
  EXPECT_EQ(labels, (std::vector<std::string>{"fir...ne\nsec...ne", "abc...yz"}));
}

}  // namespace
}  // namespace vantri
