// Labels within a budget: whole, broken onto more lines, or cut.
#include "render/label_budget.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "text/label_lines.h"
#include "text/wrap_words.h"

namespace vantri {

namespace {

// The columns of its own text a cut line keeps when the budget allows:
// the floor of the width fitting less the ellipsis.
constexpr std::size_t kLeastOwnColumns = 6;
constexpr std::size_t kEllipsisColumns = 3;

// `piece` cut to `budget` columns with `trim`; but where keeping whole
// words ("smart") would leave fewer than six columns of the text while the
// budget has room for them, cut in the middle instead.
std::string cut_piece(std::string_view piece, std::uint64_t budget, TrimStrategy trim) {
  const auto columns = static_cast<std::size_t>(budget);
  std::string cut = trim_label(piece, columns, trim);
  const std::size_t least = std::min(columns, kLeastOwnColumns + kEllipsisColumns);
  if (trim == TrimStrategy::Smart && text_width(cut) < least) {
    cut = trim_label(piece, columns, TrimStrategy::Middle);
  }
  return cut;
}

}  // namespace

LabelForms::LabelForms(std::string label, std::size_t most_lines)
    : label_(std::move(label)), width_(label_width(label_)) {
  const std::string_view text = label_;
  const std::vector<std::string_view> lines = split_label_lines(text);
  lines_.reserve(lines.size());
  for (std::size_t k = 0; k < lines.size(); ++k) {
    Line line;
    const auto offset = [&](std::string_view part) {
      return static_cast<std::size_t>(part.data() - text.data());
    };
    line.text = {offset(lines[k]), offset(lines[k]) + lines[k].size()};
    line.ending = {line.text.end, k + 1 < lines.size() ? offset(lines[k + 1]) : text.size()};
    line.width = text_width(lines[k]);
    // No break gets narrower than the widest word.
    std::uint64_t widest_word = 0;
    for (std::string_view word : balanced_lines(lines[k], lines[k].size())) {
      widest_word = std::max<std::uint64_t>(widest_word, text_width(word));
    }
    std::uint64_t narrowest = line.width;
    for (std::size_t count = 2; count <= most_lines && narrowest > widest_word; ++count) {
      const std::vector<std::string_view> broken = balanced_lines(lines[k], count);
      std::uint64_t widest = 0;
      for (std::string_view piece : broken) {
        widest = std::max<std::uint64_t>(widest, text_width(piece));
      }
      if (broken.size() < 2 || widest >= narrowest) continue;
      std::vector<Span> pieces;
      for (std::string_view piece : broken) {
        pieces.push_back({offset(piece), offset(piece) + piece.size()});
      }
      line.breaks.push_back(std::move(pieces));
      line.break_widths.push_back(widest);
      narrowest = widest;
    }
    lines_.push_back(std::move(line));
  }
}

std::uint64_t LabelForms::width_within(std::uint64_t budget) const {
  if (width_ <= budget) return width_;
  std::uint64_t widest = 0;
  for (const Line& line : lines_) {
    std::uint64_t width = line.width;
    if (width > budget) {
      width = budget;
      for (const std::uint64_t broken : line.break_widths) {
        if (broken <= budget) {
          width = broken;
          break;
        }
      }
    }
    widest = std::max(widest, width);
  }
  return widest;
}

ShownLabel LabelForms::within(std::uint64_t budget, TrimStrategy trim) const {
  if (width_ <= budget) return {label_, false};
  const std::string_view text = label_;
  const auto part = [&](Span span) { return text.substr(span.begin, span.end - span.begin); };
  ShownLabel shown;
  shown.text.reserve(label_.size() + 8);
  for (const Line& line : lines_) {
    if (line.width <= budget) {
      shown.text += part(line.text);
      shown.text += part(line.ending);
      continue;
    }
    // The fewest lines that fit; else the most, each cut to the budget.
    std::size_t chosen = line.breaks.size();
    for (std::size_t k = 0; k < line.break_widths.size(); ++k) {
      if (line.break_widths[k] <= budget) {
        chosen = k;
        break;
      }
    }
    const std::vector<Span> whole = {line.text};
    const std::vector<Span>& pieces =
        chosen < line.breaks.size() ? line.breaks[chosen] : line.breaks.empty() ? whole
                                                                                : line.breaks.back();
    for (std::size_t k = 0; k < pieces.size(); ++k) {
      if (k > 0) shown.text += '\n';
      const std::string_view piece = part(pieces[k]);
      if (text_width(piece) <= budget) {
        shown.text += piece;
      } else {
        shown.text += cut_piece(piece, budget, trim);
        shown.cut = true;
      }
    }
    // A line cut but not broken keeps its ending, and so how it is set; the
    // lines a line is broken into are centred.
    if (pieces.size() == 1) {
      shown.text += part(line.ending);
    } else if (line.ending.end > line.ending.begin) {
      shown.text += '\n';
    }
  }
  return shown;
}

NodeLabels::NodeLabels(std::span<const std::string> own, std::span<const std::string> limited,
                       std::optional<std::uint64_t> max_label, TrimStrategy trim,
                       std::size_t most_lines)
    : own_(own.begin(), own.end()), max_label_(max_label), trim_(trim) {
  limited_.reserve(own_.size());
  limited_width_.reserve(own_.size());
  forms_.reserve(own_.size());
  for (std::size_t i = 0; i < own_.size(); ++i) {
    limited_.push_back(i < limited.size() ? limited[i] : own_[i]);
    limited_width_.push_back(label_width(limited_.back()));
    forms_.emplace_back(own_[i], most_lines);
  }
}

std::uint64_t NodeLabels::wanted(std::size_t i) const { return limited_width_[i]; }

std::uint64_t NodeLabels::width_within(std::size_t i, std::uint64_t budget) const {
  if (limited_width_[i] <= budget) return limited_width_[i];
  return forms_[i].width_within(max_label_ ? std::min(budget, *max_label_) : budget);
}

ShownLabel NodeLabels::one_within(std::size_t i, std::uint64_t budget, TrimStrategy trim) const {
  if (limited_width_[i] <= budget) return {limited_[i], limited_[i] != own_[i]};
  return forms_[i].within(max_label_ ? std::min(budget, *max_label_) : budget, trim);
}

std::vector<std::string> NodeLabels::within(std::uint64_t budget) const {
  const std::size_t count = own_.size();
  std::vector<ShownLabel> shown;
  std::vector<std::uint64_t> columns(count, budget);
  std::vector<std::uint64_t> most(count);
  shown.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    shown.push_back(one_within(i, budget, trim_));
    most[i] = std::max(budget, forms_[i].width());
    if (max_label_) most[i] = std::min(most[i], std::max(budget, *max_label_));
  }
  keep_labels_apart(own_, shown, columns, most, trim_,
                    [this](std::size_t i, std::uint64_t columns, TrimStrategy trim) {
                      return one_within(i, columns, trim);
                    });
  std::vector<std::string> texts;
  texts.reserve(count);
  for (ShownLabel& label : shown) texts.push_back(std::move(label.text));
  return texts;
}

}  // namespace vantri
