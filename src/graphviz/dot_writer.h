// Writing DOT text for a graph whose names and values may hold anything.
//
// Every name and value is written as a quoted string, so that none is
// taken for a keyword, a number, HTML or a port (`a:b` stays one name).
// Inside, what would end the string early or trip `dot`'s reader is
// written so that it does not; other backslashes stay as they are, so a
// `\n` in a label still breaks the line, as in DOT text written by hand.
#ifndef VANTRI_GRAPHVIZ_DOT_WRITER_H_
#define VANTRI_GRAPHVIZ_DOT_WRITER_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace vantri {

/// The longest piece of a quoted string written; `dot` 2.43 refuses
/// strings of 16 KiB or more, so longer ones are written as pieces joined
/// with `+`, which `dot` puts back together.
inline constexpr std::size_t kMaxDotStringPiece = 8192;

/// `text` as a DOT string: in double quotes, `"` escaped; a run of
/// backslashes that would escape a quote, the end of the string or a line
/// break gets one more backslash; a NUL byte, which ends `dot`'s reading
/// of a string, becomes U+FFFD.
std::string quote_dot_string(std::string_view text);

/// Writes one graph, statement by statement.
class DotWriter {
 public:
  /// Opens a `digraph` or a `graph`.
  explicit DotWriter(bool directed);

  /// `name=value;`: an attribute of the graph.
  void graph_attribute(std::string_view name, std::string_view value);
  /// Begins a statement: `graph [...]`, `node [...]` or `edge [...]`
  /// (`kind`, written as given), attributes for what follows it.
  void begin_defaults(std::string_view kind);
  /// Begins a node statement.
  void begin_node(std::string_view name);
  /// Begins an edge statement, `->` or `--` as the graph is directed or not.
  void begin_edge(std::string_view tail, std::string_view head);
  /// An attribute of the statement begun last.
  void attribute(std::string_view name, std::string_view value);
  /// Ends the statement begun last.
  void end_statement();

  /// The DOT text, the graph closed.
  std::string finish() &&;

 private:
  std::string text_;
  bool directed_;
  bool has_attributes_ = false;
};

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_DOT_WRITER_H_
