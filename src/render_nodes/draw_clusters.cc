// Drawing cluster frames.
//
// Frames are text cells, and between text cells the later write wins, so
// where frames overlap the later cluster shows. Painting every frame over
// the ones before it would cost frames times canvas width when thousands of
// them share rows of a wide canvas; instead the frames are painted from the
// last write of the last cluster back to the first write of the first, and
// each write skips the cells a later one has taken. Every cell is written
// at most once and the result is the same.
#include "render_nodes/draw_clusters.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "graphviz/label_text.h"
#include "grid/span_cover.h"
#include "text/char_width.h"
#include "text/label_lines.h"
#include "text/utf8.h"

namespace vantri {
namespace {

constexpr char32_t kDash = U'╌';
constexpr char32_t kDashVertical = U'╎';

// The grid cells taken so far, by runs along rows and along columns.
class TakenCells {
 public:
  explicit TakenCells(CharGrid& grid) : grid_(grid) {}

  std::uint64_t width() const { return grid_.width(); }

  // Puts cell `at(c)` at the cells (row, c) with first <= c < end that lie
  // in the grid and are not taken; takes them.
  template <class At>
  void row_run(std::uint64_t row, std::uint64_t first, std::uint64_t end, At at) {
    end = std::min(end, grid_.width());
    if (row >= grid_.height() || first >= end) return;
    rows_[row].mark(first, end - 1, [&](std::uint64_t a, std::uint64_t b) {
      for (std::uint64_t col = a; col <= b; ++col) {
        if (!taken_in_column(col, row)) grid_.put(row, col, at(col));
      }
    });
  }

  void row_run(std::uint64_t row, std::uint64_t first, std::uint64_t end, char32_t c) {
    row_run(row, first, end, [this, c](std::uint64_t) { return Cell::text(c).painted(paint_); });
  }

  // The paint of the frame cells written from now on.
  void use_paint(std::uint32_t paint) { paint_ = paint; }

  void cell(std::uint64_t row, std::uint64_t col, char32_t c) {
    if (col < grid_.width()) row_run(row, col, col + 1, c);
  }

  CharGrid& grid() { return grid_; }

  // The same down column `col`, rows first <= r < end.
  void column_run(std::uint64_t col, std::uint64_t first, std::uint64_t end, char32_t c) {
    end = std::min(end, grid_.height());
    if (col >= grid_.width() || first >= end) return;
    columns_[col].mark(first, end - 1, [&](std::uint64_t a, std::uint64_t b) {
      for (std::uint64_t row = a; row <= b; ++row) {
        if (!taken_in_row(row, col)) grid_.put(row, col, Cell::text(c).painted(paint_));
      }
    });
  }

 private:
  bool taken_in_column(std::uint64_t col, std::uint64_t row) const {
    const auto found = columns_.find(col);
    return found != columns_.end() && found->second.contains(row);
  }
  bool taken_in_row(std::uint64_t row, std::uint64_t col) const {
    const auto found = rows_.find(row);
    return found != rows_.end() && found->second.contains(col);
  }

