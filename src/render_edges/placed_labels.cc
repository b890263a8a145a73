// Bucketed storage of drawn label rectangles and the conflict test.
#include "render_edges/placed_labels.h"

#include <algorithm>

#include "grid/cell_arith.h"

namespace vantri {
namespace {

// A bucket covers 4 rows by 16 columns: labels are a few rows high and
// around ten columns wide, so a neighbourhood touches only a few buckets.
constexpr unsigned kRowShift = 2;
constexpr unsigned kColShift = 4;
// A rectangle or query touching more buckets than this is handled by a
// plain scan instead.
constexpr std::uint64_t kMaxBuckets = 1024;

// The cells whose rectangles conflict with a block: its own extent grown
// by one row above and below and three columns on either side.
struct Region {
  std::uint64_t top, bottom, left, right;
};

Region neighbourhood(const LabelBlock& block) {
  return {sub_floor(block.row, 1),
          add_sat(block.row, std::max<std::uint64_t>(block.lines, 1)),
          sub_floor(block.col, 3),
          add_sat(add_sat(block.col, sub_floor(block.width, 1)), 3)};
}

bool intersects(const LabelRect& rect, const Region& region) {
  return rect.bottom >= region.top && rect.top <= region.bottom &&
         rect.right >= region.left && rect.left <= region.right;
}

// Number of buckets a region spans, capped just above kMaxBuckets.
std::uint64_t bucket_count(std::uint64_t top, std::uint64_t bottom,
                           std::uint64_t left, std::uint64_t right) {
  const std::uint64_t rows = (bottom >> kRowShift) - (top >> kRowShift) + 1;
  const std::uint64_t cols = (right >> kColShift) - (left >> kColShift) + 1;
  if (rows > kMaxBuckets || cols > kMaxBuckets) return kMaxBuckets + 1;
  return std::min(rows * cols, kMaxBuckets + 1);
}

std::uint64_t mix(std::uint64_t h, std::uint64_t v) {
  return h ^ (v * 0x9E3779B97F4A7C15ull + 0x7F4A7C15ull + (h << 6) + (h >> 2));
}

}  // namespace

bool label_conflicts(const LabelRect& rect, const LabelBlock& block) {
  return intersects(rect, neighbourhood(block));
}

std::size_t PlacedLabels::KeyHash::operator()(const BucketKey& key) const {
  return static_cast<std::size_t>(mix(mix(0, key.row_band), key.col_band));
}

std::size_t PlacedLabels::KeyHash::operator()(const Corner& key) const {
  return static_cast<std::size_t>(mix(mix(mix(0, key.top), key.bottom), key.left));
}

void PlacedLabels::add(const LabelRect& rect) {
  rects_.push_back(rect);
  const auto next = static_cast<std::uint32_t>(entries_.size());
  const auto [found, fresh] = by_corner_.try_emplace({rect.top, rect.bottom, rect.left}, next);
  if (fresh) {
    entries_.push_back(rect);
    oversized_entry_.push_back(false);
    spread(next, rect.left >> kColShift);
    return;
  }
  LabelRect& entry = entries_[found->second];
  if (rect.right <= entry.right) return;
  const std::uint64_t old_band = entry.right >> kColShift;
  entry.right = rect.right;
  // Only the column bands beyond the old right edge are new.
  spread(found->second, old_band + 1);
}

// Lists the entry in every bucket it covers from column band
// `first_col_band` on, or among the oversized entries when it is too large.
void PlacedLabels::spread(std::uint32_t entry, std::uint64_t first_col_band) {
  if (oversized_entry_[entry]) return;
  const LabelRect& rect = entries_[entry];
  if (bucket_count(rect.top, rect.bottom, rect.left, rect.right) > kMaxBuckets) {
    // Entries already listed in buckets stay there; a second sighting is
    // harmless.
    oversized_entry_[entry] = true;
    oversized_.push_back(entry);
    return;
  }
  for (std::uint64_t rb = rect.top >> kRowShift; rb <= rect.bottom >> kRowShift; ++rb) {
    for (std::uint64_t cb = first_col_band; cb <= rect.right >> kColShift; ++cb) {
      buckets_[{rb, cb}].push_back(entry);
    }
  }
}

std::optional<LabelRect> PlacedLabels::lowest_conflict(const LabelBlock& block) const {
  const Region region = neighbourhood(block);
  std::optional<LabelRect> lowest;
  auto consider = [&](std::uint32_t entry) {
    const LabelRect& rect = entries_[entry];
    if (intersects(rect, region) && (!lowest || rect.bottom > lowest->bottom)) {
      lowest = rect;
    }
  };
  const std::uint64_t span =
      bucket_count(region.top, region.bottom, region.left, region.right);
  if (span > kMaxBuckets || span >= entries_.size()) {
    for (std::uint32_t i = 0; i < entries_.size(); ++i) consider(i);
    return lowest;
  }
  for (std::uint32_t i : oversized_) consider(i);
  for (std::uint64_t rb = region.top >> kRowShift; rb <= region.bottom >> kRowShift; ++rb) {
    for (std::uint64_t cb = region.left >> kColShift; cb <= region.right >> kColShift;
         ++cb) {
      const auto found = buckets_.find({rb, cb});
      if (found == buckets_.end()) continue;
      for (std::uint32_t i : found->second) consider(i);
    }
  }
  return lowest;
}

std::uint64_t PlacedLabels::first_free_row(LabelBlock block, std::uint64_t start,
                                           std::uint64_t last_row) const {
  block.row = start;
  while (const auto rect = lowest_conflict(block)) {
    // The rectangle also blocks every row from here to its bottom + 1, so
    // the search resumes below that; it fails if it passed last_row.
    const std::uint64_t blocked_to = add_sat(rect->bottom, 1);
    if (blocked_to >= last_row || blocked_to == kMaxCell) return std::max(last_row, start);
    block.row = blocked_to + 1;
  }
  return block.row;
}

}  // namespace vantri
