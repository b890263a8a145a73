// The chunked cell store against a plain array of cells.
#include "render_edges/plan_cells.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vantri {
namespace {

// Random marks, single-cell updates and straight runs of updates on
// canvases whose extent along the chunks is below, at and past a chunk's
// length (in both orientations) must leave every cell as a plain array
// would, and the run queries must see exactly the array's cells in order.
TEST(PlanCells, MatchesAPlainArrayOnEveryCanvasShape) {
  std::mt19937 random(7);
  const std::vector<std::uint64_t> extents = {1, 2, 3, 12, 17, 70, 143, 255, 256, 257, 600};
  for (const bool along_columns : {false, true}) {
    for (const std::uint64_t along : extents) {
      const std::uint64_t across = 5;
      const std::uint64_t width = along_columns ? across : along;
      const std::uint64_t height = along_columns ? along : across;
      const std::string where = "canvas " + std::to_string(width) + " x " + std::to_string(height) +
                                (along_columns ? " along columns" : " along rows");
      PlanCells cells(width, height, along_columns);
      // Every chunk is written (an unwritten one is judged by its summary
      // alone), with a bit the random steps leave alone.
      cells.mark(0, height - 1, 0, width - 1, PlanCell::kNearBox);
      std::vector<std::uint8_t> plain(width * height, PlanCell::kNearBox);
      const auto pick = [&](std::uint64_t n) {
        return std::uniform_int_distribution<std::uint64_t>(0, n - 1)(random);
      };
      for (int step = 0; step < 300; ++step) {
        const std::uint8_t bit = std::uint8_t{1} << pick(7);
        const std::uint64_t r0 = pick(height), r1 = pick(height);
        const std::uint64_t c0 = pick(width), c1 = pick(width);
        switch (pick(3)) {
          case 0: {
            const std::uint64_t top = std::min(r0, r1), left = std::min(c0, c1);
            // Rectangles may reach past the canvas: they are clipped.
            const std::uint64_t bottom = std::max(r0, r1) + pick(3);
            const std::uint64_t right = std::max(c0, c1) + pick(3);
            cells.mark(top, bottom, left, right, bit);
            for (std::uint64_t r = top; r <= bottom && r < height; ++r) {
              for (std::uint64_t c = left; c <= right && c < width; ++c) {
                plain[r * width + c] |= bit;
              }
            }
            break;
          }
          case 1:
            cells.update(r0, c0, [&](PlanCell& c) { c.what ^= bit; });
            plain[r0 * width + c0] ^= bit;
            break;
          default: {
            // A straight run strictly between two cells of one row or column.
            const bool on_row = pick(2) == 0;
            const GridPoint p{r0, c0};
            const GridPoint q = on_row ? GridPoint{r0, c1} : GridPoint{r1, c0};
            cells.update_between(p, q, [](const ChunkSummary&) { return false; },
                                 [&](PlanCell& c) { c.what |= bit; });
            if (on_row) {
              for (std::uint64_t c = std::min(c0, c1) + 1; c < std::max(c0, c1); ++c) {
                plain[r0 * width + c] |= bit;
              }
            } else {
              for (std::uint64_t r = std::min(r0, r1) + 1; r < std::max(r0, r1); ++r) {
                plain[r * width + c0] |= bit;
              }
            }
          }
        }
      }
      for (std::uint64_t r = 0; r < height; ++r) {
        for (std::uint64_t c = 0; c < width; ++c) {
          ASSERT_EQ(cells.at(r, c).what, plain[r * width + c])
              << where << ", cell (" << r << ", " << c << ")";
        }
      }
      // Every run query, along rows and along columns, sees the cells
      // between its ends in order; a summary that vouches for nothing
      // forces the cell-by-cell walk.
      for (const bool rows : {true, false}) {
        const std::uint64_t lines = rows ? height : width, length = rows ? width : height;
        for (std::uint64_t line = 0; line < lines; ++line) {
          std::uint64_t next = 1;
          cells.all_between_at(
              rows ? GridPoint{line, 0} : GridPoint{0, line},
              rows ? GridPoint{line, length} : GridPoint{length, line},
              [](const ChunkSummary&) { return false; },
              [&](GridPoint at, const PlanCell& cell) {
                const GridPoint expected = rows ? GridPoint{line, next} : GridPoint{next, line};
                EXPECT_TRUE(at.row == expected.row && at.col == expected.col)
                    << where << ": (" << at.row << ", " << at.col << ") out of order";
                EXPECT_EQ(cell.what, plain[at.row * width + at.col])
                    << where << ", cell (" << at.row << ", " << at.col << ")";
                ++next;
                return true;
              });
          ASSERT_EQ(next, length) << where << (rows ? ", row " : ", column ") << line;
        }
      }
    }
  }
}

// A canvas a hundred thousand cells long and a dozen, or 143, across, with
// a line on every cell, keeps chunks that hold little more than its cells:
// full-length chunks would hold twenty (or nearly two) times the canvas.
TEST(PlanCells, ShortCanvasesKeepShortChunks) {
  constexpr std::uint64_t kLong = 100'000;
  for (const std::uint64_t across : {12, 143}) {
    PlanCells cells(kLong, across, /*along_columns=*/true);
    cells.mark(0, across - 1, 0, kLong - 1, PlanCell::kFrame);
    EXPECT_EQ(cells.at(across - 1, kLong - 1).what, PlanCell::kFrame);
    const std::uint64_t per_line = std::max<std::uint64_t>(32, across + across / 8);
    EXPECT_LE(cells.allocated_cells(), per_line * kLong) << across << " across";
  }
}

}  // namespace
}  // namespace vantri
