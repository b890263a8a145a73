// Fuzz target: the drawing pipeline after `dot`, on a hostile layout.
//
// The input is decoded straight into a LayoutGraph (no JSON): coordinates
// and sizes that are NaN, infinite, 1e308 or negative, edges whose ends
// coincide, self-loops, thousands of nodes, edges, clusters and labels made
// by repeating a few templates, labels with control and multibyte
// characters, record and HTML-like labels made of their syntax's pieces
// (with field rectangles, or not), every node shape, invisible nodes, a
// graph title above or below, and random options. The further layouts of
// the width fitting are each either an error or another decoded layout.
//
// A render either refuses a canvas that is really too large, or gives text
// that is valid UTF-8, ends in exactly one line feed, has no more lines than
// the canvas has rows, no line wider in terminal columns than the canvas
// (and so than max_width) and no white space at the end of a line; the only escape
// sequences are the known colours and the reset, and only in Ansi mode.
// The fitting asks for at most two more layouts, with `dot` arguments that
// set one graph or node attribute each; every layout drawn has one label,
// one box and (when any node has fields) one field layout per node; a cut
// drawing counts the visible nodes it leaves out, and leaves out only
// boxes that reach past the cut.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "color/classify.h"
#include "fuzz_check.h"
#include "render/label_fit.h"
#include "render/render_graph.h"
#include "text/char_width.h"
#include "text/utf8.h"

namespace vantri {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Most values are ordinary layout numbers in [low, high]; the rest are the
// ones that break arithmetic. An exhausted input gives ordinary ones.
double number(FuzzedDataProvider& in, double low, double high) {
  switch (in.ConsumeIntegralInRange<int>(0, 63)) {
    case 1: return std::numeric_limits<double>::quiet_NaN();
    case 2: return kInf;
    case 3: return -kInf;
    case 4: return 1e308;
    case 5: return -1e308;
    case 6: return -0.0;
    case 7: return std::numeric_limits<double>::denorm_min();
    case 8: return 9.3e18;   // past the signed 64-bit range
    case 9: return 1.9e19;   // past the unsigned 64-bit range
    case 10: return in.ConsumeFloatingPoint<double>();
    case 11: return static_cast<double>(in.ConsumeIntegralInRange<int>(-8, 8));
    default: return in.ConsumeFloatingPointInRange(low, high);
  }
}

// Bytes below 0x80 stay as they are (control characters, line feeds and
// escapes included); the others stand for characters that are wide in
// UTF-8, white space, invisible or otherwise awkward.
std::string text(FuzzedDataProvider& in, std::size_t max_bytes) {
  static constexpr std::array<char32_t, 16> kAwkward = {
      U'é',      U'中',     U'😀',     U'\uFFFD', U'\u00A0', U'\u2028',
      U'\u3000', U'\u0085', U'\u200B', U'\uFEFF', U'\u0301', U'\U0010FFFF',
      U'\u2500', U'▼',      U'\u009B', U'\u202E'};
  const std::string raw = in.ConsumeRandomLengthString(max_bytes);
  std::string out;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const auto b = static_cast<unsigned char>(raw[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
    } else if (b < 0xF0 || i + 2 >= raw.size()) {
      append_utf8(out, kAwkward[b & 0x0F]);
    } else {
      // Any scalar value from the next two bytes.
      const char32_t c = (static_cast<char32_t>(b & 0x0F) << 16) |
                         (static_cast<char32_t>(static_cast<unsigned char>(raw[i + 1])) << 8) |
                         static_cast<unsigned char>(raw[i + 2]);
      append_utf8(out, std::min<char32_t>(c, 0x10FFFF));
      i += 2;
    }
  }
  // Now and then a long label, cheaply.
  if (!out.empty() && in.ConsumeIntegralInRange<int>(0, 7) == 1) {
    const std::size_t times = in.ConsumeIntegralInRange<std::size_t>(2, 2000);
    std::string repeated;
    for (std::size_t t = 0; t < times && repeated.size() < (1u << 16); ++t) {
      repeated += out;
    }
    out = std::move(repeated);
  }
  return out;
}

// A label made of pieces of the record and HTML-like syntax and text.
std::string structured(FuzzedDataProvider& in) {
  static constexpr std::array<const char*, 20> kPieces = {
      "|", "{", "}", "<f0>", "\\|", "\\{", " ", "\\n", "<TABLE>", "<TR>", "<TD>",
      "<TD COLSPAN=\"3\" PORT=\"p\">", "<TD ROWSPAN=\"200\">", "</TD>", "</TR>",
      "</TABLE>", "<BR/>", "&amp;", "&#x4E2D;", "<!-- x -->"};
  std::string out;
  const std::size_t count = in.ConsumeIntegralInRange<std::size_t>(0, 24);
  for (std::size_t k = 0; k < count; ++k) {
    if (in.ConsumeBool()) {
      out += kPieces[in.ConsumeIntegralInRange<std::size_t>(0, kPieces.size() - 1)];
    } else {
      out += text(in, 6);
    }
  }
  return out;
}

std::optional<std::string> fill_colour(FuzzedDataProvider& in) {
  static constexpr std::array<const char*, 10> kColours = {
      "red", "#00ff00", "lightblue", "white", "black", "gray",
      "#200000", "Yellow", "", "magenta"};
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return std::nullopt;
    case 1: return text(in, 12);
    default: return kColours[in.ConsumeIntegralInRange<std::size_t>(0, kColours.size() - 1)];
  }
}

