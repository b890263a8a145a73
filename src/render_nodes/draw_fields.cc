// The lines and text of a box's fields.
//
// Every field's outline is first drawn as lines on a scratch grid the size
// of the box, where lines that meet merge their directions; each outline
// cell then takes the junction character of what met there.
#include "render_nodes/draw_fields.h"

#include <algorithm>
#include <string_view>

#include "grid/cell_arith.h"
#include "grid/put_text.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// Where the lines between fields meet the frame: pointing down from the
// top edge, up from the bottom, right from the left side, left from the
// right side. Nothing for a frame that keeps its own character there.
struct Tees {
  char32_t down = 0;
  char32_t up = 0;
  char32_t right = 0;
  char32_t left = 0;
};

Tees tees_for(const BoxStyle& s) {
  switch (s.horizontal) {
    case U'─': case U'╌': case U'┄': return {U'┬', U'┴', U'├', U'┤'};
    case U'━': case U'╍': case U'┅': return {U'┯', U'┷', U'┠', U'┨'};
    case U'═': return {U'╤', U'╧', U'╟', U'╢'};
    default: return {};
  }
}

// Calls visit(row, col) for every cell of the outline of `r` that lies
// within `rows` × `cols`, corners once.
template <class Visit>
void for_outline(const CellRect& r, std::uint64_t rows, std::uint64_t cols, Visit visit) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  const std::uint64_t last_col = std::min(r.right, sub_floor(cols, 1));
  const std::uint64_t last_row = std::min(r.bottom, sub_floor(rows, 1));
  if (cols == 0 || rows == 0 || r.left > last_col || r.top > last_row) return;
  for (const std::uint64_t row : {r.top, r.bottom}) {
    if (row >= rows) continue;
    for (std::uint64_t col = r.left; col <= last_col; ++col) visit(row, col);
  }
  for (std::uint64_t row = r.top + 1; row < r.bottom && row <= last_row; ++row) {
    visit(row, r.left);
    if (r.right < cols) visit(row, r.right);
  }
}

// The outline of `r` as lines on `lines`; off-grid parts are dropped.
void put_outline(CharGrid& lines, const CellRect& r) {
  if (r.right <= r.left || r.bottom <= r.top) return;
  for (const std::uint64_t row : {r.top, r.bottom}) {
    lines.put(row, r.left, Cell::line({.right = true}));
    lines.put_run(row, r.left + 1, r.right, Cell::line({.left = true, .right = true}));
    lines.put(row, r.right, Cell::line({.left = true}));
  }
  const std::uint64_t end = std::min(r.bottom, lines.height());
  for (const std::uint64_t col : {r.left, r.right}) {
    if (col >= lines.width()) continue;
    lines.put(r.top, col, Cell::line({.down = true}));
    for (std::uint64_t row = r.top + 1; row < end; ++row) {
      lines.put(row, col, Cell::line({.up = true, .down = true}));
    }
    lines.put(r.bottom, col, Cell::line({.up = true}));
  }
}

// The character of an outline cell at (row, col) of the box, or 0 to keep
// the frame's own.
char32_t outline_character(const NodeBox& box, std::uint64_t row, std::uint64_t col,
                           LineFlags f, const Tees& tees) {
  const bool top = row == 0, bottom = row + 1 == box.height;
  const bool left = col == 0, right = col + 1 == box.width;
  if ((top || bottom) && (left || right)) return 0;
  if (top) return f.down ? tees.down : 0;
  if (bottom) return f.up ? tees.up : 0;
  if (left) return f.right ? tees.right : 0;
  if (right) return f.left ? tees.left : 0;
  return junction_character(f);
}

// A field's lines centred (or flush left or right, as their line endings
// say) in the space inside its outline.
void draw_text(CharGrid& grid, const NodeBox& box, const LaidField& field, std::uint32_t paint) {
  const CellRect& r = field.outline;
  const std::uint64_t inner_width = sub_floor(r.right, r.left + 1);
  const std::uint64_t inner_height = sub_floor(r.bottom, r.top + 1);
  const std::uint64_t lines = count_label_lines(field.text);
  std::uint64_t row = add_sat(box.top, add_sat(r.top + 1, sub_floor(inner_height, lines) / 2));
  for (const AlignedLine& line : split_aligned_lines(field.text)) {
    if (row >= grid.height()) return;
    const std::uint64_t width = text_width(line.text);
    // A blank column on either side of the widest line.
    const std::uint64_t room = sub_floor(inner_width, 2);
    const std::uint64_t offset =
        line.align == LineAlign::Centre
            ? sub_floor(inner_width, width) / 2
            : 1 + aligned_start(line.align, static_cast<std::size_t>(room),
                                static_cast<std::size_t>(width));
    put_text(grid, row, add_sat(box.left, add_sat(r.left + 1, offset)), line.text, &Cell::node,
             paint);
    ++row;
  }
}

}  // namespace

void draw_fields(CharGrid& grid, const NodeBox& box, const FieldLayout& fields,
                 const BoxStyle& style, std::uint32_t text_paint) {
  if (box.left >= grid.width() || box.top >= grid.height()) return;
  // Only the part of the box on the grid is drawn.
  const std::uint64_t cols = std::min(box.width, grid.width() - box.left);
  const std::uint64_t rows = std::min(box.height, grid.height() - box.top);
  CharGrid lines(cols, rows);
  for (const LaidField& field : fields.fields) put_outline(lines, field.outline);
  const Tees tees = tees_for(style);
  for (const LaidField& field : fields.fields) {
    for_outline(field.outline, rows, cols, [&](std::uint64_t row, std::uint64_t col) {
      const Cell cell = lines.at(row, col);
      if (cell.kind() != CellKind::Line) return;
      const char32_t c = outline_character(box, row, col, cell.flags(), tees);
      if (c != 0) grid.put(box.top + row, box.left + col, Cell::node(c));
    });
  }
  for (const LaidField& field : fields.fields) draw_text(grid, box, field, text_paint);
}

}  // namespace vantri
