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
  /// The field's lines are drawn (a table cell's border may be 0).
  bool lined = true;
  /// Stretches of `text` in a style of their own.
  std::vector<StyledRun> runs;
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
  /// The box's own frame is drawn: a table without a border whose cells
  /// have none either shows no lines at all.
  bool frame = true;

  bool empty() const { return fields.empty(); }
};

/// Lays the fields of `tree` out in the smallest box that shows every
/// field's text.
FieldLayout lay_out_fields(const FieldTree& tree);

}  // namespace vantri

#endif  // VANTRI_GRID_FIELD_LAYOUT_H_