Point point(FuzzedDataProvider& in) {
  const double x = number(in, -50.0, 2000.0);
  return {x, number(in, -50.0, 1000.0)};
}

// How many copies of a template: one, or in a bulk layout up to thousands.
std::size_t copies(FuzzedDataProvider& in, bool bulk) {
  return bulk ? in.ConsumeIntegralInRange<std::size_t>(1, 3000) : 1;
}

constexpr std::size_t kMaxItems = 4000;
// Copies of a template share this many bytes of label text, so that the
// work goes into drawing rather than into copying the input.
constexpr std::size_t kMaxCopiedText = std::size_t{1} << 19;

std::size_t copies_of(std::size_t n, std::size_t text_bytes) {
  return std::min(n, std::max<std::size_t>(1, kMaxCopiedText / (text_bytes + 1)));
}

void add_nodes(FuzzedDataProvider& in, LayoutGraph& g, bool bulk) {
  const std::size_t templates = in.ConsumeIntegralInRange<std::size_t>(0, 24);
  for (std::size_t t = 0; t < templates && g.nodes.size() < kMaxItems; ++t) {
    LayoutNode node;
    node.label = text(in, 40);
    node.fillcolor = fill_colour(in);
    node.pos = point(in);
    node.width = number(in, 0.0, 400.0);
    node.height = number(in, 0.0, 200.0);
    node.shape = static_cast<NodeShape>(in.ConsumeIntegralInRange<int>(0, 5));
    if (in.ConsumeBool()) node.name = text(in, 12);
    node.invisible = in.ConsumeIntegralInRange<int>(0, 7) == 0;
    node.label_is_html = in.ConsumeIntegralInRange<int>(0, 3) == 0;
    node.raw_label = in.ConsumeBool() ? structured(in) : node.label;
    // Field rectangles, sometimes as many as a record has fields.
    for (std::size_t k = in.ConsumeIntegralInRange<std::size_t>(0, 6); k > 0; --k) {
      const Point low = point(in);
      const Point high = point(in);
      node.rects.push_back({low.x, low.y, high.x, high.y});
    }
    if (in.ConsumeIntegralInRange<int>(0, 3) == 1) node.xlabel = text(in, 20);
    const std::size_t n = copies_of(copies(in, bulk),
                                    node.label.size() + node.raw_label.size() +
                                        node.xlabel.value_or("").size());
    const Point step = n > 1 ? point(in) : Point{};
    for (std::size_t c = 0; c < n && g.nodes.size() < kMaxItems; ++c) {
      LayoutNode copy = node;
      copy.gvid = g.nodes.size();
      copy.pos.x += step.x * static_cast<double>(c);
      copy.pos.y += step.y * static_cast<double>(c);
      g.nodes.push_back(std::move(copy));
    }
  }
}

