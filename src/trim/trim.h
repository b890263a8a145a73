// Shortening labels to a byte width with an ellipsis.
//
// The user picks where the cut goes: at the end, at the start, in the
// middle, or "smart", which keeps whole underscore-separated words from both
// ends of identifiers such as get_user_by_id. Widths are terminal columns
// (`text_width`); cuts never split a character nor part a combining mark
// from its base.
#ifndef VANTRI_TRIM_TRIM_H_
#define VANTRI_TRIM_TRIM_H_

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace vantri {

enum class TrimStrategy : std::uint8_t { End = 0, Start = 1, Middle = 2, Smart = 3 };

/// "end", "start", "middle" or "smart" in any letter case; otherwise the
/// message "unknown trim strategy: " followed by `text` as given.
std::expected<TrimStrategy, std::string> parse_trim_strategy(
    std::string_view text);

/// `label` unchanged when it fits in `max` columns, else a shortened copy
/// at most `max` columns wide marked with "...".
std::string trim_label(std::string_view label, std::size_t max,
                       TrimStrategy strategy);

/// `trim_label` line by line: each line of a label of several lines wider
/// than `max` is shortened on its own, the line endings kept as they are
/// (`split_aligned_lines`); a label of one line as `trim_label` does it.
std::string trim_label_lines(std::string_view label, std::size_t max,
                             TrimStrategy strategy);

/// How a label's line feeds are drawn, which decides how wide it is.
enum class LabelLines : std::uint8_t {
  /// Each starts a line (every label: node labels, fields, edge labels):
  /// the widest line counts, and each line too wide is cut on its own.
  Split,
  /// The label is drawn as one run of text, a line feed as a blank: all of
  /// it counts.
  Joined,
};

/// A label held to the caller's label limit: unchanged without a limit or
/// when it is at most `max_label` columns wide as drawn (`lines`), else cut
/// to `max_label` columns with `trim_label` (line by line when `Split`,
/// `trim_label_lines`). Every label the
/// limit applies to (node labels, record and table fields, edge labels)
/// goes through here, so that all are measured alike, in columns.
std::string limit_label(std::string_view label, std::optional<std::uint64_t> max_label,
                        TrimStrategy strategy, LabelLines lines);

}  // namespace vantri

#endif  // VANTRI_TRIM_TRIM_H_
