// Reading the command line.
#include "process/cli_args.h"

#include <charconv>
#include <cmath>

#include "messages/messages.h"

namespace vantri {
namespace {

CliUsageError bad_value(std::string_view option, std::string_view value,
                        std::string_view expected) {
  return CliUsageError{messages::invalid_value(option, value, expected)};
}

std::optional<double> parse_seconds(std::string_view text) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (!std::isfinite(value) || value <= 0) return std::nullopt;
  return value;
}

// Applies one option that takes a value; a usage error when the value
// does not do.
std::optional<CliUsageError> apply_value(std::string_view option, const std::string& value,
                                         CliRender& render) {
  if (option == "--trim") {
    auto strategy = parse_trim_strategy(value);
    if (!strategy) return CliUsageError{messages::unknown_trim_strategy_option(value)};
    render.trim = *strategy;
  } else if (option == "--width") {
    const auto width = parse_cli_number(value);
    if (!width) return bad_value(option, value, messages::kExpectedColumns);
    if (*width != 0 && *width < kMinWidth) {
      return bad_value(option, value, messages::kWidthTooSmall);
    }
    render.width = width;
  } else if (option == "--max-label") {
    const auto columns = parse_cli_number(value);
    if (!columns) return bad_value(option, value, messages::kExpectedColumns);
    render.max_label = columns;
  } else {  // --timeout
    const auto seconds = parse_seconds(value);
    if (!seconds) return bad_value(option, value, messages::kExpectedSeconds);
    render.timeout_seconds = seconds;
  }
  return std::nullopt;
}

bool takes_value(std::string_view option) {
  return option == "--trim" || option == "--width" || option == "--max-label" ||
         option == "--timeout";
}

}  // namespace

std::optional<std::uint64_t> parse_cli_number(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    if (__builtin_mul_overflow(value, 10, &value) ||
        __builtin_add_overflow(value, static_cast<std::uint64_t>(c - '0'), &value)) {
      return std::nullopt;
    }
  }
  return value;
}

CliCommand parse_cli_args(std::span<const std::string> args, bool stdin_is_terminal) {
  CliRender render;
  bool only_files = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (only_files || arg.size() < 2 || !arg.starts_with('-')) {
      render.files.push_back(arg);  // "-" and "" are files too
      continue;
    }
    if (arg == "--") {
      only_files = true;
      continue;
    }
    // --name=value
    const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string::npos;
    const std::string_view option = std::string_view(arg).substr(0, equals);
    if (takes_value(option)) {
      std::string value;
      if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return CliUsageError{messages::option_needs_value(arg)};
      }
      if (auto error = apply_value(option, value, render)) return *error;
      continue;
    }
    const bool flag = option == "-h" || option == "--help" || option == "-V" ||
                      option == "--version" || option == "--color" || option == "--no-color" ||
                      option == "--no-pager";
    if (!flag) return CliUsageError{messages::unknown_option(arg)};
    if (equals != std::string::npos) {
      return CliUsageError{messages::option_takes_no_value(option)};
    }
    if (option == "-h" || option == "--help") return CliHelp{};
    if (option == "-V" || option == "--version") return CliVersion{};
    if (option == "--no-pager") {
      render.pager = false;
      continue;
    }
    render.color = option == "--color" ? ColorChoice::Ansi : ColorChoice::BoxStyles;
  }
  if (render.files.empty()) {
    if (stdin_is_terminal) return CliUsageError{std::string(messages::kNoFile)};
    render.files.emplace_back("-");
  }
  return render;
}

}  // namespace vantri