void add_edges(FuzzedDataProvider& in, LayoutGraph& g, bool bulk) {
  if (g.nodes.empty()) return;
  const std::size_t count = g.nodes.size();
  const std::size_t templates = in.ConsumeIntegralInRange<std::size_t>(0, 24);
  for (std::size_t t = 0; t < templates && g.edges.size() < kMaxItems; ++t) {
    LayoutEdge edge;
    edge.tail = in.ConsumeIntegralInRange<std::size_t>(0, count - 1);
    edge.head = in.ConsumeBool() ? edge.tail
                                 : in.ConsumeIntegralInRange<std::size_t>(0, count - 1);
    if (in.ConsumeBool()) {
      // A spline from the tail's centre to the head's, as dot would give.
      const Point a = g.nodes[edge.tail].pos;
      const Point b = g.nodes[edge.head].pos;
      for (int k = 0; k < 4; ++k) {
        const double s = k / 3.0;
        edge.points.push_back({a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s});
      }
    }
    const std::size_t extra = in.ConsumeIntegralInRange<std::size_t>(0, 10);
    for (std::size_t k = 0; k < extra; ++k) edge.points.push_back(point(in));
    if (in.ConsumeBool()) {
      edge.label = text(in, 40);
      if (edge.label->empty()) edge.label.reset();
    }
    if (in.ConsumeBool()) edge.label_pos = point(in);
    if (in.ConsumeBool()) edge.start_point = point(in);
    if (in.ConsumeBool()) edge.end_point = point(in);
    // Which ends point, whether the edge shows, and its other labels.
    const auto ends = in.ConsumeIntegralInRange<int>(0, 7);
    edge.arrow_at_head = (ends & 1) == 0;
    edge.arrow_at_tail = (ends & 2) != 0;
    edge.invisible = ends == 7;
    std::size_t text_size = edge.label.value_or("").size();
    for (auto* other : {&edge.head_label, &edge.tail_label, &edge.xlabel}) {
      if (in.ConsumeIntegralInRange<int>(0, 3) == 1) {
        *other = text(in, 20);
        text_size += (*other)->size();
      }
    }
    const std::size_t n = copies_of(copies(in, bulk), text_size);
    const std::size_t tail_step = in.ConsumeIntegral<std::size_t>();
    const std::size_t head_step = in.ConsumeIntegral<std::size_t>();
    for (std::size_t c = 0; c < n && g.edges.size() < kMaxItems; ++c) {
      LayoutEdge copy = edge;
      copy.gvid = g.edges.size();
      copy.tail = (edge.tail + (tail_step % count) * (c % count)) % count;
      copy.head = (edge.head + (head_step % count) * (c % count)) % count;
      g.edges.push_back(std::move(copy));
    }
  }
}

void add_clusters(FuzzedDataProvider& in, LayoutGraph& g, bool bulk) {
  const std::size_t templates = in.ConsumeIntegralInRange<std::size_t>(0, 8);
  for (std::size_t t = 0; t < templates && g.clusters.size() < kMaxItems; ++t) {
    LayoutCluster cluster;
    cluster.label = in.ConsumeBool() ? text(in, 30) : structured(in);
    cluster.label_is_html = in.ConsumeBool();
    const Point low = point(in);
    const Point high = point(in);
    cluster.bb = {low.x, low.y, high.x, high.y};
    const std::size_t n = copies_of(copies(in, bulk), cluster.label.size());
    const Point step = n > 1 ? point(in) : Point{};
    for (std::size_t c = 0; c < n && g.clusters.size() < kMaxItems; ++c) {
      LayoutCluster copy = cluster;
      const double k = static_cast<double>(c);
      copy.bb.x0 -= step.x * k;
      copy.bb.y0 -= step.y * k;
      copy.bb.x1 += step.x * k;
      copy.bb.y1 += step.y * k;
      g.clusters.push_back(std::move(copy));
    }
  }
}

