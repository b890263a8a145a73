#include "graphviz/record_label.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantri {
namespace {

// The fields of a label read without rectangles, written back as
// "[a|b]" for a row, "(a/b)" for a column, "text<port>" for a field.
std::string shape_of(const FieldTree& t) {
  if (!t.is_grid()) return t.text + (t.port.empty() ? "" : "<" + t.port + ">");
  const bool row = t.rows == 1 && t.columns > 1;
  std::string out = row ? "[" : "(";
  for (std::size_t k = 0; k < t.items.size(); ++k) {
    if (k > 0) out += row ? "|" : "/";
    out += shape_of(t.items[k].field);
  }
  return out + (row ? "]" : ")") + (t.port.empty() ? "" : "<" + t.port + ">");
}

std::string read(std::string_view label, bool top_down = false,
                 std::vector<BoundingBox> rects = {}) {
  const std::string name = "node";
  const auto tree = parse_record_label(label, &name, top_down, rects);
  return tree ? shape_of(*tree) : "invalid";
}

TEST(RecordLabel, FieldsPortsAndNesting) {
  EXPECT_EQ(read("<f0> left|<f1> middle|<f2> right"),
            "[left<f0>|middle<f1>|right<f2>]");
  EXPECT_EQ(read("hello\\nworld |{ b |{c|<here> d|e}| f}| g | h"),
            "[hello\nworld|(b/[c|d<here>|e]/f)|g|h]");
  // A left-to-right graph turns the top level on its side.
  EXPECT_EQ(read("a|{b|c}", true), "(a/[b|c])");
  EXPECT_EQ(read("single"), "single");
  EXPECT_EQ(read("\\N"), "node");
  // Empty fields stay fields.
  EXPECT_EQ(read("<f0> |<f1> G|<f2> "), "[<f0>|G<f1>|<f2>]");
  EXPECT_EQ(read("{}"), "()");
}

TEST(RecordLabel, BlanksAndEscapes) {
  EXPECT_EQ(read("  two   words  "), "two words");
  EXPECT_EQ(read("mid\\ dle|\\{x\\}\\||a\\<b\\>|back\\\\slash|\\q"),
            "[mid dle|{x}||a<b>|back\\slash|\\q]");
  EXPECT_EQ(read("a \\n b"), "a\nb");
}

TEST(RecordLabel, MalformedLabelsAreNotFields) {
  for (const char* bad : {"a{b}", "{a|b", "a}b", "{a}b", "<port", "a|{b|{c}"}) {
    EXPECT_EQ(read(bad), "invalid") << bad;
  }
  EXPECT_EQ(read(std::string(kMaxFieldDepth - 1, '{') + std::string(kMaxFieldDepth - 1, '}'))
                .find("invalid"),
            std::string::npos);
  EXPECT_EQ(read(std::string(kMaxFieldDepth, '{') + std::string(kMaxFieldDepth, '}')), "invalid");
}

// Which way a group runs comes from the rectangles dot gave its fields
// when there is one per text field, whatever the rank direction says.
TEST(RecordLabel, DirectionsFollowTheFieldRectangles) {
  // a | {foo | x | bar} | b as dot lays it out top to bottom and left to right.
  const std::vector<BoundingBox> across = {{0, 0.5, 25, 69.5},     {25, 46.5, 66, 69.5},
                                           {25, 23.5, 66, 46.5},   {25, 0.5, 66, 23.5},
                                           {66, 0.5, 92, 69.5}};
  const std::vector<BoundingBox> down = {{0, 46.5, 104, 69.5},   {0, 23.5, 38, 46.5},
                                         {38, 23.5, 63, 46.5},   {63, 23.5, 104, 46.5},
                                         {0, 0.5, 104, 23.5}};
  const char* label = "a | { <f0> foo | x | <f1> bar } | b";
  EXPECT_EQ(read(label, false, across), "[a|(foo<f0>/x/bar<f1>)|b]");
  EXPECT_EQ(read(label, true, across), "[a|(foo<f0>/x/bar<f1>)|b]");
  EXPECT_EQ(read(label, false, down), "(a/[foo<f0>|x|bar<f1>]/b)");
  // Too few rectangles: the rank direction decides.
  EXPECT_EQ(read(label, true, {across[0]}), "(a/[foo<f0>|x|bar<f1>]/b)");
}

}  // namespace
}  // namespace vantri
