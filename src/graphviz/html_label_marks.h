// Which labels of a laid-out graph were written as HTML-like labels.
//
// `dot -Tjson0` gives an HTML-like label's text without its angle
// brackets, exactly like a quoted label's, so only the DOT text tells them
// apart: a label written `label=<...>` is HTML-like, one written in quotes
// is not, whatever it holds.
#ifndef VANTRI_GRAPHVIZ_HTML_LABEL_MARKS_H_
#define VANTRI_GRAPHVIZ_HTML_LABEL_MARKS_H_

#include <string_view>
#include <vector>

#include "graphviz/layout_graph.h"

namespace vantri {

/// What stands between the outer angle brackets of every HTML-like value
/// of a `label` attribute in `dot_source`, in order, as views into it.
/// Quoted strings and comments are skipped, nested brackets balanced.
std::vector<std::string_view> html_label_values(std::string_view dot_source);

/// Marks the node, edge, cluster and graph labels of `layout` whose text
/// is one of those values. (A quoted label with the very text of an
/// HTML-like one elsewhere in the same graph is taken for one too.)
/// One pass over the text; nothing more when it has no HTML-like label.
void mark_html_labels(std::string_view dot_source, LayoutGraph& layout);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_HTML_LABEL_MARKS_H_
