// The lines and text of a box's fields.
//
// Every field's outline is first drawn as lines on a scratch grid the size
// of the box, where lines that meet merge their directions; each outline
// cell then takes the junction character of what met there.
#include "render_nodes/draw_fields.h"

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "color/classify.h"
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

// The SGR start sequence of a text style: bold, italic, underline and the
// palette's colour of its first colour, in one sequence.
std::string sgr_of(const TextStyle& style) {
  std::string params;
  const auto add = [&](std::string_view p) {
    if (!params.empty()) params += ';';
    params += p;
  };
  if (style.bold) add("1");
  if (style.italic) add("3");
  if (style.underline) add("4");
  if (!style.color.empty()) {
    // "\x1b[31m" and the like: the number between "[" and "m".
    const std::string_view colour = ansi_for(std::string(first_color(style.color))).prefix;
    if (colour.size() > 3) add(colour.substr(2, colour.size() - 3));
  }
  return params.empty() ? std::string() : "\x1b[" + params + "m";
}

// Writes `line`, which starts at byte `offset` of its field's text, from
// (row, col): the parts inside a styled stretch in that stretch's paint,
// the rest in `paint`.
void put_styled(CharGrid& grid, std::uint64_t row, std::uint64_t col, std::string_view line,
                std::size_t offset, std::span<const StyledRun> runs,
                std::span<const std::uint32_t> run_paints, std::uint32_t paint) {
  std::size_t at = 0;
  const auto put = [&](std::size_t end, std::uint32_t p) {
    if (end <= at) return;
    const std::string_view piece = line.substr(at, end - at);
    put_text(grid, row, col, piece, &Cell::node, p);
    col = add_sat(col, text_width(piece));
    at = end;
  };
  for (std::size_t k = 0; k < runs.size(); ++k) {
    if (runs[k].end <= offset || runs[k].begin >= offset + line.size()) continue;
    put(std::max(runs[k].begin, offset) - offset, paint);
    const std::uint32_t own = run_paints[k] != 0 ? run_paints[k] : paint;
    put(std::min(runs[k].end - offset, line.size()), own);
  }
  put(line.size(), paint);
}

// A field's lines centred (or flush left or right, as their line endings
// say) in the space inside its outline.
void draw_text(CharGrid& grid, const NodeBox& box, const LaidField& field, std::uint32_t paint,
               std::span<const std::uint32_t> run_paints) {
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
    const std::uint64_t col = add_sat(box.left, add_sat(r.left + 1, offset));
    if (run_paints.empty()) {
      put_text(grid, row, col, line.text, &Cell::node, paint);
    } else {
      put_styled(grid, row, col, line.text,
                 static_cast<std::size_t>(line.text.data() - field.text.data()), field.runs,
                 run_paints, paint);
    }
    ++row;
  }
}

}  // namespace

void draw_fields(CharGrid& grid, const NodeBox& box, const FieldLayout& fields,
                 const BoxStyle& style, std::uint32_t text_paint, bool styled) {
  if (box.left >= grid.width() || box.top >= grid.height()) return;
  // Only the part of the box on the grid is drawn.
  const std::uint64_t cols = std::min(box.width, grid.width() - box.left);
  const std::uint64_t rows = std::min(box.height, grid.height() - box.top);
  CharGrid lines(cols, rows);
  for (const LaidField& field : fields.fields) {
    if (field.lined) put_outline(lines, field.outline);
  }
  const Tees tees = tees_for(style);
  for (const LaidField& field : fields.fields) {
    if (!field.lined) continue;
    for_outline(field.outline, rows, cols, [&](std::uint64_t row, std::uint64_t col) {
      const Cell cell = lines.at(row, col);
      if (cell.kind() != CellKind::Line) return;
      const char32_t c = outline_character(box, row, col, cell.flags(), tees);
      if (c != 0) grid.put(box.top + row, box.left + col, Cell::node(c));
    });
  }
  std::vector<std::uint32_t> run_paints;
  for (const LaidField& field : fields.fields) {
    run_paints.clear();
    if (styled) {
      for (const StyledRun& run : field.runs) run_paints.push_back(grid.paint_id(sgr_of(run.style)));
    }
    draw_text(grid, box, field, text_paint, run_paints);
  }
}

}  // namespace vantri
