// The json0 document walk: every reader message, ids, labels, subgraphs.
#include "graphviz/json0_reader.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace vantri {
namespace {

// A json0 document with the given "objects" and "edges" array texts; an
// empty text leaves the member out.
std::string doc(const std::string& objects, const std::string& edges = "[]",
                const std::string& extra = "") {
  std::string text = R"({"bb":"0,0,100,50")" + extra;
  if (!objects.empty()) text += R"(,"objects":)" + objects;
  if (!edges.empty()) text += R"(,"edges":)" + edges;
  return text + "}";
}

// A complete node object with id `gvid`; `extra` adds members or, coming
// later, overrides them (the last of repeated keys wins).
std::string node(const std::string& gvid, const std::string& extra = "") {
  return R"({"_gvid":)" + gvid + R"(,"pos":"1,2","width":"0.75","height":"0.5")" +
         extra + "}";
}

std::string edge(const std::string& gvid, const std::string& tail,
                 const std::string& head, const std::string& extra = "") {
  return R"({"_gvid":)" + gvid + R"(,"tail":)" + tail + R"(,"head":)" + head +
         extra + "}";
}

std::string error_of(const std::string& text) {
  auto graph = read_json0(text);
  if (graph) return "accepted";
  EXPECT_EQ(graph.error().kind(), LayoutError::Kind::Parse);
  return graph.error().detail();
}

LayoutGraph read_ok(const std::string& text) {
  auto graph = read_json0(text);
  EXPECT_TRUE(graph.has_value()) << graph.error().display();
  return graph.value_or(LayoutGraph{});
}

std::string parser_message(const std::string& text) {
  try {
    const nlohmann::json parsed = nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception& e) {
    return e.what();
  }
  return "parsed";
}

TEST(Json0Reader, JsonSyntaxErrorsPassThrough) {
  const std::vector<std::string> texts = {
      "", "{", "{} x", "[1,]", "{\"bb\":\"\xFF\"}", R"({"bb":"\q"})",
      std::string(100000, '[')};
  for (const std::string& text : texts) {
    const std::string expected = parser_message(text);
    ASSERT_NE(expected, "parsed");
    EXPECT_EQ(error_of(text), expected);
  }
  EXPECT_EQ(error_of("\xEF\xBB\xBF" + doc("[]")),
            "unexpected byte order mark before the JSON value");
}

TEST(Json0Reader, WhiteSpaceBetweenTokensNeitherJoinsNorMovesErrors) {
  // Errors name the line and column of the text as dot wrote it, however
  // the reader prepares it for the parser.
  const std::vector<std::string> texts = {
      "{\n  \"bb\": \"0,0,1,1\",\n  \"objects\": [1 2]\n}",
      "{\"bb\":\"0,0,1,1\",\n\t\"_subgraph_cnt\": 1 2}",
      "{\"bb\":\"0,0,1,1\", \"x\": tru e}",
      "{\"bb\":\"0,0,1,1\", \"x\": - 1}",
      "{\"bb\" \"0,0,1,1\"}",
      "  \r\n {\"bb\":\"0,0,1,1\"}  \n x",
      " \xEF\xBB\xBF{\"bb\":\"0,0,1,1\"}",  // a byte order mark only counts first
      "{\"bb\":\"0,0,1,1\"}\f",
  };
  for (const std::string& text : texts) {
    const std::string expected = parser_message(text);
    ASSERT_NE(expected, "parsed") << text;
    EXPECT_EQ(error_of(text), expected) << text;
  }
  // Blanks inside strings stay; blanks between tokens of any kind go.
  const LayoutGraph graph = read_ok(
      " {\n \"bb\" :\t\"0,0,100,50\" ,\r\n \"x\" : [ true , null , -2.5e3 , { } ] ,\n"
      " \"objects\" : [ { \"_gvid\" : 0 , \"pos\" : \"1, 2\" , \"width\" : \"1\" ,"
      " \"height\" : \"1\" , \"label\" : \" a \\n b \" } ] } \n");
  ASSERT_EQ(graph.nodes.size(), 1u);
  EXPECT_EQ(graph.nodes[0].label, " a \n b ");
  EXPECT_EQ(graph.nodes[0].pos, (Point{1, 2}));
}

TEST(Json0Reader, RawControlCharactersInStringsAreRead) {
  // dot writes a label's tab, line feed or escape character unescaped.
  const LayoutGraph graph = read_ok(doc(
      "[" + node("0", ",\"label\":\"x\ty\\\"\nz\x1b\"") + "]",
      "[" + edge("0", "0", "0", ",\"label\":\"p\r\nq\"") + "]"));
  ASSERT_EQ(graph.nodes.size(), 1u);
  EXPECT_EQ(graph.nodes[0].label, "x\ty\"\nz\x1b");
  EXPECT_EQ(graph.edges[0].label, "p\r\nq");
  // Outside strings they stay white space or errors, as the parser says.
  const std::string stray = "{\"bb\":\"0,0,1,1\"\x01}";
  EXPECT_EQ(error_of(stray), parser_message(stray));
}

TEST(Json0Reader, DeepNestingIsHandledWithoutRecursion) {
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  EXPECT_EQ(error_of(deep), "missing top-level 'bb' field");
  std::string nested_node = node("0", R"(,"x":)" + deep);
  EXPECT_EQ(read_ok(doc("[" + nested_node + "]")).nodes.size(), 1u);
}

TEST(Json0Reader, RootMembers) {
  EXPECT_EQ(error_of("[]"), "missing top-level 'bb' field");
  EXPECT_EQ(error_of(R"({"bb":[0,0,1,1],"objects":[]})"),
            "missing top-level 'bb' field");
  EXPECT_EQ(error_of(R"({"bb":"1,2,3","objects":5})"),
            "invalid bb format: '1,2,3' (expected 4 comma-separated values)");
  EXPECT_EQ(error_of(doc("{}")), "missing 'objects' array");
  EXPECT_EQ(error_of(doc("null")), "missing 'objects' array");
  EXPECT_EQ(error_of(doc("[]", "3")), "missing 'edges' array");
  // A bad object is found before "edges" is looked at.
  EXPECT_EQ(error_of(doc("[7]", "3")), "node missing '_gvid'");
  // dot leaves out "objects" of an empty graph and "edges" without edges.
  const LayoutGraph empty = read_ok(doc("", ""));
  EXPECT_TRUE(empty.nodes.empty() && empty.edges.empty() && empty.clusters.empty());
  EXPECT_EQ(empty.bb, (BoundingBox{0, 0, 100, 50}));
  EXPECT_EQ(read_ok(doc("[" + node("4") + "]", "")).nodes.size(), 1u);
}

TEST(Json0Reader, NodeFailures) {
  const auto objects = [](const std::string& one) { return doc("[" + one + "]"); };
  for (const char* bad_id : {"1.0", "-1", "\"1\"", "18446744073709551616", "null"}) {
    EXPECT_EQ(error_of(objects(R"({"_gvid":)" + std::string(bad_id) + "}")),
              "node missing '_gvid'") << bad_id;
  }
  EXPECT_EQ(error_of(objects(R"({"_gvid":18446744073709551615})")),
            "node 18446744073709551615 missing 'pos'");
  EXPECT_EQ(error_of(objects(R"({"_gvid":2,"pos":"1,2"})")), "node 2 missing 'width'");
  EXPECT_EQ(error_of(objects(R"({"_gvid":2,"pos":"1,2","width":0.75})")),
            "node 2 missing 'width'");
  EXPECT_EQ(error_of(objects(R"({"_gvid":2,"pos":"1,2","width":"1"})")),
            "node 2 missing 'height'");
  EXPECT_EQ(error_of(objects(node("2", R"(,"pos":"27,18!")"))),
            "invalid pos y: '18!': invalid float literal");
  EXPECT_EQ(error_of(objects(node("2", R"(,"width":" 0.75")"))),
            "node 2 invalid width: invalid float literal");
  EXPECT_EQ(error_of(objects(R"({"_gvid":2,"pos":"1,2","width":"1","height":""})")),
            "node 2 invalid height: cannot parse float from empty string");

  auto graph = read_json0(objects(node("2", R"(,"width":"wide")")));
  ASSERT_FALSE(graph.has_value());
  EXPECT_EQ(graph.error().display(),
            "Failed to parse Graphviz json0 output: node 2 invalid width: "
            "invalid float literal");
}

TEST(Json0Reader, EdgeFailures) {
  const std::string nodes = "[" + node("0") + "," + node("1") + "]";
  const auto edges = [&](const std::string& one) { return doc(nodes, "[" + one + "]"); };
  EXPECT_EQ(error_of(edges("7")), "edge missing '_gvid'");
  EXPECT_EQ(error_of(edges(R"({"_gvid":-3})")), "edge missing '_gvid'");
  EXPECT_EQ(error_of(edges(edge("5", "1.0", "1"))), "edge 5 missing 'tail'");
  // A head that is no id is reported before the tail is looked up.
  EXPECT_EQ(error_of(edges(edge("5", "99", "\"1\""))), "edge 5 missing 'head'");
  EXPECT_EQ(error_of(edges(edge("5", "9", "8"))), "edge 5: tail gvid 9 not found in nodes");
  EXPECT_EQ(error_of(edges(edge("5", "0", "8"))), "edge 5: head gvid 8 not found in nodes");
  EXPECT_EQ(error_of(edges(edge("5", "0", "1", R"(,"lp":"1;2")"))),
            "invalid pos format: '1;2' (expected 'x,y')");
  EXPECT_EQ(error_of(edges(edge("5", "0", "1", R"(,"pos":"e,")"))),
            "invalid pos format: '' (expected 'x,y')");
  // Only node objects are in the id map, not subgraphs.
  const std::string with_subgraph =
      R"([{"_gvid":7,"nodes":[1]},)" + node("0") + "," + node("1") + "]";
  EXPECT_EQ(error_of(doc(with_subgraph, "[" + edge("0", "7", "1") + "]")),
            "edge 0: tail gvid 7 not found in nodes");
}

TEST(Json0Reader, NodeFields) {
  const LayoutGraph graph = read_ok(doc(
      "[" + node("3", R"(,"shape":"rectangle","fillcolor":"","name":"n3")") + "," +
      node("4", R"(,"shape":"Box","fillcolor":7)") + "," +
      node("5", R"(,"shape":"doublecircle","pos":"1, -2.5")") + "," +
      node("6", R"(,"shape":"rect")") + "," + node("7", R"(,"shape":"box")") + "," +
      node("8", R"(,"shape":"point")") + "]"));
  ASSERT_EQ(graph.nodes.size(), 6u);
  const LayoutNode& first = graph.nodes[0];
  EXPECT_EQ(first.gvid, 3u);
  EXPECT_EQ(first.pos, (Point{1, 2}));
  EXPECT_EQ(first.width, 54.0);
  EXPECT_EQ(first.height, 36.0);
  EXPECT_EQ(first.fillcolor, "");
  EXPECT_EQ(first.name, "n3");
  EXPECT_EQ(first.label, "");  // no "label" member: no name either
  EXPECT_FALSE(graph.nodes[1].fillcolor.has_value());
  EXPECT_FALSE(graph.nodes[1].name.has_value());
  EXPECT_EQ(graph.nodes[2].pos, (Point{1, -2.5}));
  const NodeShape shapes[] = {NodeShape::Box, NodeShape::Other, NodeShape::DoubleCircle,
                              NodeShape::Box, NodeShape::Box,   NodeShape::Point};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(graph.nodes[i].shape, shapes[i]) << i;
}

TEST(Json0Reader, GraphKindRankDirectionAndTitle) {
  const LayoutGraph plain = read_ok(doc("[]"));
  EXPECT_TRUE(plain.directed);
  EXPECT_FALSE(plain.strict);
  EXPECT_EQ(plain.rankdir, RankDir::TopToBottom);
  EXPECT_FALSE(plain.label.has_value());
  const LayoutGraph titled = read_ok(doc(
      "[]", "[]",
      R"(,"directed":false,"strict":true,"rankdir":"BT","label":"T","lp":"5,6","labelloc":"t")"));
  EXPECT_FALSE(titled.directed);
  EXPECT_TRUE(titled.strict);
  EXPECT_EQ(titled.rankdir, RankDir::BottomToTop);
  EXPECT_EQ(titled.label, "T");
  EXPECT_EQ(titled.label_pos, (Point{5, 6}));
  EXPECT_TRUE(titled.label_at_top);
  EXPECT_EQ(read_ok(doc("[]", "[]", R"(,"rankdir":"LR","directed":"no")")).rankdir,
            RankDir::LeftToRight);
  EXPECT_TRUE(read_ok(doc("[]", "[]", R"(,"directed":"no")")).directed);
  EXPECT_EQ(read_ok(doc("[]", "[]", R"(,"rankdir":"RL")")).rankdir, RankDir::RightToLeft);
}

TEST(Json0Reader, NodeDecorations) {
  const LayoutGraph graph = read_ok(doc(
      "[" +
      node("1", R"(,"shape":"record","label":"<f0> a\\|b|{c|d}","rects":"0,1,2,3 4,5,6,7")") +
      "," + node("2", R"(,"style":"filled, invis","xlabel":"x","xlp":"8,9")") + "," +
      node("3", R"(,"shape":"Mrecord","rects":"1,2,3","xlp":"oops","style":"invisible")") +
      "]"));
  ASSERT_EQ(graph.nodes.size(), 3u);
  EXPECT_EQ(graph.nodes[0].shape, NodeShape::Record);
  EXPECT_EQ(graph.nodes[0].raw_label, "<f0> a\\|b|{c|d}");
  EXPECT_EQ(graph.nodes[0].rects, (std::vector<BoundingBox>{{0, 1, 2, 3}, {4, 5, 6, 7}}));
  EXPECT_FALSE(graph.nodes[0].invisible);
  EXPECT_TRUE(graph.nodes[1].invisible);
  EXPECT_EQ(graph.nodes[1].xlabel, "x");
  EXPECT_EQ(graph.nodes[1].xlabel_pos, (Point{8, 9}));
  EXPECT_EQ(graph.nodes[2].shape, NodeShape::MRecord);
  EXPECT_TRUE(graph.nodes[2].rects.empty());  // unreadable: drawn as a plain box
  EXPECT_FALSE(graph.nodes[2].xlabel_pos.has_value());
  EXPECT_FALSE(graph.nodes[2].invisible);
}

TEST(Json0Reader, EdgeEndsAndDecorations) {
  const std::string nodes = "[" + node("0") + "," + node("1") + "]";
  const std::string edges =
      "[" + edge("0", "0", "1") + "," + edge("1", "0", "1", R"(,"dir":"back")") + "," +
      edge("2", "0", "1", R"(,"dir":"both","arrowtail":"none")") + "," +
      edge("3", "0", "1", R"(,"dir":"none")") + "," +
      edge("4", "0", "1", R"(,"arrowhead":"none","style":"invis")") + "," +
      edge("5", "0", "1",
           R"(,"dir":"sideways","tailport":"f0","headport":"n","headlabel":"H",)"
           R"("head_lp":"1,2","taillabel":"T","tail_lp":"3,4","xlabel":"X","xlp":"5,6")") +
      "]";
  const LayoutGraph directed = read_ok(doc(nodes, edges));
  ASSERT_EQ(directed.edges.size(), 6u);
  const std::pair<bool, bool> ends[] = {{true, false}, {false, true}, {true, false},
                                        {false, false}, {false, false}, {true, false}};
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(std::pair(directed.edges[i].arrow_at_head, directed.edges[i].arrow_at_tail),
              ends[i])
        << i;
  }
  EXPECT_TRUE(directed.edges[4].invisible);
  const LayoutEdge& decorated = directed.edges[5];
  EXPECT_EQ(decorated.tail_port, "f0");
  EXPECT_EQ(decorated.head_port, "n");
  EXPECT_EQ(decorated.head_label, "H");
  EXPECT_EQ(decorated.head_label_pos, (Point{1, 2}));
  EXPECT_EQ(decorated.tail_label, "T");
  EXPECT_EQ(decorated.tail_label_pos, (Point{3, 4}));
  EXPECT_EQ(decorated.xlabel, "X");
  EXPECT_EQ(decorated.xlabel_pos, (Point{5, 6}));

