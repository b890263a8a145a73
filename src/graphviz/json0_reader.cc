// The json0 document walk: objects to nodes and clusters, then edges.
//
// The JSON parser streams its events into a Collector, which keeps only the
// members the drawing reads: a few of the root's ("bb", "_subgraph_cnt",
// "objects", "edges", the graph's kind, rank direction and title), and a
// handful of members of each element of the two arrays.
// Everything else, however large or deep, is skipped as it streams past.
// The checks run once the whole text has parsed, in the same order and with
// the same outcome as a walk over the complete document tree: a syntax error
// anywhere wins, the last of repeated keys counts, and "objects" is read
// before "edges" whatever order they come in.
#include "graphviz/json0_reader.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "graphviz/float_syntax.h"
#include "graphviz/json0_values.h"
#include "graphviz/label_text.h"
#include "graphviz/plain_json.h"
#include "messages/messages.h"

namespace vantri {
namespace {

using Json = nlohmann::json;

// The element members the reader looks at.
enum class Field : std::uint8_t {
  Gvid, Name, Label, Pos, Width, Height, Shape, Fillcolor, Bb, Nodes, Tail, Head, Lp,
  Rects, Style, Xlabel, Xlp, Dir, Arrowhead, Arrowtail, Headlabel, Taillabel, HeadLp,
  TailLp, Tailport, Headport, Color, Fontcolor, Pencolor, Penwidth,
  Other,
};
constexpr std::size_t kFieldCount = static_cast<std::size_t>(Field::Other);

Field field_of(std::string_view key) {
  // By first letter: every key of every element passes here.
  if (key.empty()) return Field::Other;
  const auto is = [&key](std::string_view name, Field field) {
    return key == name ? std::optional<Field>(field) : std::nullopt;
  };
  std::optional<Field> found;
  switch (key.front()) {
    case '_': found = is("_gvid", Field::Gvid); break;
    case 'a': found = is("arrowhead", Field::Arrowhead).or_else([&] { return is("arrowtail", Field::Arrowtail); }); break;
    case 'b': found = is("bb", Field::Bb); break;
    case 'c': found = is("color", Field::Color); break;
    case 'd': found = is("dir", Field::Dir); break;
    case 'f': found = is("fillcolor", Field::Fillcolor).or_else([&] { return is("fontcolor", Field::Fontcolor); }); break;
    case 'h':
      found = is("height", Field::Height)
                  .or_else([&] { return is("head", Field::Head); })
                  .or_else([&] { return is("headlabel", Field::Headlabel); })
                  .or_else([&] { return is("head_lp", Field::HeadLp); })
                  .or_else([&] { return is("headport", Field::Headport); });
      break;
    case 'l': found = is("label", Field::Label).or_else([&] { return is("lp", Field::Lp); }); break;
    case 'n': found = is("name", Field::Name).or_else([&] { return is("nodes", Field::Nodes); }); break;
    case 'p':
      found = is("pos", Field::Pos)
                  .or_else([&] { return is("pencolor", Field::Pencolor); })
                  .or_else([&] { return is("penwidth", Field::Penwidth); });
      break;
    case 'r': found = is("rects", Field::Rects); break;
    case 's': found = is("shape", Field::Shape).or_else([&] { return is("style", Field::Style); }); break;
    case 't':
      found = is("tail", Field::Tail)
                  .or_else([&] { return is("taillabel", Field::Taillabel); })
                  .or_else([&] { return is("tail_lp", Field::TailLp); })
                  .or_else([&] { return is("tailport", Field::Tailport); });
      break;
    case 'w': found = is("width", Field::Width); break;
    case 'x': found = is("xlabel", Field::Xlabel).or_else([&] { return is("xlp", Field::Xlp); }); break;
    default: break;
  }
  return found.value_or(Field::Other);
}

// The last value a member had, as far as the reader cares: a string, a
// number written as a non-negative integer that fits 64 bits, a boolean,
// or anything else.
// A string is a view into the json0 text itself or into the strings the
// Collector keeps.
struct Value {
  enum class Type : std::uint8_t { Absent, String, Unsigned, Bool, Other };
  Type type = Type::Absent;
  std::uint64_t number = 0;  // the integer, or 1 for true
  std::string_view text;
};

// Where the members of one element of "objects" or "edges" are: 1 + the
// index of each member's value among its list's values, 0 when absent.
// Members of an element that is no object all stay absent.
using MemberSlots = std::array<std::size_t, kFieldCount>;

// One element, as the readers below see it.
struct Element {
  const MemberSlots& slots;
  std::span<const Value> values;

