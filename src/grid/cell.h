// One cell of the character grid, packed into 32 bits.
//
// A cell is a kind plus a payload: a character for node, arrow and text
// cells, four direction flags for line cells, nothing for empty cells. The
// kinds are ordered by precedence, strongest first; the grid uses that order
// to settle overlaps.
//
// A line cell also carries its line style (solid, dashed, dotted, bold),
// and any cell may carry a paint: the index of a colour and text
// attributes the grid keeps (`CharGrid::paint_id`), 0 for none.
//
// A character two columns wide takes two cells: the first holds it, marked
// wide, and the second is its continuation, of the same kind, which prints
// nothing. Zero-width characters after a character (combining marks) live in
// the grid beside the cell, which is marked as having them.
#ifndef VANTRI_GRID_CELL_H_
#define VANTRI_GRID_CELL_H_

#include <cstdint>

#include "graphviz/layout_graph.h"

namespace vantri {

enum class CellKind : std::uint8_t {
  Node = 0,
  Arrow = 1,
  Text = 2,
  Line = 3,
  Empty = 4,
};

/// Directions in which a line leaves its cell.
struct LineFlags {
  bool up = false;
  bool down = false;
  bool left = false;
  bool right = false;
  friend bool operator==(const LineFlags&, const LineFlags&) = default;
};

class Cell {
 public:
  constexpr Cell() : bits_(pack(CellKind::Empty, 0)) {}

  static constexpr Cell empty() { return Cell(); }
  static constexpr Cell node(char32_t c) { return Cell(pack(CellKind::Node, c)); }
  static constexpr Cell arrow(char32_t c) { return Cell(pack(CellKind::Arrow, c)); }
  static constexpr Cell text(char32_t c) { return Cell(pack(CellKind::Text, c)); }
  /// The payload of the second cell of a wide character.
  static constexpr char32_t kContinuation = 0x110000;

  /// The cell right of `lead`, a wide character: same kind, prints nothing.
  static constexpr Cell continuation_of(Cell lead) {
    return Cell(pack(lead.kind(), kContinuation)).painted(lead.paint());
  }
  static constexpr Cell line(LineFlags f, LineStyle style = LineStyle::Solid) {
    return Cell(pack(CellKind::Line, (f.up ? kUp : 0u) | (f.down ? kDown : 0u) |
                                         (f.left ? kLeft : 0u) | (f.right ? kRight : 0u) |
                                         (static_cast<std::uint32_t>(style) << kStyleShift)));
  }

  constexpr CellKind kind() const { return static_cast<CellKind>(bits_ >> kKindShift); }
  /// The character of a node, arrow or text cell.
  constexpr char32_t character() const { return bits_ & kPayloadMask; }
  /// This cell with its character marked as two columns wide.
  constexpr Cell wide() const { return Cell(bits_ | kWide); }
  constexpr bool is_wide() const { return (bits_ & kWide) != 0; }
  constexpr bool is_continuation() const {
    return (bits_ & kPayloadMask) == kContinuation && kind() != CellKind::Line;
  }
  /// This cell marked as followed by zero-width characters the grid keeps.
  constexpr Cell with_marks() const { return Cell(bits_ | kMarks); }
  constexpr bool has_marks() const { return (bits_ & kMarks) != 0; }
  /// The directions of a line cell.
  constexpr LineFlags flags() const {
    const std::uint32_t p = bits_ & kPayloadMask;
    return {(p & kUp) != 0, (p & kDown) != 0, (p & kLeft) != 0, (p & kRight) != 0};
  }
  /// The style of a line cell.
  constexpr LineStyle line_style() const {
    return static_cast<LineStyle>((bits_ >> kStyleShift) & kStyleMask);
  }
  /// A line cell carrying the directions of both cells. Lines of different
  /// styles or paints meeting in one cell make it solid and unpainted: a
  /// shared stretch shows a style or colour only when all its lines have it.
  constexpr Cell merged_line(Cell other) const {
    constexpr std::uint32_t kLook = (kStyleMask << kStyleShift) | (kPaintMask << kPaintShift);
    const std::uint32_t merged = bits_ | (other.bits_ & kFlagMask);
    return Cell(((bits_ ^ other.bits_) & kLook) == 0 ? merged : merged & ~kLook);
  }

  /// Paints are numbered 1 to `kMaxPaint`; 0 is none.
  static constexpr std::uint32_t kMaxPaint = 63;
  constexpr std::uint32_t paint() const { return (bits_ >> kPaintShift) & kPaintMask; }
  /// This cell with paint `id` (0 removes it).
  constexpr Cell painted(std::uint32_t id) const {
    return Cell((bits_ & ~(kPaintMask << kPaintShift)) | ((id & kPaintMask) << kPaintShift));
  }
  /// The bits that tell a line cell's junction character: its directions
  /// and its style, 0 to 63.
  constexpr std::uint32_t line_look() const { return bits_ & (kFlagMask | (kStyleMask << kStyleShift)); }

  friend constexpr bool operator==(Cell, Cell) = default;

 private:
  static constexpr std::uint32_t kKindShift = 29;
  static constexpr std::uint32_t kMarks = 1u << 28;
  static constexpr std::uint32_t kWide = 1u << 27;
  static constexpr std::uint32_t kPaintShift = 21;
  static constexpr std::uint32_t kPaintMask = 63;
  static constexpr std::uint32_t kPayloadMask = (1u << 21) - 1;
  static constexpr std::uint32_t kUp = 1, kDown = 2, kLeft = 4, kRight = 8;
  static constexpr std::uint32_t kFlagMask = 15;
  static constexpr std::uint32_t kStyleShift = 4;
  static constexpr std::uint32_t kStyleMask = 3;

  static constexpr std::uint32_t pack(CellKind kind, std::uint32_t payload) {
    return (static_cast<std::uint32_t>(kind) << kKindShift) | (payload & kPayloadMask);
  }
  explicit constexpr Cell(std::uint32_t bits) : bits_(bits) {}

  std::uint32_t bits_;
};

static_assert(sizeof(Cell) == 4);

}  // namespace vantri

#endif  // VANTRI_GRID_CELL_H_