  // Undirected: no arrowheads unless "dir" asks for them.
  const LayoutGraph undirected = read_ok(doc(nodes, edges, R"(,"directed":false)"));
  EXPECT_FALSE(undirected.edges[0].arrow_at_head);
  EXPECT_TRUE(undirected.edges[1].arrow_at_tail);
  EXPECT_TRUE(undirected.edges[2].arrow_at_head);
  EXPECT_FALSE(undirected.edges[5].arrow_at_head);
}

TEST(Json0Reader, NodeLabelsExpandPlaceholderAndLineEnds) {
  struct Case { const char* name_member; const char* label_json; const char* label; };
  const Case cases[] = {
      {R"(,"name":"a")", R"("\\N")", "a"},
      {"", R"("\\N")", "\\N"},                        // no name: kept
      {R"(,"name":5)", R"("x\\N")", "x\\N"},          // non-string name: kept
      {R"(,"name":"p\\nq")", R"("\\N!")", "p\\nq!"},  // name inserted verbatim
      // \l and \r also end lines, marked flush left and right.
      {R"(,"name":"a")", R"("1\\n2\\l3\\r4")", "1\n2\x0e\n3\x0f\n4"},
      {R"(,"name":"a")", R"("\\\\n")", "\\n"},        // an escaped backslash, then n
      {R"(,"name":"a")", R"("\\\\\\n")", "\\\n"},  // backslash, then a line end
      {R"(,"name":"a")", R"("\\x\\")", "\\x\\"},
      {R"(,"name":"a")", R"("\\NN")", "aN"},
      {R"(,"name":"a")", R"(7)", ""},
  };
  for (const Case& c : cases) {
    const std::string object =
        node("1", std::string(c.name_member) + R"(,"label":)" + c.label_json);
    const LayoutGraph graph = read_ok(doc("[" + object + "]"));
    ASSERT_EQ(graph.nodes.size(), 1u);
    EXPECT_EQ(graph.nodes[0].label, c.label) << c.label_json;
  }
}