  const Value& operator[](Field f) const {
    static const Value kAbsent;
    const std::size_t slot = slots[static_cast<std::size_t>(f)];
    return slot != 0 ? values[slot - 1] : kAbsent;
  }
};

// Member `key` of `element` when it is a string, else null.
const std::string_view* string_member(const Element& element, Field key) {
  const Value& v = element[key];
  return v.type == Value::Type::String ? &v.text : nullptr;
}

// An id is a number written as a non-negative integer that fits 64 bits;
// fractions, signs, exponents and strings do not count.
std::optional<std::uint64_t> id_member(const Element& element, Field key) {
  const Value& v = element[key];
  if (v.type != Value::Type::Unsigned) return std::nullopt;
  return v.number;
}

// The last value of the root's "objects" or "edges": present, an array
// or not, and the elements when it is one.
struct ElementList {
  bool present = false;
  bool array = false;
  std::vector<MemberSlots> elements;
  // The values of the members the reader looks at, of all elements; an
  // element without them costs only its slots.
  std::vector<Value> values;

  // The value of member `f` of the last element, made absent when new.
  Value& member(Field f) {
    std::size_t& slot = elements.back()[static_cast<std::size_t>(f)];
    if (slot == 0) {
      values.emplace_back();
      slot = values.size();
    }
    return values[slot - 1];
  }
};

// Receives the parser's events; see the file comment. Depth 0 is outside
// the root, depth 1 inside the root, depth 2 inside "objects" or "edges",
// depth 3 inside one of their elements.
class Collector {
 public:
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  bool root_is_object = false;
  Value bb;
  Value subgraph_count;
  Value directed;
  Value strict;
  Value rankdir;
  Value label;
  Value label_pos;
  Value labelloc;
  Value fontcolor;
  ElementList objects;
  ElementList edges;
  std::optional<std::string> error;

  bool null() { return scalar(Value::Type::Other); }
  bool boolean(bool b) {
    number_ = b ? 1 : 0;
    return scalar(Value::Type::Bool);
  }
  bool number_integer(number_integer_t) { return scalar(Value::Type::Other); }
  bool number_float(number_float_t, const string_t&) { return scalar(Value::Type::Other); }
  bool number_unsigned(number_unsigned_t n) {
    number_ = n;
    return scalar(Value::Type::Unsigned);
  }
  bool string(string_t& s) {
    // Kept only when stored: most strings belong to members nobody reads.
    pending_ = &s;
    return scalar(Value::Type::String);
  }
  bool string_in_text(std::string_view s) {
    in_text_ = s;
    pending_ = nullptr;
    return scalar(Value::Type::String);
  }
  bool binary(binary_t&) { return scalar(Value::Type::Other); }

  bool start_object(std::size_t) { return open(true); }
  bool start_array(std::size_t) { return open(false); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }

  bool key(string_t& k) { return key_in_text(k); }
  bool key_in_text(std::string_view k) {
    if (depth_ == 1) {
      root_key_ = k == "bb"              ? RootKey::Bb
                  : k == "_subgraph_cnt" ? RootKey::SubgraphCount
                  : k == "objects"       ? RootKey::Objects
                  : k == "edges"         ? RootKey::Edges
                  : k == "directed"      ? RootKey::Directed
                  : k == "strict"        ? RootKey::Strict
                  : k == "rankdir"       ? RootKey::Rankdir
                  : k == "label"         ? RootKey::Label
                  : k == "lp"            ? RootKey::Lp
                  : k == "labelloc"      ? RootKey::Labelloc
                  : k == "fontcolor"     ? RootKey::Fontcolor
                                         : RootKey::Other;
    } else if (depth_ == 3) {
      field_ = field_of(k);
    }
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
    error = e.what();
    return false;
  }

