// The one number syntax of Graphviz's json0 attribute strings.
//
// Sizes, bounding boxes and coordinates all arrive as text; they share a
// strict syntax (no whitespace, no hexadecimal, no digit separators) and
// are converted to the nearest double, independently of the process locale.
#ifndef VANTRI_GRAPHVIZ_FLOAT_SYNTAX_H_
#define VANTRI_GRAPHVIZ_FLOAT_SYNTAX_H_

#include <expected>
#include <string>
#include <string_view>

namespace vantri {

/// One number of a json0 string: optional sign, then a decimal number
/// (`1.`, `.5`, `1.5e-3`; a lone `.` is not a number) or inf/infinity/nan in
/// any letter case, nothing else. The value is the nearest double (ties to
/// even); magnitudes beyond the double range give ±inf, below the smallest
/// subnormal ±0. The error is "cannot parse float from empty string" or
/// "invalid float literal".
std::expected<double, std::string> parse_float(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_FLOAT_SYNTAX_H_
