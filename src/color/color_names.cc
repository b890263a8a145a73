// The name table, sorted by name for binary search.
#include "color/color_names.h"

#include <algorithm>
#include <array>

namespace vantri {
namespace {

struct NamedColor {
  std::string_view name;
  Rgb rgb;
};

constexpr std::array kNames = std::to_array<NamedColor>({
    {"aliceblue", {240, 248, 255}},
    {"azure", {240, 255, 255}},
    {"beige", {245, 245, 220}},
    {"black", {0, 0, 0}},
    {"blue", {0, 0, 255}},
    {"brown", {165, 42, 42}},
    {"coral", {255, 127, 80}},
    {"cyan", {0, 255, 255}},
    {"darkblue", {0, 0, 139}},
    {"darkgray", {169, 169, 169}},
    {"darkgreen", {0, 100, 0}},
    {"darkgrey", {169, 169, 169}},
    {"darkred", {139, 0, 0}},
    {"gold", {255, 215, 0}},
    {"gray", {128, 128, 128}},
    {"green", {0, 128, 0}},
    {"grey", {128, 128, 128}},
    {"honeydew", {240, 255, 240}},
    {"ivory", {255, 255, 240}},
    {"khaki", {240, 230, 140}},
    {"lavender", {230, 230, 250}},
    {"lightblue", {173, 216, 230}},
    {"lightcyan", {224, 255, 255}},
    {"lightgray", {211, 211, 211}},
    {"lightgreen", {144, 238, 144}},
    {"lightgrey", {211, 211, 211}},
    {"lightpink", {255, 182, 193}},
    {"lightsalmon", {255, 160, 122}},
    {"lightyellow", {255, 255, 224}},
    {"linen", {250, 240, 230}},
    {"magenta", {255, 0, 255}},
    {"maroon", {128, 0, 0}},
    {"mintcream", {245, 255, 250}},
    {"mistyrose", {255, 228, 225}},
    {"navy", {0, 0, 128}},
    {"olive", {128, 128, 0}},
    {"orange", {255, 165, 0}},
    {"orchid", {218, 112, 214}},
    {"palegreen", {152, 251, 152}},
    {"paleturquoise", {175, 238, 238}},
    {"pink", {255, 192, 203}},
    {"plum", {221, 160, 221}},
    {"purple", {128, 0, 128}},
    {"red", {255, 0, 0}},
    {"salmon", {250, 128, 114}},
    {"seashell", {255, 245, 238}},
    {"sienna", {160, 82, 45}},
    {"snow", {255, 250, 250}},
    {"tan", {210, 180, 140}},
    {"teal", {0, 128, 128}},
    {"tomato", {255, 99, 71}},
    {"turquoise", {64, 224, 208}},
    {"violet", {238, 130, 238}},
    {"wheat", {245, 222, 179}},
    {"white", {255, 255, 255}},
    {"yellow", {255, 255, 0}},
});

constexpr bool by_name(const NamedColor& a, const NamedColor& b) {
  return a.name < b.name;
}

static_assert(kNames.size() == 56);
static_assert(std::ranges::is_sorted(kNames, by_name));
static_assert(std::ranges::max(kNames, {}, [](const NamedColor& c) {
                return c.name.size();
              }).name.size() == kLongestColorName);

}  // namespace

std::optional<Rgb> color_by_name(std::string_view lower_name) {
  const auto it = std::ranges::lower_bound(kNames, lower_name, {},
                                           &NamedColor::name);
  if (it == kNames.end() || it->name != lower_name) return std::nullopt;
  return it->rgb;
}

}  // namespace vantri
