// Parsing of json0 bounding boxes, points and splines.
#include "graphviz/json0_values.h"

#include <algorithm>
#include <array>

#include "graphviz/float_syntax.h"
#include "messages/messages.h"
#include "text/utf8.h"

namespace vantri {
namespace {

// `text` split at every comma; empty pieces count.
std::vector<std::string_view> split_commas(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != text.npos;
       start = comma + 1) {
    pieces.push_back(text.substr(start, comma - start));
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

// trim_white_space, without its decoding when both ends are plain ASCII
// characters other than white space, as they are in every number dot writes.
std::string_view trimmed(std::string_view piece) {
  const auto plain = [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b > 0x20 && b < 0x7F;
  };
  if (!piece.empty() && plain(piece.front()) && plain(piece.back())) return piece;
  return trim_white_space(piece);
}

}  // namespace

std::expected<BoundingBox, std::string> parse_bb(std::string_view text) {
  const std::vector<std::string_view> pieces = split_commas(text);
  if (pieces.size() != 4) {
    return std::unexpected(messages::bb_malformed(text));
  }
  std::array<double, 4> values{};
  for (std::size_t i = 0; i < 4; ++i) {
    auto value = parse_float(trimmed(pieces[i]));
    if (!value) {
      return std::unexpected(messages::bb_component_invalid(i, pieces[i], value.error()));
    }
    values[i] = *value;
  }
  return BoundingBox{values[0], values[1], values[2], values[3]};
}

std::expected<Point, std::string> parse_point(std::string_view text) {
  // Exactly one comma: two pieces. Splines hold thousands of points, so no
  // list of pieces is built.
  const std::size_t comma = text.find(',');
  if (comma == text.npos || text.find(',', comma + 1) != text.npos) {
    return std::unexpected(messages::point_malformed(text));
  }
  const std::array<std::string_view, 2> pieces = {text.substr(0, comma),
                                                  text.substr(comma + 1)};
  auto x = parse_float(trimmed(pieces[0]));
  if (!x) {
    return std::unexpected(messages::coordinate_invalid("x", pieces[0], x.error()));
  }
  auto y = parse_float(trimmed(pieces[1]));
  if (!y) {
    return std::unexpected(messages::coordinate_invalid("y", pieces[1], y.error()));
  }
  return Point{*x, *y};
}

std::expected<Spline, std::string> parse_spline(std::string_view text) {
  Spline spline;
  // One point per blank-separated token, as dot writes them: one allocation.
  // A point takes at least four bytes with its blank, which bounds the room
  // a text of mostly blanks could ask for.
  const auto blanks = static_cast<std::size_t>(std::count(text.begin(), text.end(), ' '));
  spline.points.reserve(std::min(blanks, text.size() / 4) + 1);
  // Reads one token; the arrow tips carry a two-byte "e,"/"s," prefix.
  const auto take = [&spline](std::string_view token) -> std::optional<std::string> {
    std::optional<Point>* tip = nullptr;
    if (token.starts_with("e,")) {
      tip = &spline.end_point;
    } else if (token.starts_with("s,")) {
      tip = &spline.start_point;
    }
    auto point = parse_point(tip ? token.substr(2) : token);
    if (!point) return std::move(point.error());
    if (tip) {
      *tip = *point;
    } else {
      spline.points.push_back(*point);
    }
    return std::nullopt;
  };

  // Tokens are the runs between blanks (white space, ASCII or not).
  const auto blank_at = [&text](std::size_t& i) {
    const auto first = static_cast<unsigned char>(text[i]);
    if (first < 0x80) {  // is_white_space of an ASCII character
      ++i;
      return first == ' ' || (first >= 0x09 && first <= 0x0D);
    }
    return is_white_space(next_code_point(text, i));
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t token_start = i;
    std::size_t token_end = text.size();
    if (blank_at(i)) continue;
    while (i < text.size()) {
      const std::size_t at = i;
      if (blank_at(i)) {
        token_end = at;
        break;
      }
    }
    if (auto error = take(text.substr(token_start, token_end - token_start))) {
      return std::unexpected(std::move(*error));
    }
  }
  return spline;
}

}  // namespace vantri
