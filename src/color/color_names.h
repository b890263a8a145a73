// The colour names a fill colour may use, with their CSS/SVG values.
#ifndef VANTRI_COLOR_COLOR_NAMES_H_
#define VANTRI_COLOR_COLOR_NAMES_H_

#include <cstddef>
#include <optional>
#include <string_view>

#include "color/color.h"

namespace vantri {

/// The colour of a lower-case name, or nothing for an unknown name.
std::optional<Rgb> color_by_name(std::string_view lower_name);

/// Length in bytes of the longest known name.
inline constexpr std::size_t kLongestColorName = 13;

}  // namespace vantri

#endif  // VANTRI_COLOR_COLOR_NAMES_H_
