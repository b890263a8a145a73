// The record label syntax, read into fields.
#include "graphviz/record_label.h"

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "text/label_lines.h"

namespace vantri {
namespace {

// A field as written: text with its port, or a group of fields.
struct Written {
  std::string text;
  std::string port;
  std::vector<Written> group;
  bool is_group = false;
  // The text fields it holds, [first, end) in label order.
  std::size_t first_leaf = 0;
  std::size_t end_leaf = 0;
};

class RecordParser {
 public:
  RecordParser(std::string_view label, const std::string* name) : s_(label), name_(name) {}

  std::optional<std::vector<Written>> parse() {
    auto fields = list(0);
    if (!fields || i_ != s_.size()) return std::nullopt;
    return fields;
  }

  std::size_t leaves() const { return leaves_; }

 private:
  bool at_end() const { return i_ >= s_.size(); }

  void skip_blanks() {
    while (!at_end() && s_[i_] == ' ') ++i_;
  }

  // Fields separated by "|", up to "}" or the end.
  std::optional<std::vector<Written>> list(int depth) {
    std::vector<Written> fields;
    while (true) {
      auto one = field(depth);
      if (!one) return std::nullopt;
      fields.push_back(std::move(*one));
      if (at_end() || s_[i_] == '}') return fields;
      ++i_;  // the "|"
    }
  }

  std::optional<Written> field(int depth) {
    skip_blanks();
    Written out;
    if (!at_end() && s_[i_] == '{') {
      if (depth + 1 >= kMaxFieldDepth) return std::nullopt;
      ++i_;
      out.is_group = true;
      out.first_leaf = leaves_;
      auto inner = list(depth + 1);
      if (!inner || at_end()) return std::nullopt;  // no closing "}"
      ++i_;
      out.group = std::move(*inner);
      out.end_leaf = leaves_;
      skip_blanks();
      // Nothing but the next separator may follow a group.
      if (!at_end() && s_[i_] != '|' && s_[i_] != '}') return std::nullopt;
      return out;
    }
    if (!text(out)) return std::nullopt;
    out.first_leaf = leaves_++;
    out.end_leaf = leaves_;
    return out;
  }

  // A text field with its port, up to an unescaped "|" or "}".
  bool text(Written& out) {
    bool blank_pending = false;  // blanks seen since the last character
    const auto put = [&](std::string_view piece) {
      if (blank_pending) out.text += ' ';
      blank_pending = false;
      out.text += piece;
    };
    while (!at_end()) {
      const char c = s_[i_];
      if (c == '|' || c == '}') break;
      if (c == '{') return false;
      ++i_;
      if (c == ' ') {
        blank_pending = !out.text.empty() && out.text.back() != '\n';
      } else if (c == '<') {
        const std::size_t close = s_.find('>', i_);
        if (close == std::string_view::npos) return false;
        std::string_view port = s_.substr(i_, close - i_);
        while (!port.empty() && port.front() == ' ') port.remove_prefix(1);
        while (!port.empty() && port.back() == ' ') port.remove_suffix(1);
        out.port = port;
        i_ = close + 1;
      } else if (c == '\\' && !at_end()) {
        const char next = s_[i_++];
        switch (next) {
          case 'n':
          case 'l':
          case 'r':
            blank_pending = false;
            out.text += line_end(next == 'l' ? LineAlign::Left
                                 : next == 'r' ? LineAlign::Right
                                               : LineAlign::Centre);
            break;
          case 'N':
            if (name_) {
              put(*name_);
            } else {
              put("\\N");
            }
            break;
          case '{': case '}': case '|': case '<': case '>': case ' ': case '\\':
            put(std::string_view(&next, 1));
            break;
          default: {
            const char pair[2] = {'\\', next};
            put(std::string_view(pair, 2));
          }
        }
      } else {
        put(std::string_view(&c, 1));
      }
    }
    return true;
  }

  std::string_view s_;
  const std::string* name_;
  std::size_t i_ = 0;
  std::size_t leaves_ = 0;
};

BoundingBox union_of(std::span<const BoundingBox> rects) {
  BoundingBox out = rects.front();
  for (const BoundingBox& r : rects) {
    out.x0 = std::fmin(out.x0, std::fmin(r.x0, r.x1));
    out.x1 = std::fmax(out.x1, std::fmax(r.x0, r.x1));
    out.y0 = std::fmin(out.y0, std::fmin(r.y0, r.y1));
    out.y1 = std::fmax(out.y1, std::fmax(r.y0, r.y1));
  }
  return out;
}

class TreeBuilder {
 public:
  explicit TreeBuilder(std::span<const BoundingBox> rects) : rects_(rects) {}

  FieldTree grid(std::vector<Written>& fields, bool across) {
    if (fields.size() == 1 && !fields.front().is_group) return leaf(fields.front());
    if (fields.size() >= 2) {
      if (const auto read = runs_across(fields[0], fields[1])) across = *read;
    }
    FieldTree out;
    const auto count = static_cast<std::uint32_t>(fields.size());
    out.rows = across ? 1 : count;
    out.columns = across ? count : 1;
    out.items.reserve(fields.size());
    for (std::uint32_t k = 0; k < count; ++k) {
      Written& f = fields[k];
      FieldItem item;
      item.row = across ? 0 : k;
      item.column = across ? k : 0;
      item.field = f.is_group ? grid(f.group, !across) : leaf(f);
      out.items.push_back(std::move(item));
    }
    return out;
  }

 private:
  static FieldTree leaf(Written& f) {
    FieldTree out;
    out.text = std::move(f.text);
    out.port = std::move(f.port);
    return out;
  }

  // Whether `b` lies beside `a` rather than under it, by the centres of
  // their rectangles; nothing without rectangles for them.
  std::optional<bool> runs_across(const Written& a, const Written& b) const {
    if (a.first_leaf >= a.end_leaf || b.first_leaf >= b.end_leaf ||
        b.end_leaf > rects_.size()) {
      return std::nullopt;
    }
    const BoundingBox ra = union_of(rects_.subspan(a.first_leaf, a.end_leaf - a.first_leaf));
    const BoundingBox rb = union_of(rects_.subspan(b.first_leaf, b.end_leaf - b.first_leaf));
    const double dx = std::fabs((rb.x0 + rb.x1) - (ra.x0 + ra.x1));
    const double dy = std::fabs((rb.y0 + rb.y1) - (ra.y0 + ra.y1));
    if (!std::isfinite(dx) || !std::isfinite(dy) || dx == dy) return std::nullopt;
    return dx > dy;
  }

  std::span<const BoundingBox> rects_;
};

}  // namespace

std::optional<FieldTree> parse_record_label(std::string_view label,
                                            const std::string* name, bool top_down,
                                            std::span<const BoundingBox> rects) {
  RecordParser parser(label, name);
  auto fields = parser.parse();
  if (!fields) return std::nullopt;
  // Rectangles that do not match the fields one to one tell nothing.
  if (rects.size() != parser.leaves()) rects = {};
  return TreeBuilder(rects).grid(*fields, !top_down);
}

}  // namespace vantri
