// The width fitting: estimate, lay out again, correct once.
#include "render/fit_width.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

#include "graphviz/html_label_marks.h"
#include "grid/cell_arith.h"
#include "render/label_budget.h"
#include "render/label_fit.h"
#include "render/stagger_ranks.h"
#include "render/width_model.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// At most this many layouts after the first.
constexpr int kMoreLayouts = 2;

// The most lines a line of a label breaks into when labels go below the
// floor.
constexpr std::size_t kLeastFloorLines = 8;

// Nodes sized as their boxes are (see lay_out): Courier at 14 points is
// 8.4 points a character, two of which are 0.233 inch.
constexpr const char* kBoxSizedNodes[] = {"-Nfontname=Courier", "-Nwidth=0", "-Nheight=0",
                                          "-Nmargin=0.233,0.05"};

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

// One layout to ask for: labels cut to `budget`; with `gap` the space in
// points `dot` is to leave between neighbours across the drawing, and
// nodes sized as their boxes are; with `staggered` the ranks too wide for
// the limit spread over more ranks (`stagger_wide_ranks`).
struct Attempt {
  std::uint64_t budget = kLabelFloor;
  std::optional<double> gap;
  bool staggered = false;
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
// as `current` asked, that has not been `tried`. The whole drawing should
// fit; when it cannot, its nodes at least; shortening comes before
// tightening, and labels are cut no more than the prediction needs, and to
// no fewer than `floor` columns. When nothing is predicted to fit, wide
// ranks are staggered (where `can_stagger`), and a layout as tight but
// not staggered is the last thing to try. Absent when all is tried.
std::optional<Attempt> choose(const WidthModel& model, const SizedLayout& basis,
                              const Attempt& current, std::span<const Attempt> tried,
                              std::uint64_t limit, std::uint64_t floor, bool can_stagger) {
  const auto untried = [&](const Attempt& attempt) -> std::optional<Attempt> {
    if (std::find(tried.begin(), tried.end(), attempt) != tried.end()) return std::nullopt;
    return attempt;
  };
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
      if (auto budget = model.largest_budget(target, 0.0, floor)) {
        if (auto next = untried({*budget, current.gap, current.staggered})) return next;
      }
      continue;
    }
    if (auto budget = model.largest_budget(target, 0.0, floor)) {
      if (auto next = untried({*budget, std::nullopt, false})) return next;
    }
    const double cut = model.gap() - tight;
    if (cut > 0) {
      if (auto budget = model.largest_budget(target, cut, floor)) {
        if (auto next = untried({*budget, tight, false})) return next;
      }
    }
  }
  // Nothing fits: as narrow as it gets.
  const std::optional<double> gap = current.gap ? current.gap : std::optional(tight);
  if (can_stagger) {
    if (auto next = untried({floor, gap, true})) return next;
  }
  return untried({floor, gap, false});
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
// then the one with more nodes whole within the limit, then the narrower;
// but of two that do not fit and are drawn whole (`widen`), the narrower.
bool better(const SizedLayout& a, const SizedLayout& b, std::uint64_t limit, bool widen) {
  const bool a_fits = a.width <= limit;
  const bool b_fits = b.width <= limit;
  if (a_fits != b_fits) return a_fits;
  if (a_fits) return a.width > b.width;  // the one that shortened less
  if (widen && a.width != b.width) return a.width < b.width;
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
    if (sized.layout.nodes[i].invisible || sized.boxes[i].width == 0) continue;
    const std::uint64_t reach =
        i < sized.reach.size() ? sized.reach[i] : add_sat(sized.boxes[i].right(), 1);
    if (reach <= columns) ++whole;
  }
  return whole;
}

