// Sizing fields to their text and placing them in their box.
#include "grid/field_layout.h"

#include <algorithm>
#include <numeric>

#include "grid/cell_arith.h"
#include "text/label_lines.h"

namespace vantri {
namespace {

// The least room a field needs, inside its border lines, and for a grid
// the widths of its columns and the heights of its rows at that size.
struct Sizing {
  std::uint64_t width = 0;
  std::uint64_t height = 0;
  std::vector<std::uint64_t> column_widths;
  std::vector<std::uint64_t> row_heights;
  std::vector<Sizing> items;
};

// Sum of `sizes[first, first + span)` and the span - 1 lines between them.
std::uint64_t spanned(const std::vector<std::uint64_t>& sizes, std::uint64_t first,
                      std::uint64_t span) {
  std::uint64_t total = span - 1;
  for (std::uint64_t k = first; k < first + span; ++k) total = add_sat(total, sizes[k]);
  return total;
}

// Widens `sizes[first, first + span)` evenly until together they hold `need`.
void widen(std::vector<std::uint64_t>& sizes, std::uint64_t first, std::uint64_t span,
           std::uint64_t need) {
  const std::uint64_t have = spanned(sizes, first, span);
  if (need <= have) return;
  const std::uint64_t missing = need - have;
  for (std::uint64_t k = 0; k < span; ++k) {
    // The later ones take the remainder.
    const std::uint64_t share = missing / span + (k >= span - missing % span ? 1 : 0);
    sizes[first + k] = add_sat(sizes[first + k], share);
  }
}

// An item's span, cut to the grid.
std::uint64_t span_of(std::uint32_t at, std::uint32_t span, std::uint32_t count) {
  if (at >= count) return 0;
  return std::min<std::uint64_t>(std::max<std::uint32_t>(span, 1), count - at);
}

// The sizes of a grid's columns (or rows) from its items' sizes: single
// ones first, then the spanning ones, narrowest span first, widening what
// they span where it is too small.
template <class Start, class Span, class Need>
std::vector<std::uint64_t> track_sizes(const FieldTree& tree, const std::vector<Sizing>& items,
                                       std::uint32_t count, Start start, Span span, Need need) {
  std::vector<std::uint64_t> sizes(count, 1);
  std::vector<std::size_t> order(tree.items.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return span(tree.items[a]) < span(tree.items[b]);
  });
  for (const std::size_t k : order) {
    const FieldItem& item = tree.items[k];
    const std::uint64_t n = span_of(start(item), span(item), count);
    if (n > 0) widen(sizes, start(item), n, need(items[k]));
  }
  return sizes;
}

Sizing measure(const FieldTree& tree) {
  Sizing out;
  if (!tree.is_grid()) {
    // A blank column either side of the text; an empty field one column.
    const std::uint64_t text = label_width(tree.text);
    out.width = text == 0 ? 1 : add_sat(text, 2);
    out.height = std::max<std::uint64_t>(1, count_label_lines(tree.text));
    return out;
  }
  out.items.reserve(tree.items.size());
  for (const FieldItem& item : tree.items) out.items.push_back(measure(item.field));
  out.column_widths = track_sizes(
      tree, out.items, tree.columns, [](const FieldItem& i) { return i.column; },
      [](const FieldItem& i) { return i.column_span; }, [](const Sizing& s) { return s.width; });
  out.row_heights = track_sizes(
      tree, out.items, tree.rows, [](const FieldItem& i) { return i.row; },
      [](const FieldItem& i) { return i.row_span; }, [](const Sizing& s) { return s.height; });
  out.width = spanned(out.column_widths, 0, tree.columns);
  out.height = spanned(out.row_heights, 0, tree.rows);
  return out;
}

// The first cell of every column (or row) of a grid whose inside starts
// at `start` and is `room` long, the extra room shared out evenly (the
// later ones take the remainder).
std::vector<std::uint64_t> track_starts(std::vector<std::uint64_t> sizes, std::uint64_t start,
                                        std::uint64_t room) {
  const std::uint64_t count = sizes.size();
  const std::uint64_t natural = spanned(sizes, 0, count);
  if (room > natural) {
    const std::uint64_t extra = room - natural;
    for (std::uint64_t k = 0; k < count; ++k) {
      sizes[k] = add_sat(sizes[k], extra / count + (k >= count - extra % count ? 1 : 0));
    }
  }
  std::vector<std::uint64_t> starts(count + 1);
  starts[0] = start;
  // Each track ends one line before the next starts; the last entry is
  // where a track after the last would start.
  for (std::uint64_t k = 0; k < count; ++k) starts[k + 1] = add_sat(add_sat(starts[k], sizes[k]), 1);
  return starts;
}

void place(const FieldTree& tree, const Sizing& sizing, CellRect outline, FieldLayout& out) {
  if (!tree.port.empty()) out.ports.push_back({tree.port, outline});
  if (!tree.is_grid()) {
    out.fields.push_back({outline, tree.text, tree.outline, tree.runs});
    return;
  }
  const std::vector<std::uint64_t> columns =
      track_starts(sizing.column_widths, outline.left + 1, sub_floor(outline.right, outline.left + 1));
  const std::vector<std::uint64_t> rows =
      track_starts(sizing.row_heights, outline.top + 1, sub_floor(outline.bottom, outline.top + 1));
  for (std::size_t k = 0; k < tree.items.size(); ++k) {
    const FieldItem& item = tree.items[k];
    const std::uint64_t across = span_of(item.column, item.column_span, tree.columns);
    const std::uint64_t down = span_of(item.row, item.row_span, tree.rows);
    if (across == 0 || down == 0) continue;
    // From the line before the item's first track to the line after its last.
    const CellRect inner{columns[item.column] - 1, rows[item.row] - 1,
                         columns[item.column + across] - 1, rows[item.row + down] - 1};
    place(item.field, sizing.items[k], inner, out);
  }
}

}  // namespace

FieldLayout lay_out_fields(const FieldTree& tree) {
  FieldLayout out;
  const Sizing sizing = measure(tree);
  out.width = add_sat(sizing.width, 2);
  out.height = add_sat(sizing.height, 2);
  place(tree, sizing, {0, 0, out.width - 1, out.height - 1}, out);
  out.frame = tree.outline || std::any_of(out.fields.begin(), out.fields.end(),
                                          [](const LaidField& f) { return f.lined; });
  return out;
}

}  // namespace vantri