  CharGrid& grid_;
  std::unordered_map<std::uint64_t, SpanCover> rows_;
  std::unordered_map<std::uint64_t, SpanCover> columns_;
  std::uint32_t paint_ = 0;
};

// The cells of a title written from column 0, as many as fit in `room`: a
// wide character takes a cell and its continuation; zero-width characters
// are kept aside with the column of the character they follow.
struct TitleCells {
  std::vector<Cell> cells;
  std::vector<std::pair<std::uint64_t, char32_t>> marks;
};

TitleCells title_cells(std::string_view title, std::uint64_t room, std::uint32_t paint) {
  TitleCells out;
  std::optional<std::uint64_t> last_lead;
  for (std::size_t i = 0; i < title.size() && out.cells.size() < room;) {
    const char32_t c = next_code_point(title, i);
    const int width = char_width(c);
    if (width == 0) {
      if (last_lead) out.marks.emplace_back(*last_lead, c);
      continue;
    }
    // A wide character that would not reach the grid whole is left out.
    if (out.cells.size() + static_cast<std::uint64_t>(width) > room) break;
    last_lead = out.cells.size();
    if (width == 2) {
      out.cells.push_back(Cell::text(c).wide().painted(paint));
      out.cells.push_back(Cell::continuation_of(out.cells.back()));
    } else {
      out.cells.push_back(Cell::text(c).painted(paint));
    }
  }
  return out;
}

// Writes the cells of `text` (already shortened to fit) from column
// `start` of `row`, as far as the grid reaches, with their combining marks.
void write_title_text(TakenCells& taken, std::uint64_t row, std::uint64_t start,
                      std::string_view text, std::uint32_t paint) {
  const TitleCells cells =
      title_cells(text, start < taken.width() ? taken.width() - start : 0, paint);
  taken.row_run(row, start, start + cells.cells.size(),
                [&](std::uint64_t col) { return cells.cells[col - start]; });
  // Combining marks join their characters where those were written.
  for (const auto& [offset, mark] : cells.marks) {
    if (!taken.grid().contains(row, start + offset)) break;
    const Cell written = taken.grid().at(row, start + offset);
    if (written.kind() == CellKind::Text &&
        (written == cells.cells[offset] || written == cells.cells[offset].with_marks())) {
      taken.grid().add_mark(row, start + offset, mark);
    }
  }
}

// The frame of one cluster between the given borders, its writes in
// reverse order. Drawn forwards, the top edge sits one row below the
// mapped top: corner, blank, title, blank, dashes, corner (which replaces
// the last blank when the title fills the space exactly); then the title's
// further lines inside the frame, under its first, each set as its line
// ending says within the block of the widest; then the sides, then the
// bottom edge. A title line wider than the space is shortened with the
// render's trim strategy.
void draw_frame_backwards(TakenCells& taken, std::uint64_t top, std::uint64_t bottom,
                          std::uint64_t left, std::uint64_t right,
                          std::span<const TitleLine> title, TrimStrategy trim, FramePaint paint) {
  taken.use_paint(paint.frame);
  taken.cell(bottom, right, U'┘');
  taken.row_run(bottom, left + 1, right, kDash);
  taken.cell(bottom, left, U'└');

  taken.column_run(right, top + 2, bottom, kDashVertical);
  taken.column_run(left, top + 2, bottom, kDashVertical);

  const std::uint64_t edge = top + 1;
  if (title.size() > 1 && right - left >= 4) {
    const std::size_t inner = static_cast<std::size_t>(right - left - 3);
    std::vector<std::string> shown;
    std::uint64_t widest = 0;
    for (std::size_t k = 1; k < title.size() && edge + k < bottom; ++k) {
      shown.push_back(trim_label(title[k].text, inner, trim));
      widest = std::max<std::uint64_t>(widest, text_width(shown.back()));
    }
    for (std::size_t k = shown.size(); k-- > 0;) {
      const std::uint64_t start =
          left + 2 + aligned_start(title[k + 1].align, static_cast<std::size_t>(widest),
                                   text_width(shown[k]));
      write_title_text(taken, edge + 1 + k, start, shown[k], paint.title);
    }
  }

  taken.cell(edge, right, U'┐');
  const std::uint64_t room = right - left - 2;
  const std::string_view first = title.empty() ? std::string_view() : title[0].text;
  const std::string shown =
      first.empty() ? std::string() : trim_label(first, static_cast<std::size_t>(room), trim);
  if (!shown.empty()) {
    const std::uint64_t length = text_width(shown);
    taken.row_run(edge, left + 3 + length, right, kDash);
    taken.cell(edge, left + 2 + length, U' ');
    write_title_text(taken, edge, left + 2, shown, paint.title);
    taken.cell(edge, left + 1, U' ');
  } else {
    taken.row_run(edge, left + 1, right, kDash);
  }
  taken.cell(edge, left, U'┌');
}

}  // namespace

void draw_clusters(CharGrid& grid, std::span<const LayoutCluster> clusters,
                   const GridTransform& transform, TrimStrategy trim,
                   std::span<const FramePaint> paints) {
  TakenCells taken(grid);
  for (std::size_t i = clusters.size(); i-- > 0;) {
    const LayoutCluster& cluster = clusters[i];
    const std::uint64_t top = row_of(transform, cluster.bb.y1);
    const std::uint64_t bottom = row_of(transform, cluster.bb.y0);
    const std::uint64_t left = column_of(transform, cluster.bb.x0);
    const std::uint64_t right = column_of(transform, cluster.bb.x1);
    // Mapped values stay below 2^63, so these sums cannot wrap.
    if (right <= left + 1 || bottom <= top + 2) continue;
    draw_frame_backwards(taken, top, bottom, left, right,
                         aligned_title_lines(cluster.label, cluster.label_is_html), trim,
                         i < paints.size() ? paints[i] : FramePaint{});
  }
}

}  // namespace vantri
