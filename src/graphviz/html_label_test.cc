#include "graphviz/html_label.h"

#include <gtest/gtest.h>

#include "graphviz/html_label_marks.h"

namespace vantri {
namespace {

TEST(HtmlLabel, TextWithoutMarkup) {
  const auto text = [](std::string_view html) { return read_html_label(html).text; };
  EXPECT_EQ(text("<b>bold</b> &amp; <I>it</I><br/>next <FONT COLOR=\"red\">line</FONT>"),
            "bold & it\nnext line");
  // Tabs and line feeds of the source are not shown; spaces are.
  EXPECT_EQ(text("a\n\tb  c"), "ab  c");
  EXPECT_EQ(text("x<!-- <b>hidden</b> -->y<BR ALIGN=\"LEFT\"/>z"), "xy\nz");
  EXPECT_EQ(text("&lt;&gt;&quot;&#931;&#x263A;&alpha;&eacute;&nbsp;|&euro;"), "<>\"Σ☺αé\u00a0|€");
  // Not an entity, not a tag: shown as written.
  EXPECT_EQ(text("AT&T &bogus; 1 < 2"), "AT&T &bogus; 1 < 2");
  EXPECT_EQ(text("<BR/><BR/>  middle  <BR/><BR/>"), "middle");
  EXPECT_FALSE(read_html_label("plain").table.has_value());
}

TEST(HtmlLabel, TablesAreGridsOfCells) {
  const HtmlLabel label = read_html_label(
      "<TABLE PORT=\"t\"><TR><TD COLSPAN=\"2\">wide</TD><TD ROWSPAN=\"2\" PORT=\"p\">tall</TD></TR>"
      "<TR><TD>a<BR/>b</TD><TD><TABLE><TR><TD>in</TD></TR><TR><TD>ner</TD></TR></TABLE></TD></TR>"
      "</TABLE>");
  ASSERT_TRUE(label.table);
  const FieldTree& t = *label.table;
  EXPECT_EQ(t.port, "t");
  EXPECT_EQ(t.rows, 2u);
  EXPECT_EQ(t.columns, 3u);
  ASSERT_EQ(t.items.size(), 4u);
  EXPECT_EQ(t.items[0].field.text, "wide");
  EXPECT_EQ(t.items[0].column_span, 2u);
  EXPECT_EQ(t.items[1].field.port, "p");
  EXPECT_EQ(t.items[1].column, 2u);
  EXPECT_EQ(t.items[1].row_span, 2u);
  // The second row's cells skip the column the tall cell still takes.
  EXPECT_EQ(t.items[2].field.text, "a\nb");
  EXPECT_EQ(t.items[2].column, 0u);
  EXPECT_EQ(t.items[3].column, 1u);
  EXPECT_TRUE(t.items[3].field.is_grid());
  EXPECT_EQ(t.items[3].field.rows, 2u);
  // As text only: cells parted by │, rows on lines.
  EXPECT_EQ(html_label_text("<TABLE><TR><TD>a</TD><TD>b</TD></TR><TR><TD>c</TD></TR></TABLE>"),
            "a │ b\nc");
  // A table in font tags is still a table; missing closing tags end cells.
  EXPECT_TRUE(read_html_label("<B><TABLE><TR><TD>x<TD>y</TABLE></B>").table);
  EXPECT_EQ(read_html_label("<B><TABLE><TR><TD>x<TD>y</TABLE></B>").table->items.size(), 2u);
}

TEST(HtmlLabel, TheDotTextTellsWhichLabelsAreHtml) {
  const std::string dot =
      "digraph { // label=<not this>\n"
      "  a [label=<<b>bold</b> &amp; x>]; b [label=\"<b>quoted</b>\"];\n"
      "  /* label=<nor this> */ c [\"label\" = <x<y>z>]; d [xlabel=<ext>];\n"
      "#  label=<preprocessor line>\n"
      "  subgraph cluster_1 { label=<Cluster> e } label = <Title>; a -> b [label=<edge>] }";
  EXPECT_EQ(html_label_values(dot),
            (std::vector<std::string_view>{"<b>bold</b> &amp; x", "x<y>z", "Cluster", "Title",
                                           "edge"}));
  LayoutGraph g;
  g.nodes.resize(3);
  g.nodes[0].raw_label = "<b>bold</b> &amp; x";
  g.nodes[1].raw_label = "<b>quoted</b>";
  g.nodes[2].raw_label = "x<y>z";
  g.clusters.push_back({"Cluster", {}});
  g.label = "Title";
  g.edges.resize(1);
  g.edges[0].label = "edge";
  mark_html_labels(dot, g);
  EXPECT_TRUE(g.nodes[0].label_is_html);
  EXPECT_FALSE(g.nodes[1].label_is_html);
  EXPECT_TRUE(g.nodes[2].label_is_html);
  EXPECT_TRUE(g.clusters[0].label_is_html);
  EXPECT_TRUE(g.label_is_html);
  EXPECT_TRUE(g.edges[0].label_is_html);
  EXPECT_TRUE(html_label_values("digraph { a -> b; c [label=\"x<y\"] }").empty());
}

// BORDER and CELLBORDER of 0 take the lines away (a cell's own BORDER
// over its table's, CELLBORDER following BORDER when not given); font tags
// mark stretches of a cell's text, which follow it as its blanks go.
TEST(HtmlLabel, BordersAndFontStyles) {
  const HtmlLabel label = read_html_label(
      R"(<TABLE BORDER="0"><TR><TD> <B>bold <I>both</I></B> </TD><TD BORDER="1">x</TD></TR>)"
      R"(<TR><TD><FONT COLOR="red">r<U>u</U></FONT><BR/>plain</TD></TR></TABLE>)");
  ASSERT_TRUE(label.table.has_value());
  const FieldTree& t = *label.table;
  EXPECT_FALSE(t.outline);
  ASSERT_EQ(t.items.size(), 3u);
  EXPECT_FALSE(t.items[0].field.outline);
  EXPECT_TRUE(t.items[1].field.outline);
  const FieldTree& first = t.items[0].field;
  EXPECT_EQ(first.text, "bold both");
  TextStyle b{.bold = true};
  TextStyle bi{.bold = true, .italic = true};
  EXPECT_EQ(first.runs, (std::vector<StyledRun>{{0, 5, b}, {5, 9, bi}}));
  const FieldTree& third = t.items[2].field;
  EXPECT_EQ(third.text, "ru\nplain");
  TextStyle red{.color = "red"};
  TextStyle red_u{.underline = true, .color = "red"};
  EXPECT_EQ(third.runs, (std::vector<StyledRun>{{0, 1, red}, {1, 2, red_u}}));
  EXPECT_TRUE(read_html_label("<TABLE><TR><TD>a</TD></TR></TABLE>").table->items[0].field.outline);
  EXPECT_FALSE(read_html_label(R"(<TABLE CELLBORDER="0"><TR><TD>a</TD></TR></TABLE>)")
                   .table->items[0].field.outline);
}

}  // namespace
}  // namespace vantri
