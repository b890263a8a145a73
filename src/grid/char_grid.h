// The canvas of one render: a flat row-major array of cells.
//
// Everything drawn goes through `put`, whose precedence rule settles
// overlaps (node over arrow over text over line over empty) and merges the
// directions of lines that meet, or through `set`, which overwrites.
// Writes outside the grid are dropped silently, so drawing code may pass
// off-grid positions freely.
#ifndef VANTRI_GRID_CHAR_GRID_H_
#define VANTRI_GRID_CHAR_GRID_H_

#include <cstdint>
#include <string>
#include <vector>

#include "grid/cell.h"

namespace vantri {

class CharGrid {
 public:
  /// A grid of `width` × `height` empty cells; throws std::length_error
  /// when the product does not fit in memory's address range.
  CharGrid(std::uint64_t width, std::uint64_t height);

  std::uint64_t width() const { return width_; }
  std::uint64_t height() const { return height_; }

  bool contains(std::uint64_t row, std::uint64_t col) const {
    return row < height_ && col < width_;
  }

  /// Writes under the precedence rule; a stronger kind replaces, an equal
  /// kind replaces (lines merge their flags instead), a weaker kind loses.
  void put(std::uint64_t row, std::uint64_t col, Cell cell) {
    if (!contains(row, col)) return;
    Cell& old = cells_[index(row, col)];
    if (cell.kind() < old.kind()) {
      old = cell;
    } else if (cell.kind() == old.kind()) {
      old = cell.kind() == CellKind::Line ? old.merged_line(cell) : cell;
    }
  }

  /// Writes unconditionally.
  void set(std::uint64_t row, std::uint64_t col, Cell cell) {
    if (contains(row, col)) cells_[index(row, col)] = cell;
  }

  /// The cell at an in-grid position.
  Cell at(std::uint64_t row, std::uint64_t col) const {
    return cells_[index(row, col)];
  }

  /// One line per row ending in a line feed, trailing white space removed
  /// from each row, blank rows at the bottom dropped. Control characters
  /// print as `printable_character` gives them.
  std::string to_text() const;

 private:
  std::size_t index(std::uint64_t row, std::uint64_t col) const {
    return static_cast<std::size_t>(row * width_ + col);
  }

  std::uint64_t width_;
  std::uint64_t height_;
  std::vector<Cell> cells_;
};

/// What a cell's character prints as: control characters from labels
/// (escape, tab, a line feed inside an edge label) would move the cursor or
/// break the row, so white-space ones print as a blank and the others as
/// U+FFFD.
char32_t printable_character(char32_t c);

/// The box-drawing character of a line cell's directions.
char32_t junction_character(LineFlags flags);

}  // namespace vantri

#endif  // VANTRI_GRID_CHAR_GRID_H_
