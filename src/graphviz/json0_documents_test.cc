#include "graphviz/json0_documents.h"

#include <gtest/gtest.h>

#include <string>

#include "graphviz/json0_reader.h"

namespace vantri {
namespace {

// A json0 document of one node named `name`, with a label that holds what
// could pass for the end of a document: brackets, an escaped quote, a raw
// line feed as dot writes it.
std::string document(const std::string& name) {
  return "{\n  \"bb\": \"0,0,54,36\",\n  \"objects\": [\n    {\"_gvid\": 0, \"name\": \"" + name +
         "\", \"label\": \"} ]\\\" {\n}\", \"pos\": \"27,18\", \"width\": \"0.75\", "
         "\"height\": \"0.5\"}\n  ],\n  \"edges\": []\n}\n";
}

TEST(Json0Documents, EveryDocumentInTurnAndNoneForBlankOutput) {
  const std::string a = document("a");
  const std::string b = document("b\\\\");
  const std::string two = a + b;
  const std::string spaced = " \n" + two;
  const auto split = split_json_documents(spaced);
  ASSERT_EQ(split.size(), 2u);
  EXPECT_EQ(std::string(split[0]) + "\n", a);
  EXPECT_EQ(std::string(split[1]) + "\n", b);

  auto graphs = read_json0_documents(two);
  ASSERT_TRUE(graphs.has_value()) << graphs.error().display();
  ASSERT_EQ(graphs->size(), 2u);
  EXPECT_EQ((*graphs)[0].nodes.at(0).name, "a");
  EXPECT_EQ((*graphs)[1].nodes.at(0).name, "b\\");

  for (const char* blank : {"", " \n\t\r\n"}) {
    auto none = read_json0_documents(blank);
    ASSERT_FALSE(none.has_value());
    EXPECT_EQ(none.error().kind(), LayoutError::Kind::NoGraph);
    EXPECT_EQ(none.error().display(),
              "the DOT text holds no graph (it is empty, or only blanks and comments)");
  }
  // What is no series of documents fails as the reader says: a document
  // that does not end, or a bad one after a good one.
  for (const std::string& bad : {a + "{\"bb\": [", a + "x", "{\"bb\": \"1,2\"}" + a}) {
    auto graphs_read = read_json0_documents(bad);
    ASSERT_FALSE(graphs_read.has_value()) << bad;
    EXPECT_EQ(graphs_read.error().kind(), LayoutError::Kind::Parse) << bad;
  }
  EXPECT_EQ(read_json0_documents(a + "x").error().display(),
            read_json0("x").error().display());
  EXPECT_EQ(read_json0_documents("{").error().display(), read_json0("{").error().display());
}

}  // namespace
}  // namespace vantri
