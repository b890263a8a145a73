// A node box divided into fields: where each field of a record or table
// lies within the box, in cells.
//
// Fields share their border lines: two fields side by side are parted by
// one column of line, one above another by one row. A text field gets a
// blank column on either side of its widest line; every column and row of
// a grid is as wide and as high as its widest and highest field, and a
// field given more room than it needs (a grid stretched to its neighbours'
// size) shares it out evenly among its own columns and rows.
#ifndef VANTRI_GRID_FIELD_LAYOUT_H_
#define VANTRI_GRID_FIELD_LAYOUT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "graphviz/field_tree.h"
#include "grid/cell_rect.h"

namespace vantri {

/// A text field: its outline (the border lines around it included), from
/// the box's top-left corner, and its lines.
struct LaidField {
  CellRect outline;
  std::string text;
};

/// A field with a port name, text field or grid, and its outline.
struct FieldPort {
  std::string name;
  CellRect outline;
};

struct FieldLayout {
  /// The whole box, outer border included; 0 for a node without fields.
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  std::vector<LaidField> fields;
  std::vector<FieldPort> ports;

  bool empty() const { return fields.empty(); }
};

/// Lays the fields of `tree` out in the smallest box that shows every
/// field's text.
FieldLayout lay_out_fields(const FieldTree& tree);

}  // namespace vantri

#endif  // VANTRI_GRID_FIELD_LAYOUT_H_
