// The json0 document walk: objects to nodes and clusters, then edges.
#include "graphviz/json0_reader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include <nlohmann/json.hpp>

namespace vantri {
namespace {

using Json = nlohmann::json;

// Member `key` of `value`, or null when `value` is no object or lacks it.
// Never copies: a json0 document may be large or deeply nested.
const Json* member(const Json& value, const char* key) {
  if (!value.is_object()) return nullptr;
  const auto it = value.find(key);
  return it == value.end() ? nullptr : &*it;
}

const std::string* string_member(const Json& value, const char* key) {
  const Json* m = member(value, key);
  return m && m->is_string() ? &m->get_ref<const std::string&>() : nullptr;
}

// An id is a number written as a non-negative integer that fits 64 bits;
// fractions, signs, exponents and strings do not count.
std::optional<std::uint64_t> id_member(const Json& value, const char* key) {
  const Json* m = member(value, key);
  if (!m || !m->is_number_unsigned()) return std::nullopt;
  return m->get<std::uint64_t>();
}

NodeShape shape_of(const std::string* shape) {
  if (!shape) return NodeShape::Other;
  if (*shape == "box" || *shape == "rect" || *shape == "rectangle") {
    return NodeShape::Box;
  }
  if (*shape == "doublecircle") return NodeShape::DoubleCircle;
  return NodeShape::Other;
}

// One left-to-right pass over a node label: `\N` becomes the node's name
// (inserted verbatim, so a backslash-n inside the name stays text), the
// line ends `\n`, `\l`, `\r` become line feeds and `\\` is one backslash,
// as Graphviz draws it (so `\\n` is a backslash and an n, not a line end).
// Other backslashes stay.
std::string expand_node_label(std::string_view label, const std::string* name) {
  std::string out;
  out.reserve(label.size());
  for (std::size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '\\' && i + 1 < label.size()) {
      const char next = label[i + 1];
      if (next == 'n' || next == 'l' || next == 'r') {
        out += '\n';
        ++i;
        continue;
      }
      if (next == '\\') {
        out += '\\';
        ++i;
        continue;
      }
      if (next == 'N' && name) {
        out += *name;
        ++i;
        continue;
      }
    }
    out += label[i];
  }
  return out;
}

std::unexpected<LayoutError> fail(std::string message) {
  return std::unexpected(LayoutError::parse(std::move(message)));
}

// Array member `key` of the root: absent means empty (dot leaves out
// "objects" for an empty graph and "edges" for a graph without edges).
std::expected<const Json*, LayoutError> optional_array(const Json& root,
                                                        const char* key,
                                                        const char* message) {
  const Json* m = member(root, key);
  if (m && !m->is_array()) return fail(message);
  return m;
}

using GvidMap = std::unordered_map<std::uint64_t, std::size_t>;

std::expected<void, LayoutError> read_cluster(const Json& object,
                                              LayoutGraph& graph) {
  const std::string* bb_text = string_member(object, "bb");
  if (!bb_text) return {};  // dot gives a "bb" to clusters only
  auto bb = parse_bb(*bb_text);
  if (!bb) return fail(std::move(bb.error()));
  const std::string* label = string_member(object, "label");
  graph.clusters.push_back(LayoutCluster{label ? *label : std::string(), *bb});
  return {};
}

std::expected<double, LayoutError> read_size(const Json& object,
                                             const char* key,
                                             const std::string& node) {
  const std::string* text = string_member(object, key);
  if (!text) return fail(node + " missing '" + key + "'");
  // Sizes are not trimmed: a blank makes them invalid.
  auto inches = parse_float(*text);
  if (!inches) return fail(node + " invalid " + key + ": " + inches.error());
  return *inches * 72.0;
}

std::expected<void, LayoutError> read_node(const Json& object,
                                           LayoutGraph& graph, GvidMap& ids) {
  const std::optional<std::uint64_t> gvid = id_member(object, "_gvid");
  if (!gvid) return fail("node missing '_gvid'");
  const std::string node = "node " + std::to_string(*gvid);

  LayoutNode result;
  result.gvid = *gvid;
  const std::string* name = string_member(object, "name");
  if (name) result.name = *name;
  if (const std::string* label = string_member(object, "label")) {
    result.label = expand_node_label(*label, name);
  }

  const std::string* pos = string_member(object, "pos");
  if (!pos) return fail(node + " missing 'pos'");
  auto point = parse_point(*pos);
  if (!point) return fail(std::move(point.error()));
  result.pos = *point;

  auto width = read_size(object, "width", node);
  if (!width) return std::unexpected(std::move(width.error()));
  result.width = *width;
  auto height = read_size(object, "height", node);
  if (!height) return std::unexpected(std::move(height.error()));
  result.height = *height;

  result.shape = shape_of(string_member(object, "shape"));
  if (const std::string* fill = string_member(object, "fillcolor")) {
    result.fillcolor = *fill;
  }

  // A repeated gvid refers to the later node from now on.
  ids[*gvid] = graph.nodes.size();
  graph.nodes.push_back(std::move(result));
  return {};
}

std::expected<void, LayoutError> read_edge(const Json& object,
                                           LayoutGraph& graph,
                                           const GvidMap& ids) {
  const std::optional<std::uint64_t> gvid = id_member(object, "_gvid");
  if (!gvid) return fail("edge missing '_gvid'");
  const std::string edge = "edge " + std::to_string(*gvid);
  const std::optional<std::uint64_t> tail = id_member(object, "tail");
  if (!tail) return fail(edge + " missing 'tail'");
  const std::optional<std::uint64_t> head = id_member(object, "head");
  if (!head) return fail(edge + " missing 'head'");

  LayoutEdge result;
  result.gvid = *gvid;
  const auto tail_index = ids.find(*tail);
  if (tail_index == ids.end()) {
    return fail(edge + ": tail gvid " + std::to_string(*tail) +
                " not found in nodes");
  }
  const auto head_index = ids.find(*head);
  if (head_index == ids.end()) {
    return fail(edge + ": head gvid " + std::to_string(*head) +
                " not found in nodes");
  }
  result.tail = tail_index->second;
  result.head = head_index->second;

  const std::string* label = string_member(object, "label");
  if (label && !label->empty()) result.label = *label;
  if (const std::string* lp = string_member(object, "lp")) {
    auto point = parse_point(*lp);
    if (!point) return fail(std::move(point.error()));
    result.label_pos = *point;
  }
  if (const std::string* pos = string_member(object, "pos")) {
    auto spline = parse_spline(*pos);
    if (!spline) return fail(std::move(spline.error()));
    result.points = std::move(spline->points);
    result.start_point = spline->start_point;
    result.end_point = spline->end_point;
  }
  graph.edges.push_back(std::move(result));
  return {};
}

// Graphviz writes tabs, line feeds and other control characters of labels
// into its JSON strings as they are, which JSON forbids. Escaping them
// inside strings (and only there) turns such output into the JSON it was
// meant to be; valid JSON is returned unchanged.
std::optional<std::string> escape_raw_controls(std::string_view text) {
  std::optional<std::string> fixed;
  bool in_string = false;
  std::size_t copied = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!in_string) {
      in_string = c == '"';
    } else if (c == '\\') {
      ++i;  // the escaped character cannot end the string
    } else if (c == '"') {
      in_string = false;
    } else if (c < 0x20) {
      if (!fixed) fixed.emplace().reserve(text.size() + 16);
      static constexpr char kHex[] = "0123456789abcdef";
      fixed->append(text, copied, i - copied);
      *fixed += "\\u00";
      *fixed += kHex[c >> 4];
      *fixed += kHex[c & 0xF];
      copied = i + 1;
    }
  }
  if (fixed) fixed->append(text.substr(copied));
  return fixed;
}

}  // namespace

