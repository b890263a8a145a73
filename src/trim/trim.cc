// Trimming strategies: reading their names and cutting labels to a width.
#include "trim/trim.h"

#include <optional>
#include <utility>

#include "messages/messages.h"
#include "text/label_lines.h"
#include "trim/smart_trim.h"

namespace vantri {
namespace {

constexpr std::string_view kEllipsis = "...";

// The front of `label` at most `columns` wide.
std::string_view front_part(std::string_view label, std::size_t columns) {
  return label.substr(0, fit_prefix(label, columns).bytes);
}

// The back of `label` at most `columns` wide.
std::string_view back_part(std::string_view label, std::size_t columns) {
  return label.substr(label.size() - fit_suffix(label, columns).bytes);
}

std::string join(std::string_view a, std::string_view b, std::string_view c) {
  std::string out;
  out.reserve(a.size() + b.size() + c.size());
  out += a;
  out += b;
  out += c;
  return out;
}

// Keeps up to ceil(budget/2) columns of the front and what is left of the
// budget of the back: floor(budget/2), or one more when a wide character
// kept the front a column short.
std::string trim_middle(std::string_view label, std::size_t budget) {
  const TextSpan front = fit_prefix(label, budget - budget / 2);
  return join(label.substr(0, front.bytes), kEllipsis,
              back_part(label, budget - front.columns));
}

}  // namespace

std::expected<TrimStrategy, std::string> parse_trim_strategy(
    std::string_view text) {
  // ASCII lower-casing is enough: the only non-ASCII characters whose lower
  // case contains ASCII letters are U+212A KELVIN SIGN (to "k") and U+0130
  // (to "i" plus a combining dot), and neither can complete one of the four
  // names, so any text with a non-ASCII byte is unknown either way.
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (lower == "end") return TrimStrategy::End;
  if (lower == "start") return TrimStrategy::Start;
  if (lower == "middle") return TrimStrategy::Middle;
  if (lower == "smart") return TrimStrategy::Smart;
  return std::unexpected(messages::unknown_trim_strategy(text));
}

std::string trim_label(std::string_view label, std::size_t max,
                       TrimStrategy strategy) {
  if (max >= text_width(label)) return std::string(label);
  if (max <= kEllipsis.size()) return std::string(max, '.');

  const std::size_t budget = max - kEllipsis.size();
  switch (strategy) {
    case TrimStrategy::End:
      return join(front_part(label, budget), kEllipsis, {});
    case TrimStrategy::Start:
      return join({}, kEllipsis, back_part(label, budget));
    case TrimStrategy::Middle:
      return trim_middle(label, budget);
    case TrimStrategy::Smart:
      break;
  }
  std::optional<std::string> words = smart_trim(label, budget);
  return words ? std::move(*words) : trim_middle(label, budget);
}

std::string trim_label_lines(std::string_view label, std::size_t max,
                             TrimStrategy strategy) {
  if (label.find('\n') == std::string_view::npos) return trim_label(label, max, strategy);
  if (label_width(label) <= max) return std::string(label);
  std::string out;
  out.reserve(label.size());
  const std::vector<AlignedLine> lines = split_aligned_lines(label);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    out += trim_label(lines[i].text, max, strategy);
    // Every line but a last one without a line feed has its ending back.
    if (i + 1 < lines.size() || label.back() == '\n') out += line_end(lines[i].align);
  }
  return out;
}

std::string limit_label(std::string_view label, std::optional<std::uint64_t> max_label,
                        TrimStrategy strategy, LabelLines lines) {
  if (!max_label) return std::string(label);
  const std::size_t width = lines == LabelLines::Split ? label_width(label) : text_width(label);
  if (width <= *max_label) return std::string(label);
  const auto max = static_cast<std::size_t>(*max_label);
  return lines == LabelLines::Split ? trim_label_lines(label, max, strategy)
                                    : trim_label(label, max, strategy);
}

}  // namespace vantri
