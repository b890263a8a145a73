// Building field trees in tests: text fields, grids and their items, as a
// record's label or an HTML-like table would give them.
#ifndef VANTRI_TESTS_SUPPORT_FIELD_TREES_H_
#define VANTRI_TESTS_SUPPORT_FIELD_TREES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "graphviz/field_tree.h"

namespace vantri::testing {

inline FieldTree text_field(std::string text, std::string port = "") {
  FieldTree f;
  f.text = std::move(text);
  f.port = std::move(port);
  return f;
}

inline FieldItem at(std::uint32_t row, std::uint32_t column, FieldTree field,
                    std::uint32_t row_span = 1, std::uint32_t column_span = 1) {
  return {row, column, row_span, column_span, std::move(field)};
}

inline FieldTree grid_of(std::uint32_t rows, std::uint32_t columns, std::vector<FieldItem> items) {
  FieldTree f;
  f.rows = rows;
  f.columns = columns;
  f.items = std::move(items);
  return f;
}

/// The record {a | {b | c}}: a beside b over c.
inline FieldTree a_beside_b_over_c(FieldTree a, FieldTree b, FieldTree c) {
  return grid_of(1, 2, {at(0, 0, std::move(a)),
                        at(0, 1, grid_of(2, 1, {at(0, 0, std::move(b)), at(1, 0, std::move(c))}))});
}

}  // namespace vantri::testing

#endif  // VANTRI_TESTS_SUPPORT_FIELD_TREES_H_
