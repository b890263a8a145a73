// Whether a finished drawing's lines tell the truth about the graph's edges.
//
// Read with a `ReadDrawing`, every network of line cells must join the
// boxes of real edges: one tail fanning out to its heads, or several tails
// merging into one head, never several of each, and no pair of boxes joined
// by an arrowhead where the graph has no such edge (rule 1). Lines without
// arrowheads never share (rule 2, but for a star around a box whose sides
// have too few cells for its lines). A self-loop touches no other line
// (rule 3). A ┼ is always a crossing: no route turns or merges there, and
// none sits beside an arrowhead or a junction (rule 4). No text hides a
// planned line, and no cluster frame does: a line crosses a frame straight
// (rule 5). Each edge label, head label and tail label sits
// beside a stretch of its edge's line that no other edge uses (rule 6).
// Each tail arrowhead points into its own tail box, one per edge, and no
// arrowhead points into nothing (rule 7).
//
// Rules 1, 3 and 4 (its crossings beside arrowheads and junctions) and 7's
// stray arrowheads are read from the text alone; the others compare the
// text with the plan's routes and labels, which say where a line or a label
// was meant to be.
#ifndef VANTRI_TESTS_SUPPORT_LINE_RULES_H_
#define VANTRI_TESTS_SUPPORT_LINE_RULES_H_

#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "render/render_graph.h"
#include "support/drawing_reader.h"

namespace vantri::testing {

/// The checks of the rules, in rule order.
inline constexpr std::array<std::string_view, 11> kLineChecks{
    "network lies",                             // 1
    "arrowless lines shared",                   // 2
    "self-loop touched",                        // 3
    "junction drawn as a crossing",             // 4
    "crossing beside arrowhead or junction",    // 4
    "line under text",                          // 5
    "line along a frame",                       // 5
    "label beside a shared stretch",            // 6
    "tail arrowhead astray",                    // 7
    "tail arrowhead shared",                    // 7
    "arrowhead into no box",                    // 7
};

/// One broken rule, with a message naming the edges (or boxes) and the cell.
struct LineBreach {
  /// 1 to 7, and which of the rule's checks (one of `kLineChecks`).
  int rule = 0;
  const char* check = "";
  GridPoint cell;
  std::string message;
};

/// What the rules found on one drawing.
struct LineAudit {
  std::vector<LineBreach> breaches;
  /// Breaches by rule; index 0 unused.
  std::array<std::size_t, 8> by_rule{};
  std::map<std::string, std::size_t> by_check;
  /// Ordered pairs (tail box, head box) joined by a network ending in an
  /// arrowhead at the head although no edge goes that way.
  std::size_t false_pairs = 0;
  /// Unordered pairs of boxes sharing a network without arrowheads with no
  /// edge between them.
  std::size_t shared_arrowless_pairs = 0;
  /// Edge, head and tail labels whose line cells beside them are all used
  /// by other edges too.
  std::size_t labels_on_shared = 0;
  /// Edges drawn between visible boxes on the canvas, and those a reader can follow
  /// on the text: one network runs from the cell beside the tail box to the
  /// cell beside the head box and joins both, with an arrowhead into each
  /// box whose end has one and none into the other.
  std::size_t edges = 0;
  std::size_t followable = 0;
  /// Rows times the widest row of the text.
  std::size_t area = 0;
};

/// "edge 4 (a -> b)".
std::string edge_title(const Drawing& d, std::size_t e);

/// Checks `text` (the drawing's text, coloured or not) against `d`.
LineAudit audit_lines(const Drawing& d, std::string_view text,
                      const GlyphTable& glyphs = unicode_glyphs());

}  // namespace vantri::testing

#endif  // VANTRI_TESTS_SUPPORT_LINE_RULES_H_