// The smallest box around every finite node rectangle, as dot reports it.
BoundingBox enclosing_box(const LayoutGraph& g) {
  BoundingBox bb{kInf, kInf, -kInf, -kInf};
  for (const LayoutNode& node : g.nodes) {
    const double x0 = node.pos.x - node.width / 2, x1 = node.pos.x + node.width / 2;
    const double y0 = node.pos.y - node.height / 2, y1 = node.pos.y + node.height / 2;
    if (!std::isfinite(x0 + x1 + y0 + y1)) continue;
    bb = {std::min(bb.x0, x0), std::min(bb.y0, y0), std::max(bb.x1, x1),
          std::max(bb.y1, y1)};
  }
  if (bb.x0 > bb.x1) return {0, 0, 0, 0};
  return bb;
}

LayoutGraph layout(FuzzedDataProvider& in) {
  LayoutGraph g;
  // Decided first, while the input lasts; by default the box dot gives.
  const bool own_box = in.ConsumeBool();
  if (own_box) {
    const Point low = point(in);
    const Point high = point(in);
    g.bb = {low.x, low.y, high.x, high.y};
  }
  // Now and then thousands of nodes, edges and clusters.
  const bool bulk = in.ConsumeIntegralInRange<int>(0, 7) == 1;
  add_nodes(in, g, bulk);
  add_edges(in, g, bulk);
  add_clusters(in, g, bulk);
  if (in.ConsumeBool()) {
    g.label = in.ConsumeBool() ? text(in, 60) : structured(in);
    g.label_is_html = in.ConsumeBool();
    g.label_at_top = in.ConsumeBool();
    if (in.ConsumeBool()) g.label_pos = point(in);
  }
  g.rankdir = static_cast<RankDir>(in.ConsumeIntegralInRange<int>(0, 3));
  if (!own_box) g.bb = enclosing_box(g);
  g.directed = !in.ConsumeBool();
  return g;
}

std::optional<std::uint64_t> limit(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0: return std::nullopt;
    case 1: return in.ConsumeIntegralInRange<std::uint64_t>(0, 4);
    case 2: return in.ConsumeIntegral<std::uint64_t>();
    default: return in.ConsumeIntegralInRange<std::uint64_t>(5, 300);
  }
}

// DOT text in which some node labels are written as label="...", the form
// the width fitting rewrites.
std::string dot_source(FuzzedDataProvider& in, const LayoutGraph& g) {
  std::string dot = "digraph {\n" + text(in, 30);
  for (const LayoutNode& node : g.nodes) {
    if (in.ConsumeBool()) dot += " label=\"" + escape_label(node.label) + "\"\n";
    if (in.remaining_bytes() == 0) break;
  }
  if (in.ConsumeBool()) dot += "}\n";
  return dot;
}

bool is_known_sequence(std::string_view sequence) {
  for (int c = 0; c <= static_cast<int>(AnsiColor::Reset); ++c) {
    if (sequence == ansi_sequence(static_cast<AnsiColor>(c))) return true;
  }
  return false;
}

// Length of the well-formed UTF-8 sequence at out[i], or 0 (overlong
// forms, surrogates and values past U+10FFFF are ill-formed).
FUZZ_NO_COVERAGE std::size_t utf8_length(std::string_view out, std::size_t i) {
  const auto at = [&](std::size_t k) {
    return i + k < out.size() ? static_cast<unsigned char>(out[i + k]) : 0u;
  };
  const unsigned b = at(0);
  const auto continuation = [&](std::size_t k) { return (at(k) & 0xC0) == 0x80; };
  if (b < 0x80) return 1;
  if (b >= 0xC2 && b <= 0xDF) return continuation(1) ? 2 : 0;
  if (b >= 0xE0 && b <= 0xEF) {
    const unsigned low = b == 0xE0 ? 0xA0 : 0x80, high = b == 0xED ? 0x9F : 0xBF;
    return at(1) >= low && at(1) <= high && continuation(2) ? 3 : 0;
  }
  if (b >= 0xF0 && b <= 0xF4) {
    const unsigned low = b == 0xF0 ? 0x90 : 0x80, high = b == 0xF4 ? 0x8F : 0xBF;
    return at(1) >= low && at(1) <= high && continuation(2) && continuation(3) ? 4 : 0;
  }
  return 0;
}

