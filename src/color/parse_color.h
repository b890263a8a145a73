// Reading a Graphviz colour value into red, green and blue.
//
// Total: anything unrecognised reads as light grey.
#ifndef VANTRI_COLOR_PARSE_COLOR_H_
#define VANTRI_COLOR_PARSE_COLOR_H_

#include <string_view>

#include "color/color.h"

namespace vantri {

/// A "#rrggbb" value or one of the known colour names; anything else is
/// (200, 200, 200).
Rgb parse_color(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_COLOR_PARSE_COLOR_H_
