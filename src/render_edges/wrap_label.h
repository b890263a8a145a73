// Wrapping an edge label into lines of a given width.
#ifndef VANTRI_RENDER_EDGES_WRAP_LABEL_H_
#define VANTRI_RENDER_EDGES_WRAP_LABEL_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantri {

/// Splits `text` into lines at most `width` terminal columns wide,
/// preferring to break after a space, a bracket or a comma. Lines end on
/// character boundaries and keep combining marks with their base; a first
/// character wider than `width` makes a line of its own. Width 0 gives no
/// lines. A text of several lines (line feeds, `split_aligned_lines`) wraps
/// line by line, and the pieces of a centred or flush-right line start with
/// the blanks that set them so in the block of the widest piece.
std::vector<std::string> wrap_label(std::string_view text, std::uint64_t width);

}  // namespace vantri

#endif  // VANTRI_RENDER_EDGES_WRAP_LABEL_H_
