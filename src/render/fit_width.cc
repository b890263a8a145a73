// The width fitting: estimate, lay out again, correct once.
#include "render/fit_width.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

#include "graphviz/html_label_marks.h"
#include "grid/cell_arith.h"
#include "render/label_fit.h"
#include "render/width_model.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// At most this many layouts after the first.
constexpr int kMoreLayouts = 2;

// The space a tighter layout keeps, in columns at the predicted scale.
// Boxes are never wider than their nodes, and mapping both centres to
// whole columns moves them by less than one column together, so half a
// column of points between neighbours in a rank keeps their boxes from
// overlapping (they may touch); between ranks standing side by side,
// three columns keep two blank ones for an edge and its arrowhead.
constexpr double kTightNodeGap = 0.5;
constexpr double kTightRankGap = 3.0;
// The least `dot` accepts for nodesep and ranksep, in inches.
constexpr double kSmallestSeparation = 0.02;
constexpr double kPointsPerInch = 72.0;

bool ranks_side_by_side(RankDir direction) {
  return direction == RankDir::LeftToRight || direction == RankDir::RightToLeft;
}

// One layout to ask for: labels cut to `budget`, and with `gap` the space
// in points `dot` is to leave between neighbours across the drawing.
struct Attempt {
  std::uint64_t budget = kLabelFloor;
  std::optional<double> gap;
  friend bool operator==(const Attempt&, const Attempt&) = default;
};

// `columns` less `offset`, within the unsigned range.
std::uint64_t less(std::uint64_t columns, std::int64_t offset) {
  if (offset >= 0) return sub_floor(columns, static_cast<std::uint64_t>(offset));
  return add_sat(columns, static_cast<std::uint64_t>(-(offset + 1)) + 1);
}

std::int64_t difference(std::uint64_t a, std::uint64_t b) {
  constexpr std::uint64_t kMax = std::numeric_limits<std::int64_t>::max();
  if (a >= b) return static_cast<std::int64_t>(std::min(a - b, kMax));
  return -static_cast<std::int64_t>(std::min(b - a, kMax));
}

bool divided(std::span<const FieldLayout> fields, std::size_t i) {
  return i < fields.size() && !fields[i].empty();
}

// What every node of `layout` shows before any shortening: the text of its
// label (an HTML-like label's without markup); nothing for a node divided
// into `fields`.
std::vector<std::string> unshortened_labels(const LayoutGraph& layout,
                                            std::span<const FieldLayout> fields) {
  std::vector<std::string> labels;
  labels.reserve(layout.nodes.size());
  for (std::size_t i = 0; i < layout.nodes.size(); ++i) {
    labels.push_back(divided(fields, i) ? std::string() : display_label(layout.nodes[i]));
  }
  return labels;
}

// The column right of the rightmost visible box.
std::uint64_t right_of_boxes(const SizedLayout& sized) {
  std::uint64_t right = 0;
  const std::size_t count = std::min(sized.boxes.size(), sized.layout.nodes.size());
  for (std::size_t i = 0; i < count; ++i) {
    const NodeBox& box = sized.boxes[i];
    if (sized.layout.nodes[i].invisible || box.width == 0) continue;
    right = std::max(right, add_sat(box.right(), 1));
  }
  return right;
}

// What to ask `dot` for next, from the model of the layout `basis` drawn
// as `current` asked. The whole drawing should fit; when it cannot, its
// nodes at least; shortening comes before tightening, and labels are cut
// no more than the prediction needs.
Attempt choose(const WidthModel& model, const SizedLayout& basis, const Attempt& current,
               std::uint64_t limit) {
  const double columns_apart =
      ranks_side_by_side(basis.layout.rankdir) ? kTightRankGap : kTightNodeGap;
  const double tight = std::max(columns_apart * model.scale(kLabelFloor),
                                kSmallestSeparation * kPointsPerInch);
  // The model predicts the drawing of the nodes from the layout alone; what
  // the real drawing adds or saves (lanes, trimmed margins) is kept. It is
  // measured against the drawing at hand, whose labels a label limit may
  // have left shorter than the ones `dot` sized the nodes for.
  const std::uint64_t predicted = model.drawn_columns();
  const std::int64_t offsets[] = {difference(basis.width, predicted),
                                  difference(right_of_boxes(basis), predicted)};
  for (const std::int64_t offset : offsets) {
    const std::uint64_t target = less(limit, offset);
    if (current.gap) {
      // Already tight: the layout at hand shows the tighter spacing.
      if (auto budget = model.largest_budget(target)) return {*budget, current.gap};
      continue;
    }
    if (auto budget = model.largest_budget(target)) return {*budget, std::nullopt};
    const double cut = model.gap() - tight;
    if (cut > 0) {
      if (auto budget = model.largest_budget(target, cut)) return {*budget, tight};
    }
  }
  // Nothing fits: as narrow as it gets.
  const bool tighter = current.gap || model.gap() > tight;
  return {kLabelFloor, current.gap ? current.gap : tighter ? std::optional(tight) : std::nullopt};
}

