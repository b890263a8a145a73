// The ASCII stand-ins of the drawing's glyphs.
#include "grid/ascii_glyphs.h"

#include "grid/char_grid.h"

namespace vantri {

char ascii_glyph(char32_t c) {
  switch (c) {
    case U' ': return ' ';
    case U'─': return '-';
    case U'│': return '|';
    case U'┌': case U'┐': case U'└': case U'┘':
    case U'├': case U'┤': case U'┬': case U'┴': case U'┼':
      return '+';
    case U'┄': return '~';
    case U'┆': return '!';
    case U'┈': return ',';
    case U'┊': return ';';
    case U'╌': return '.';
    case U'╎': return ':';
    case U'━': return '=';
    case U'┃': return 'H';
    case U'┏': case U'┓': case U'┗': case U'┛':
    case U'┣': case U'┫': case U'┳': case U'┻': case U'╋':
    case U'┯': case U'┷': case U'┠': case U'┨':
      return '+';
    case U'╍': return '_';
    case U'╏': return '[';
    case U'┅': return '"';
    case U'┇': return ']';
    case U'═': case U'║': case U'╔': case U'╗': case U'╚': case U'╝':
    case U'╤': case U'╧': case U'╟': case U'╢':
      return '#';
    case U'╭': case U'╯': return '/';
    case U'╮': case U'╰': return '\\';
    case U'‥': return '\'';
    case U'●': return '*';
    case U'▲': return '^';
    case U'▼': return 'v';
    case U'◀': return '<';
    case U'▶': return '>';
    default: return '?';
  }
}

char ascii_line(LineFlags flags, LineStyle style) {
  if (flags.up && flags.down && flags.left && flags.right) {
    // Two lines crossing: the vertical one passes over, so a crossing never
    // reads as a junction.
    return style == LineStyle::Bold ? 'H' : '|';
  }
  return ascii_glyph(junction_character(flags, style));
}

}  // namespace vantri