TEST(Json0Reader, EdgesResolveToNodeIndices) {
  const std::string nodes = "[" + node("0") + "," + node("3") + "," + node("3") + "]";
  const LayoutGraph graph = read_ok(doc(
      nodes, "[" + edge("0", "3", "0", R"(,"label":"a\\nb","lp":"5,6","pos":"s,1,1 2,2")") +
                 "," + edge("1", "0", "0", R"(,"label":"")") + "]"));
  ASSERT_EQ(graph.nodes.size(), 3u);  // repeated gvid: both kept
  ASSERT_EQ(graph.edges.size(), 2u);
  const LayoutEdge& e = graph.edges[0];
  EXPECT_EQ(e.tail, 2u);  // the later node with gvid 3
  EXPECT_EQ(e.head, 0u);
  EXPECT_EQ(e.label, "a\\nb");  // verbatim
  EXPECT_EQ(e.label_pos, (Point{5, 6}));
  EXPECT_EQ(e.points, (std::vector<Point>{{2, 2}}));
  EXPECT_EQ(e.start_point, (Point{1, 1}));
  const LayoutEdge& loop = graph.edges[1];
  EXPECT_EQ(loop.gvid, 1u);
  EXPECT_EQ(loop.tail, loop.head);
  EXPECT_FALSE(loop.label || loop.label_pos || loop.end_point);
  EXPECT_TRUE(loop.points.empty());
}

