// The drawing reader and the line rules on drawings made by hand, right and
// deliberately wrong, and on every example graph in every colour mode; the
// plan-level audit of meeting lines on the same hand-made routes.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "render/render_graph.h"
#include "render_edges/route_faults.h"
#include "support/drawing_reader.h"
#include "support/example_graphs.h"
#include "support/line_rules.h"
#include "text/utf8.h"

namespace vantri::testing {
namespace {

struct Route {
  char tail;
  char head;
  std::vector<GridPoint> points;
  Toward start_into;
  Toward end_into;
  bool arrow_at_start = false;
  bool arrow_at_end = true;
};

// A drawing made from a picture: every letter between two box sides three
// cells off ("│ a │") names a node whose 5 × 3 box is around it; the
// routes say where each edge was meant to run.
struct Picture {
  Drawing d;
  std::string text;
};

Picture picture(const std::vector<std::string>& rows, const std::vector<Route>& routes,
                bool directed = true) {
  LayoutGraph layout;
  layout.directed = directed;
  std::vector<NodeBox> boxes;
  RoutePlan plan;
  std::string text;
  std::map<char, std::size_t> nodes;
  std::uint64_t width = 0;
  for (std::uint64_t r = 0; r < rows.size(); ++r) {
    std::vector<char32_t> row;
    for (std::size_t i = 0; i < rows[r].size();) row.push_back(next_code_point(rows[r], i));
    width = std::max<std::uint64_t>(width, row.size());
    for (std::uint64_t c = 2; c + 2 < row.size(); ++c) {
      const bool side = (row[c - 2] == U'│' && row[c + 2] == U'│') ||
                        (row[c - 2] == U'|' && row[c + 2] == U'|');
      if (!side || row[c] > 0x7F || !std::isalpha(static_cast<int>(row[c]))) continue;
      LayoutNode n;
      n.name = std::string(1, static_cast<char>(row[c]));
      nodes[static_cast<char>(row[c])] = layout.nodes.size();
      layout.nodes.push_back(n);
      boxes.push_back({c - 2, r - 1, 5, 3});
    }
    text += rows[r] + "\n";
  }
  for (const Route& r : routes) {
    LayoutEdge e;
    e.tail = nodes.at(r.tail);
    e.head = nodes.at(r.head);
    e.arrow_at_head = r.arrow_at_end;
    e.arrow_at_tail = r.arrow_at_start;
    layout.edges.push_back(e);
    plan.routes.push_back(
        {r.points, r.start_into, r.end_into, r.arrow_at_start, r.arrow_at_end, false});
  }
  plan.width = width;
  plan.height = rows.size();
  return {Drawing{std::move(layout), {}, {}, GridTransform{}, std::move(boxes), std::move(plan),
                  CharGrid(width, rows.size()), std::nullopt, {}},
          std::move(text)};
}

std::size_t check(const LineAudit& a, std::string_view name) {
  const auto found = a.by_check.find(std::string(name));
  return found == a.by_check.end() ? 0 : found->second;
}

// How many faults of `rule` the plan-level audit finds in the picture's
// routes and labels.
std::size_t plan_faults(const Picture& p, RouteFault::Rule rule) {
  FaultScene scene{p.d.layout.edges, p.d.layout.nodes, p.d.boxes, RankDir::TopToBottom, {}};
  scene.shared_lines = true;
  std::size_t n = 0;
  for (const RouteFault& f : find_route_faults(p.d.plan, scene, 100)) n += f.rule == rule;
  return n;
}

std::string replaced(std::string s, std::string_view from, std::string_view to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
  return s;
}

constexpr Toward kUp = Toward::Up, kDown = Toward::Down, kLeft = Toward::Left;

// A fan-out from a (to c and d) joined at d by b's line.
const std::vector<std::string> kFanOutMeetsFanIn = {
    "  ┌───┐   ┌───┐",
    "  │ a │   │ b │",
    "  └───┘   └───┘",
    "    │       │",
    "    ├───────┤",
    "    ▼       ▼",
    "  ┌───┐   ┌───┐",
    "  │ c │   │ d │",
    "  └───┘   └───┘",
};
const std::vector<Route> kFanOutMeetsFanInRoutes = {
    {'a', 'c', {{3, 4}, {5, 4}}, kUp, kDown},
    {'a', 'd', {{3, 4}, {4, 4}, {4, 12}, {5, 12}}, kUp, kDown},
    {'b', 'd', {{3, 12}, {5, 12}}, kUp, kDown},
};

TEST(DrawingReader, NetworksJoinTheirBoxesWhateverTheGlyphsLookLike) {
  const Picture p = picture(kFanOutMeetsFanIn, kFanOutMeetsFanInRoutes);
  // The same lines heavy, dashed, coloured, and in plain ASCII.
  const std::string heavy = replaced(replaced(p.text, "    │       │", "    ┃       ┃"),
                                     "├───────┤", "┣━━━━━━━┫");
  const std::string dashed = replaced(replaced(p.text, "    │       │", "    ┆       ┆"),
                                      "├───────┤", "├┄┄┄┄┄┄┄┤");
  const std::string coloured =
      replaced(p.text, "├───────┤", "\x1b[31m├───\x1b[0m\x1b[34m────┤\x1b[0m");
  std::string ascii = p.text;
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"┌", "+"}, {"┐", "+"}, {"└", "+"}, {"┘", "+"}, {"├", "+"}, {"┤", "+"},
           {"─", "-"}, {"│", "|"}, {"▼", "v"}}) {
    ascii = replaced(ascii, from, to);
  }
  const std::pair<std::string, const GlyphTable*> readings[] = {
      {p.text, &unicode_glyphs()}, {heavy, &unicode_glyphs()}, {dashed, &unicode_glyphs()},
      {coloured, &unicode_glyphs()}, {ascii, &ascii_glyphs()}};
  for (const auto& [text, glyphs] : readings) {
    SCOPED_TRACE(text);
    const ReadDrawing read(p.d, text, *glyphs);
    std::vector<const Network*> joining;
    for (const Network& n : read.networks()) {
      if (!n.tails.empty() || !n.heads.empty()) joining.push_back(&n);
    }
    ASSERT_EQ(joining.size(), 1u);
    EXPECT_EQ(joining[0]->tails, (std::set<std::size_t>{0, 1}));  // a, b
    EXPECT_EQ(joining[0]->heads, (std::set<std::size_t>{2, 3}));  // c, d
    EXPECT_EQ(joining[0]->cells, 13u);
    EXPECT_EQ(read.at({4, 4}).arms, (Arms{true, true, false, true}));
    EXPECT_TRUE(read.stray_arrowheads().empty());

    const LineAudit a = audit_lines(p.d, text, *glyphs);
    EXPECT_EQ(a.false_pairs, 1u);  // b -> c
    EXPECT_EQ(check(a, "network lies"), 1u);
    EXPECT_EQ(a.breaches.size(), 1u);
    EXPECT_EQ(a.followable, 3u);
    EXPECT_EQ(a.area, 9u * 15u);
  }
}