// Whether two boxes side by side on one row overlap: a tighter layout
// mapped at a larger scale than predicted could make them.
bool boxes_overlap(const SizedLayout& sized) {
  std::vector<const NodeBox*> boxes;
  boxes.reserve(sized.boxes.size());
  for (const NodeBox& box : sized.boxes) {
    if (box.width != 0 && box.height != 0) boxes.push_back(&box);
  }
  const auto centre_row = [](const NodeBox* box) { return add_sat(box->top, box->height / 2); };
  std::sort(boxes.begin(), boxes.end(), [&](const NodeBox* a, const NodeBox* b) {
    if (centre_row(a) != centre_row(b)) return centre_row(a) < centre_row(b);
    return a->left < b->left;
  });
  for (std::size_t i = 1; i < boxes.size(); ++i) {
    if (centre_row(boxes[i]) == centre_row(boxes[i - 1]) &&
        boxes[i]->left <= boxes[i - 1]->right()) {
      return true;
    }
  }
  return false;
}

// Which of two drawings to keep: one that fits over one that does not,
// then the one with more nodes whole within the limit, then the narrower.
bool better(const SizedLayout& a, const SizedLayout& b, std::uint64_t limit) {
  const bool a_fits = a.width <= limit;
  const bool b_fits = b.width <= limit;
  if (a_fits != b_fits) return a_fits;
  if (a_fits) return a.width > b.width;  // the one that shortened less
  const std::size_t a_whole = nodes_within(a, limit);
  const std::size_t b_whole = nodes_within(b, limit);
  if (a_whole != b_whole) return a_whole > b_whole;
  return a.width < b.width;
}

// -Gnodesep=0.056 and the like, whatever the locale says about decimal
// points.
std::string separation_argument(RankDir direction, double points) {
  char inches[32];
  // Far more than any layout asks for, and short to write.
  constexpr double kLargestSeparation = 1e6;
  const double value = std::clamp(points / kPointsPerInch, kSmallestSeparation,
                                  kLargestSeparation);
  const auto end = std::to_chars(inches, inches + sizeof inches, value,
                                 std::chars_format::fixed, 3).ptr;
  return std::string(ranks_side_by_side(direction) ? "-Granksep=" : "-Gnodesep=") +
         std::string(inches, end);
}

}  // namespace

std::size_t nodes_within(const SizedLayout& sized, std::uint64_t columns) {
  std::size_t whole = 0;
  const std::size_t count = std::min(sized.boxes.size(), sized.layout.nodes.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (sized.layout.nodes[i].invisible) continue;
    const NodeBox& box = sized.boxes[i];
    if (box.width != 0 && box.right() < columns) ++whole;
  }
  return whole;
}