 private:
  enum class RootKey : std::uint8_t {
    Bb, SubgraphCount, Objects, Edges, Directed, Strict, Rankdir, Label, Lp, Labelloc,
    Fontcolor, Other,
  };

  // A value of a root member, a new element, or an element's member.
  // `type` is Other for a container; `array` tells an array from the rest.
  void value(Value::Type type, bool array) {
    if (depth_ == 0) return;
    if (depth_ == 1) {
      if (!root_is_object) return;
      switch (root_key_) {
        case RootKey::Bb: store(bb, type); break;
        case RootKey::SubgraphCount: store(subgraph_count, type); break;
        case RootKey::Directed: store(directed, type); break;
        case RootKey::Strict: store(strict, type); break;
        case RootKey::Rankdir: store(rankdir, type); break;
        case RootKey::Label: store(label, type); break;
        case RootKey::Lp: store(label_pos, type); break;
        case RootKey::Labelloc: store(labelloc, type); break;
        case RootKey::Fontcolor: store(fontcolor, type); break;
        case RootKey::Objects: restart(objects, array); break;
        case RootKey::Edges: restart(edges, array); break;
        case RootKey::Other: break;
      }
      return;
    }
    if (depth_ == 2) {
      if (list_) list_->elements.emplace_back();
      return;
    }
    if (depth_ == 3 && list_ && element_is_object_ && field_ != Field::Other) {
      store(list_->member(field_), type);
    }
  }

  void store(Value& v, Value::Type type) {
    v.type = type;
    if (type == Value::Type::Unsigned || type == Value::Type::Bool) v.number = number_;
    if (type == Value::Type::String) {
      if (pending_) {
        in_text_ = kept_.emplace_back(std::move(*pending_));
        pending_ = nullptr;
      }
      v.text = in_text_;
    }
  }

  void restart(ElementList& list, bool array) {
    list.present = true;
    list.array = array;
    list.elements.clear();
    list.values.clear();
  }

  bool scalar(Value::Type type) {
    value(type, false);
    return true;
  }

  bool open(bool object) {
    value(Value::Type::Other, !object);
    if (depth_ == 0) {
      root_is_object = object;
    } else if (depth_ == 1 && root_is_object && !object) {
      if (root_key_ == RootKey::Objects) list_ = &objects;
      if (root_key_ == RootKey::Edges) list_ = &edges;
    } else if (depth_ == 2 && list_) {
      element_is_object_ = object;
    }
    ++depth_;
    return true;
  }

  bool close() {
    --depth_;
    if (depth_ == 1) list_ = nullptr;
    return true;
  }

