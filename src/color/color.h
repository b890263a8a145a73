// Reading Graphviz fill colours and classifying them for the terminal.
//
// A colour is either shown as an ANSI foreground colour on a node's border
// or, without escape sequences, as one of seven line styles of the box.
// All operations are total: unrecognised text reads as light grey.
#ifndef VANTRI_COLOR_COLOR_H_
#define VANTRI_COLOR_COLOR_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantri {

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

/// The SGR sequences the output uses.
enum class AnsiColor : std::uint8_t {
  Red,
  Yellow,
  BrightYellow,
  Green,
  Cyan,
  Blue,
  Magenta,
  White,
  BrightBlack,
  Reset,
};

/// ESC "[31m" and so on.
std::string_view ansi_sequence(AnsiColor color);

/// Start and end sequence around coloured text; both empty for no colour.
struct AnsiPair {
  std::string_view prefix;
  std::string_view suffix;
  friend bool operator==(const AnsiPair&, const AnsiPair&) = default;
};

/// Six characters: top-left, horizontal, top-right, vertical, bottom-left,
/// bottom-right.
struct BoxStyle {
  char32_t top_left;
  char32_t horizontal;
  char32_t top_right;
  char32_t vertical;
  char32_t bottom_left;
  char32_t bottom_right;
  friend bool operator==(const BoxStyle&, const BoxStyle&) = default;

  static const BoxStyle Light;
  static const BoxStyle LightDoubleDash;
  static const BoxStyle LightTripleDash;
  static const BoxStyle Heavy;
  static const BoxStyle HeavyDoubleDash;
  static const BoxStyle HeavyTripleDash;
  static const BoxStyle Dotted;
};

inline constexpr BoxStyle BoxStyle::Light{U'┌', U'─', U'┐', U'│', U'└', U'┘'};
inline constexpr BoxStyle BoxStyle::LightDoubleDash{U'┌', U'╌', U'┐',
                                                    U'╎', U'└', U'┘'};
inline constexpr BoxStyle BoxStyle::LightTripleDash{U'┌', U'┄', U'┐',
                                                    U'┆', U'└', U'┘'};
inline constexpr BoxStyle BoxStyle::Heavy{U'┏', U'━', U'┓', U'┃', U'┗', U'┛'};
inline constexpr BoxStyle BoxStyle::HeavyDoubleDash{U'┏', U'╍', U'┓',
                                                    U'╏', U'┗', U'┛'};
inline constexpr BoxStyle BoxStyle::HeavyTripleDash{U'┏', U'┅', U'┓',
                                                    U'┇', U'┗', U'┛'};
inline constexpr BoxStyle BoxStyle::Dotted{U'‥', U'‥', U'‥', U'‥', U'‥', U'‥'};

/// A "#rrggbb" value or one of the known colour names; anything else is
/// (200, 200, 200).
Rgb parse_color(std::string_view text);

/// The ANSI colour of a fill colour; empty for none, white and near-white.
AnsiPair ansi_for(const std::optional<std::string>& color);

/// The box style of a fill colour; `Light` when there is none.
BoxStyle box_style_for(const std::optional<std::string>& color);

}  // namespace vantri

#endif  // VANTRI_COLOR_COLOR_H_
