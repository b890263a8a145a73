// Splitting `dot` output into its json0 documents.
#include "graphviz/json0_documents.h"

#include <cstring>

#include "graphviz/json0_reader.h"

namespace vantri {
namespace {

bool is_json_space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// Where the object or array at `start` ends, one past its closing bracket;
// npos when it does not end. Strings may hold raw control characters, as
// dot writes them, and brackets of their own.
std::size_t value_end(std::string_view text, std::size_t start) {
  std::size_t depth = 0;
  std::size_t i = start;
  while (i < text.size()) {
    const char c = text[i++];
    if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      if (--depth == 0) return i;
    } else if (c == '"') {
      for (;;) {
        const void* quote = std::memchr(text.data() + i, '"', text.size() - i);
        if (quote == nullptr) return std::string_view::npos;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(quote) - text.data());
        // Escaped when an odd number of backslashes stands before it.
        std::size_t backslashes = 0;
        while (at - backslashes > i && text[at - backslashes - 1] == '\\') ++backslashes;
        i = at + 1;
        if (backslashes % 2 == 0) break;
      }
    }
  }
  return std::string_view::npos;
}

}  // namespace

std::vector<std::string_view> split_json_documents(std::string_view text) {
  std::vector<std::string_view> documents;
  std::size_t i = 0;
  for (;;) {
    while (i < text.size() && is_json_space(text[i])) ++i;
    if (i == text.size()) return documents;
    const bool container = text[i] == '{' || text[i] == '[';
    const std::size_t end = container ? value_end(text, i) : std::string_view::npos;
    if (end == std::string_view::npos) {
      documents.push_back(text.substr(i));
      return documents;
    }
    documents.push_back(text.substr(i, end - i));
    i = end;
  }
}

std::expected<std::vector<LayoutGraph>, LayoutError> read_json0_documents(std::string_view text) {
  // One document, as nearly always: read as it is.
  auto whole = read_json0(text);
  if (whole) {
    std::vector<LayoutGraph> graphs;
    graphs.push_back(std::move(*whole));
    return graphs;
  }
  const std::vector<std::string_view> documents = split_json_documents(text);
  if (documents.empty()) return std::unexpected(LayoutError::no_graph());
  if (documents.size() == 1) return std::unexpected(std::move(whole.error()));
  std::vector<LayoutGraph> graphs;
  graphs.reserve(documents.size());
  for (const std::string_view document : documents) {
    auto graph = read_json0(document);
    if (!graph) return std::unexpected(std::move(graph.error()));
    graphs.push_back(std::move(*graph));
  }
  return graphs;
}

}  // namespace vantri
