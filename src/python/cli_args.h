// The command line's single-pass option parser.
//
// Kept free of Python so that every rule (what consumes a value, what is
// silently ignored, what ends the process) can be tested directly; the
// Python front end only does the input and output.
#ifndef VANTRI_PYTHON_CLI_ARGS_H_
#define VANTRI_PYTHON_CLI_ARGS_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace vantri {

inline constexpr std::string_view kCliHelp =
    "vantri: Convert Graphviz DOT files to ASCII box-drawing art\n"
    "\n"
    "Usage: vantri [OPTIONS] <FILE>\n"
    "\n"
    "Arguments:\n"
    "  <FILE>       Path to a .dot file, or \"-\" for stdin\n"
    "\n"
    "Options:\n"
    "  --width N    Maximum output width in characters\n"
    "  --trim STRAT Label trimming strategy [default: smart]\n"
    "  --max-label N  Maximum label width in characters\n"
    "  --no-color   Disable ANSI colors\n"
    "  -h, --help   Print help\n";

inline constexpr std::string_view kCliUsage =
    "Usage: vantri <file.dot> or vantri -\n";

/// What the command line asks for once its options are read.
struct CliRender {
  /// "-" for standard input.
  std::string file;
  std::optional<std::uint64_t> width;
  std::string trim = "smart";
  std::optional<std::uint64_t> max_label;
  bool no_color = false;
  friend bool operator==(const CliRender&, const CliRender&) = default;
};

struct CliHelp {
  friend bool operator==(const CliHelp&, const CliHelp&) = default;
};

struct CliUnknownOption {
  std::string option;
  friend bool operator==(const CliUnknownOption&, const CliUnknownOption&) = default;
};

struct CliMissingFile {
  friend bool operator==(const CliMissingFile&, const CliMissingFile&) = default;
};

using CliCommand = std::variant<CliRender, CliHelp, CliUnknownOption, CliMissingFile>;

/// Reads the arguments after the program name.
CliCommand parse_cli_args(std::span<const std::string> args);

/// An optional "+" and one or more decimal digits that fit 64 bits.
std::optional<std::uint64_t> parse_cli_number(std::string_view text);

}  // namespace vantri

#endif  // VANTRI_PYTHON_CLI_ARGS_H_
