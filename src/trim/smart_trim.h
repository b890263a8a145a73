// Word selection of the "smart" trimming strategy.
//
// Identifiers such as get_user_by_id are shortened by keeping whole
// underscore-separated words from both ends, taken greedily and alternately
// (front first) while they fit beside the ellipsis.
#ifndef VANTRI_TRIM_SMART_TRIM_H_
#define VANTRI_TRIM_SMART_TRIM_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vantri {

/// `label` shortened to whole words around "...", using at most `budget`
/// columns of the label (separators included). Nothing when the label has no
/// "_" or no word fits; the caller then cuts in the middle instead.
std::optional<std::string> smart_trim(std::string_view label,
                                      std::size_t budget);

}  // namespace vantri

#endif  // VANTRI_TRIM_SMART_TRIM_H_
