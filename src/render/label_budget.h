// What node labels show within a budget of columns, as the width fitting
// gives them one.
//
// A label wider than the budget is first set on more lines: each of its
// lines too wide is broken at its blanks into the fewest balanced lines,
// up to three, that fit (a wrapped line is centred). Only a line that
// still does not fit, or has no blank, is cut with the render's trimming
// strategy, and cut labels are kept apart (`keep_labels_apart`). Node
// boxes, the width model and the DOT text written for the next layout all
// take their labels from here, so that what `dot` sizes is what is drawn.
#ifndef VANTRI_RENDER_LABEL_BUDGET_H_
#define VANTRI_RENDER_LABEL_BUDGET_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "render/distinct_labels.h"
#include "trim/trim.h"

namespace vantri {

/// The most lines one line of a label is broken into before it is cut.
inline constexpr std::size_t kMostWrappedLines = 3;

/// One label and the narrower forms it takes: each line whole, or broken
/// at its blanks into balanced lines, or cut.
class LabelForms {
 public:
  LabelForms() = default;
  /// `most_lines`: the most lines one line may be broken into.
  explicit LabelForms(std::string label, std::size_t most_lines = kMostWrappedLines);

  const std::string& label() const { return label_; }
  /// The label's width as written (`label_width`).
  std::uint64_t width() const { return width_; }
  /// The columns the label takes within `budget`: its width when that
  /// fits; else, line by line, the narrowest break that fits, or the
  /// budget for a line that is cut.
  std::uint64_t width_within(std::uint64_t budget) const;
  /// The label within `budget` columns, its lines cut with `trim` where
  /// breaking them does not do.
  ShownLabel within(std::uint64_t budget, TrimStrategy trim) const;

 private:
  struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
  };
  struct Line {
    Span text;
    // What follows the text up to the next line: its line ending.
    Span ending;
    std::uint64_t width = 0;
    // Balanced breaks into more and more lines, each narrower than the
    // last, and the widest line of each.
    std::vector<std::vector<Span>> breaks;
    std::vector<std::uint64_t> break_widths;
  };
  std::string label_;
  std::uint64_t width_ = 0;
  std::vector<Line> lines_;
};

/// Every node's label within one budget.
class NodeLabels {
 public:
  /// `own`: what each node shows unshortened (empty for a node divided
  /// into fields, or a point); `limited`: what it shows under the label
  /// limit `max_label`, which no budget makes it exceed. `most_lines` as
  /// for `LabelForms`.
  NodeLabels(std::span<const std::string> own, std::span<const std::string> limited,
             std::optional<std::uint64_t> max_label, TrimStrategy trim,
             std::size_t most_lines = kMostWrappedLines);

  std::size_t size() const { return own_.size(); }
  /// The width of node `i`'s label without a budget (the label limit's).
  std::uint64_t wanted(std::size_t i) const;
  /// The columns node `i`'s label takes within `budget`, before labels
  /// are kept apart.
  std::uint64_t width_within(std::size_t i, std::uint64_t budget) const;
  /// Every label within `budget` columns, cut labels kept apart.
  std::vector<std::string> within(std::uint64_t budget) const;

 private:
  ShownLabel one_within(std::size_t i, std::uint64_t budget, TrimStrategy trim) const;

  std::vector<std::string> own_;
  std::vector<std::string> limited_;
  std::vector<std::uint64_t> limited_width_;
  std::vector<LabelForms> forms_;
  std::optional<std::uint64_t> max_label_;
  TrimStrategy trim_;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_LABEL_BUDGET_H_
