// Grid storage and conversion to text.
#include "grid/char_grid.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <type_traits>

#include "text/utf8.h"

namespace vantri {

namespace {

constexpr unsigned kMaxChunkShift = 8;  // 256 cells
constexpr unsigned kSlabCellShift = 16;  // 64 Ki cells per slab at most

}  // namespace

CharGrid::CharGrid(std::uint64_t width, std::uint64_t height)
    : width_(width), height_(height) {
  if (width != 0 && height > std::numeric_limits<std::size_t>::max() / width) {
    throw std::length_error("character grid too large");
  }
  while (shift_ < kMaxChunkShift && (std::uint64_t{1} << shift_) < width) ++shift_;
  mask_ = (std::uint64_t{1} << shift_) - 1;
  chunks_per_row_ = (width >> shift_) + ((width & mask_) != 0 ? 1 : 0);
  const std::uint64_t chunks = chunks_per_row_ * height;  // cannot overflow
  if (chunks > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("character grid too large");
  }
  chunk_ids_.assign(static_cast<std::size_t>(chunks), 0);
  // Slabs no larger than the whole grid, so a small grid stays small.
  unsigned slab_cells = 0;
  while (slab_cells < kSlabCellShift && (std::uint64_t{1} << slab_cells) < (chunks << shift_)) {
    ++slab_cells;
  }
  slab_shift_ = slab_cells > shift_ ? slab_cells - shift_ : 0;
  slab_mask_ = (std::uint32_t{1} << slab_shift_) - 1;
}

std::uint32_t CharGrid::new_chunk() {
  const std::uint32_t slot = chunk_count_++;
  if ((slot >> slab_shift_) == slabs_.size()) {
    // Value-initialised: every cell empty.
    slabs_.push_back(std::make_unique<Cell[]>(std::size_t{1} << (slab_shift_ + shift_)));
  }
  return slot + 1;
}

void CharGrid::put_run(std::uint64_t row, std::uint64_t first, std::uint64_t end, Cell cell) {
  if (row >= height_ || cell.kind() == CellKind::Empty) return;
  if (end > width_) end = width_;
  while (first < end) {
    const std::uint64_t chunk_start = first & ~mask_;
    const std::uint64_t stop = std::min(end, chunk_start + mask_ + 1);
    Cell* cells = writable_chunk(row, first >> shift_);
    for (std::uint64_t col = first; col < stop; ++col) {
      Cell& old = cells[col - chunk_start];
      old = resolve(old, cell);
    }
    first = stop;
  }
}

namespace {

// Whether any chunk id of a row is set, from its ids.
bool any_chunk(const std::uint32_t* ids, std::uint64_t count) {
  return std::any_of(ids, ids + count, [](std::uint32_t id) { return id != 0; });
}

}  // namespace

std::optional<std::uint64_t> CharGrid::first_used_row() const {
  if (chunks_per_row_ == 0) return std::nullopt;
  for (std::uint64_t row = 0; row < height_; ++row) {
    if (any_chunk(&chunk_ids_[row * chunks_per_row_], chunks_per_row_)) return row;
  }
  return std::nullopt;
}

std::optional<std::uint64_t> CharGrid::last_used_row() const {
  if (chunks_per_row_ == 0) return std::nullopt;
  for (std::uint64_t row = height_; row-- > 0;) {
    if (any_chunk(&chunk_ids_[row * chunks_per_row_], chunks_per_row_)) return row;
  }
  return std::nullopt;
}

void CharGrid::add_mark(std::uint64_t row, std::uint64_t col, char32_t mark) {
  if (!contains(row, col)) return;
  const Cell cell = at(row, col);
  if (cell.kind() == CellKind::Line || cell.kind() == CellKind::Empty ||
      cell.is_continuation()) {
    return;
  }
  std::u32string& marks = marks_[row * width_ + col];
  // Marks left by a character this cell has since lost belong to nobody.
  if (!cell.has_marks()) marks.clear();
  marks += mark;
  ++mark_count_;
  writable(row, col) = cell.with_marks();
}

char32_t junction_character(LineFlags f) {
  // Indexed by up | down << 1 | left << 2 | right << 3.
  static constexpr char32_t kJunctions[16] = {
      U' ', U'│', U'│', U'│', U'─', U'┘', U'┐', U'┤',
      U'─', U'└', U'┌', U'├', U'─', U'┴', U'┬', U'┼',
  };
  return kJunctions[(f.up ? 1 : 0) | (f.down ? 2 : 0) | (f.left ? 4 : 0) |
                    (f.right ? 8 : 0)];
}

char32_t junction_character(LineFlags f, LineStyle style) {
  const bool up_down = (f.up || f.down) && !f.left && !f.right;
  const bool left_right = (f.left || f.right) && !f.up && !f.down;
  switch (style) {
    case LineStyle::Solid: break;
    case LineStyle::Dashed:
      if (up_down) return U'┆';
      if (left_right) return U'┄';
      break;
    case LineStyle::Dotted:
      if (up_down) return U'┊';
      if (left_right) return U'┈';
      break;
    case LineStyle::Bold: {
      static constexpr char32_t kHeavy[16] = {
          U' ', U'┃', U'┃', U'┃', U'━', U'┛', U'┓', U'┫',
          U'━', U'┗', U'┏', U'┣', U'━', U'┻', U'┳', U'╋',
      };
      return kHeavy[(f.up ? 1 : 0) | (f.down ? 2 : 0) | (f.left ? 4 : 0) | (f.right ? 8 : 0)];
    }
  }
  return junction_character(f);
}

std::uint32_t CharGrid::paint_of(std::string_view sgr) const {
  if (sgr.empty()) return 0;
  for (std::size_t i = 0; i < paints_.size(); ++i) {
    if (paints_[i] == sgr) return static_cast<std::uint32_t>(i + 1);
  }
  return 0;
}

std::uint32_t CharGrid::paint_id(std::string_view sgr) {
  if (sgr.empty()) return 0;
  if (const std::uint32_t known = paint_of(sgr)) return known;
  if (paints_.size() >= Cell::kMaxPaint) return 0;
  paints_.emplace_back(sgr);
  return static_cast<std::uint32_t>(paints_.size());
}

char32_t printable_character(char32_t c) {
  const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
  if (!control) return c;
  return is_white_space(c) ? U' ' : U'\uFFFD';
}

namespace {

// The UTF-8 bytes of every junction character, by `Cell::line_look`.
struct Junction {
  char bytes[4];
  std::size_t size;
};
const std::array<Junction, 64> kJunctions = [] {
  std::array<Junction, 64> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    const Cell cell = Cell::line({(i & 1) != 0, (i & 2) != 0, (i & 4) != 0, (i & 8) != 0},
                                 static_cast<LineStyle>(i >> 4));
    table[cell.line_look()].size = static_cast<std::size_t>(
        write_utf8(table[cell.line_look()].bytes,
                   junction_character(cell.flags(), cell.line_style())) -
        table[cell.line_look()].bytes);
  }
  return table;
}();

constexpr std::string_view kReset = "\x1b[0m";
// The most bytes one cell may take with paints: a reset, a start
// sequence and its character.
constexpr std::size_t kPaintedCellRoom = 24;

}  // namespace