WidthFit fit_to_width(std::string_view dot_source, SizedLayout first,
                      const RenderOptions& options, const LayoutFunction& relayout,
                      const SizeFunction& size) {
  WidthFit fit{std::move(first), 0};
  if (!options.max_width || !relayout || fit.sized.width <= *options.max_width) return fit;
  const std::uint64_t limit = *options.max_width;

  // The first layout's nodes name the labels the DOT text holds, and its
  // labels are what every node would show without a budget.
  const std::vector<LayoutNode> nodes = fit.sized.layout.nodes;
  const std::vector<std::string> limited = fit.sized.labels;
  const std::vector<std::string> unshortened =
      unshortened_labels(fit.sized.layout, fit.sized.fields);
  const RankDir direction = fit.sized.layout.rankdir;
  // A record's label holds its fields, and so does an HTML-like table; a
  // shortened one could break them, so `dot` keeps such a node as it is
  // and its fields stay whole. A point shows no label at all.
  std::vector<bool> keeps_size(nodes.size());
  std::vector<std::uint64_t> wanted(nodes.size());
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const bool point = nodes[i].shape == NodeShape::Point;
    keeps_size[i] = point || divided(fit.sized.fields, i) ||
                    nodes[i].shape == NodeShape::Record || nodes[i].shape == NodeShape::MRecord;
    wanted[i] = point || i >= limited.size() ? 0 : label_width(limited[i]);
  }

  // Records, points and double circles are drawn from their shape, which
  // a default box shape would change.
  const bool boxes_only = std::all_of(nodes.begin(), nodes.end(), [](const LayoutNode& node) {
    return node.shape == NodeShape::Box || node.shape == NodeShape::Other;
  });

  const auto lay_out = [&](const Attempt& attempt) -> std::optional<SizedLayout> {
    // What the DOT text is to say: each label as its node shows it, and
    // the label as written where that shows unchanged (an HTML-like label
    // stays one) or must stay so.
    std::vector<std::string> written = limited;
    apply_label_budget(unshortened, written, attempt.budget, options.trim);
    for (std::size_t i = 0; i < written.size() && i < nodes.size(); ++i) {
      if (keeps_size[i] || written[i] == unshortened[i]) written[i] = nodes[i].label;
    }
    std::vector<std::string> args;
    if (attempt.gap) {
      args.push_back(separation_argument(direction, *attempt.gap));
      // No stretching to fill a page ("ratio"): a terminal has none.
      args.push_back("-Gratio=");
      // Every node is drawn as a box sized to its label, so `dot` may as
      // well size them as boxes: an ellipse takes about half as much room
      // again. Only the graph's default shape yields to this; the drawing
      // keeps each node's own shape.
      if (boxes_only) args.push_back("-Nshape=box");
    }
    const std::string rewritten = rewrite_dot_labels(dot_source, nodes, written);
    auto layout = relayout(rewritten, args);
    if (!layout) return std::nullopt;
    if (layout->nodes.size() == nodes.size()) {
      for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (layout->nodes[i].name == nodes[i].name) layout->nodes[i].shape = nodes[i].shape;
      }
    }
    mark_html_labels(rewritten, *layout);
    NodeFaces faces = node_faces(*layout, options.max_label, options.trim);
    // Labels the rewrite could not reach are shortened for the boxes.
    apply_label_budget(unshortened_labels(*layout, faces.fields), faces.labels, attempt.budget,
                       options.trim);
    return size(std::move(*layout), std::move(faces));
  };

  std::optional<SizedLayout> latest;  // the newest layout, when it is not the best
  // The first layout as if it had been asked for with the widest label as
  // the budget; but when the label limit shortened a label, `dot` has not
  // seen it so yet, and every budget asks for something new.
  Attempt current{kLabelFloor, std::nullopt};
  for (const std::uint64_t width : wanted) current.budget = std::max(current.budget, width);
  for (std::size_t i = 0; i < limited.size() && i < nodes.size(); ++i) {
    if (!keeps_size[i] && limited[i] != unshortened[i]) {
      current.budget = std::numeric_limits<std::uint64_t>::max();
    }
  }
  for (int run = 0; run < kMoreLayouts; ++run) {
    const SizedLayout& basis = latest ? *latest : fit.sized;
    const WidthModel model(basis.layout, basis.labels, wanted, keeps_size, basis.fields);
    const Attempt next = choose(model, basis, current, limit);
    if (next == current) break;  // nothing new to try
    auto drawn = lay_out(next);
    if (!drawn) {
      // The rewrite can make a valid graph invalid (an HTML-like label cut
      // in the middle of an entity, say): draw the best layout with the
      // labels shortened as asked rather than fail a render that works.
      NodeFaces faces{fit.sized.labels, fit.sized.fields};
      apply_label_budget(unshortened_labels(fit.sized.layout, fit.sized.fields), faces.labels,
                         next.budget, options.trim);
      SizedLayout shortened = size(fit.sized.layout, std::move(faces));
      if (better(shortened, fit.sized, limit)) fit.sized = std::move(shortened);
      break;
    }
    ++fit.layouts;
    current = next;
    if (next.gap && boxes_overlap(*drawn) && !boxes_overlap(fit.sized)) break;
    const bool fits = drawn->width <= limit;
    if (better(*drawn, fit.sized, limit)) {
      fit.sized = std::move(*drawn);
      latest.reset();
    } else {
      latest = std::move(*drawn);
    }
    if (fits) break;
  }
  return fit;
}

}  // namespace vantri
