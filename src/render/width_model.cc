// The rank-by-rank width prediction behind the width fitting.
#include "render/width_model.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "grid/cell_arith.h"
#include "grid/grid_transform.h"
#include "grid/node_box.h"
#include "render/node_faces.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// `dot` makes no node narrower than this (0.75 inch) unless told to, so a
// node whose label shrinks stops shrinking here.
constexpr double kSmallestNodePoints = 54.0;
// A column stands for at least this many points (see build_transform).
constexpr double kSmallestScale = 4.0;
// Nodes of one rank share this coordinate, up to rounding in the json0.
constexpr double kSameRank = 0.5;

double finite_or_zero(double value) {
  return std::isfinite(value) ? value : 0.0;
}

}  // namespace

WidthModel::WidthModel(const LayoutGraph& layout, std::span<const std::string> labels,
                       const LabelWidthWithin& within,
                       const std::vector<bool>& keeps_size,
                       std::span<const FieldLayout> fields)
    : across_ranks_(layout.rankdir == RankDir::LeftToRight ||
                    layout.rankdir == RankDir::RightToLeft),
      bbox_width_(std::max(0.0, finite_or_zero(layout.bb.x1 - layout.bb.x0))),
      within_(within) {
  const std::size_t count = std::min(layout.nodes.size(), labels.size());
  nodes_.resize(count);
  // Where a node sits along the ranks, and across them.
  std::vector<double> rank_key(count);
  std::vector<double> centre(count);
  for (std::size_t i = 0; i < count; ++i) {
    const LayoutNode& source = layout.nodes[i];
    Node& node = nodes_[i];
    node.index = i;
    node.width = std::max(0.0, finite_or_zero(source.width));
    node.sized = label_width(display_label(source));
    node.shown = label_width(labels[i]);
    node.wanted =
        within_ ? within_(i, std::numeric_limits<std::uint64_t>::max()) : node.shown;
    node.point = source.shape == NodeShape::Point;
    const bool divided = i < fields.size() && !fields[i].empty();
    node.keeps_size = node.point || divided || (i < keeps_size.size() && keeps_size[i]);
    if (divided) node.box_columns = box_size(source, labels[i], fields[i]).width;
    widest_ = std::max(widest_, node.wanted);
    rank_key[i] = finite_or_zero(across_ranks_ ? source.pos.x : source.pos.y);
    centre[i] = finite_or_zero(source.pos.x);
  }

  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (rank_key[a] != rank_key[b]) return rank_key[a] < rank_key[b];
    return centre[a] < centre[b];
  });

  // Walk the nodes rank by rank, left to right within a rank.
  constexpr double kNone = std::numeric_limits<double>::infinity();
  gap_ = kNone;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::size_t i = order[k];
    const double left = centre[i] - nodes_[i].width / 2;
    const double right = centre[i] + nodes_[i].width / 2;
    if (k == 0 || !(std::abs(rank_key[i] - rank_key[order[k - 1]]) < kSameRank)) {
      ranks_.push_back({left, right, 0.0, 0});
    } else if (!across_ranks_ && left > ranks_.back().right) {
      // The space between this node and its neighbour on the left.
      gap_ = std::min(gap_, left - ranks_.back().right);
    }
    Rank& rank = ranks_.back();
    rank.left = std::min(rank.left, left);
    rank.right = std::max(rank.right, right);
    rank.thickest = std::max(rank.thickest, nodes_[i].width);
    ++rank.count;
    nodes_[i].rank = ranks_.size() - 1;
  }
  for (std::size_t r = 0; r < ranks_.size(); ++r) {
    const Rank& rank = ranks_[r];
    widest_rank_ = std::max(widest_rank_, rank.right - rank.left);
    // Left to right, the space between a rank and the one before it.
    if (across_ranks_ && r > 0 && rank.left > ranks_[r - 1].right) {
      gap_ = std::min(gap_, rank.left - ranks_[r - 1].right);
    }
  }
  if (gap_ == kNone) gap_ = 0.0;
}

