// Parsing of json0 bounding boxes, points and splines.
#include "graphviz/json0_values.h"

#include <array>

#include "graphviz/float_syntax.h"
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

std::string quoted(std::string_view text) {
  std::string out = "'";
  out += text;
  out += '\'';
  return out;
}

}  // namespace

std::expected<BoundingBox, std::string> parse_bb(std::string_view text) {
  const std::vector<std::string_view> pieces = split_commas(text);
  if (pieces.size() != 4) {
    return std::unexpected("invalid bb format: " + quoted(text) +
                           " (expected 4 comma-separated values)");
  }
  std::array<double, 4> values{};
  for (std::size_t i = 0; i < 4; ++i) {
    auto value = parse_float(trim_white_space(pieces[i]));
    if (!value) {
      return std::unexpected("invalid bb component " + std::to_string(i) +
                             ": " + quoted(pieces[i]) + ": " + value.error());
    }
    values[i] = *value;
  }
  return BoundingBox{values[0], values[1], values[2], values[3]};
}

std::expected<Point, std::string> parse_point(std::string_view text) {
  const std::vector<std::string_view> pieces = split_commas(text);
  if (pieces.size() != 2) {
    return std::unexpected("invalid pos format: " + quoted(text) +
                           " (expected 'x,y')");
  }
  auto x = parse_float(trim_white_space(pieces[0]));
  if (!x) {
    return std::unexpected("invalid pos x: " + quoted(pieces[0]) + ": " +
                           x.error());
  }
  auto y = parse_float(trim_white_space(pieces[1]));
  if (!y) {
    return std::unexpected("invalid pos y: " + quoted(pieces[1]) + ": " +
                           y.error());
  }
  return Point{*x, *y};
}

std::expected<Spline, std::string> parse_spline(std::string_view text) {
  Spline spline;
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

  std::size_t i = 0;
  std::size_t token_start = std::string_view::npos;
  while (i < text.size()) {
    const std::size_t at = i;
    const bool blank = is_white_space(next_code_point(text, i));
    if (!blank && token_start == std::string_view::npos) token_start = at;
    if (blank && token_start != std::string_view::npos) {
      if (auto error = take(text.substr(token_start, at - token_start))) {
        return std::unexpected(std::move(*error));
      }
      token_start = std::string_view::npos;
    }
  }
  if (token_start != std::string_view::npos) {
    if (auto error = take(text.substr(token_start))) {
      return std::unexpected(std::move(*error));
    }
  }
  return spline;
}

}  // namespace vantri