TEST(Json0Reader, ManyEdgesMapThroughIds) {
  constexpr int kCount = 20000;
  std::string nodes = "[";
  std::string edges = "[";
  for (int i = 0; i < kCount; ++i) {
    nodes += (i ? "," : "") + node(std::to_string(1000 + i));
    edges += (i ? "," : "") + edge(std::to_string(i), std::to_string(1000 + i),
                                   std::to_string(1000 + (i * 7) % kCount));
  }
  const LayoutGraph graph = read_ok(doc(nodes + "]", edges + "]"));
  ASSERT_EQ(graph.edges.size(), static_cast<std::size_t>(kCount));
  for (int i = 0; i < kCount; i += 997) {
    EXPECT_EQ(graph.edges[i].tail, static_cast<std::size_t>(i));
    EXPECT_EQ(graph.edges[i].head, static_cast<std::size_t>((i * 7) % kCount));
  }
}

TEST(Json0Reader, SubgraphsByNodesMemberOrCount) {
  // An empty subgraph has neither "nodes" nor node fields; the count says
  // it is a subgraph. A subgraph without "bb" is no cluster.
  const std::string objects =
      R"([{"_gvid":0,"name":"s"},{"_gvid":1,"nodes":null,"name":"t"},)" + node("2") + "]";
  EXPECT_EQ(read_ok(doc(objects, "", R"(,"_subgraph_cnt":1)")).nodes.size(), 1u);
  for (const char* bad_count : {"-1", "1.0", "\"1\"", "0"}) {
    EXPECT_EQ(error_of(doc(objects, "", R"(,"_subgraph_cnt":)" + std::string(bad_count))),
              "node 0 missing 'pos'") << bad_count;
  }
  // A count larger than the list is harmless; a node object inside it is skipped.
  EXPECT_TRUE(read_ok(doc(objects, "", R"(,"_subgraph_cnt":99)")).nodes.empty());
}

