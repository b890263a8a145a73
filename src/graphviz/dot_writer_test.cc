// What the writer writes, read back by the installed `dot`.
#include "graphviz/dot_writer.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "graphviz/run_dot.h"

namespace vantri {
namespace {

TEST(DotWriter, AwkwardNamesAndValuesReachDotWhole) {
  const std::string long_name = "long " + std::string(3 * kMaxDotStringPiece, 'x') + "\"é\\";
  // Names dot reads back as written: no backslash, no NUL.
  const std::vector<std::string> plain = {
      "a\"b", "x:y", "x:y:sw", "node", "-1", "1.5", "", " ", "é 數 ☃", "line\nbreak\r\n",
      "tab\tend", "<b>not html</b>", "a -> b", "{", "}", "#", "//", "/*", "'", "+",
      long_name.substr(0, long_name.size() - 4)};
  // Names with backslashes and NULs, which dot keeps its own way.
  const std::vector<std::string> others = {
      "a\\", "a\\\"b", "\\\"", "\\", "a\\nb", "\\\nb", std::string("nul\0in", 6),
      std::string("\\\0", 2), long_name, std::string(kMaxDotStringPiece + 1, '\\')};
  std::vector<std::string> names = plain;
  names.insert(names.end(), others.begin(), others.end());

  DotWriter writer(true);
  writer.graph_attribute("label", "title \"quoted\" \\");
  writer.begin_defaults("node");
  writer.attribute("shape", "box");
  writer.end_statement();
  writer.begin_defaults("edge");
  writer.end_statement();
  for (const std::string& name : names) {
    writer.begin_node(name);
    writer.attribute("label", name);
    writer.attribute(name, name);
    writer.end_statement();
  }
  for (std::size_t i = 1; i < names.size(); ++i) {
    writer.begin_edge(names[i - 1], names[i]);
    writer.attribute("label", names[i]);
    writer.attribute("x:y", "\\");
    writer.end_statement();
  }
  const std::string text = std::move(writer).finish();
  auto layout = layout_with_dot(text);
  ASSERT_TRUE(layout.has_value()) << layout.error().display() << "\n" << text.substr(0, 2000);
  // Every name one node of its own, none merged or parted, the plain ones
  // as written.
  ASSERT_EQ(layout->nodes.size(), names.size());
  ASSERT_EQ(layout->edges.size(), names.size() - 1);
  std::set<std::string> read;
  for (std::size_t i = 0; i < names.size(); ++i) {
    ASSERT_TRUE(layout->nodes[i].name.has_value());
    read.insert(*layout->nodes[i].name);
    if (i < plain.size()) {
      EXPECT_EQ(*layout->nodes[i].name, names[i]);
    }
  }
  EXPECT_EQ(read.size(), names.size());
  EXPECT_EQ(layout->nodes.back().name->size(), kMaxDotStringPiece + 2);
  EXPECT_EQ(layout->label, "title \"quoted\" \\\\");
}

}  // namespace
}  // namespace vantri
