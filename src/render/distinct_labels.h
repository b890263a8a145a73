// Keeping shortened node labels apart.
//
// Labels cut to the same width often come out the same: "4.1 BSD" and
// "4.2 BSD" both read "4....D" when the middle goes. A reader cannot tell
// such nodes apart, so a cut label that shows the same text as a node with
// a different label is cut elsewhere in as many columns (keeping the part
// that differs, "4.1..." and "4.2..."), and failing that given more
// columns, until the two differ or it may grow no further.
#ifndef VANTRI_RENDER_DISTINCT_LABELS_H_
#define VANTRI_RENDER_DISTINCT_LABELS_H_

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "trim/trim.h"

namespace vantri {

/// What a node shows of its label, and whether any of the label's text
/// was cut away (a label set on more lines shows all of it).
struct ShownLabel {
  std::string text;
  bool cut = false;
  friend bool operator==(const ShownLabel&, const ShownLabel&) = default;
};

/// Node `node`'s label within `columns` columns, cut with `trim` where it
/// must be.
using LabelCutter =
    std::function<ShownLabel(std::size_t node, std::uint64_t columns, TrimStrategy trim)>;

/// Changes cut entries of `shown` until no two nodes whose own labels
/// (`own`) differ show the same text, or nothing more can change. Entry i
/// shows node i's label cut to `columns[i]` with `trim`; a cut label that
/// shares its text is cut with each other strategy in turn (the first that
/// parts it from every other node's text is kept), and when none does, it
/// gets a column more (`columns[i]` grows), up to `most[i]`. Nodes with an
/// empty own label (fields, points) are left alone, and so are labels
/// that are not cut.
void keep_labels_apart(std::span<const std::string> own, std::span<ShownLabel> shown,
                       std::span<std::uint64_t> columns, std::span<const std::uint64_t> most,
                       TrimStrategy trim, const LabelCutter& cut);

}  // namespace vantri

#endif  // VANTRI_RENDER_DISTINCT_LABELS_H_