std::uint64_t WidthModel::label_within(const Node& node, std::uint64_t budget) const {
  if (node.wanted <= budget) return node.wanted;
  return within_ ? within_(node.index, budget) : budget;
}

double WidthModel::node_width(const Node& node, std::optional<std::uint64_t> budget) const {
  if (node.keeps_size || !budget) return node.width;
  const std::uint64_t shown = label_within(node, *budget);
  if (shown == node.sized) return node.width;
  // Border and padding take four columns whatever the label.
  double width = node.width * (static_cast<double>(shown) + 4) /
                 (static_cast<double>(node.sized) + 4);
  if (shown < node.sized) width = std::max(width, std::min(node.width, kSmallestNodePoints));
  return width;
}

std::uint64_t WidthModel::box_columns(const Node& node,
                                      std::optional<std::uint64_t> budget) const {
  if (node.box_columns != 0) return node.box_columns;
  return (budget ? label_within(node, *budget) : node.shown) + 4;
}

double WidthModel::scale(std::uint64_t budget) const { return scale_at(budget); }

double WidthModel::scale_at(std::optional<std::uint64_t> budget) const {
  double narrowest = std::numeric_limits<double>::infinity();
  for (const Node& node : nodes_) {
    if (node.point) continue;
    narrowest = std::min(narrowest, node_width(node, budget) /
                                        static_cast<double>(box_columns(node, budget)));
  }
  return std::isfinite(narrowest) ? std::max(narrowest, kSmallestScale) : kSmallestScale;
}

std::uint64_t WidthModel::columns(std::uint64_t budget, double gap_cut) const {
  return predict(budget, gap_cut);
}

std::uint64_t WidthModel::drawn_columns() const { return predict(std::nullopt, 0.0); }

std::uint64_t WidthModel::predict(std::optional<std::uint64_t> budget, double gap_cut) const {
  gap_cut = std::max(0.0, finite_or_zero(gap_cut));
  double width = bbox_width_;
  if (across_ranks_) {
    // Ranks stand side by side: each gives back what its thickest node does.
    std::vector<double> thickest(ranks_.size(), 0.0);
    for (const Node& node : nodes_) {
      thickest[node.rank] = std::max(thickest[node.rank], node_width(node, budget));
    }
    for (std::size_t r = 0; r < ranks_.size(); ++r) {
      width -= ranks_[r].thickest - thickest[r];
    }
    if (ranks_.size() > 1) width -= gap_cut * static_cast<double>(ranks_.size() - 1);
  } else if (widest_rank_ > 0.0) {
    // Ranks stand one above the other: a rank gives back what all its nodes
    // do, the widest rank sets the width, and the rest of the drawing
    // (clusters, offsets between ranks) follows it in proportion.
    std::vector<double> given_back(ranks_.size(), 0.0);
    for (const Node& node : nodes_) {
      given_back[node.rank] += node.width - node_width(node, budget);
    }
    double widest = 0.0;
    for (std::size_t r = 0; r < ranks_.size(); ++r) {
      const Rank& rank = ranks_[r];
      const double gaps = static_cast<double>(rank.count - 1) * gap_cut;
      widest = std::max(widest, rank.right - rank.left - given_back[r] - gaps);
    }
    width *= std::max(widest, 0.0) / widest_rank_;
  }
  const double cells = std::ceil(std::max(width, 0.0) / scale_at(budget));
  return add_sat(saturating_to_unsigned(cells), 2);
}

std::optional<std::uint64_t> WidthModel::largest_budget(std::uint64_t limit, double gap_cut,
                                                        std::uint64_t floor) const {
  std::uint64_t low = floor;
  std::uint64_t high = std::max(widest_, floor);
  if (columns(low, gap_cut) > limit) return std::nullopt;
  if (columns(high, gap_cut) <= limit) return high;
  // columns(low) fits and columns(high) does not.
  while (high - low > 1) {
    const std::uint64_t middle = low + (high - low) / 2;
    if (columns(middle, gap_cut) <= limit) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return low;
}

}  // namespace vantri
