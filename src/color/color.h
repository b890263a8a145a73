// The colour types: how fill colours show, RGB values, the ANSI colours and
// the seven box styles.
//
// A colour is either shown as an ANSI foreground colour on a node's border
// or, without escape sequences, as one of seven line styles of the box.
#ifndef VANTRI_COLOR_COLOR_H_
#define VANTRI_COLOR_COLOR_H_

#include <cstdint>
#include <string_view>

namespace vantri {

/// How node fill colours show in the drawing.
enum class ColorMode : std::uint8_t {
  /// Every box light, no escape sequences.
  Off = 0,
  /// Each box drawn in the line style of its fill colour.
  BoxStyles = 1,
  /// Every box light, coloured borders wrapped in ANSI sequences.
  Ansi = 2,
};

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

}  // namespace vantri

#endif  // VANTRI_COLOR_COLOR_H_
