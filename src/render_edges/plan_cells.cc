// Chunked storage of the planner's cells, with a summary per chunk.
#include "render_edges/plan_cells.h"

#include <algorithm>

namespace vantri {

PlanCells::PlanCells(std::uint64_t width, std::uint64_t height, bool along_columns)
    : width_(width),
      height_(height),
      along_columns_(along_columns),
      shift_(shift_for(along_columns ? height : width)),
      mask_((std::uint64_t{1} << shift_) - 1),
      chunks_per_line_(((along_columns ? height : width) + mask_) >> shift_),
      ids_(static_cast<std::size_t>((along_columns ? width : height) * chunks_per_line_), 0) {}

unsigned PlanCells::shift_for(std::uint64_t extent) {
  if (extent >= (std::uint64_t{1} << kLongestShift)) return kLongestShift;
  // The chunk length that holds a line of `extent` cells in the fewest
  // bytes, counting what each chunk costs beside its cells (its pointer,
  // summary and the allocator's header): a canvas 143 cells across keeps
  // five chunks of 32 for each line rather than one of 256, 2 KB where it
  // kept 3 KB, which counts on a canvas of hundreds of thousands of lines.
  constexpr std::uint64_t kChunkOverhead = 48;
  unsigned best = kLongestShift;
  std::uint64_t best_bytes = ~std::uint64_t{0};
  for (unsigned shift = kLongestShift + 1; shift-- > kShortestShift;) {
    const std::uint64_t length = std::uint64_t{1} << shift;
    const std::uint64_t chunks = (extent + length - 1) >> shift;
    const std::uint64_t bytes = chunks * (length * sizeof(PlanCell) + kChunkOverhead);
    if (bytes < best_bytes) {
      best = shift;
      best_bytes = bytes;
    }
  }
  return best;
}

std::uint32_t PlanCells::new_chunk() {
  chunks_.push_back(std::make_unique<PlanCell[]>(std::size_t{1} << shift_));
  summaries_.emplace_back();
  dirty_.push_back(true);
  return static_cast<std::uint32_t>(chunks_.size());
}

const ChunkSummary& PlanCells::summary(std::uint32_t id) const {
  ChunkSummary& s = summaries_[id - 1];
  if (!dirty_[id - 1]) return s;
  s = ChunkSummary{};
  s.all = 0xff;
  bool seen = false;
  const PlanCell* cells = chunks_[id - 1].get();
  for (std::uint64_t k = 0; k <= mask_; ++k) {
    const PlanCell& c = cells[k];
    s.any |= c.what;
    s.all &= c.what;
    s.arms |= c.arms;
    if ((c.what & (PlanCell::kLines | PlanCell::kArrow)) == 0) continue;
    if (!seen) {
      s.tail = c.tail_group;
      s.head = c.head_group;
      seen = true;
      continue;
    }
    if (c.tail_group != s.tail) s.one_tail = false;
    if (c.head_group != s.head) s.one_head = false;
  }
  dirty_[id - 1] = false;
  return s;
}

void PlanCells::mark(std::uint64_t top, std::uint64_t bottom, std::uint64_t left,
                     std::uint64_t right, std::uint8_t what) {
  if (top >= height_ || left >= width_ || bottom < top || right < left) return;
  bottom = std::min(bottom, height_ - 1);
  right = std::min(right, width_ - 1);
  const Pos a = pos(top, left), b = pos(bottom, right);
  for (std::uint64_t major = a.major; major <= b.major; ++major) {
    // A chunk at a time.
    for (std::uint64_t m = a.minor; m <= b.minor;) {
      const std::size_t s = slot({major, m});
      PlanCell* chunk = cell_for_write(s);
      const std::uint64_t end = std::min(b.minor, m | mask_);
      for (std::uint64_t k = m & mask_; k <= (end & mask_); ++k) chunk[k].what |= what;
      dirty_[ids_[s] - 1] = true;
      m = end + 1;
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
