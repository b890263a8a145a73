// A node label divided into fields: a record's label, or an HTML-like
// label's table.
//
// A field shows either text or a grid of fields. Records are grids of one
// row or one column; a table's cells may span rows and columns. Any field
// may carry the port name edges attach to.
#ifndef VANTRI_GRAPHVIZ_FIELD_TREE_H_
#define VANTRI_GRAPHVIZ_FIELD_TREE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantri {

struct FieldItem;

/// How a stretch of an HTML-like label's text is set: <B>, <I>, <U> and
/// the colour of <FONT COLOR="...">, as written (empty for none).
struct TextStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::string color = {};
  bool plain() const { return !bold && !italic && !underline && color.empty(); }
  friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

/// The bytes [begin, end) of a field's text set in `style`.
struct StyledRun {
  std::size_t begin = 0;
  std::size_t end = 0;
  TextStyle style;
  friend bool operator==(const StyledRun&, const StyledRun&) = default;
};

struct FieldTree {
  /// A text field's lines, separated by line feeds.
  std::string text;
  /// The stretches of `text` set in a style other than plain, in order.
  std::vector<StyledRun> runs;
  /// Whether lines show around the field: a table's BORDER, a cell's own
  /// or its table's CELLBORDER; without them the field keeps its place.
  bool outline = true;
  /// The port name ("f0" of `<f0>`, a cell's PORT); empty for none.
  std::string port;
  /// A grid's size; a text field has no rows.
  std::uint32_t rows = 0;
  std::uint32_t columns = 0;
  /// A grid's fields, each covering whole rows and columns of it.
  std::vector<FieldItem> items;

  bool is_grid() const { return rows > 0 && columns > 0 && !items.empty(); }
};

struct FieldItem {
  std::uint32_t row = 0;
  std::uint32_t column = 0;
  std::uint32_t row_span = 1;
  std::uint32_t column_span = 1;
  FieldTree field;
};

/// How deep fields may nest; deeper labels are not divided into fields
/// (no real label comes near it, and recursion must stay shallow).
inline constexpr int kMaxFieldDepth = 64;

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_FIELD_TREE_H_
