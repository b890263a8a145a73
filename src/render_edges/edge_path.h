// A route on the grid, and the space a drawn edge label takes.
#ifndef VANTRI_RENDER_EDGES_EDGE_PATH_H_
#define VANTRI_RENDER_EDGES_EDGE_PATH_H_

#include <cstdint>
#include <vector>

namespace vantri {

struct GridPoint {
  std::uint64_t row = 0;
  std::uint64_t col = 0;
  friend bool operator==(const GridPoint&, const GridPoint&) = default;
};

/// Two points (one vertical run) or four points (three legs), from the cell
/// just outside the tail box to the cell just outside the head box.
using EdgePath = std::vector<GridPoint>;

/// The cells given to one drawn label, all bounds inclusive.
struct LabelRect {
  std::uint64_t top = 0;
  std::uint64_t bottom = 0;
  std::uint64_t left = 0;
  std::uint64_t right = 0;
  friend bool operator==(const LabelRect&, const LabelRect&) = default;
};

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_EDGE_PATH_H_
