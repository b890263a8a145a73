// The command line's option parser.
//
// Kept free of Python so that every rule (what takes a value, what is a
// usage error, where the files begin) can be tested directly; the Python
// front end only does the input and output. The help and usage texts are
// among the fixed messages (messages.h).
#ifndef VANTRI_PROCESS_CLI_ARGS_H_
#define VANTRI_PROCESS_CLI_ARGS_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "trim/trim.h"

namespace vantri {

/// The narrowest width a drawing can be limited to.
inline constexpr std::uint64_t kMinWidth = 5;

/// Where ANSI colours are used.
enum class ColorChoice : std::uint8_t {
  /// When standard output is a terminal and NO_COLOR is unset or empty.
  Auto,
  Ansi,
  BoxStyles,
};

/// What the command line asks for once its options are read.
struct CliRender {
  /// In order; "-" for standard input (the one file when none is named).
  std::vector<std::string> files;
  /// Absent: not given; 0: no limit.
  std::optional<std::uint64_t> width;
  TrimStrategy trim = TrimStrategy::Smart;
  std::optional<std::uint64_t> max_label;
  ColorChoice color = ColorChoice::Auto;
  std::optional<double> timeout_seconds;
  /// False for --no-pager.
  bool pager = true;
  friend bool operator==(const CliRender&, const CliRender&) = default;
};

struct CliHelp {
  friend bool operator==(const CliHelp&, const CliHelp&) = default;
};

struct CliVersion {
  friend bool operator==(const CliVersion&, const CliVersion&) = default;
};

/// A usage error: what is wrong, without the usage text.
struct CliUsageError {
  std::string message;
  friend bool operator==(const CliUsageError&, const CliUsageError&) = default;
};

using CliCommand = std::variant<CliRender, CliHelp, CliVersion, CliUsageError>;

/// Reads the arguments after the program name, left to right; the first
/// help, version or usage error ends the pass. Without a FILE the command
/// reads standard input, as a filter does, unless that is a terminal:
/// nobody means to type a graph there, so that is a usage error.
CliCommand parse_cli_args(std::span<const std::string> args, bool stdin_is_terminal);

/// An optional "+" and one or more decimal digits that fit 64 bits.
std::optional<std::uint64_t> parse_cli_number(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_PROCESS_CLI_ARGS_H_