TEST(LineRules, EachDeliberateFaultIsCountedByItsOwnCheck) {
  const Picture fan = picture(kFanOutMeetsFanIn, kFanOutMeetsFanInRoutes);

  // The split drawn as ┼: read as a crossing, a's line to d stops short.
  const LineAudit crossed =
      audit_lines(fan.d, replaced(fan.text, "├───────┤", "┼───────┤"));
  EXPECT_EQ(check(crossed, "junction drawn as a crossing"), 1u);
  EXPECT_EQ(check(crossed, "network lies"), 0u);
  EXPECT_EQ(crossed.false_pairs, 0u);
  EXPECT_EQ(crossed.followable, 2u);

  // Text over the line: hidden, and the line is cut in two.
  const LineAudit hidden = audit_lines(fan.d, replaced(fan.text, "├───────┤", "├───x───┤"));
  EXPECT_EQ(check(hidden, "line under text"), 1u);
  ASSERT_FALSE(hidden.breaches.empty());
  EXPECT_NE(hidden.breaches[0].message.find("edge 1 (a -> d)"), std::string::npos)
      << hidden.breaches[0].message;
  EXPECT_NE(hidden.breaches[0].message.find("(4, 8)"), std::string::npos);
  EXPECT_EQ(hidden.followable, 2u);

  // Labels of a's line to d: one beside its own stretch, one beside the
  // stretch it shares with b's line.
  Picture labelled = picture(kFanOutMeetsFanIn, kFanOutMeetsFanInRoutes);
  labelled.d.plan.labels.push_back({LabelRole::Edge, 1, 5, 8, {"K"}, 1, "K"});
  labelled.d.plan.labels.push_back({LabelRole::Edge, 1, 5, 13, {"L"}, 1, "L"});
  const LineAudit labels =
      audit_lines(labelled.d, replaced(fan.text, "    ▼       ▼", "    ▼   K   ▼L"));
  EXPECT_EQ(labels.labels_on_shared, 1u);
  EXPECT_EQ(plan_faults(labelled, RouteFault::Rule::SharedLabel), 1u);
  EXPECT_EQ(plan_faults(labelled, RouteFault::Rule::SharedNetwork), 1u);
  EXPECT_EQ(check(labels, "label beside a shared stretch"), 1u);

  // Undirected lines sharing a junction.
  const Picture shared = picture(
      {
          "  ┌───┐   ┌───┐",
          "  │ a │   │ b │",
          "  └───┘   └───┘",
          "    │       │",
          "    └───┬───┘",
          "        │",
          "      ┌───┐",
          "      │ c │",
          "      └───┘",
      },
      {{'a', 'c', {{3, 4}, {4, 4}, {4, 8}, {5, 8}}, kUp, kDown, false, false},
       {'b', 'c', {{3, 12}, {4, 12}, {4, 8}, {5, 8}}, kUp, kDown, false, false}},
      false);
  const LineAudit arrowless = audit_lines(shared.d, shared.text);
  EXPECT_EQ(arrowless.shared_arrowless_pairs, 1u);  // a - b
  EXPECT_EQ(check(arrowless, "arrowless lines shared"), 1u);
  EXPECT_EQ(arrowless.followable, 2u);
  EXPECT_EQ(arrowless.breaches.size(), 1u);
  EXPECT_EQ(plan_faults(shared, RouteFault::Rule::ArrowlessShare), 1u);

  // A self-loop whose leg another edge leaves by.
  const Picture loop = picture(
      {
          "  ┌───┐",
          "  │ a │─┐",
          "  └───┘ │",
          "    ▲   │",
          "    └───┤",
          "        ▼",
          "      ┌───┐",
          "      │ b │",
          "      └───┘",
      },
      {{'a', 'a', {{1, 7}, {1, 8}, {4, 8}, {4, 4}, {3, 4}}, kLeft, kUp},
       {'a', 'b', {{1, 7}, {1, 8}, {5, 8}}, kLeft, kDown}});
  const LineAudit touched = audit_lines(loop.d, loop.text);
  EXPECT_EQ(check(touched, "self-loop touched"), 1u);
  EXPECT_EQ(touched.breaches.size(), 1u);
  EXPECT_EQ(plan_faults(loop, RouteFault::Rule::LoopTouch), 1u);
  EXPECT_EQ(plan_faults(loop, RouteFault::Rule::SharedNetwork), 0u);

  // Two edges with arrowheads at both ends sharing one tail arrowhead; then
  // that arrowhead turned round, and one more pointing into nothing.
  const std::vector<std::string> both = {
      "  ┌───┐   ┌───┐",
      "  │ c │   │ d │",
      "  └───┘   └───┘",
      "    ▲       ▲",
      "    ├───────┘",
      "    ▼",
      "  ┌───┐",
      "  │ a │",
      "  └───┘",
  };
  const Picture tails = picture(
      both, {{'a', 'c', {{5, 4}, {3, 4}}, kDown, kUp, true, true},
             {'a', 'd', {{5, 4}, {4, 4}, {4, 12}, {3, 12}}, kDown, kUp, true, true}});
  const LineAudit one_arrow = audit_lines(tails.d, tails.text);
  EXPECT_EQ(check(one_arrow, "tail arrowhead shared"), 2u);
  EXPECT_EQ(check(one_arrow, "network lies"), 0u);
  EXPECT_EQ(one_arrow.followable, 2u);
  EXPECT_EQ(plan_faults(tails, RouteFault::Rule::SharedTailArrow), 2u);
  EXPECT_EQ(plan_faults(tails, RouteFault::Rule::SharedNetwork), 0u);
  const LineAudit astray = audit_lines(
      tails.d, replaced(replaced(tails.text, "    ▼\n", "    ▲\n"), "│ a │", "│ a │   ▶"));
  EXPECT_EQ(check(astray, "tail arrowhead astray"), 2u);
  EXPECT_EQ(check(astray, "arrowhead into no box"), 2u);
}

