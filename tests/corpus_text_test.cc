// Graphviz's own example graphs, laid out by the installed `dot`: every
// text the DOT file holds must reach the reader. Read off the finished text
// as a terminal lays it out, every box's borders stand in the columns the
// grid gave them (wide characters take two), and every non-empty label of
// a node, record field, HTML-like label, cluster and the graph title shows
// as readable text where it belongs. Only a label limit or a width limit
// may shorten a label, and only the way the trim strategy cuts; an edge's
// labels within a label limit show whole, however many bytes their
// characters take, and wider ones are cut to the limit in columns.
//
// What a label says is worked out here from the layout's own strings, by
// a reading of the record and HTML-like syntax simpler than the drawing's:
// the pieces of text between the markup, each of which must be shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "graphviz/html_label.h"
#include "graphviz/label_text.h"
#include "grid/char_grid.h"
#include "render/render_graph.h"
#include "support/example_graphs.h"
#include "support/terminal_screen.h"
#include "text/label_lines.h"
#include "text/utf8.h"
#include "trim/trim.h"

namespace vantri {
namespace {

using testing::draw_example;
using testing::example_graphs;
using testing::ExampleGraph;
using testing::TerminalScreen;

// The lines of `text`, blanks at their ends removed, empty ones dropped.
std::vector<std::string> pieces_of(std::string_view text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view piece = trim_white_space(text.substr(start, end - start));
    if (!piece.empty()) out.emplace_back(piece);
    start = end + 1;
  }
  return out;
}

// The texts of a record label's fields: what lies between unescaped
// separators, without "<port>" names, escapes resolved, blanks shrunk.
std::vector<std::string> record_pieces(std::string_view label, const std::string& name) {
  std::vector<std::string> fields(1);
  bool in_port = false;
  for (std::size_t i = 0; i < label.size(); ++i) {
    const char c = label[i];
    if (in_port) {
      in_port = c != '>';
    } else if (c == '\\' && i + 1 < label.size()) {
      const char next = label[++i];
      if (next == 'n' || next == 'l' || next == 'r') {
        fields.back() += '\n';
      } else if (next == 'N') {
        fields.back() += name;
      } else if (std::string_view("{}|<> \\").find(next) != std::string_view::npos) {
        fields.back() += next;
      } else {
        fields.back() += {'\\', next};
      }
    } else if (c == '<') {
      in_port = true;
    } else if (c == '|' || c == '{' || c == '}') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  std::vector<std::string> out;
  for (const std::string& field : fields) {
    for (std::string piece : pieces_of(field)) {
      // Runs of blanks show as one.
      std::string shrunk;
      for (char c : piece) {
        if (c != ' ' || shrunk.empty() || shrunk.back() != ' ') shrunk += c;
      }
      out.push_back(std::move(shrunk));
    }
  }
  return out;
}

// The texts between the tags of an HTML-like label, entities decoded,
// characters that do not print dropped.
std::vector<std::string> html_pieces(std::string_view label) {
  std::vector<std::string> out;
  std::string piece;
  const auto flush = [&] {
    for (std::string& p : pieces_of(decode_html_entities(piece))) {
      std::string printable;
      for (std::size_t i = 0; i < p.size();) {
        const std::size_t start = i;
        const char32_t c = next_code_point(p, i);
        if (c >= 0x20 && !(c >= 0x7F && c <= 0x9F)) printable.append(p, start, i - start);
      }
      if (!trim_white_space(printable).empty()) out.emplace_back(trim_white_space(printable));
    }
    piece.clear();
  };
  for (std::size_t i = 0; i < label.size(); ++i) {
    if (label.substr(i).starts_with("<!--")) {
      flush();
      const std::size_t end = label.find("-->", i);
      i = end == std::string_view::npos ? label.size() : end + 2;
    } else if (label[i] == '<') {
      flush();
      const std::size_t end = label.find('>', i);
      i = end == std::string_view::npos ? label.size() : end;
    } else if (label[i] == '\n' || label[i] == '\t' || label[i] == '\r') {
      // Not shown: the pieces on either side join.
    } else {
      piece += label[i];
    }
  }
  flush();
  return out;
}

// What a node's box must show.
std::vector<std::string> node_pieces(const LayoutNode& node) {
  if (node.label_is_html) return html_pieces(node.raw_label);
  if (node.shape == NodeShape::Record || node.shape == NodeShape::MRecord) {
    return record_pieces(node.raw_label, node.name.value_or(""));
  }
  return pieces_of(node.label);
}

struct Tally {
  std::size_t boxes = 0;
  std::size_t misaligned = 0;
  std::size_t labels = 0;          // node labels, record fields and HTML text pieces
  std::size_t structured = 0;      // of which in records and HTML-like labels
  std::size_t titles = 0;          // cluster and graph titles
  std::size_t shortened = 0;       // shown shortened, as a limit asked
  std::size_t invisible = 0;       // invisible nodes, none of them drawn
  std::size_t edge_labels = 0;     // edge labels placed under a label limit
  std::vector<std::string> failures;

  void fail(std::string what) {
    if (failures.size() < 40) failures.push_back(std::move(what));
  }
};

// Looks for `piece` in `area`, whole, or when a limit holds, cut at its
// end the way the End strategy cuts (a start of it and "..."); true when
// shown.
bool shows(const TerminalScreen& screen, const std::string& piece, const CellRect& area,
           bool limited, Tally& tally) {
  if (screen.find(piece, area)) return true;
  if (!limited) return false;
  for (std::size_t keep = piece.size(); keep-- > 0;) {
    if (!is_char_boundary(piece, keep)) continue;
    if (screen.find(piece.substr(0, keep) + "...", area)) {
      ++tally.shortened;
      return true;
    }
  }
  return false;
}

bool is_frame(char32_t c) {
  return std::u32string_view(U"┌┐└┘─│╭╮╰╯┬┴├┤┏┓┗┛━┃┯┷┠┨╔╗╚╝═║╌╎┄┆╍╏┅┇‥").find(c) !=
         std::u32string_view::npos;
}

// Whether a visible box other than node `skip`'s covers (row, col).
bool covered(const Drawing& d, std::size_t skip, std::uint64_t row, std::uint64_t col) {
  for (std::size_t j = 0; j < d.boxes.size() && j < d.layout.nodes.size(); ++j) {
    const NodeBox& b = d.boxes[j];
    if (j == skip || d.layout.nodes[j].invisible) continue;
    if (row >= b.top && row <= b.bottom() && col >= b.left && col <= b.right()) return true;
  }
  return false;
}

// The text an edge's placed label was made from.
const std::optional<std::string>& source_of(const Drawing& d, const PlacedLabel& label) {
  static const std::optional<std::string> kNone;
  if (label.role == LabelRole::NodeExternal) {
    return label.owner < d.layout.nodes.size() ? d.layout.nodes[label.owner].xlabel : kNone;
  }
  if (label.owner >= d.layout.edges.size()) return kNone;
  const LayoutEdge& edge = d.layout.edges[label.owner];
  switch (label.role) {
    case LabelRole::Edge: return edge.label;
    case LabelRole::HeadEnd: return edge.head_label;
    case LabelRole::TailEnd: return edge.tail_label;
    case LabelRole::EdgeExternal: return edge.xlabel;
    case LabelRole::NodeExternal: break;
  }
  return kNone;
}

// Under a label limit, every label placed beside an edge or a box is its
// text whole when that is no wider than the limit in columns, else the
// text cut to the limit by the trim strategy. (With no room anywhere, a
// label is shortened to eight columns: a limit below that is the only cut.)
void check_placed_labels(const std::string& name, const Drawing& d, std::uint64_t max_label,
                         TrimStrategy trim, Tally& tally) {
  for (const PlacedLabel& label : d.plan.labels) {
    const std::optional<std::string>& source = source_of(d, label);
    if (!source) continue;
    ++tally.edge_labels;
    const std::string expected = text_width(*source) <= max_label
                                     ? *source
                                     : trim_label(*source, max_label, trim);
    if (label.text != expected || text_width(label.text) > max_label) {
      tally.fail(name + ": label \"" + *source + "\" of " +
                 (label.role == LabelRole::NodeExternal ? "node " : "edge ") +
                 std::to_string(label.owner) + " shows as \"" + label.text + "\" at (" +
                 std::to_string(label.top) + ", " + std::to_string(label.left) +
                 "), not \"" + expected + "\"");
    }
  }
}

void check_drawing(const std::string& name, const Drawing& d, const RenderOptions& options,
                   Tally& tally) {
  const TerminalScreen screen(d.grid.to_text());
  const bool limited = options.max_label || options.max_width;
  const CharGrid& grid = d.grid;
  if (options.max_label && !options.max_width) {
    check_placed_labels(name, d, *options.max_label, options.trim, tally);
  }
  if (options.max_width && screen.columns() > *options.max_width) {
    tally.fail(name + ": " + std::to_string(screen.columns()) + " columns wide");
  }
  for (std::size_t i = 0; i < d.boxes.size() && i < d.layout.nodes.size(); ++i) {
    const LayoutNode& node = d.layout.nodes[i];
    const NodeBox& box = d.boxes[i];
    if (node.invisible) {
      ++tally.invisible;
      // Its place stays empty, unless another box covers it.
      const bool framed = grid.contains(box.top, box.left) &&
                          grid.at(box.top, box.left).kind() == CellKind::Node &&
                          is_frame(grid.at(box.top, box.left).character());
      if (framed && !covered(d, i, box.top, box.left)) {
        tally.fail(name + ": invisible node " + std::to_string(i) + " is drawn");
      }
      continue;
    }
    if (node.shape == NodeShape::Point) continue;
    // Nodes a width limit left out are not shown; the width's own rules
    // see to them.
    if (std::binary_search(d.left_out.begin(), d.left_out.end(), i) ||
        box.right() >= grid.width() || box.bottom() >= grid.height()) {
      continue;
    }
    ++tally.boxes;
    // Both borders, in every row, stand where the grid put them.
    bool aligned = true;
    for (std::uint64_t row = box.top; row <= box.bottom(); ++row) {
      for (const std::uint64_t col : {box.left, box.right()}) {
        const Cell cell = grid.at(row, col);
        if (cell.kind() != CellKind::Node || !is_frame(cell.character())) continue;
        if (screen.at(row, col) != cell.character()) aligned = false;
      }
    }
    if (!aligned) {
      ++tally.misaligned;
      tally.fail(name + ": box of node " + std::to_string(i) + " (" + node.label +
                 ") has a border out of line");
    }
    const bool structured = node.label_is_html || node.shape == NodeShape::Record ||
                            node.shape == NodeShape::MRecord;
    for (const std::string& piece : node_pieces(node)) {
      ++tally.labels;
      if (structured) ++tally.structured;
      if (!shows(screen, piece, {box.left, box.top, box.right(), box.bottom()}, limited, tally)) {
        tally.fail(name + ": node " + std::to_string(i) + " does not show \"" + piece + "\"");
      }
    }
  }
  for (const LayoutCluster& cluster : d.layout.clusters) {
    const std::vector<TitleLine> lines = aligned_title_lines(cluster.label, cluster.label_is_html);
    if (lines.empty() || lines[0].text.empty()) continue;
    const std::string& title = lines[0].text;
    const std::uint64_t edge = row_of(d.transform, cluster.bb.y1) + 1;
    const std::uint64_t left = column_of(d.transform, cluster.bb.x0);
    const std::uint64_t right = column_of(d.transform, cluster.bb.x1);
    const std::uint64_t bottom = row_of(d.transform, cluster.bb.y0);
    if (right >= grid.width() || right <= left + 1) continue;
    ++tally.titles;
    // The title's further lines are inside the frame, under its first, as
    // far as the frame reaches.
    for (std::size_t k = 1; k < lines.size() && edge + k < bottom; ++k) {
      if (lines[k].text.empty() || right < left + 4) continue;
      ++tally.titles;
      if (!shows(screen, lines[k].text, {left + 1, edge + k, right - 1, edge + k}, true, tally)) {
        tally.fail(name + ": cluster title line \"" + lines[k].text + "\" is not shown");
      }
    }
    // A frame narrower than its title shows it shortened, whatever the limits.
    const std::string shown = screen.text(edge, left + 2, right - 1);
    const std::string_view kept = trim_white_space(std::string_view(shown).substr(
        0, std::min(shown.find("╌"), shown.size())));
    if (kept == title) continue;
    if (!kept.empty() && text_width(title) > right - left - 2 && kept.find("...") != kept.npos) {
      ++tally.shortened;
      continue;
    }
    tally.fail(name + ": cluster title \"" + title + "\" shows as \"" + shown + "\"");
  }
  if (d.layout.label) {
    for (const std::string& line : title_lines(*d.layout.label, d.layout.label_is_html)) {
      if (line.empty()) continue;
      ++tally.titles;
      const CellRect everywhere{0, 0, grid.width(), grid.height()};
      if (!shows(screen, line, everywhere, options.max_width.has_value(), tally)) {
        tally.fail(name + ": graph title line \"" + line + "\" is not shown");
      }
    }
  }
}

TEST(ExampleGraphText, EveryLabelIsShownAndEveryBoxLinesUp) {
  ASSERT_GE(example_graphs().size(), 50u)
      << "example graphs not found under " << testing::kExampleGraphDir
      << " (install graphviz-doc)";
  struct Run {
    const char* name;
    RenderOptions options;
  };
  RenderOptions limited_labels;
  limited_labels.max_label = 7;
  limited_labels.trim = TrimStrategy::End;
  RenderOptions narrow;
  narrow.max_width = 80;
  narrow.trim = TrimStrategy::End;
  for (const Run& run : {Run{"unlimited", RenderOptions{}}, Run{"max_label 7", limited_labels},
                         Run{"max_width 80", narrow}}) {
    Tally tally;
    for (const ExampleGraph& graph : example_graphs()) {
      auto drawing = draw_example(graph, run.options);
      ASSERT_TRUE(drawing.has_value()) << graph.name << ": " << display(drawing.error());
      check_drawing(graph.name + " (" + run.name + ")", *drawing, run.options, tally);
    }
    for (const std::string& failure : tally.failures) ADD_FAILURE() << failure;
    EXPECT_GT(tally.structured, 60u) << run.name;
    std::printf("%s: %zu boxes (%zu out of line), %zu label texts (%zu in records and "
                "HTML-like labels), %zu titles, %zu shown shortened, %zu invisible nodes, "
                "%zu edge and external labels held to the limit\n",
                run.name, tally.boxes, tally.misaligned, tally.labels, tally.structured,
                tally.titles, tally.shortened, tally.invisible, tally.edge_labels);
  }
}

// Labels of every script around a limit of seven columns: one column in
// one byte (a), in two (é, ж), in three with a combining mark (e + U+0301,
// one column in three bytes), and two columns in three bytes (日). Those
// no wider than the limit show whole; the node labels too.
TEST(LimitedLabelText, MeasuredInColumnsWhateverTheScript) {
  constexpr std::uint64_t kLimit = 7;
  const std::vector<std::string> characters = {"a", "\u00e9", "\u0436", "e\u0301", "\u65e5"};
  for (const char* rankdir : {"TB", "LR"}) {
    std::string source = std::string("digraph { rankdir=") + rankdir + "\n";
    std::size_t node = 0;
    for (const std::string& c : characters) {
      for (const std::size_t count : {3u, 6u, 7u, 8u}) {
        std::string text;
        std::string half;
        for (std::size_t i = 0; i < count; ++i) text += c;
        for (std::size_t i = 0; i < count / 2; ++i) half += c;
        const std::string a = "n" + std::to_string(node++);
        const std::string b = "n" + std::to_string(node++);
        source += a + " [label=\"" + text + "\"]; " + a + " -> " + b + " [label=\"" + text +
                  "\", headlabel=\"" + text + "\"];\n";
        source += a + " -> " + b + " [label=\"" + half + " " + text + "\"];\n";
      }
    }
    source += "}\n";
    for (const TrimStrategy trim :
         {TrimStrategy::End, TrimStrategy::Start, TrimStrategy::Middle, TrimStrategy::Smart}) {
      RenderOptions options;
      options.max_label = kLimit;
      options.trim = trim;
      options.color = ColorMode::Off;
      const std::string name = std::string("scripts ") + rankdir + " trim " +
                               std::to_string(static_cast<int>(trim));
      auto drawing = draw_example({name, source}, options);
      ASSERT_TRUE(drawing.has_value()) << name << ": " << display(drawing.error());
      Tally tally;
      check_placed_labels(name, *drawing, kLimit, trim, tally);
      for (const std::string& failure : tally.failures) ADD_FAILURE() << failure;
      EXPECT_EQ(tally.edge_labels, 3 * characters.size() * 4) << name;
      for (std::size_t i = 0; i < drawing->labels.size(); ++i) {
        const std::string& whole = drawing->layout.nodes[i].label;
        if (text_width(whole) <= kLimit) {
          EXPECT_EQ(drawing->labels[i], whole) << name << ": node " << i;
        } else {
          EXPECT_EQ(drawing->labels[i], trim_label(whole, kLimit, trim)) << name << ": node " << i;
        }
      }
    }
  }
}

}  // namespace
}  // namespace vantri
