// The json0 documents of one `dot` run: one per graph of its input.
//
// `dot` lays out every graph of its input in turn and writes one json0
// document for each, one after the other; for an input without a graph it
// writes nothing at all.
#ifndef VANTRI_GRAPHVIZ_JSON0_DOCUMENTS_H_
#define VANTRI_GRAPHVIZ_JSON0_DOCUMENTS_H_

#include <expected>
#include <string_view>
#include <vector>

#include "graphviz/layout_error.h"
#include "graphviz/layout_graph.h"

namespace vantri {

/// The JSON values of `text` one after the other, as views into it
/// without the white space around them. A value that does not end (or is
/// no object or array) takes the rest of the text, for the parser to
/// report. None when the text is only white space.
std::vector<std::string_view> split_json_documents(std::string_view text);

/// Every layout graph `text` holds, in order, as `read_json0` reads each;
/// the `NoGraph` error when it holds only white space. A text of one
/// document costs no more than `read_json0`, and a text that is not a
/// series of documents fails with the message `read_json0` gives for it.
std::expected<std::vector<LayoutGraph>, LayoutError> read_json0_documents(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_JSON0_DOCUMENTS_H_
