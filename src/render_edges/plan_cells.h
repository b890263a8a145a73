// What the edge planner has already put on each cell of the canvas.
//
// Routes, arrowheads and labels are decided one after another, each
// keeping off what came before: boxes, labels and other edges' arrowheads
// block a cell; a line blocks it too, except for a line crossing straight
// over a straight line at right angles, and for an edge that leaves the
// same tail or enters the same head as every line already there (a fan-out
// trunk or a fan-in merge). Each cell therefore records which lines pass
// and the tail and head groups they have in common.
//
// Cells are kept in runs of up to 256 ("chunks") along the axis across the
// ranks (shorter when the canvas is narrower than that along it, so that a
// canvas hundreds of thousands of cells long but a few dozen across keeps
// no chunk mostly outside it): along rows when ranks run down the canvas, along columns when
// they run across it. That is the way the long legs of routes run (a
// fan-out's trunk, a side edge out to its lane), and a chunk is allocated
// only on its first write, so most of a wide canvas stays empty. Each
// chunk also keeps a summary of its cells, so that a leg over a stretch
// that many routes share (a fan-out of thousands of children) is checked
// and recorded a chunk at a time rather than a cell at a time.
#ifndef VANTRI_RENDER_EDGES_PLAN_CELLS_H_
#define VANTRI_RENDER_EDGES_PLAN_CELLS_H_

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "grid/cell_rect.h"

namespace vantri {

struct PlanCell {
  static constexpr std::uint8_t kBox = 1;
  static constexpr std::uint8_t kArrow = 2;
  static constexpr std::uint8_t kLabel = 4;
  /// A cluster frame or title: routes may cross it, labels keep off.
  static constexpr std::uint8_t kFrame = 8;
  /// A line runs straight through left to right.
  static constexpr std::uint8_t kAcross = 16;
  /// A line runs straight through top to bottom.
  static constexpr std::uint8_t kAlong = 32;
  /// A line turns, starts or ends here.
  static constexpr std::uint8_t kBent = 64;
  /// Beside a box: a route may pass, but one gap away reads better.
  static constexpr std::uint8_t kNearBox = 128;
  static constexpr std::uint8_t kLines = kAcross | kAlong | kBent;

  /// Groups of 0 mean none; kMixed means lines of different groups.
  static constexpr std::uint32_t kMixed = ~std::uint32_t{0};

  std::uint8_t what = 0;
  /// The directions its lines leave the cell in, one bit for each of up,
  /// down, left and right: four make a crossing.
  std::uint8_t arms = 0;
  std::uint32_t tail_group = 0;
  std::uint32_t head_group = 0;
};

/// What every cell of one chunk has in common.
struct ChunkSummary {
  /// The bits that some cell has, and the bits that every cell has.
  std::uint8_t any = 0;
  std::uint8_t all = 0;
  /// The directions some cell's lines leave it in.
  std::uint8_t arms = 0;
  /// Whether every cell with lines has the same tail (head) group, and
  /// which (0 when no cell has lines).
  bool one_tail = true;
  bool one_head = true;
  std::uint32_t tail = 0;
  std::uint32_t head = 0;
};

class PlanCells {
 public:
  /// A canvas of `width` × `height` cells whose chunks run along rows, or
  /// along columns when `along_columns`.
  PlanCells(std::uint64_t width, std::uint64_t height, bool along_columns = false);

  std::uint64_t width() const { return width_; }
  std::uint64_t height() const { return height_; }
  bool contains(std::uint64_t row, std::uint64_t col) const {
    return row < height_ && col < width_;
  }
  /// How many cells (or whole chunks) the run queries have looked at so
  /// far: a measure of the work spent fitting routes.
  std::uint64_t cells_looked_at() const { return looked_at_; }
  /// How many cells the chunks written so far hold.
  std::uint64_t allocated_cells() const { return chunks_.size() << shift_; }

  /// The cell at an in-range position (empty when never written).
  PlanCell at(std::uint64_t row, std::uint64_t col) const {
    const Pos p = pos(row, col);
    const std::uint32_t id = ids_[slot(p)];
    return id ? chunks_[id - 1][p.minor & mask_] : PlanCell{};
  }

  /// Changes the cell at an in-range position: change(PlanCell&).
  template <class Change>
  void update(std::uint64_t row, std::uint64_t col, Change change) {
    const Pos p = pos(row, col);
    const std::size_t s = slot(p);
    change(cell_for_write(s)[p.minor & mask_]);
    dirty_[ids_[s] - 1] = true;
  }

  /// Adds `what` to every cell of the rectangle, clipped to the range.
  void mark(std::uint64_t top, std::uint64_t bottom, std::uint64_t left,
            std::uint64_t right, std::uint8_t what);

  /// Whether every cell of the rectangle is in range and empty.
  bool empty(std::uint64_t top, std::uint64_t bottom, std::uint64_t left,
             std::uint64_t right) const;

  /// Whether every cell strictly between `p` and `q` (in range, on one row
  /// or one column) passes: chunk_ok(summary) vouches for a whole chunk
  /// lying between them, otherwise cell_ok(cell) decides cell by cell.
  template <class ChunkOk, class CellOk>
  bool all_between(GridPoint p, GridPoint q, ChunkOk chunk_ok, CellOk cell_ok) const {
    bool ok = true;
    runs_between(p, q, [&](std::size_t s, std::uint64_t from, std::uint64_t to) {
      const std::uint32_t id = ids_[s];
      if (id == 0) return ok = chunk_ok(ChunkSummary{});
      if (from == 0 && to == mask_ && chunk_ok(summary(id))) return true;
      const PlanCell* run = chunks_[id - 1].get();
      for (std::uint64_t k = from; k <= to; ++k) {
        if (!cell_ok(run[k])) return ok = false;
      }
      return true;
    }, [&](std::uint64_t row, std::uint64_t col) { return ok = cell_ok(at(row, col)); });
    return ok;
  }

