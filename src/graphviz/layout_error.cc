// Display texts of layout errors.
#include "graphviz/layout_error.h"

#include <charconv>
#include <cstring>
#include <utility>

namespace vantri {
namespace {

std::string joined(const std::vector<std::string>& items, bool quoted) {
  std::string out;
  for (const std::string& item : items) {
    if (!out.empty()) out += ", ";
    out += quoted ? "\"" + item + "\"" : item;
  }
  return out;
}

}  // namespace

IoError IoError::from_errno(int errno_value) {
  char buffer[256];
  // The GNU strerror_r returns the message, which may not be `buffer`.
  const char* text = strerror_r(errno_value, buffer, sizeof buffer);
  return IoError{errno_value, text};
}

IoError IoError::custom(std::string message) {
  return IoError{std::nullopt, std::move(message)};
}

std::string IoError::display() const {
  if (!os_error) return description;
  return description + " (os error " + std::to_string(*os_error) + ")";
}

LayoutError LayoutError::dot_not_found(PathSearch search) {
  LayoutError e(Kind::DotNotFound, {});
  e.search_ = std::move(search);
  return e;
}

LayoutError LayoutError::dot_failed(std::optional<std::int32_t> code,
                                    std::string stderr_text) {
  LayoutError e(Kind::DotFailed, std::move(stderr_text));
  e.code_ = code;
  return e;
}

LayoutError LayoutError::dot_killed(int signal, std::string stderr_text) {
  LayoutError e(Kind::DotFailed, std::move(stderr_text));
  e.signal_ = signal;
  return e;
}

LayoutError LayoutError::dot_unrunnable(const std::string& path, IoError error) {
  LayoutError e(Kind::Io, "dot could not be run: " + path + ": " + error.display());
  e.io_ = std::move(error);
  return e;
}

LayoutError LayoutError::parse(std::string message) {
  return LayoutError(Kind::Parse, std::move(message));
}

LayoutError LayoutError::io(IoError error) {
  LayoutError e(Kind::Io, error.display());
  e.io_ = std::move(error);
  return e;
}

LayoutError LayoutError::timed_out(double seconds) {
  LayoutError e(Kind::TimedOut, {});
  e.seconds_ = seconds;
  return e;
}

LayoutError LayoutError::interrupted() { return LayoutError(Kind::Interrupted, {}); }

std::string LayoutError::display() const {
  switch (kind_) {
    case Kind::DotNotFound: {
      std::string text =
          "Graphviz `dot` command not found in PATH. Please install Graphviz.";
      if (!search_.searched.empty()) text += " Searched: " + joined(search_.searched, false) + ".";
      if (!search_.skipped.empty()) {
        text += " Not searched, as they are not absolute: " + joined(search_.skipped, true) + ".";
      }
      return text;
    }
    case Kind::DotFailed: {
      if (signal_) {
        const char* name = sigdescr_np(*signal_);
        std::string text = "dot was killed by signal " + std::to_string(*signal_) + " (" +
                           (name != nullptr ? name : "unknown signal") + ")";
        return detail_.empty() ? text : text + ": " + detail_;
      }
      const std::string code =
          code_ ? "Some(" + std::to_string(*code_) + ")" : "None";
      return "Graphviz `dot` exited with code " + code + ": " + detail_;
    }
    case Kind::Parse:
      return "Failed to parse Graphviz json0 output: " + detail_;
    case Kind::Io:
      return detail_;
    case Kind::TimedOut:
      return "dot took longer than " + describe_seconds(seconds_) + " s";
    case Kind::Interrupted:
      return "interrupted";
  }
  return detail_;
}

std::string describe_seconds(double seconds) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, seconds);
  return ec == std::errc() ? std::string(buffer, end) : std::to_string(seconds);
}

std::string describe_bytes(std::uint64_t bytes) {
  constexpr const char* kUnits[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  std::size_t unit = 0;
  while (unit + 1 < std::size(kUnits) && bytes >= 1024 && bytes % 1024 == 0) {
    bytes /= 1024;
    ++unit;
  }
  return std::to_string(bytes) + " " + kUnits[unit];
}

}  // namespace vantri
