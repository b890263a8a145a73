// Reading a printed drawing back, cell by cell, the way a reader of the
// text would: what each glyph tells (a line with its directions and its
// weight, an arrowhead and where it points, a point, label text), from the
// box-drawing text or from the ASCII text, where some glyphs need their
// neighbours to tell it (a `+` joins the lines that reach it; `-|-` is a
// crossing). The reading tables here are kept apart from the ones that
// print the glyphs, so that a glyph choice that makes two things look
// alike fails the comparison instead of agreeing with itself.
#ifndef VANTRI_TESTS_SUPPORT_ASCII_READ_BACK_H_
#define VANTRI_TESTS_SUPPORT_ASCII_READ_BACK_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "grid/char_grid.h"

namespace vantri::testing {

/// A printed text as rows of cells, escape sequences dropped: each cell
/// the character printed in it, 0 for the second column of a wide one.
/// Zero-width characters are dropped with the escapes. Rows are padded
/// with blanks to `width`.
struct PrintedCells {
  std::vector<std::vector<char32_t>> rows;
  /// What is not a well-formed colour sequence or a character of the
  /// cells (empty when all is well).
  std::string fault;
};
PrintedCells printed_cells(std::string_view text, std::uint64_t width);

/// The weight a line or frame glyph shows.
enum class Weight : std::uint8_t {
  Light, DoubleDash, TripleDash, QuadrupleDash, Heavy, HeavyDoubleDash,
  HeavyTripleDash, Double, Rounded,
};

/// What a reader tells from one cell.
struct Reading {
  enum class What : std::uint8_t { Blank, Line, Arrow, Point, DottedFrame, Text, Unknown };
  What what = What::Blank;
  Weight weight = Weight::Light;
  /// A line's directions; an arrowhead's one direction, where it points.
  LineFlags dirs;
  /// Directions a line may also take, which the glyph and its neighbours
  /// leave open: ASCII's `+` next to another `+`, or reaching into a box's
  /// edge, a frame or label text, may or may not join it.
  LineFlags maybe;
  /// Two lines crossing, not joining.
  bool crossing = false;
  /// Whether the lines may be crossing (when `maybe` holds the other line).
  bool maybe_crossing = false;
  /// A `+` among junctions only: light or heavy, nothing tells.
  bool open_weight = false;
  /// Label text: the character.
  char32_t text = 0;
  friend bool operator==(const Reading&, const Reading&) = default;
};

std::string describe(const Reading& r);

/// Whether the reading of an ASCII cell tells what the reading of the
/// box-drawing cell tells: the same thing, and for a line the same weight,
/// the directions it shows for certain and no others but those left open.
bool tells_same(const Reading& ascii, const Reading& unicode);

/// The reading of every cell of a box-drawing text, and of an ASCII text.
/// `is_text(row, col)` says which cells are label text, which a reader
/// tells from the words they make; the others are read as glyphs.
using IsText = bool (*)(const CharGrid&, std::uint64_t, std::uint64_t);
std::vector<std::vector<Reading>> read_unicode(const PrintedCells& cells, const CharGrid& grid,
                                               IsText is_text);
std::vector<std::vector<Reading>> read_ascii(const PrintedCells& cells, const CharGrid& grid,
                                             IsText is_text);

/// Whether a cell of the grid holds label text (a node's, an edge's, a
/// cluster's title) rather than a drawn glyph or a line.
bool is_label_text(const CharGrid& grid, std::uint64_t row, std::uint64_t col);

/// The ASCII text of `grid` read back into a grid the edge checks can
/// follow: lines with their directions and styles, arrowheads, frames,
/// label text; `faults` names each cell (up to `max_faults`) where the
/// ASCII text is not printable ASCII outside labels or tells something
/// other than the box-drawing text, with both glyphs.
struct AsciiReadBack {
  CharGrid grid{0, 0};
  std::vector<std::string> faults;
  std::size_t cells_compared = 0;
};
AsciiReadBack read_back_ascii(const CharGrid& grid, std::size_t max_faults);

}  // namespace vantri::testing

#endif  // VANTRI_TESTS_SUPPORT_ASCII_READ_BACK_H_
