// The edge labels drawn so far, indexed by position.
//
// Each new label must keep one free row and three free columns away from
// every label before it. With thousands of labels a scan of the whole list
// per candidate position would make placement quadratic, so the rectangles
// are also kept in buckets of a few rows by a few columns; a query visits
// only the buckets its neighbourhood touches.
#ifndef VANTRI_RENDER_EDGES_PLACED_LABELS_H_
#define VANTRI_RENDER_EDGES_PLACED_LABELS_H_

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "render_edges/edge_path.h"

namespace vantri {

/// A label about to be placed: first row, first column, number of lines
/// and the length in bytes of its longest line.
struct LabelBlock {
  std::uint64_t row = 0;
  std::uint64_t col = 0;
  std::uint64_t lines = 0;
  std::uint64_t width = 0;
};

/// True when `block` comes within one row or three columns of `rect`:
/// rect.bottom + 1 ≥ row, rect.top ≤ row + max(lines, 1),
/// rect.right + 3 ≥ col and rect.left ≤ col + max(width - 1, 0) + 3.
bool label_conflicts(const LabelRect& rect, const LabelBlock& block);

class PlacedLabels {
 public:
  /// Records a rectangle (top ≤ bottom, left ≤ right).
  void add(const LabelRect& rect);

  /// Every rectangle in the order recorded.
  const std::vector<LabelRect>& rects() const { return rects_; }

  /// Of the rectangles that `block` conflicts with, the one whose bottom
  /// row is greatest; nothing when the block's position is free.
  std::optional<LabelRect> lowest_conflict(const LabelBlock& block) const;

  bool is_free(const LabelBlock& block) const { return !lowest_conflict(block); }

  /// Slides `block` down from row `start`: the rows start, start + 1, …
  /// are tried in turn and the first free one is returned; once a row at
  /// or past `last_row` has been tried without success the answer is
  /// max(last_row, start). Takes one query per label passed, however far
  /// apart the rows are.
  std::uint64_t first_free_row(LabelBlock block, std::uint64_t start,
                               std::uint64_t last_row) const;

 private:
  struct BucketKey {
    std::uint64_t row_band = 0;
    std::uint64_t col_band = 0;
    friend bool operator==(const BucketKey&, const BucketKey&) = default;
  };
  struct Corner {
    std::uint64_t top = 0;
    std::uint64_t bottom = 0;
    std::uint64_t left = 0;
    friend bool operator==(const Corner&, const Corner&) = default;
  };
  struct KeyHash {
    std::size_t operator()(const BucketKey& key) const;
    std::size_t operator()(const Corner& key) const;
  };

  void spread(std::uint32_t entry, std::uint64_t first_col_band);

  std::vector<LabelRect> rects_;
  // The index proper. Labels that find no free place pile up on the same
  // fallback spot; rectangles sharing top, bottom and left conflict with a
  // block exactly when the widest of them does, so the index keeps one
  // entry per such group, widened as needed.
  std::vector<LabelRect> entries_;
  std::vector<bool> oversized_entry_;
  std::unordered_map<Corner, std::uint32_t, KeyHash> by_corner_;
  std::unordered_map<BucketKey, std::vector<std::uint32_t>, KeyHash> buckets_;
  /// Entries too large to spread over buckets; checked on every query.
  std::vector<std::uint32_t> oversized_;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_PLACED_LABELS_H_
