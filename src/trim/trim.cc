// Trimming strategies: reading their names and cutting labels to a width.
#include "trim/trim.h"

#include <optional>
#include <utility>

#include "text/utf8.h"
#include "trim/smart_trim.h"

namespace vantri {
namespace {

constexpr std::string_view kEllipsis = "...";

// The front of `label` of at most `bytes` bytes, ending on a character
// boundary so that no character is split.
std::string_view front_part(std::string_view label, std::size_t bytes) {
  return label.substr(0, floor_char_boundary(label, bytes));
}

// The back of `label` of at most `bytes` bytes, starting on a character
// boundary.
std::string_view back_part(std::string_view label, std::size_t bytes) {
  return label.substr(ceil_char_boundary(label, label.size() - bytes));
}

std::string join(std::string_view a, std::string_view b, std::string_view c) {
  std::string out;
  out.reserve(a.size() + b.size() + c.size());
  out += a;
  out += b;
  out += c;
  return out;
}

// Keeps ceil(budget/2) bytes of the front and floor(budget/2) of the back.
std::string trim_middle(std::string_view label, std::size_t budget) {
  return join(front_part(label, budget - budget / 2), kEllipsis,
              back_part(label, budget / 2));
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
  return std::unexpected("unknown trim strategy: " + std::string(text));
}

std::string trim_label(std::string_view label, std::size_t max,
                       TrimStrategy strategy) {
  if (max >= label.size()) return std::string(label);
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

}  // namespace vantri
