// Reading an HTML-like label: the text it shows, or its table as fields.
//
// Tags are not shown: <BR/> ends a line, font tags (FONT, B, I, U, O, S,
// SUB, SUP), rules (HR, VR), images and comments show nothing, entities
// (&amp;, &lt;, &#931;, ...) are decoded, and tabs, line feeds and other
// characters that do not print are dropped, as Graphviz does. A <TABLE> is
// a grid of its cells (<TR> rows of <TD> cells, with their COLSPAN,
// ROWSPAN and PORT), a cell holding text or another table.
#ifndef VANTRI_GRAPHVIZ_HTML_LABEL_H_
#define VANTRI_GRAPHVIZ_HTML_LABEL_H_

#include <optional>
#include <string>
#include <string_view>

#include "graphviz/field_tree.h"

namespace vantri {

struct HtmlLabel {
  /// The lines of a label without a table, separated by line feeds, blanks
  /// at their ends removed.
  std::string text;
  /// The label's table, when it is one.
  std::optional<FieldTree> table;
};

/// Reads the inside of an HTML-like label (json0 gives it without the
/// outer angle brackets). Tables nested deeper than `kMaxFieldDepth` show
/// as text. Never fails: what is not markup is text.
HtmlLabel read_html_label(std::string_view html);

/// The label as text only: a table's cells in each row parted by " │ ", its
/// rows on lines of their own, nested tables the same way within a cell.
std::string html_label_text(std::string_view html);

/// `text` with its character references and entities decoded; one that
/// is not known stays as written.
std::string decode_html_entities(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_HTML_LABEL_H_
