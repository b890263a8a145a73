// The drawing in plain printable ASCII: one table of the character that
// stands for each glyph the drawing writes (frames, points, arrowheads,
// lines in their styles), chosen so that a reader still tells apart what
// the box-drawing glyphs tell apart. Label text is never mapped: only
// drawn cells and line cells print through this table.
//
//   lines and light frames   - |   corners and junctions +   crossing |
//   dashed (triple dash)     ~ !
//   dotted (quadruple dash)  , ;
//   cluster frames (double dash)   . :
//   bold and heavy frames    = H   their corners and junctions +,
//                                  crossing H
//   heavy double dash        _ [   heavy triple dash  " ]
//   double frames            #     everywhere, corners included
//   rounded corners          / \   dotted frames  '   points  *
//   arrowheads               ^ v < >
//
// A crossing prints the vertical line passing over the horizontal one
// (-|-, =H=), so that `+` always means the lines join. A corner takes
// the weight of the lines it joins.
#ifndef VANTRI_GRID_ASCII_GLYPHS_H_
#define VANTRI_GRID_ASCII_GLYPHS_H_

#include <cstdint>

#include "grid/cell.h"

namespace vantri {

/// The characters the text of a grid is printed in.
enum class GlyphSet : std::uint8_t { Unicode, Ascii };

/// The printable ASCII character standing for the drawn glyph `c` (a
/// frame's, a point's, an arrowhead's, a line's); '?' for a character the
/// drawing never writes.
char ascii_glyph(char32_t c);

/// The printable ASCII character of a line cell with directions `flags` in
/// `style`; a blank for a cell without directions.
char ascii_line(LineFlags flags, LineStyle style);

}  // namespace vantri

#endif  // VANTRI_GRID_ASCII_GLYPHS_H_
