// Quoted DOT strings and the statements of a graph.
#include "graphviz/dot_writer.h"

#include <algorithm>

namespace vantri {
namespace {

// The bytes of the UTF-8 character that `lead` begins (1 for a byte that
// begins none).
std::size_t character_length(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC2) return 2;
  return 1;
}

// Builds a quoted string out of units that must not be parted: a piece
// ends between two units only, so that no piece ends in a lone backslash
// or inside a character.
class QuotedString {
 public:
  QuotedString() { out_ = "\""; }

  void unit(std::string_view bytes) {
    if (piece_ + bytes.size() > kMaxDotStringPiece && piece_ > 0) {
      out_ += "\" + \"";
      piece_ = 0;
    }
    out_ += bytes;
    piece_ += bytes.size();
  }

  std::string finish() && { return std::move(out_) + "\""; }

 private:
  std::string out_;
  std::size_t piece_ = 0;
};

}  // namespace

std::string quote_dot_string(std::string_view text) {
  QuotedString quoted;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\\') {
      // In dot's reader a backslash takes a quote, a backslash or a line
      // feed with it, so a run is read in pairs; an odd one would take
      // what follows, unless that is an ordinary character.
      std::size_t run = 0;
      while (i + run < text.size() && text[i + run] == '\\') ++run;
      i += run;
      const bool ends = i == text.size();
      const char next = ends ? '\0' : text[i];
      const bool evened = ends || next == '"' || next == '\n' || next == '\r' || next == '\0';
      if (run % 2 == 1 && evened) ++run;
      for (; run >= 2; run -= 2) quoted.unit("\\\\");
      if (run == 1) {
        // A lone backslash stays with the character after it.
        const std::size_t length = std::min(character_length(static_cast<unsigned char>(next)),
                                            text.size() - i);
        quoted.unit(std::string("\\") + std::string(text.substr(i, length)));
        i += length;
      }
      continue;
    }
    if (c == '"') {
      quoted.unit("\\\"");
      ++i;
    } else if (c == '\0') {
      quoted.unit("\xEF\xBF\xBD");
      ++i;
    } else {
      const std::size_t length =
          std::min(character_length(static_cast<unsigned char>(c)), text.size() - i);
      quoted.unit(text.substr(i, length));
      i += length;
    }
  }
  return std::move(quoted).finish();
}

DotWriter::DotWriter(bool directed) : directed_(directed) {
  text_ = directed ? "digraph {\n" : "graph {\n";
}

void DotWriter::graph_attribute(std::string_view name, std::string_view value) {
  text_ += "  ";
  text_ += quote_dot_string(name);
  text_ += '=';
  text_ += quote_dot_string(value);
  text_ += ";\n";
}

void DotWriter::begin_defaults(std::string_view kind) {
  text_ += "  ";
  text_ += kind;
  // `node;` is no statement, `node []` is.
  text_ += " [";
  has_attributes_ = true;
}

void DotWriter::begin_node(std::string_view name) {
  text_ += "  ";
  text_ += quote_dot_string(name);
  has_attributes_ = false;
}

void DotWriter::begin_edge(std::string_view tail, std::string_view head) {
  text_ += "  ";
  text_ += quote_dot_string(tail);
  text_ += directed_ ? " -> " : " -- ";
  text_ += quote_dot_string(head);
  has_attributes_ = false;
}

void DotWriter::attribute(std::string_view name, std::string_view value) {
  if (!has_attributes_) {
    text_ += " [";
    has_attributes_ = true;
  } else if (text_.back() != '[') {
    text_ += ", ";
  }
  text_ += quote_dot_string(name);
  text_ += '=';
  text_ += quote_dot_string(value);
}

void DotWriter::end_statement() {
  if (has_attributes_) text_ += ']';
  text_ += ";\n";
  has_attributes_ = false;
}

std::string DotWriter::finish() && {
  text_ += "}\n";
  return std::move(text_);
}

}  // namespace vantri