WidthFit fit_to_width(std::string_view dot_source, SizedLayout first,
                      const RenderOptions& options, const LayoutFunction& relayout,
                      const SizeFunction& size) {
  WidthFit fit{std::move(first), 0};
  if (!options.max_width || !relayout || fit.sized.width <= *options.max_width) return fit;
  const std::uint64_t limit = *options.max_width;
  const bool widen = options.overflow == WidthOverflow::Widen;

  // The first layout's nodes name the labels the DOT text holds, and its
  // labels are what every node would show without a budget; its ranks are
  // the ones a staggered layout spreads.
  const LayoutGraph natural = fit.sized.layout;
  const std::vector<LayoutNode>& nodes = natural.nodes;
  std::vector<std::uint64_t> natural_boxes;
  for (const NodeBox& box : fit.sized.boxes) natural_boxes.push_back(box.width);
  const std::vector<std::string> limited = fit.sized.labels;
  const std::vector<std::string> unshortened =
      unshortened_labels(fit.sized.layout, fit.sized.fields);
  const RankDir direction = fit.sized.layout.rankdir;
  // A record's label holds its fields, and so does an HTML-like table; a
  // shortened one could break them, so `dot` keeps such a node as it is
  // and its fields stay whole. A point shows no label at all.
  std::vector<bool> keeps_size(nodes.size());
  std::vector<std::string> own(nodes.size());
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const bool point = nodes[i].shape == NodeShape::Point;
    keeps_size[i] = point || divided(fit.sized.fields, i) ||
                    nodes[i].shape == NodeShape::Record || nodes[i].shape == NodeShape::MRecord;
    if (!keeps_size[i] && i < unshortened.size()) own[i] = unshortened[i];
  }
  // A label is cut to no fewer than `kLabelFloor` columns, unless even
  // then no node could be drawn: a drawing with nothing in it helps no
  // one, so labels then go down to a character and break onto as many
  // lines as they need.
  std::uint64_t floor = kLabelFloor;
  std::size_t most_lines = kMostWrappedLines;
  {
    const NodeLabels usual(own, limited, options.max_label, options.trim);
    std::optional<std::uint64_t> narrowest;
    for (std::size_t i = 0; i < nodes.size() && i < fit.sized.boxes.size(); ++i) {
      if (nodes[i].invisible || fit.sized.boxes[i].width == 0) continue;
      const std::uint64_t box = keeps_size[i] ? fit.sized.boxes[i].width
                                              : add_sat(usual.width_within(i, floor), 4);
      narrowest = std::min(narrowest.value_or(box), box);
    }
    if (narrowest && *narrowest > limit) {
      floor = 1;
      most_lines = kLeastFloorLines;
    }
  }
  const NodeLabels labels(own, limited, options.max_label, options.trim, most_lines);
  const LabelWidthWithin within = [&labels](std::size_t i, std::uint64_t budget) {
    return labels.width_within(i, budget);
  };

  // Records, points and double circles are drawn from their shape, which
  // a default box shape would change.
  const bool boxes_only = std::all_of(nodes.begin(), nodes.end(), [](const LayoutNode& node) {
    return node.shape == NodeShape::Box || node.shape == NodeShape::Other;
  });

  // What nodes show with labels cut to `budget`: each label as its node
  // shows it, and the label as written where that shows unchanged (an
  // HTML-like label stays one) or must stay so.
  const auto shown_within = [&](std::uint64_t budget) {
    std::vector<std::string> shown = labels.within(budget);
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (keeps_size[i] && i < limited.size()) shown[i] = limited[i];
    }
    return shown;
  };

  const auto lay_out = [&](const Attempt& attempt) -> std::optional<SizedLayout> {
    const std::vector<std::string> shown = shown_within(attempt.budget);
    std::vector<std::string> written = shown;
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
      // And as wide as the box's columns: in a font whose every character
      // is as wide as the next, with two characters of margin either side
      // (the box's border and padding) and no least size, every node is as
      // wide for its columns as the next, and the narrowest no longer
      // spreads the rest.
      args.insert(args.end(), std::begin(kBoxSizedNodes), std::end(kBoxSizedNodes));
    }
    std::string rewritten = rewrite_dot_labels(dot_source, nodes, written);
    std::size_t added_edges = 0;
    if (attempt.staggered) {
      std::vector<std::uint64_t> boxes(nodes.size());
      for (std::size_t i = 0; i < nodes.size(); ++i) {
        boxes[i] = keeps_size[i] && i < natural_boxes.size()
                       ? natural_boxes[i]
                       : add_sat(labels.width_within(i, attempt.budget), 4);
      }
      const Stagger stagger = stagger_wide_ranks(natural, boxes, limit);
      const std::size_t close = rewritten.rfind('}');
      if (stagger.edges != 0 && close != std::string::npos) {
        rewritten.insert(close, "\n" + stagger.statements);
        added_edges = stagger.edges;
      }
    }
    auto layout = relayout(rewritten, args);
    if (!layout) return std::nullopt;
    // The edges that staggered the ranks go.
    if (added_edges != 0) drop_stagger_edges(*layout, natural.edges);
    const bool same_nodes = layout->nodes.size() == nodes.size();
    if (same_nodes) {
      for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (layout->nodes[i].name == nodes[i].name) layout->nodes[i].shape = nodes[i].shape;
      }
    }
    mark_html_labels(rewritten, *layout);
    NodeFaces faces = node_faces(*layout, options.max_label, options.trim);
    if (same_nodes) {
      // Every node shows what was asked for, whether or not the rewrite
      // reached its label.
      for (std::size_t i = 0; i < nodes.size() && i < faces.labels.size(); ++i) {
        if (!divided(faces.fields, i) && layout->nodes[i].name == nodes[i].name) {
          faces.labels[i] = shown[i];
        }
      }
    } else {
      const std::vector<std::string> again = unshortened_labels(*layout, faces.fields);
      faces.labels = NodeLabels(again, faces.labels, options.max_label, options.trim, most_lines)
                         .within(attempt.budget);
    }
    return size(std::move(*layout), std::move(faces));
  };

  std::optional<SizedLayout> latest;  // the newest layout, when it is not the best
  // The first layout as if it had been asked for with the widest label as
  // the budget; but when the label limit shortened a label, `dot` has not
  // seen it so yet, and every budget asks for something new.
  Attempt current{floor, std::nullopt};
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (!keeps_size[i]) current.budget = std::max(current.budget, labels.wanted(i));
  }
  for (std::size_t i = 0; i < limited.size() && i < nodes.size(); ++i) {
    if (!keeps_size[i] && limited[i] != unshortened[i]) {
      current.budget = std::numeric_limits<std::uint64_t>::max();
    }
  }
  std::vector<Attempt> tried = {current};
  const bool can_stagger = !natural.strict && (direction == RankDir::TopToBottom ||
                                               direction == RankDir::BottomToTop);
  for (int run = 0; run < kMoreLayouts; ++run) {
    const SizedLayout& basis = latest ? *latest : fit.sized;
    const WidthModel model(basis.layout, basis.labels, within, keeps_size, basis.fields);
    const std::optional<Attempt> chosen =
        choose(model, basis, current, tried, limit, floor, can_stagger);
    if (!chosen) break;  // nothing new to try
    const Attempt next = *chosen;
    tried.push_back(next);
    auto drawn = lay_out(next);
    if (!drawn) {
      // The rewrite can make a valid graph invalid (an HTML-like label cut
      // in the middle of an entity, say): draw the best layout with the
      // labels shortened as asked rather than fail a render that works.
      NodeFaces faces{fit.sized.labels, fit.sized.fields};
      const std::vector<std::string> shown = shown_within(next.budget);
      for (std::size_t i = 0; i < faces.labels.size() && i < shown.size(); ++i) {
        if (!divided(faces.fields, i)) faces.labels[i] = shown[i];
      }
      SizedLayout shortened = size(fit.sized.layout, std::move(faces));
      if (better(shortened, fit.sized, limit, widen)) fit.sized = std::move(shortened);
      break;
    }
    ++fit.layouts;
    // Boxes that overlap are worse than any width: that layout goes, and
    // the next thing to try is chosen as if it had not been made.
    if (next.gap && boxes_overlap(*drawn) && !boxes_overlap(fit.sized)) continue;
    current = next;
    const bool fits = drawn->width <= limit;
    if (better(*drawn, fit.sized, limit, widen)) {
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
