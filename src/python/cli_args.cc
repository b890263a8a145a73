// Single-pass reading of the command line.
#include "python/cli_args.h"

namespace vantri {

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

CliCommand parse_cli_args(std::span<const std::string> args) {
  std::optional<std::string> file;
  CliRender render;
  for (std::size_t i = 0; i < args.size();) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") return CliHelp{};
    if (arg == "--trim") {
      if (i + 1 >= args.size()) break;
      render.trim = args[i + 1];
      i += 2;
    } else if (arg == "--width" || arg == "--max-label") {
      auto& setting = arg == "--width" ? render.width : render.max_label;
      if (i + 1 >= args.size()) {
        setting.reset();
        break;
      }
      // The next argument is always taken as the value, even when it looks
      // like an option; a value that does not read clears the setting.
      setting = parse_cli_number(args[i + 1]);
      i += 2;
    } else if (arg == "--no-color") {
      render.no_color = true;
      ++i;
    } else if (arg.size() > 1 && arg.starts_with('-')) {
      return CliUnknownOption{arg};
    } else {
      file = arg;
      ++i;
    }
  }
  if (!file) return CliMissingFile{};
  render.file = std::move(*file);
  return render;
}

}  // namespace vantri
