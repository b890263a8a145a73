#include "graphviz/dot_tokens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantri {
namespace {

using Pieces = std::vector<std::string_view>;

TEST(DotTokens, GraphsEndAtTheirOwnClosingBraceOnly) {
  // Braces in comments, strings (an escaped quote too), HTML strings and
  // preprocessor lines close nothing; a subgraph's brace closes no graph.
  const std::string first =
      "/* } */ digraph one { // }\n"
      "  a [label=\"}\\\" }\"]; b [label=<<b>}</b>>];\n"
      "# }\n"
      "  subgraph s { c } a -> c }";
  const std::string second = "\nstrict graph \"two\" { x -- y }";
  const std::string third = " digraph { z } // the end }\n";
  const std::string text = first + second + third;
  EXPECT_EQ(split_dot_graphs(text), (Pieces{first, second, third}));
  // Nothing closes a graph: the whole text, whatever dot makes of it.
  for (const std::string_view alone : {"", "  // only a comment\n", "digraph { a -> b"}) {
    EXPECT_EQ(split_dot_graphs(alone), Pieces{alone}) << alone;
  }
  // An unfinished string runs to the end and hides the brace after it:
  // the second graph never ends, and stays with the first.
  const std::string_view unfinished = "digraph { a } graph { \"b }";
  EXPECT_EQ(split_dot_graphs(unfinished), Pieces{unfinished});
}

}  // namespace
}  // namespace vantri