std::expected<LayoutGraph, LayoutError> read_json0(std::string_view text) {
  // The JSON parser skips a leading byte order mark; json0 output has none,
  // and only JSON white space may come before the value.
  if (text.starts_with("\xEF\xBB\xBF")) {
    return fail("unexpected byte order mark before the JSON value");
  }
  // The parser and the document's destructor are iterative, so even a
  // hostile nesting depth costs linear time and no stack.
  const std::optional<std::string> escaped = escape_raw_controls(text);
  if (escaped) text = *escaped;
  Json root;
  try {
    root = Json::parse(text.begin(), text.end());
  } catch (const Json::exception& e) {
    return fail(e.what());
  }

  LayoutGraph graph;
  const std::string* bb_text = string_member(root, "bb");
  if (!bb_text) return fail("missing top-level 'bb' field");
  auto bb = parse_bb(*bb_text);
  if (!bb) return fail(std::move(bb.error()));
  graph.bb = *bb;

  const auto objects = optional_array(root, "objects", "missing 'objects' array");
  if (!objects) return std::unexpected(objects.error());
  // dot lists its subgraphs first and counts them here; an empty subgraph
  // has no "nodes" member, so the count is what marks it.
  const std::optional<std::uint64_t> subgraph_count =
      id_member(root, "_subgraph_cnt");
  GvidMap ids;
  if (*objects) {
    ids.reserve((*objects)->size());
    std::uint64_t index = 0;
    for (const Json& object : **objects) {
      const bool subgraph = member(object, "nodes") != nullptr ||
                            (subgraph_count && index < *subgraph_count);
      ++index;
      auto read = subgraph ? read_cluster(object, graph)
                           : read_node(object, graph, ids);
      if (!read) return std::unexpected(std::move(read.error()));
    }
  }

  const auto edges = optional_array(root, "edges", "missing 'edges' array");
  if (!edges) return std::unexpected(edges.error());
  if (*edges) {
    graph.edges.reserve((*edges)->size());
    for (const Json& object : **edges) {
      auto read = read_edge(object, graph, ids);
      if (!read) return std::unexpected(std::move(read.error()));
    }
  }
  return graph;
}

}  // namespace vantri
