// Predicting, rank by rank, how wide a layout would be drawn if its labels
// were shorter or `dot` left less space between nodes, without running
// `dot` again.
//
// Top-down, a rank is a row of nodes side by side, so shortening its
// labels narrows the rank by what each of its nodes loses; left to right, a
// rank is a column of nodes, so it narrows by what its widest node loses.
// A node's width in points is taken to follow its label width plus the
// four columns of border and padding, never shrinking below the smallest
// width `dot` gives a node; the scale of the drawing (points per column)
// follows the narrowest node relative to its box, as the drawing picks
// it. Nodes divided into fields keep their size and their box.
#ifndef VANTRI_RENDER_WIDTH_MODEL_H_
#define VANTRI_RENDER_WIDTH_MODEL_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "graphviz/layout_graph.h"
#include "grid/field_layout.h"

namespace vantri {

/// The smallest label budget the fitting goes down to while any layout
/// within the width allows it: six columns of a label's own text and the
/// ellipsis, so that a shortened label still tells its node from its
/// neighbours.
inline constexpr std::uint64_t kLabelFloor = 9;

/// The columns node `node`'s label takes within `budget` columns (broken
/// onto more lines or cut, see `NodeLabels`).
using LabelWidthWithin = std::function<std::uint64_t(std::size_t node, std::uint64_t budget)>;

class WidthModel {
 public:
  /// `labels` are the labels the layout is drawn with; `within` the width
  /// each node's label takes within a budget (without it, the width of its
  /// entry of `labels`, cut to the budget). `keeps_size` marks nodes whose
  /// size in `dot` does not follow a shortened label; `fields`, when given,
  /// the fields a node's box is divided into (its size stays whatever the
  /// budget). A node's label as `dot` sized it is the text it shows.
  WidthModel(const LayoutGraph& layout, std::span<const std::string> labels,
             const LabelWidthWithin& within = {},
             const std::vector<bool>& keeps_size = {},
             std::span<const FieldLayout> fields = {});

  /// The predicted width in columns of the layout's bounding box, margins
  /// included (what build_transform would give), with every label cut to
  /// `budget` columns and `gap_cut` points less between neighbours across
  /// the drawing (nodes of a rank top-down, ranks left to right).
  std::uint64_t columns(std::uint64_t budget, double gap_cut = 0.0) const;

  /// The width in columns the model gives the layout as it is drawn now:
  /// every node as laid out, showing its label as drawn (which a label
  /// limit may have made shorter than the one `dot` sized the node for).
  std::uint64_t drawn_columns() const;

  /// The largest budget from `floor` up to the widest wanted label whose
  /// prediction is at most `limit` columns; absent when even the floor is
  /// predicted too wide.
  std::optional<std::uint64_t> largest_budget(std::uint64_t limit, double gap_cut = 0.0,
                                              std::uint64_t floor = kLabelFloor) const;

  /// The widest label any node wants.
  std::uint64_t widest_wanted() const { return widest_; }

  /// The predicted points per column with labels cut to `budget`.
  double scale(std::uint64_t budget) const;

  /// The space `dot` now leaves between neighbours across the drawing, in
  /// points: the narrowest gap seen.
  double gap() const { return gap_; }

 private:
  struct Node {
    std::size_t index = 0;
    std::size_t rank = 0;
    double width = 0.0;        // points, as laid out
    std::uint64_t sized = 0;   // the label width dot sized it for
    std::uint64_t wanted = 0;  // the label width it would show unbudgeted
    std::uint64_t shown = 0;   // the label width it is drawn with now
    bool keeps_size = false;
    std::uint64_t box_columns = 0;  // a box that keeps its size: its width
    bool point = false;             // one cell whatever the scale
  };
  struct Rank {
    double left = 0.0;  // points, the outer sides of its outermost nodes
    double right = 0.0;
    double thickest = 0.0;  // the widest node's width
    std::size_t count = 0;
  };

  // With a budget, as the layout would be with labels cut to it; without,
  // as it is drawn now.
  double node_width(const Node& node, std::optional<std::uint64_t> budget) const;
  std::uint64_t label_within(const Node& node, std::uint64_t budget) const;
  std::uint64_t box_columns(const Node& node, std::optional<std::uint64_t> budget) const;
  double scale_at(std::optional<std::uint64_t> budget) const;
  std::uint64_t predict(std::optional<std::uint64_t> budget, double gap_cut) const;

  bool across_ranks_ = false;  // left to right: ranks stand side by side
  double bbox_width_ = 0.0;
  double widest_rank_ = 0.0;  // the widest rank's extent across the drawing
  double gap_ = 0.0;
  std::uint64_t widest_ = 0;
  LabelWidthWithin within_;
  std::vector<Node> nodes_;
  std::vector<Rank> ranks_;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_WIDTH_MODEL_H_
