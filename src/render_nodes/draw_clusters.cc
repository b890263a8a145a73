// Drawing cluster frames: dashed rectangles with the title in the top edge.
#include <cstdint>
#include <string_view>

#include "render_nodes/draw_nodes.h"
#include "render_nodes/grid_span.h"

namespace vantri {
namespace {

constexpr char32_t kDash = U'╌';
constexpr char32_t kDashVertical = U'╎';

// The frame of one cluster between the given borders. The top edge sits
// one row below the mapped top; frame cells are text, so edge lines pass
// under them and later text or arrows replace them.
void draw_frame(CharGrid& grid, std::uint64_t top, std::uint64_t bottom,
                std::uint64_t left, std::uint64_t right,
                std::string_view title) {
  const std::uint64_t edge = top + 1;
  grid.put(edge, left, Cell::text(U'┌'));
  const std::uint64_t length = title.size();
  if (!title.empty() && length <= right - left - 2) {
    grid.put(edge, left + 1, Cell::text(U' '));
    put_text(grid, edge, left + 2, title, &Cell::text);
    grid.put(edge, left + 2 + length, Cell::text(U' '));
    put_row_run(grid, edge, left + 3 + length, right, Cell::text(kDash));
  } else {
    put_row_run(grid, edge, left + 1, right, Cell::text(kDash));
  }
  // When the title fills the space exactly, this replaces its last blank.
  grid.put(edge, right, Cell::text(U'┐'));

  put_column_run(grid, left, top + 2, bottom, Cell::text(kDashVertical));
  put_column_run(grid, right, top + 2, bottom, Cell::text(kDashVertical));

  grid.put(bottom, left, Cell::text(U'└'));
  put_row_run(grid, bottom, left + 1, right, Cell::text(kDash));
  grid.put(bottom, right, Cell::text(U'┘'));
}

}  // namespace

void draw_clusters(CharGrid& grid, std::span<const LayoutCluster> clusters,
                   const GridTransform& transform) {
  for (const LayoutCluster& cluster : clusters) {
    const std::uint64_t top = row_of(transform, cluster.bb.y1);
    const std::uint64_t bottom = row_of(transform, cluster.bb.y0);
    const std::uint64_t left = column_of(transform, cluster.bb.x0);
    const std::uint64_t right = column_of(transform, cluster.bb.x1);
    // Mapped values stay below 2^63, so these sums cannot wrap.
    if (right <= left + 1 || bottom <= top + 2) continue;
    draw_frame(grid, top, bottom, left, right, cluster.label);
  }
}

}  // namespace vantri
