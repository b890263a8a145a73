// Tests of reading colour values: hex forms, names, letter case.
#include <gtest/gtest.h>

#include <string>

#include "color/parse_color.h"

namespace vantri {
namespace {

constexpr Rgb kUnknown{200, 200, 200};

TEST(ParseColor, HexValues) {
  EXPECT_EQ(parse_color("#FF0000"), (Rgb{255, 0, 0}));
  EXPECT_EQ(parse_color("#ff0000"), (Rgb{255, 0, 0}));
  EXPECT_EQ(parse_color("#1a2B3c"), (Rgb{0x1a, 0x2b, 0x3c}));
  EXPECT_EQ(parse_color("#000000"), (Rgb{0, 0, 0}));
  // A pair may be a plus sign and a single digit.
  EXPECT_EQ(parse_color("#+f+0+A"), (Rgb{15, 0, 10}));
  EXPECT_EQ(parse_color("#+9ff+1"), (Rgb{9, 255, 1}));
}

TEST(ParseColor, MalformedHexIsLightGrey) {
  for (const char* text :
       {"#f00", "#ff00000", "#ff000", "#gg0000", "#ff00g0", "ff0000x",
        "#", "#-10000", "#++0000", "#0+0000", "# 00000", "#ff 000"}) {
    EXPECT_EQ(parse_color(text), kUnknown) << text;
  }
}

TEST(ParseColor, NamesIgnoreLetterCase) {
  EXPECT_EQ(parse_color("red"), (Rgb{255, 0, 0}));
  EXPECT_EQ(parse_color("RED"), (Rgb{255, 0, 0}));
  EXPECT_EQ(parse_color("Red"), (Rgb{255, 0, 0}));
  EXPECT_EQ(parse_color("gray"), (Rgb{128, 128, 128}));
  EXPECT_EQ(parse_color("Grey"), (Rgb{128, 128, 128}));
  EXPECT_EQ(parse_color("green"), (Rgb{0, 128, 0}));
  EXPECT_EQ(parse_color("darkgreen"), (Rgb{0, 100, 0}));
  EXPECT_EQ(parse_color("LightGray"), (Rgb{211, 211, 211}));
  EXPECT_EQ(parse_color("PaleTurquoise"), (Rgb{175, 238, 238}));
}

TEST(ParseColor, EveryKnownNameIsFound) {
  const char* names[] = {
      "red", "tan", "blue", "cyan", "pink", "gray", "grey", "gold", "plum",
      "teal", "navy", "snow", "black", "white", "green", "brown", "wheat",
      "coral", "khaki", "olive", "beige", "ivory", "linen", "azure", "yellow",
      "orange", "purple", "salmon", "tomato", "orchid", "violet", "maroon",
      "sienna", "magenta", "darkred", "darkgray", "darkgrey", "darkblue",
      "lavender", "honeydew", "seashell", "lightgray", "lightgrey",
      "darkgreen", "lightblue", "lightpink", "lightcyan", "palegreen",
      "turquoise", "aliceblue", "mintcream", "mistyrose", "lightgreen",
      "lightyellow", "lightsalmon", "paleturquoise"};
  for (const char* name : names) {
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(c - 'a' + 'A');
    EXPECT_NE(parse_color(name), kUnknown) << name;
    EXPECT_EQ(parse_color(upper), parse_color(name)) << name;
  }
}

TEST(ParseColor, UnknownNamesAreLightGrey) {
  for (const char* text :
       {"", "fancy", " red", "red ", "re d", "darkseagreen" /* 12 letters */,
        "mediumvioletred", "lightgoldenrodyellow", "paleturquoisex",
        "redd", "re\xff", "rgb(1,2,3)"}) {
    EXPECT_EQ(parse_color(text), kUnknown) << text;
  }
}

TEST(ParseColor, UnicodeLowerCasing) {
  // U+212A KELVIN SIGN lowers to an ASCII k.
  EXPECT_EQ(parse_color("blac\u212A"), (Rgb{0, 0, 0}));
  EXPECT_EQ(parse_color("\u212Ahaki"), (Rgb{240, 230, 140}));
  // U+0130 lowers to i and a combining dot, which matches no name.
  EXPECT_EQ(parse_color("p\u0130nk"), kUnknown);
  EXPECT_EQ(parse_color("wh\u0130te"), kUnknown);
  // Other non-ASCII letters lower to themselves or other non-ASCII text.
  EXPECT_EQ(parse_color("r\u00c9d"), kUnknown);
  EXPECT_EQ(parse_color("\uff32ed"), kUnknown);  // fullwidth R
}

}  // namespace
}  // namespace vantri