// The properties of a finished drawing of a width × height canvas, checked
// in one pass over the bytes (canvases run to millions of cells).
FUZZ_NO_COVERAGE void check_text(std::string_view out, std::uint64_t width, std::uint64_t height,
                bool colour) {
  FUZZ_CHECK(height > 0 ? !out.empty() : out.empty());
  if (out.empty()) return;
  FUZZ_CHECK(out.back() == '\n');
  FUZZ_CHECK(out == "\n" || !out.ends_with("\n\n"));
  std::uint64_t rows = 0;
  std::uint64_t columns = 0;                     // terminal columns of this line
  std::size_t last = std::string_view::npos;     // start of its last one
  for (std::size_t i = 0; i < out.size();) {
    const char byte = out[i];
    if (byte == '\n') {
      FUZZ_CHECK(columns <= width);
      if (last != std::string_view::npos) {
        std::size_t at = last;
        FUZZ_CHECK(!is_white_space(next_code_point(out, at)));
      }
      ++rows;
      columns = 0;
      last = std::string_view::npos;
      ++i;
    } else if (byte == '\x1b') {
      // Escape sequences take no column.
      FUZZ_CHECK(colour);
      const std::size_t m = out.find('m', i);
      FUZZ_CHECK(m != std::string_view::npos);
      FUZZ_CHECK(is_known_sequence(out.substr(i, m + 1 - i)));
      i = m + 1;
    } else {
      const std::size_t length = utf8_length(out, i);
      FUZZ_CHECK(length != 0);
      std::size_t at = i;
      columns += static_cast<std::uint64_t>(char_width(next_code_point(out, at)));
      last = i;
      i += length;
    }
  }
  FUZZ_CHECK(rows <= height);
}

}  // namespace
}  // namespace vantri

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantri;
  FuzzedDataProvider in(data, size);
  RenderOptions options;
  options.max_width = limit(in);
  options.max_label = limit(in);
  options.color = static_cast<ColorMode>(in.ConsumeIntegralInRange<int>(0, 2));
  options.trim = static_cast<TrimStrategy>(in.ConsumeIntegralInRange<int>(0, 3));
  LayoutGraph first = layout(in);
  const std::string dot = dot_source(in, first);

  int relayouts = 0;
  std::optional<LayoutError> relayout_error;
  const LayoutFunction relayout =
      [&](std::string_view rewritten,
          std::span<const std::string> args) -> std::expected<LayoutGraph, LayoutError> {
    ++relayouts;
    for (const std::string& arg : args) {
      FUZZ_CHECK(arg.starts_with("-G") || arg.starts_with("-N"));
      FUZZ_CHECK(arg.find('=') != std::string::npos);
      FUZZ_CHECK(arg.find_first_of(" \n\"") == std::string::npos);
    }
    // Every label written into the DOT text is valid UTF-8, so the
    // rewritten text must be too: dot would reject it otherwise.
    FUZZ_CHECK(!validate_utf8(rewritten));
    if (in.ConsumeBool()) {
      relayout_error = LayoutError::parse("second layout failed");
      return std::unexpected(*relayout_error);
    }
    return layout(in);
  };

  auto drawing = draw_layout(dot, std::move(first), options, relayout);
  FUZZ_CHECK(relayouts <= 2);
  if (!drawing) {
    if (const auto* large = std::get_if<CanvasTooLarge>(&drawing.error())) {
      FUZZ_CHECK(large->width != 0);
      FUZZ_CHECK(large->height > kMaxCanvasCells / large->width);
      FUZZ_CHECK(!options.max_width || large->width <= *options.max_width);
    } else {
      FUZZ_CHECK(relayout_error.has_value());
    }
    return 0;
  }
  const CharGrid& grid = drawing->grid;
  FUZZ_CHECK(!options.max_width || grid.width() <= *options.max_width);
  FUZZ_CHECK(grid.width() == 0 || grid.height() <= kMaxCanvasCells / grid.width());
  FUZZ_CHECK(drawing->labels.size() == drawing->layout.nodes.size());
  FUZZ_CHECK(drawing->boxes.size() == drawing->layout.nodes.size());
  FUZZ_CHECK(drawing->fields.empty() || drawing->fields.size() == drawing->layout.nodes.size());
  FUZZ_CHECK(std::is_sorted(drawing->left_out.begin(), drawing->left_out.end()));
  // A node is left out when its box, or a loop beside it (two columns
  // each; a loop left out with its node is invisible), reaches past the
  // grid.
  std::vector<std::uint64_t> loops(drawing->boxes.size(), 0);
  for (const LayoutEdge& edge : drawing->layout.edges) {
    if (edge.tail == edge.head && edge.tail < loops.size()) ++loops[edge.tail];
  }
  for (const std::size_t i : drawing->left_out) {
    FUZZ_CHECK(i < drawing->boxes.size());
    FUZZ_CHECK(!drawing->layout.nodes[i].invisible);
    FUZZ_CHECK(drawing->boxes[i].right() + 2 * loops[i] >= grid.width());
  }
  // Edges that found no route are reported like a cut.
  FUZZ_CHECK(drawing->plan.undrawn == 0 ||
             (drawing->cut && drawing->cut->edges_not_drawn == drawing->plan.undrawn &&
              drawing->plan.undrawn <= drawing->cut->edges));
  if (drawing->cut) {
    FUZZ_CHECK(drawing->cut->edges_not_drawn != 0 ||
               (options.max_width && drawing->cut->columns == *options.max_width));
    FUZZ_CHECK(drawing->cut->nodes_left_out == drawing->left_out.size());
    FUZZ_CHECK(drawing->cut->nodes_left_out <= drawing->cut->nodes);
  } else {
    FUZZ_CHECK(drawing->left_out.empty());
  }

  // The plan: a route per edge, none for an invisible one, legs along rows
  // and columns, arrowheads on exactly the ends that have one, labels that
  // belong to something.
  const RoutePlan& plan = drawing->plan;
  const auto& edges = drawing->layout.edges;
  FUZZ_CHECK(plan.routes.size() == edges.size());
  for (std::size_t i = 0; i < plan.routes.size(); ++i) {
    const EdgeRoute& route = plan.routes[i];
    if (route.points.empty()) continue;
    FUZZ_CHECK(!edges[i].invisible);
    FUZZ_CHECK(route.arrow_at_end == edges[i].arrow_at_head);
    FUZZ_CHECK(route.arrow_at_start == edges[i].arrow_at_tail);
    for (std::size_t k = 0; k + 1 < route.points.size(); ++k) {
      FUZZ_CHECK(route.points[k].row == route.points[k + 1].row ||
                 route.points[k].col == route.points[k + 1].col);
    }
  }
  for (const PlacedLabel& label : plan.labels) {
    if (label.role == LabelRole::NodeExternal) {
      FUZZ_CHECK(label.owner < drawing->layout.nodes.size());
    } else {
      FUZZ_CHECK(label.owner < edges.size() && !plan.routes[label.owner].points.empty());
    }
  }
  // The canvas is the plan's, with the graph title's rows below it.
  FUZZ_CHECK(grid.width() == plan.width);
  FUZZ_CHECK(grid.height() == plan.height ||
             (drawing->layout.label && !drawing->layout.label_at_top &&
              grid.height() > plan.height));

  // What render_layout returns for this drawing.
  // (the colours are in the grid's paints).
  const std::string out = grid.to_text();
  check_text(out, grid.width(), grid.height(), options.color == ColorMode::Ansi);
  return 0;
}