// The colours and box styles change what the boxes look like, not what the
// lines say: every example graph reads the same in all three modes, and
// reads as drawn where its lines do not meet.
TEST(DrawingReader, ExampleGraphsReadTheSameInEveryColourMode) {
  ASSERT_GE(example_graphs().size(), 50u) << "install graphviz-doc";
  for (const ExampleGraph& graph : example_graphs()) {
    std::vector<LineAudit> audits;
    for (const ColorMode mode : {ColorMode::Off, ColorMode::BoxStyles, ColorMode::Ansi}) {
      RenderOptions options;
      options.color = mode;
      auto d = draw_example(graph, options);
      ASSERT_TRUE(d.has_value()) << graph.name;
      audits.push_back(audit_lines(*d, d->grid.to_text()));
    }
    for (std::size_t m = 1; m < audits.size(); ++m) {
      EXPECT_EQ(audits[m].followable, audits[0].followable) << graph.name << " mode " << m;
      EXPECT_EQ(audits[m].false_pairs, audits[0].false_pairs) << graph.name << " mode " << m;
      EXPECT_EQ(audits[m].breaches.size(), audits[0].breaches.size()) << graph.name << " mode " << m;
      EXPECT_EQ(audits[m].area, audits[0].area) << graph.name << " mode " << m;
    }
    // A graph whose drawing breaks no rule is followed edge by edge.
    if (audits[0].breaches.empty()) {
      EXPECT_EQ(audits[0].followable, audits[0].edges) << graph.name;
    }
  }
}

}  // namespace
}  // namespace vantri::testing
