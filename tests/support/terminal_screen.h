// A drawing as a terminal shows it: every row's characters by column.
//
// Built from the finished text, not from the grid, with the C library's
// width table (wcwidth in a UTF-8 locale), the one terminals use, rather
// than the drawing's own: a wide character fills two columns, a combining
// mark joins the character before it. Tests look up what a reader sees at
// a cell, and find a label's text near where it belongs (a node's box, an
// edge's end cell) in the rows and columns it may take.
#ifndef VANTRI_TESTS_SUPPORT_TERMINAL_SCREEN_H_
#define VANTRI_TESTS_SUPPORT_TERMINAL_SCREEN_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grid/field_layout.h"

namespace vantri::testing {

/// A position on the screen.
struct ScreenPoint {
  std::uint64_t row = 0;
  std::uint64_t col = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

class TerminalScreen {
 public:
  /// `text` is a drawing, rows ending in line feeds; its colour sequences
  /// (SGR) show nothing. Switches the process to a UTF-8 character type locale; throws
  /// std::runtime_error when there is none.
  explicit TerminalScreen(std::string_view text);

  std::uint64_t rows() const { return lines_.size(); }
  /// Columns the widest row takes.
  std::uint64_t columns() const { return columns_; }

  /// The character shown at (row, col); a blank past the end of a row, 0
  /// for the second column of a wide character.
  char32_t at(std::uint64_t row, std::uint64_t col) const;

  /// What row `row` shows from column `first` to `last` (inclusive), marks
  /// included; a wide character cut by either end is left out.
  std::string text(std::uint64_t row, std::uint64_t first, std::uint64_t last) const;

  /// Where `line` (one line of text) is shown within `area`, rows top to
  /// bottom and then columns left to right: the cell of its first
  /// character. Nothing when it is not there whole.
  std::optional<ScreenPoint> find(std::string_view line, const CellRect& area) const;

 private:
  struct Row {
    std::string text;
    // For each column the byte where the character shown there starts;
    // kSecondHalf for the second column of a wide one; one entry more, the
    // end of the text.
    std::vector<std::uint32_t> starts;
  };
  static constexpr std::uint32_t kSecondHalf = 0xFFFFFFFF;

  // The characters of a row shown within columns [first, last]: the first
  // column shown and their bytes.
  struct Shown {
    std::uint64_t first = 0;
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
  };
  Shown shown(std::uint64_t row, std::uint64_t first, std::uint64_t last) const;

  std::vector<Row> lines_;
  std::uint64_t columns_ = 0;
};

}  // namespace vantri::testing

#endif  // VANTRI_TESTS_SUPPORT_TERMINAL_SCREEN_H_
