// Tests of hue/saturation/value and the ANSI and box-style rule tables.
#include "color/classify.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vantri {
namespace {

constexpr const char* kRed = "\x1b[31m";
constexpr const char* kYellow = "\x1b[33m";
constexpr const char* kBrightYellow = "\x1b[93m";
constexpr const char* kGreen = "\x1b[32m";
constexpr const char* kCyan = "\x1b[36m";
constexpr const char* kBlue = "\x1b[34m";
constexpr const char* kMagenta = "\x1b[35m";
constexpr const char* kWhite = "\x1b[37m";
constexpr const char* kBrightBlack = "\x1b[90m";
constexpr const char* kNone = "";

TEST(Hsv, HueFromTheStrongestComponent) {
  EXPECT_EQ(hsv_of({255, 165, 0}).hue, 38);    // orange
  EXPECT_EQ(hsv_of({255, 192, 203}).hue, 349);  // pink: negative, wrapped
  EXPECT_EQ(hsv_of({0, 255, 255}).hue, 180);    // green/blue tie: green
  EXPECT_EQ(hsv_of({255, 0, 255}).hue, 300);    // red/blue tie: red
  EXPECT_EQ(hsv_of({255, 255, 0}).hue, 60);     // red/green tie: red
  EXPECT_EQ(hsv_of({0, 0, 255}).hue, 240);
  EXPECT_EQ(hsv_of({255, 131, 0}).hue, 30);  // 30.8 truncated, not rounded
  EXPECT_EQ(hsv_of({128, 128, 128}).hue, 0);

  const Hsv grey = hsv_of({128, 128, 128});
  EXPECT_DOUBLE_EQ(grey.saturation, 0.0);
  EXPECT_NEAR(grey.value, 0.502, 0.001);
  const Hsv black = hsv_of({0, 0, 0});
  EXPECT_EQ(black.saturation, 0.0);
  EXPECT_EQ(black.value, 0.0);
  EXPECT_DOUBLE_EQ(hsv_of({255, 0, 0}).saturation, 1.0);
  EXPECT_DOUBLE_EQ(hsv_of({32, 0, 0}).value, 32 / 255.0);
}

TEST(ColorClassification, NamedColours) {
  const struct {
    const char* color;
    const char* prefix;
    BoxStyle style;
  } table[] = {
      {"white", kNone, BoxStyle::Dotted},
      {"black", kBrightBlack, BoxStyle::Heavy},
      {"gray", kWhite, BoxStyle::Dotted},
      {"nonsense", kWhite, BoxStyle::Dotted},
      {"", kWhite, BoxStyle::Dotted},
      {"lightgray", kNone, BoxStyle::Dotted},
      {"red", kRed, BoxStyle::LightDoubleDash},
      {"orange", kYellow, BoxStyle::LightTripleDash},
      {"yellow", kBrightYellow, BoxStyle::LightTripleDash},
      {"green", kGreen, BoxStyle::Light},
      {"cyan", kCyan, BoxStyle::HeavyTripleDash},
      {"blue", kBlue, BoxStyle::HeavyTripleDash},
      {"magenta", kMagenta, BoxStyle::HeavyDoubleDash},
      {"pink", kRed, BoxStyle::LightDoubleDash},
      {"#200000", kRed, BoxStyle::Heavy},
      {"darkgreen", kGreen, BoxStyle::Light},
      {"#1e1919", kRed, BoxStyle::Heavy},  // dark, slightly tinted
      {"#fff0f0", kWhite, BoxStyle::Dotted},  // tinted, not near-white
      {"#fafaff", kNone, BoxStyle::Dotted},   // near-white
      {"#505050", kBrightBlack, BoxStyle::Heavy},
  };
  for (const auto& row : table) {
    const std::optional<std::string> color = row.color;
    const AnsiPair pair = ansi_for(color);
    EXPECT_EQ(pair.prefix, row.prefix) << row.color;
    EXPECT_EQ(pair.suffix, *row.prefix ? "\x1b[0m" : "") << row.color;
    EXPECT_EQ(box_style_for(color), row.style) << row.color;
  }
}

TEST(ColorClassification, AbsentColour) {
  EXPECT_EQ(ansi_for(std::nullopt), (AnsiPair{}));
  EXPECT_EQ(box_style_for(std::nullopt), BoxStyle::Light);
}

TEST(ColorClassification, AnsiHueBoundaries) {
  const struct {
    int hue;
    AnsiColor color;
  } table[] = {
      {0, AnsiColor::Red},           {15, AnsiColor::Red},
      {16, AnsiColor::Yellow},       {45, AnsiColor::Yellow},
      {46, AnsiColor::BrightYellow}, {75, AnsiColor::BrightYellow},
      {76, AnsiColor::Green},        {170, AnsiColor::Green},
      {171, AnsiColor::Cyan},        {200, AnsiColor::Cyan},
      {201, AnsiColor::Blue},        {260, AnsiColor::Blue},
      {261, AnsiColor::Magenta},     {345, AnsiColor::Magenta},
      {346, AnsiColor::Red},         {360, AnsiColor::Red},
  };
  for (const auto& row : table) {
    EXPECT_EQ(ansi_color_of({row.hue, 1.0, 1.0}), row.color) << row.hue;
  }
  // Saturation and value thresholds come before hue.
  EXPECT_EQ(ansi_color_of({0, 0.049, 0.81}), std::nullopt);
  EXPECT_EQ(ansi_color_of({0, 0.05, 0.81}), AnsiColor::White);
  EXPECT_EQ(ansi_color_of({0, 0.049, 0.8}), AnsiColor::White);
  EXPECT_EQ(ansi_color_of({0, 0.099, 0.399}), AnsiColor::BrightBlack);
  EXPECT_EQ(ansi_color_of({0, 0.099, 0.4}), AnsiColor::White);
  EXPECT_EQ(ansi_color_of({120, 0.1, 0.3}), AnsiColor::Green);
}

TEST(ColorClassification, BoxStyleBoundaries) {
  const struct {
    int hue;
    BoxStyle style;
  } table[] = {
      {0, BoxStyle::LightDoubleDash},   {30, BoxStyle::LightDoubleDash},
      {31, BoxStyle::LightTripleDash},  {60, BoxStyle::LightTripleDash},
      {61, BoxStyle::Light},            {170, BoxStyle::Light},
      {171, BoxStyle::HeavyTripleDash}, {260, BoxStyle::HeavyTripleDash},
      {261, BoxStyle::HeavyDoubleDash}, {339, BoxStyle::HeavyDoubleDash},
      {340, BoxStyle::LightDoubleDash}, {360, BoxStyle::LightDoubleDash},
  };
  for (const auto& row : table) {
    EXPECT_EQ(box_style_of({row.hue, 1.0, 1.0}), row.style) << row.hue;
  }
  EXPECT_EQ(box_style_of({120, 0.079, 0.49}), BoxStyle::Heavy);
  EXPECT_EQ(box_style_of({120, 0.079, 0.5}), BoxStyle::Dotted);
  EXPECT_EQ(box_style_of({120, 0.08, 0.5}), BoxStyle::Light);
  EXPECT_EQ(box_style_of({120, 0.29, 0.149}), BoxStyle::Heavy);
  EXPECT_EQ(box_style_of({120, 0.3, 0.149}), BoxStyle::Heavy);  // dark
  EXPECT_EQ(box_style_of({120, 0.3, 0.25}), BoxStyle::Light);
}

}  // namespace
}  // namespace vantri
