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
// Rows are cut into chunks of 256 cells allocated on first write, as the
// character grid does: most of a wide canvas stays empty.
#ifndef VANTRI_RENDER_EDGES_PLAN_CELLS_H_
#define VANTRI_RENDER_EDGES_PLAN_CELLS_H_

#include <cstdint>
#include <memory>
#include <vector>

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
  std::uint32_t tail_group = 0;
  std::uint32_t head_group = 0;
};

class PlanCells {
 public:
  PlanCells(std::uint64_t width, std::uint64_t height);

  std::uint64_t width() const { return width_; }
  std::uint64_t height() const { return height_; }
  bool contains(std::uint64_t row, std::uint64_t col) const {
    return row < height_ && col < width_;
  }

  /// The cell at an in-range position (empty when never written).
  PlanCell at(std::uint64_t row, std::uint64_t col) const {
    const std::uint32_t id = ids_[row * chunks_per_row_ + (col >> kShift)];
    return id ? chunks_[id - 1][col & kMask] : PlanCell{};
  }

  /// The cells of an in-range row from `col` to the end of the chunk
  /// holding `col` (column `chunk_end(col)`), or null when that chunk was
  /// never written: all of them are empty then.
  const PlanCell* run_at(std::uint64_t row, std::uint64_t col) const {
    const std::uint32_t id = ids_[row * chunks_per_row_ + (col >> kShift)];
    return id ? chunks_[id - 1].get() + (col & kMask) : nullptr;
  }
  static constexpr std::uint64_t chunk_end(std::uint64_t col) { return (col | kMask) + 1; }

  /// The cell to change at an in-range position.
  PlanCell& edit(std::uint64_t row, std::uint64_t col) {
    std::uint32_t& id = ids_[row * chunks_per_row_ + (col >> kShift)];
    if (id == 0) id = new_chunk();
    return chunks_[id - 1][col & kMask];
  }

  /// Adds `what` to every cell of the rectangle, clipped to the range.
  void mark(std::uint64_t top, std::uint64_t bottom, std::uint64_t left,
            std::uint64_t right, std::uint8_t what);

  /// Whether every cell of the rectangle is in range and empty.
  bool empty(std::uint64_t top, std::uint64_t bottom, std::uint64_t left,
             std::uint64_t right) const;

 private:
  static constexpr unsigned kShift = 8;
  static constexpr std::uint64_t kMask = (1u << kShift) - 1;

  // Allocates an empty chunk; returns its id.
  std::uint32_t new_chunk();

  std::uint64_t width_;
  std::uint64_t height_;
  std::uint64_t chunks_per_row_;
  std::vector<std::uint32_t> ids_;
  std::vector<std::unique_ptr<PlanCell[]>> chunks_;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_PLAN_CELLS_H_
