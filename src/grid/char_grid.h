// The canvas of one render.
//
// Everything drawn goes through `put`, whose precedence rule settles
// overlaps (node over arrow over text over line over empty) and merges the
// directions of lines that meet, or through `set`, which overwrites.
// Writes outside the grid are dropped silently, so drawing code may pass
// off-grid positions freely.
//
// Each row is cut into chunks of up to 256 cells that are allocated on
// their first write; a chunk never written is all empty. A canvas is much
// wider than most of its rows' content (the lanes of side edges run far
// right of the nodes), so memory and the time to build the text follow what
// is drawn, not width times height.
#ifndef VANTRI_GRID_CHAR_GRID_H_
#define VANTRI_GRID_CHAR_GRID_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "graphviz/stop_check.h"
#include "grid/cell.h"

namespace vantri {

class CharGrid {
 public:
  /// A grid of `width` × `height` empty cells; throws std::length_error
  /// when it is too large to be indexed.
  CharGrid(std::uint64_t width, std::uint64_t height);

  std::uint64_t width() const { return width_; }
  std::uint64_t height() const { return height_; }

  bool contains(std::uint64_t row, std::uint64_t col) const {
    return row < height_ && col < width_;
  }

  /// Writes under the precedence rule; a stronger kind replaces, an equal
  /// kind replaces (lines merge their flags instead), a weaker kind loses.
  void put(std::uint64_t row, std::uint64_t col, Cell cell) {
    // An empty cell never wins over anything and equals an empty one.
    if (!contains(row, col) || cell.kind() == CellKind::Empty) return;
    Cell& old = writable(row, col);
    old = resolve(old, cell);
  }

  /// `put` of `cell` at every column c with first <= c < end that lies in
  /// the grid.
  void put_run(std::uint64_t row, std::uint64_t first, std::uint64_t end, Cell cell);

  /// Writes unconditionally.
  void set(std::uint64_t row, std::uint64_t col, Cell cell) {
    if (!contains(row, col)) return;
    if (cell.kind() == CellKind::Empty && !chunk(row, col >> shift_)) return;
    writable(row, col) = cell;
  }

  /// The cell at an in-grid position.
  Cell at(std::uint64_t row, std::uint64_t col) const {
    const Cell* cells = chunk(row, col >> shift_);
    return cells ? cells[col & mask_] : Cell::empty();
  }

  /// The first and the last row anything was written on; nothing for a
  /// grid never written.
  std::optional<std::uint64_t> first_used_row() const;
  std::optional<std::uint64_t> last_used_row() const;

  /// The number under which cells carry the SGR start sequence `sgr` (an
  /// ANSI colour, bold, italic, underline), kept for the whole grid; 0 for
  /// the empty sequence, and when the grid already keeps `Cell::kMaxPaint`
  /// others.
  std::uint32_t paint_id(std::string_view sgr);

  /// The number of a start sequence the grid keeps; 0 for one it does not.
  std::uint32_t paint_of(std::string_view sgr) const;

  /// Gives the cell at (row, col) paint `id`, whatever it holds.
  void paint(std::uint64_t row, std::uint64_t col, std::uint32_t id) {
    if (!contains(row, col)) return;
    Cell& cell = writable(row, col);
    cell = cell.painted(id);
  }

  /// Keeps the zero-width character `mark` (a combining mark, say) after
  /// the character of the node, arrow or text cell at (row, col); a later
  /// write of that cell drops what was kept. Other cells keep nothing.
  void add_mark(std::uint64_t row, std::uint64_t col, char32_t mark);

  /// One line per row ending in a line feed, trailing white space removed
  /// from each row, blank rows at the bottom dropped. Control characters
  /// print as `printable_character` gives them. A wide character prints in
  /// its first cell, its continuation prints nothing; a wide character or a
  /// continuation whose other half was overwritten prints as a blank, so
  /// every cell stays one terminal column. Runs of cells of one paint are
  /// wrapped in its start sequence and a reset (ESC [0m), each row closing
  /// what it opened; a grid without paints has no escape sequences.
  /// When `stop` says so, the text ends early, unfinished.
  std::string to_text(StopCheck* stop = nullptr) const;

 private:
  static Cell resolve(Cell old, Cell cell) {
    if (cell.kind() < old.kind()) return cell;
    if (cell.kind() == old.kind()) {
      return cell.kind() == CellKind::Line ? old.merged_line(cell) : cell;
    }
    return old;
  }

  // Chunk ids count from 1; 0 marks a chunk not allocated yet.
  std::uint32_t& chunk_id(std::uint64_t row, std::uint64_t chunk_index) {
    return chunk_ids_[static_cast<std::size_t>(row * chunks_per_row_ + chunk_index)];
  }
  const Cell* chunk(std::uint64_t row, std::uint64_t chunk_index) const {
    const std::uint32_t id =
        chunk_ids_[static_cast<std::size_t>(row * chunks_per_row_ + chunk_index)];
    return id ? cells_of(id) : nullptr;
  }
  Cell* cells_of(std::uint32_t id) const {
    const std::uint32_t slot = id - 1;
    return slabs_[slot >> slab_shift_].get() + (std::size_t{slot & slab_mask_} << shift_);
  }
  Cell* writable_chunk(std::uint64_t row, std::uint64_t chunk_index) {
    std::uint32_t& id = chunk_id(row, chunk_index);
    if (id == 0) id = new_chunk();
    return cells_of(id);
  }
  Cell& writable(std::uint64_t row, std::uint64_t col) {
    return writable_chunk(row, col >> shift_)[col & mask_];
  }
  std::uint32_t new_chunk();

  std::uint64_t width_;
  std::uint64_t height_;
  // Cells per chunk: 1 << shift_, at most 256 and no more than the width
  // rounded up to a power of two.
  unsigned shift_ = 0;
  std::uint64_t mask_ = 0;
  std::uint64_t chunks_per_row_ = 0;
  std::vector<std::uint32_t> chunk_ids_;
  // Chunks live in slabs of 1 << slab_shift_ chunks each, so that a new
  // chunk never moves an old one.
  unsigned slab_shift_ = 0;
  std::uint32_t slab_mask_ = 0;
  std::uint32_t chunk_count_ = 0;
  std::vector<std::unique_ptr<Cell[]>> slabs_;
  // The zero-width characters after marked cells, by row * width + column.
  std::unordered_map<std::uint64_t, std::u32string> marks_;
  std::size_t mark_count_ = 0;
  // The start sequence of paint i + 1.
  std::vector<std::string> paints_;
};

/// What a cell's character prints as: control characters from labels
/// (escape, tab, a line feed inside an edge label) would move the cursor or
/// break the row, so white-space ones print as a blank and the others as
/// U+FFFD.
char32_t printable_character(char32_t c);

/// The box-drawing character of a line cell's directions.
char32_t junction_character(LineFlags flags);

/// The character of a line cell's directions in a line style: dashes ┄┆
/// and dots ┈┊ along straight stretches (light corners and junctions join
/// them), heavy lines ━┃┏┳╋ for bold.
char32_t junction_character(LineFlags flags, LineStyle style);

}  // namespace vantri

#endif  // VANTRI_GRID_CHAR_GRID_H_