  /// `all_between` with each cell's position: cell_ok(point, cell). The
  /// cells come in increasing order along the line.
  template <class ChunkOk, class CellOk>
  bool all_between_at(GridPoint p, GridPoint q, ChunkOk chunk_ok, CellOk cell_ok) const {
    bool ok = true;
    const bool same_row = p.row == q.row;
    runs_between(p, q, [&](std::size_t s, std::uint64_t from, std::uint64_t to) {
      const std::uint32_t id = ids_[s];
      if (id == 0) return ok = chunk_ok(ChunkSummary{});
      if (from == 0 && to == mask_ && chunk_ok(summary(id))) return true;
      const PlanCell* run = chunks_[id - 1].get();
      const std::uint64_t base = (s % chunks_per_line_) << shift_;
      for (std::uint64_t k = from; k <= to; ++k) {
        const GridPoint at = same_row ? GridPoint{p.row, base + k} : GridPoint{base + k, p.col};
        if (!cell_ok(at, run[k])) return ok = false;
      }
      return true;
    }, [&](std::uint64_t row, std::uint64_t col) { return ok = cell_ok(GridPoint{row, col}, at(row, col)); });
    return ok;
  }

  /// Changes every cell strictly between `p` and `q` (in range, on one
  /// row or one column) with change(PlanCell&), skipping each whole chunk
  /// for which unchanged(summary) says the change would leave every cell
  /// as it is.
  template <class Unchanged, class Change>
  void update_between(GridPoint p, GridPoint q, Unchanged unchanged, Change change) {
    runs_between(p, q, [&](std::size_t s, std::uint64_t from, std::uint64_t to) {
      if (from == 0 && to == mask_ && ids_[s] != 0 && unchanged(summary(ids_[s]))) return true;
      PlanCell* run = cell_for_write(s);
      for (std::uint64_t k = from; k <= to; ++k) change(run[k]);
      dirty_[ids_[s] - 1] = true;
      return true;
    }, [&](std::uint64_t row, std::uint64_t col) {
      update(row, col, change);
      return true;
    });
  }

 private:
  // The longest chunk: 256 cells; the shortest: 32.
  static constexpr unsigned kLongestShift = 8;
  static constexpr unsigned kShortestShift = 5;
  // The shift of the chunks for lines `extent` cells long.
  static unsigned shift_for(std::uint64_t extent);

  // A position as (line of chunks, place along it).
  struct Pos {
    std::uint64_t major;
    std::uint64_t minor;
  };
  Pos pos(std::uint64_t row, std::uint64_t col) const {
    return along_columns_ ? Pos{col, row} : Pos{row, col};
  }
  std::size_t slot(Pos p) const {
    return static_cast<std::size_t>(p.major * chunks_per_line_ + (p.minor >> shift_));
  }

  // The cells of the chunk in slot `s`, allocated when it has none.
  PlanCell* cell_for_write(std::size_t s) {
    if (ids_[s] == 0) ids_[s] = new_chunk();
    return chunks_[ids_[s] - 1].get();
  }

  // The summary of chunk `id`, worked out again when a cell changed.
  const ChunkSummary& summary(std::uint32_t id) const;

  // Calls run(slot, from, to) for each chunk's stretch [from, to] (places
  // within the chunk) of the cells strictly between p and q when they lie
  // along a line of chunks, or cell(row, col) for each of them otherwise,
  // until a call returns false.
  template <class Run, class Cell>
  void runs_between(GridPoint p, GridPoint q, Run run, Cell cell) const {
    const bool same_row = p.row == q.row;
    if (same_row == along_columns_) {
      // Across lines of chunks: cell by cell.
      if (same_row) {
        const std::uint64_t end = std::max(p.col, q.col);
        for (std::uint64_t c = std::min(p.col, q.col) + 1; c < end; ++c) {
          ++looked_at_;
          if (!cell(p.row, c)) return;
        }
      } else {
        const std::uint64_t end = std::max(p.row, q.row);
        for (std::uint64_t r = std::min(p.row, q.row) + 1; r < end; ++r) {
          ++looked_at_;
          if (!cell(r, p.col)) return;
        }
      }
      return;
    }
    const Pos a = pos(p.row, p.col), b = pos(q.row, q.col);
    const std::uint64_t lo = std::min(a.minor, b.minor), hi = std::max(a.minor, b.minor);
    if (hi - lo < 2) return;
    for (std::uint64_t m = lo + 1; m < hi;) {
      const std::uint64_t last = std::min(hi - 1, m | mask_);
      ++looked_at_;
      if (!run(slot({a.major, m}), m & mask_, last & mask_)) return;
      m = last + 1;
    }
  }

  // Allocates an empty chunk; returns its id.
  std::uint32_t new_chunk();

  std::uint64_t width_;
  std::uint64_t height_;
  bool along_columns_;
  // Chunks hold 2^shift_ cells; mask_ picks a cell's place in its chunk.
  unsigned shift_;
  std::uint64_t mask_;
  std::uint64_t chunks_per_line_;
  std::vector<std::uint32_t> ids_;
  std::vector<std::unique_ptr<PlanCell[]>> chunks_;
  mutable std::vector<ChunkSummary> summaries_;
  mutable std::vector<bool> dirty_;
  mutable std::uint64_t looked_at_ = 0;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_PLAN_CELLS_H_