std::string CharGrid::to_text(StopCheck* stop) const {
  // Rows of a zero-width grid are all empty: the text is one line feed
  // however many rows there are.
  if (width_ == 0) return height_ == 0 ? "" : "\n";
  // Columns past a row's last chunk written are empty, and trailing blanks
  // are dropped anyway.
  const auto chunks_used = [this](std::uint64_t row) {
    std::uint64_t chunks = chunks_per_row_;
    while (chunks > 0 && !chunk(row, chunks - 1)) --chunks;
    return chunks;
  };
  // One allocation for the whole text: room for four bytes a cell (more
  // with paints), of which only the pages actually written are ever touched.
  // Zero-width characters kept beside the cells take up to four bytes more
  // each, in whichever row they are.
  const bool painted = !paints_.empty();
  const std::size_t cell_room = painted ? kPaintedCellRoom : 4;
  const std::size_t mark_room = mark_count_ * (painted ? kPaintedCellRoom : 4);
  std::size_t room = mark_room;
  for (std::uint64_t row = 0; row < height_; ++row) {
    room += static_cast<std::size_t>(std::min(chunks_used(row) << shift_, width_)) * cell_room +
            1 + (painted ? kReset.size() : 0);
  }
  std::string out;
  out.reserve(room);
  const std::uint64_t chunk_width = mask_ + 1;
  // Writes the rows; with paints (`with_paints` true) the start sequence of
  // each run of one paint goes before it and a reset after it.
  const auto write_rows = [&](auto with_paints) {
    constexpr bool kPaints = decltype(with_paints)::value;
    for (std::uint64_t row = 0; row < height_ && !must_stop(stop); ++row) {
      const std::uint64_t chunks = chunks_used(row);
      if (chunks == 0) {
        out.push_back('\n');
        continue;
      }
      const std::uint64_t columns = std::min(chunks << shift_, width_);
      const std::size_t row_start = out.size();
      out.resize_and_overwrite(
          row_start + static_cast<std::size_t>(columns) * cell_room + 1 + mark_room +
              kReset.size(),
          [&](char* text, std::size_t) {
            char* at = text + row_start;
            char* content_end = at;
            // The paint open where the text written so far ends, and where
            // its last non-blank character ends.
            [[maybe_unused]] std::uint32_t open = 0;
            [[maybe_unused]] std::uint32_t open_at_end = 0;
            const auto switch_paint = [&](std::uint32_t paint) {
              if constexpr (kPaints) {
                if (paint == open) return;
                if (open != 0) at = std::copy(kReset.begin(), kReset.end(), at);
                if (paint != 0) {
                  const std::string& sgr = paints_[paint - 1];
                  at = std::copy(sgr.begin(), sgr.end(), at);
                }
                open = paint;
              }
            };
            const auto ends_content = [&] {
              content_end = at;
              if constexpr (kPaints) open_at_end = open;
            };
            // Whether the cell before printed a wide character, whose
            // continuation the next cell may be.
            bool after_wide = false;
            for (std::uint64_t k = 0; k < chunks; ++k) {
              const Cell* cells = chunk(row, k);
              const std::uint64_t n = std::min(chunk_width, columns - (k << shift_));
              if (!cells) {
                switch_paint(0);
                std::fill_n(at, n, ' ');
                at += n;
                after_wide = false;
                continue;
              }
              for (std::uint64_t i = 0; i < n; ++i) {
                const Cell cell = cells[i];
                if (cell == Cell::empty()) {
                  // Most cells of a drawing are empty: a run of them is one
                  // fill of blanks.
                  std::uint64_t run_end = i + 1;
                  while (run_end < n && cells[run_end] == Cell::empty()) ++run_end;
                  switch_paint(0);
                  std::fill_n(at, run_end - i, ' ');
                  at += run_end - i;
                  i = run_end - 1;
                  after_wide = false;
                  continue;
                }
                char32_t c;
                switch (cell.kind()) {
                  case CellKind::Empty:
                    switch_paint(cell.paint());
                    *at++ = ' ';
                    after_wide = false;
                    continue;
                  case CellKind::Line: {
                    after_wide = false;
                    switch_paint(cell.paint());
                    const Junction& j = kJunctions[cell.line_look()];
                    if (j.size == 1) {
                      *at++ = ' ';
                      continue;
                    }
                    // Four bytes fit: each cell before this one took at most four.
                    std::memcpy(at, j.bytes, sizeof j.bytes);
                    at += j.size;
                    ends_content();
                    continue;
                  }
                  default: c = printable_character(cell.character()); break;
                }
                if (cell.is_continuation()) {
                  // The second column of the wide character just printed, or
                  // half of one that was overwritten.
                  if (!after_wide) {
                    switch_paint(cell.paint());
                    *at++ = ' ';
                  }
                  after_wide = false;
                  continue;
                }
                after_wide = false;
                if (cell.is_wide()) {
                  const std::uint64_t col = (k << shift_) + i;
                  const bool whole = i + 1 < n ? cells[i + 1].is_continuation()
                                               : col + 1 < width_ && this->at(row, col + 1).is_continuation();
                  if (whole) {
                    after_wide = true;
                  } else {
                    c = U' ';
                  }
                }
                switch_paint(cell.paint());
                if (c == U' ') {
                  *at++ = ' ';
                  continue;
                }
                at = write_utf8(at, c);
                if (!is_white_space(c)) ends_content();
                if (cell.has_marks()) {
                  const auto found = marks_.find(row * width_ + (k << shift_) + i);
                  if (found != marks_.end()) {
                    for (const char32_t mark : found->second) {
                      at = write_utf8(at, printable_character(mark));
                      if (!is_white_space(mark)) ends_content();
                    }
                  }
                }
              }
            }
            at = content_end;
            if constexpr (kPaints) {
              if (open_at_end != 0) at = std::copy(kReset.begin(), kReset.end(), at);
            }
            *at++ = '\n';
            return static_cast<std::size_t>(at - text);
          });
    }
  };
  if (painted) {
    write_rows(std::true_type{});
  } else {
    write_rows(std::false_type{});
  }
  while (out.size() >= 2 && out[out.size() - 1] == '\n' &&
         out[out.size() - 2] == '\n') {
    out.pop_back();
  }
  return out;
}

}  // namespace vantri
