// Reading DOT text from a file or from standard input.
#ifndef VANTRI_PYTHON_READ_SOURCE_H_
#define VANTRI_PYTHON_READ_SOURCE_H_

#include <expected>
#include <string>

#include "graphviz/layout_error.h"

namespace vantri {

/// The whole content of the file at `path` (relative to the working
/// directory), which must be UTF-8.
std::expected<std::string, IoError> read_text_file(const std::string& path);

/// Everything readable from descriptor `fd` until its end, as UTF-8.
std::expected<std::string, IoError> read_text_fd(int fd);

}  // namespace vantri

#endif  // VANTRI_PYTHON_READ_SOURCE_H_