  std::size_t depth_ = 0;
  RootKey root_key_ = RootKey::Other;
  Field field_ = Field::Other;
  ElementList* list_ = nullptr;  // the array being read at depth 2 and below
  bool element_is_object_ = false;
  number_unsigned_t number_ = 0;
  // The string being reported: the parser's, to be kept when stored, or
  // else a view into the text.
  string_t* pending_ = nullptr;
  std::string_view in_text_;
  // The strings of stored values that are no views into the text; a deque
  // never moves them.
  std::deque<std::string> kept_;
};

NodeShape shape_of(const std::string_view* shape) {
  if (!shape) return NodeShape::Other;
  if (*shape == "box" || *shape == "rect" || *shape == "rectangle") {
    return NodeShape::Box;
  }
  if (*shape == "doublecircle") return NodeShape::DoubleCircle;
  if (*shape == "point") return NodeShape::Point;
  if (*shape == "record") return NodeShape::Record;
  if (*shape == "Mrecord") return NodeShape::MRecord;
  if (*shape == "plaintext" || *shape == "plain" || *shape == "none") return NodeShape::Plain;
  return NodeShape::Other;
}

// Whether a "style" list (comma-separated, with blanks allowed) names
// `wanted`.
bool has_style(const std::string_view* style, std::string_view wanted) {
  if (!style) return false;
  std::string_view rest = *style;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    std::string_view item = rest.substr(0, comma);
    while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
    if (item == wanted) return true;
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return false;
}

bool is_invisible(const std::string_view* style) { return has_style(style, "invis"); }

// An edge's line: the first of dashed, dotted and bold its style names, or
// bold for a pen at least 2 points wide.
LineStyle line_style_of(const std::string_view* style, const std::string_view* penwidth) {
  if (has_style(style, "dashed")) return LineStyle::Dashed;
  if (has_style(style, "dotted")) return LineStyle::Dotted;
  if (has_style(style, "bold")) return LineStyle::Bold;
  if (penwidth) {
    const auto width = parse_float(*penwidth);
    if (width && *width >= 2.0) return LineStyle::Bold;
  }
  return LineStyle::Solid;
}

// A decoration's position: absent when missing or unreadable, since a
// label placed elsewhere is no reason to refuse the whole drawing.
std::optional<Point> optional_point(const Element& element, Field key) {
  const std::string_view* text = string_member(element, key);
  if (!text) return std::nullopt;
  auto point = parse_point(*text);
  if (!point) return std::nullopt;
  return *point;
}

// A text member that counts only when it is a non-empty string.
std::optional<std::string> optional_text(const Element& element, Field key) {
  const std::string_view* text = string_member(element, key);
  if (!text || text->empty()) return std::nullopt;
  return std::string(*text);
}

// The record fields' rectangles: "x0,y0,x1,y1" boxes separated by blanks.
// Unreadable text gives none, and the node is drawn as a plain box.
std::vector<BoundingBox> read_rects(const std::string_view* text) {
  std::vector<BoundingBox> rects;
  if (!text) return rects;
  std::string_view rest = *text;
  while (!rest.empty()) {
    const std::size_t blank = rest.find(' ');
    const std::string_view item = rest.substr(0, blank);
    if (!item.empty()) {
      auto bb = parse_bb(item);
      if (!bb) return {};
      rects.push_back(*bb);
    }
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
  return rects;
}

RankDir rankdir_of(std::string_view text) {
  if (text == "LR") return RankDir::LeftToRight;
  if (text == "BT") return RankDir::BottomToTop;
  if (text == "RL") return RankDir::RightToLeft;
  return RankDir::TopToBottom;
}

std::unexpected<LayoutError> fail(std::string message) {
  return std::unexpected(LayoutError::parse(std::move(message)));
}

std::unexpected<LayoutError> fail(std::string_view message) { return fail(std::string(message)); }

// The elements of an optional root array: absent means empty (dot leaves
// out "objects" for an empty graph and "edges" for a graph without edges).
std::expected<const std::vector<MemberSlots>*, LayoutError> optional_array(
    const ElementList& list, std::string_view member) {
  if (!list.present) return nullptr;
  if (!list.array) return fail(messages::member_not_array(member));
  return &list.elements;
}

using GvidMap = std::unordered_map<std::uint64_t, std::size_t>;

std::expected<void, LayoutError> read_cluster(const Element& object,
                                              LayoutGraph& graph) {
  const std::string_view* bb_text = string_member(object, Field::Bb);
  if (!bb_text) return {};  // dot gives a "bb" to clusters only
  auto bb = parse_bb(*bb_text);
  if (!bb) return fail(std::move(bb.error()));
  const std::string_view* label = string_member(object, Field::Label);
  LayoutCluster cluster{label ? std::string(*label) : std::string(), *bb};
  cluster.color = optional_text(object, Field::Pencolor);
  if (!cluster.color) cluster.color = optional_text(object, Field::Color);
  cluster.fontcolor = optional_text(object, Field::Fontcolor);
  graph.clusters.push_back(std::move(cluster));
  return {};
}

std::expected<double, LayoutError> read_size(const Element& object, Field key,
                                             const char* name, const std::string& node) {
  const std::string_view* text = string_member(object, key);
  if (!text) return fail(messages::member_missing(node, name));
  // Sizes are not trimmed: a blank makes them invalid.
  auto inches = parse_float(*text);
  if (!inches) return fail(messages::size_invalid(node, name, inches.error()));
  return *inches * 72.0;
}

std::expected<void, LayoutError> read_node(const Element& object, LayoutGraph& graph,
                                           GvidMap& ids) {
  const std::optional<std::uint64_t> gvid = id_member(object, Field::Gvid);
  if (!gvid) return fail(messages::member_missing("node", "_gvid"));
  const std::string node = messages::node_named(*gvid);

  LayoutNode result;
  result.gvid = *gvid;
  if (const std::string_view* name = string_member(object, Field::Name)) result.name = *name;
  if (const std::string_view* label = string_member(object, Field::Label)) {
    result.label = expand_label_escapes(*label, result.name ? &*result.name : nullptr);
    result.raw_label = *label;
  }

  const std::string_view* pos = string_member(object, Field::Pos);
  if (!pos) return fail(messages::member_missing(node, "pos"));
  auto point = parse_point(*pos);
  if (!point) return fail(std::move(point.error()));
  result.pos = *point;

  auto width = read_size(object, Field::Width, "width", node);
  if (!width) return std::unexpected(std::move(width.error()));
  result.width = *width;
  auto height = read_size(object, Field::Height, "height", node);
  if (!height) return std::unexpected(std::move(height.error()));
  result.height = *height;

  result.shape = shape_of(string_member(object, Field::Shape));
  if (const std::string_view* fill = string_member(object, Field::Fillcolor)) {
    result.fillcolor = std::string(*fill);
  }
  result.rects = read_rects(string_member(object, Field::Rects));
  const std::string_view* style = string_member(object, Field::Style);
  result.invisible = is_invisible(style);
  result.rounded = has_style(style, "rounded");
  result.xlabel = optional_text(object, Field::Xlabel);
  result.xlabel_pos = optional_point(object, Field::Xlp);
  result.color = optional_text(object, Field::Color);
  result.fontcolor = optional_text(object, Field::Fontcolor);

  // A repeated gvid refers to the later node from now on.
  ids[*gvid] = graph.nodes.size();
  graph.nodes.push_back(std::move(result));
  return {};
}

// Which ends of an edge get an arrowhead: "dir" (forward, back, both,
// none; by default forward in a directed graph and none in an undirected
// one), less an end whose arrow shape is "none".
void read_arrows(const Element& object, bool directed, LayoutEdge& edge) {
  const std::string_view* dir = string_member(object, Field::Dir);
  std::string_view way = directed ? "forward" : "none";
  if (dir && (*dir == "forward" || *dir == "back" || *dir == "both" || *dir == "none")) {
    way = *dir;
  }
  const std::string_view* head = string_member(object, Field::Arrowhead);
  const std::string_view* tail = string_member(object, Field::Arrowtail);
  edge.arrow_at_head = (way == "forward" || way == "both") && !(head && *head == "none");
  edge.arrow_at_tail = (way == "back" || way == "both") && !(tail && *tail == "none");
}

std::expected<void, LayoutError> read_edge(const Element& object, LayoutGraph& graph,
                                           const GvidMap& ids) {
  const std::optional<std::uint64_t> gvid = id_member(object, Field::Gvid);
  if (!gvid) return fail(messages::member_missing("edge", "_gvid"));
  const std::string edge = messages::edge_named(*gvid);
  const std::optional<std::uint64_t> tail = id_member(object, Field::Tail);
  if (!tail) return fail(messages::member_missing(edge, "tail"));
  const std::optional<std::uint64_t> head = id_member(object, Field::Head);
  if (!head) return fail(messages::member_missing(edge, "head"));

  LayoutEdge result;
  result.gvid = *gvid;
  const auto tail_index = ids.find(*tail);
  if (tail_index == ids.end()) {
    return fail(messages::end_not_found(edge, "tail", *tail));
  }
  const auto head_index = ids.find(*head);
  if (head_index == ids.end()) {
    return fail(messages::end_not_found(edge, "head", *head));
  }
  result.tail = tail_index->second;
  result.head = head_index->second;

  const std::string_view* label = string_member(object, Field::Label);
  if (label && !label->empty()) result.label = std::string(*label);
  if (const std::string_view* lp = string_member(object, Field::Lp)) {
    auto point = parse_point(*lp);
    if (!point) return fail(std::move(point.error()));
    result.label_pos = *point;
  }
  if (const std::string_view* pos = string_member(object, Field::Pos)) {
    auto spline = parse_spline(*pos);
    if (!spline) return fail(std::move(spline.error()));
    result.points = std::move(spline->points);
    result.start_point = spline->start_point;
    result.end_point = spline->end_point;
  }
  read_arrows(object, graph.directed, result);
  const std::string_view* style = string_member(object, Field::Style);
  result.invisible = is_invisible(style);
  result.line_style = line_style_of(style, string_member(object, Field::Penwidth));
  result.color = optional_text(object, Field::Color);
  result.fontcolor = optional_text(object, Field::Fontcolor);
  result.tail_port = optional_text(object, Field::Tailport);
  result.head_port = optional_text(object, Field::Headport);
  result.head_label = optional_text(object, Field::Headlabel);
  result.head_label_pos = optional_point(object, Field::HeadLp);
  result.tail_label = optional_text(object, Field::Taillabel);
  result.tail_label_pos = optional_point(object, Field::TailLp);
  result.xlabel = optional_text(object, Field::Xlabel);
  result.xlabel_pos = optional_point(object, Field::Xlp);
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

bool is_json_space(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

// Characters that end a token by themselves; white space next to one of
// them separates nothing.
bool is_delimiter(char c) {
  return c == '{' || c == '}' || c == '[' || c == ']' || c == ',' || c == ':' || c == '"';
}

// `text` with raw control characters in strings escaped (as
// escape_raw_controls does) and white space between tokens dropped,
// except for one blank where two tokens would otherwise run together.
// dot indents its json0, and the parser spends a third of its time
// stepping over that indentation. The tokens stay the same, so the result
// parses to the very same values exactly when `text` parses at all; only
// the line and column numbers in a syntax error would differ.
std::string compact_json(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = text[i];
    if (is_json_space(c)) {
      std::size_t next = i + 1;
      while (next < n && is_json_space(text[next])) ++next;
      if (!out.empty() && next < n && !is_delimiter(out.back()) && !is_delimiter(text[next])) {
        out += ' ';
      }
      i = next;
      continue;
    }
    out += c;
    ++i;
    if (c != '"') continue;
    // A string, up to its closing quote.
    while (i < n) {
      std::size_t run = i;
      while (run < n) {
        const auto b = static_cast<unsigned char>(text[run]);
        if (b == '"' || b == '\\' || b < 0x20) break;
        ++run;
      }
      out.append(text, i, run - i);
      i = run;
      if (i == n) break;
      const auto b = static_cast<unsigned char>(text[i++]);
      if (b == '"') {
        out += '"';
        break;
      }
      if (b == '\\') {
        out += '\\';
        if (i < n) out += text[i++];  // the escaped character cannot end the string
        continue;
      }
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 0xF];
    }
  }
  return out;
}

}  // namespace

std::expected<LayoutGraph, LayoutError> read_json0(std::string_view text) {
  // The JSON parser skips a leading byte order mark; json0 output has none,
  // and only JSON white space may come before the value.
  if (text.starts_with("\xEF\xBB\xBF")) {
    return fail(messages::kByteOrderMark);
  }
  // The parser is iterative, so even a hostile nesting depth costs linear
  // time and no stack.
  const auto parse = [](std::string_view json, Collector& collector) -> std::optional<std::string> {
    try {
      Json::sax_parse(json.begin(), json.end(), &collector);
    } catch (const Json::exception& e) {
      return e.what();
    }
    return std::move(collector.error);
  };
  // dot's own output is plain JSON, which the plain reader takes in one
  // quick pass; anything else goes to the full parser.
  Collector doc;
  if (!read_plain_json(text, doc)) {
    doc = Collector();
    const std::string compact = compact_json(text);
    // Without its leading white space the text could start with a byte
    // order mark, which the parser would skip.
    const bool usable = !compact.starts_with("\xEF\xBB\xBF");
    std::optional<std::string> error = usable ? parse(compact, doc) : std::nullopt;
    if (!usable || error) {
      // The message, with its line and column, comes from the text as given.
      const std::optional<std::string> escaped = escape_raw_controls(text);
      doc = Collector();
      error = parse(escaped ? std::string_view(*escaped) : text, doc);
    }
    if (error) return fail(std::move(*error));
  }

  LayoutGraph graph;
  if (!doc.root_is_object || doc.bb.type != Value::Type::String) {
    return fail(messages::kNoBoundingBox);
  }
  auto bb = parse_bb(doc.bb.text);
  if (!bb) return fail(std::move(bb.error()));
  graph.bb = *bb;
  if (doc.directed.type == Value::Type::Bool) graph.directed = doc.directed.number != 0;
  if (doc.strict.type == Value::Type::Bool) graph.strict = doc.strict.number != 0;
  if (doc.rankdir.type == Value::Type::String) graph.rankdir = rankdir_of(doc.rankdir.text);
  if (doc.label.type == Value::Type::String && !doc.label.text.empty()) {
    graph.label = std::string(doc.label.text);
    if (doc.label_pos.type == Value::Type::String) {
      if (auto point = parse_point(doc.label_pos.text)) graph.label_pos = *point;
    }
    graph.label_at_top = doc.labelloc.type == Value::Type::String &&
                         (doc.labelloc.text == "t" || doc.labelloc.text == "T");
    if (doc.fontcolor.type == Value::Type::String && !doc.fontcolor.text.empty()) {
      graph.fontcolor = std::string(doc.fontcolor.text);
    }
  }

  const auto objects = optional_array(doc.objects, "objects");
  if (!objects) return std::unexpected(objects.error());
  // dot lists its subgraphs first and counts them here; an empty subgraph
  // has no "nodes" member, so the count is what marks it.
  const bool counted = doc.subgraph_count.type == Value::Type::Unsigned;
  const std::uint64_t subgraph_count = doc.subgraph_count.number;
  GvidMap ids;
  if (*objects) {
    ids.reserve(doc.objects.elements.size());
    graph.nodes.reserve(doc.objects.elements.size());
    std::uint64_t index = 0;
    for (const MemberSlots& slots : doc.objects.elements) {
      const Element object{slots, doc.objects.values};
      const bool subgraph = object[Field::Nodes].type != Value::Type::Absent ||
                            (counted && index < subgraph_count);
      ++index;
      auto read = subgraph ? read_cluster(object, graph)
                           : read_node(object, graph, ids);
      if (!read) return std::unexpected(std::move(read.error()));
    }
  }

  const auto edges = optional_array(doc.edges, "edges");
  if (!edges) return std::unexpected(edges.error());
  if (*edges) {
    graph.edges.reserve(doc.edges.elements.size());
    for (const MemberSlots& slots : doc.edges.elements) {
      const Element object{slots, doc.edges.values};
      auto read = read_edge(object, graph, ids);
      if (!read) return std::unexpected(std::move(read.error()));
    }
  }
  return graph;
}

}  // namespace vantri
