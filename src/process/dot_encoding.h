// Turning DOT source into the UTF-8 text the render pipeline works on.
//
// DOT files are UTF-8 unless the graph declares `charset=latin1` (or one
// of Graphviz's other names for ISO-8859-1). Such a file is decoded from
// Latin-1 here, and its declaration is rewritten to say UTF-8, so that
// `dot` reads the text as it now is and everything downstream (labels,
// measures, the text written back for a second layout) sees one encoding.
// A Python str is already text: its Latin-1 declaration is rewritten the
// same way, or `dot` would read every non-ASCII character as two.
//
// Declarations are found by a scan that knows DOT's comments, quoted and
// HTML strings, so a label that merely mentions charset=latin1 is left
// alone.
#ifndef VANTRI_PROCESS_DOT_ENCODING_H_
#define VANTRI_PROCESS_DOT_ENCODING_H_

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include "graphviz/layout_error.h"

namespace vantri {

/// One `charset = VALUE` attribute: where its value token lies (quotes
/// included) and the value itself.
struct CharsetDeclaration {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::string_view value;
};

/// Every charset attribute of `dot_source`, in order.
std::vector<CharsetDeclaration> find_charset_declarations(std::string_view dot_source);

/// Whether Graphviz takes `name` for ISO-8859-1 (case is ignored).
bool is_latin1_charset(std::string_view name);

/// DOT source read as bytes, as UTF-8 text. Fails with "stream did not
/// contain valid UTF-8: " and where, when the bytes are not UTF-8 and the
/// graph does not declare Latin-1.
std::expected<std::string, IoError> dot_text_from_bytes(std::string bytes);

/// DOT source that is UTF-8 text already, with a Latin-1 declaration
/// rewritten to UTF-8.
std::string dot_text_from_unicode(std::string text);

}  // namespace vantri

#endif  // VANTRI_PROCESS_DOT_ENCODING_H_
