// Chunked storage of the planner's cells.
#include "render_edges/plan_cells.h"

#include <algorithm>

namespace vantri {

PlanCells::PlanCells(std::uint64_t width, std::uint64_t height)
    : width_(width),
      height_(height),
      chunks_per_row_((width + kMask) >> kShift),
      ids_(static_cast<std::size_t>(height * chunks_per_row_), 0) {}

std::uint32_t PlanCells::new_chunk() {
  chunks_.push_back(std::make_unique<PlanCell[]>(std::size_t{1} << kShift));
  return static_cast<std::uint32_t>(chunks_.size());
}

void PlanCells::mark(std::uint64_t top, std::uint64_t bottom, std::uint64_t left,
                     std::uint64_t right, std::uint8_t what) {
  if (top >= height_ || left >= width_ || bottom < top || right < left) return;
  bottom = std::min(bottom, height_ - 1);
  right = std::min(right, width_ - 1);
  for (std::uint64_t r = top; r <= bottom; ++r) {
    // A chunk at a time.
    for (std::uint64_t c = left; c <= right;) {
      PlanCell* chunk = &edit(r, c) - (c & kMask);
      const std::uint64_t end = std::min(right, c | kMask);
      for (std::uint64_t k = c & kMask; k <= (end & kMask); ++k) chunk[k].what |= what;
      c = end + 1;
    }
  }
}

bool PlanCells::empty(std::uint64_t top, std::uint64_t bottom, std::uint64_t left,
                      std::uint64_t right) const {
  if (bottom >= height_ || right >= width_ || bottom < top || right < left) return false;
  for (std::uint64_t r = top; r <= bottom; ++r) {
    for (std::uint64_t c = left; c <= right; ++c) {
      if ((at(r, c).what & ~PlanCell::kNearBox) != 0) return false;
    }
  }
  return true;
}

}  // namespace vantri
