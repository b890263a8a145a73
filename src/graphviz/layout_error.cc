// Display texts of layout errors.
#include "graphviz/layout_error.h"

#include <cstring>
#include <utility>

namespace vantri {

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

LayoutError LayoutError::dot_not_found() {
  return LayoutError(Kind::DotNotFound, std::nullopt, {}, std::nullopt);
}

LayoutError LayoutError::dot_failed(std::optional<std::int32_t> code,
                                    std::string stderr_text) {
  return LayoutError(Kind::DotFailed, code, std::move(stderr_text),
                     std::nullopt);
}

LayoutError LayoutError::parse(std::string message) {
  return LayoutError(Kind::Parse, std::nullopt, std::move(message),
                     std::nullopt);
}

LayoutError LayoutError::io(IoError error) {
  std::string text = error.display();
  return LayoutError(Kind::Io, std::nullopt, std::move(text), std::move(error));
}

std::string LayoutError::display() const {
  switch (kind_) {
    case Kind::DotNotFound:
      return "Graphviz `dot` command not found in PATH. Please install "
             "Graphviz.";
    case Kind::DotFailed: {
      const std::string code =
          code_ ? "Some(" + std::to_string(*code_) + ")" : "None";
      return "Graphviz `dot` exited with code " + code + ": " + detail_;
    }
    case Kind::Parse:
      return "Failed to parse Graphviz json0 output: " + detail_;
    case Kind::Io:
      return detail_;
  }
  return detail_;
}

}  // namespace vantri
