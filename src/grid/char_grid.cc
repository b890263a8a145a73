// Grid storage and conversion to text.
#include "grid/char_grid.h"

#include <limits>
#include <stdexcept>

#include "text/utf8.h"

namespace vantri {

CharGrid::CharGrid(std::uint64_t width, std::uint64_t height)
    : width_(width), height_(height) {
  if (width != 0 && height > std::numeric_limits<std::size_t>::max() / width) {
    throw std::length_error("character grid too large");
  }
  cells_.resize(static_cast<std::size_t>(width * height));
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

char32_t printable_character(char32_t c) {
  const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
  if (!control) return c;
  return is_white_space(c) ? U' ' : U'\uFFFD';
}

std::string CharGrid::to_text() const {
  // Rows of a zero-width grid are all empty: the text is one line feed
  // however many rows there are.
  if (width_ == 0) return height_ == 0 ? "" : "\n";
  std::string out;
  // Most cells are blanks or three-byte box characters.
  out.reserve(static_cast<std::size_t>(height_ * (width_ + 1)));
  for (std::uint64_t row = 0; row < height_; ++row) {
    const Cell* cells = cells_.data() + index(row, 0);
    std::size_t row_start = out.size();
    std::size_t content_end = row_start;
    for (std::uint64_t col = 0; col < width_; ++col) {
      const Cell cell = cells[col];
      char32_t c;
      switch (cell.kind()) {
        case CellKind::Empty: c = U' '; break;
        case CellKind::Line: c = junction_character(cell.flags()); break;
        default: c = printable_character(cell.character()); break;
      }
      if (c == U' ') {
        out.push_back(' ');
        continue;
      }
      append_utf8(out, c);
      if (!is_white_space(c)) content_end = out.size();
    }
    out.resize(content_end);
    out.push_back('\n');
  }
  while (out.size() >= 2 && out[out.size() - 1] == '\n' &&
         out[out.size() - 2] == '\n') {
    out.pop_back();
  }
  return out;
}

}  // namespace vantri
