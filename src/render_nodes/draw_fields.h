// Dividing a node's box into its fields: the lines between them, joined
// to the border and to each other, and each field's text centred in it.
#ifndef VANTRI_RENDER_NODES_DRAW_FIELDS_H_
#define VANTRI_RENDER_NODES_DRAW_FIELDS_H_

#include <cstdint>

#include "color/color.h"
#include "grid/char_grid.h"
#include "grid/field_layout.h"
#include "grid/node_box.h"

namespace vantri {

/// Draws the fields of a box already framed in `style`: light lines between
/// the fields, meeting in ┼ and joining the frame in ┬ ┴ ├ ┤ (┯ ┷ ┠ ┨ on a
/// heavy frame; a dotted frame stays dotted), and the fields' text.
/// A field whose lines are not drawn (a table cell of border 0) keeps its
/// place. The text takes paint `text_paint`; with `styled`, stretches of it
/// set in bold, italic, underline or a colour take their own paint.
void draw_fields(CharGrid& grid, const NodeBox& box, const FieldLayout& fields,
                 const BoxStyle& style, std::uint32_t text_paint = 0, bool styled = false);

}  // namespace vantri

#endif  // VANTRI_RENDER_NODES_DRAW_FIELDS_H_