TEST(Json0Reader, ClustersAreSubgraphsWithBb) {
  const std::string objects =
      R"([{"name":"cluster0","bb":"8,8,78,83","label":"C\\nD","nodes":[]},)"
      R"({"name":"plain","bb":" 1, 2 ,3,4","nodes":[],"label":5},)"
      R"({"name":"cluster_x","nodes":[],"bb":7},)"
      R"({"name":"cluster_y","nodes":[]}])";
  const LayoutGraph graph = read_ok(doc(objects));
  ASSERT_EQ(graph.clusters.size(), 2u);
  EXPECT_EQ(graph.clusters[0].label, "C\\nD");  // verbatim
  EXPECT_EQ(graph.clusters[0].bb, (BoundingBox{8, 8, 78, 83}));
  EXPECT_EQ(graph.clusters[1].label, "");
  EXPECT_EQ(graph.clusters[1].bb, (BoundingBox{1, 2, 3, 4}));
  EXPECT_EQ(error_of(doc(R"([{"nodes":[],"bb":"1,2,3"}])")),
            "invalid bb format: '1,2,3' (expected 4 comma-separated values)");
  EXPECT_EQ(error_of(doc(R"([{"nodes":[],"bb":"1,2,3,x"}])")),
            "invalid bb component 3: 'x': invalid float literal");
}

}  // namespace
}  // namespace vantri
