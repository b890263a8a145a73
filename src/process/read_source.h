// Reading DOT text from a file or from standard input: bounded, and
// interruptible.
//
// Reads wait through the caller's SignalWindow when it gives one, so an
// interrupt while standard input is a terminal or a pipe that has not
// written yet reaches the caller's hook instead of being lost; a hook that
// answers true abandons the read with EINTR. What is read is bytes: see
// dot_encoding.h for how they become text.
#ifndef VANTRI_PROCESS_READ_SOURCE_H_
#define VANTRI_PROCESS_READ_SOURCE_H_

#include <cstddef>
#include <expected>
#include <functional>
#include <string>

#include "graphviz/layout_error.h"
#include "graphviz/signal_window.h"

namespace vantri {

/// The most DOT text read from a file or standard input; far above any
/// real graph, low enough that `/dev/zero` cannot exhaust memory.
inline constexpr std::size_t kMaxDotSource = std::size_t{256} << 20;

struct ReadWatch {
  const SignalWindow* window = nullptr;
  std::function<bool()> interrupted;
  std::size_t max_bytes = kMaxDotSource;
};

/// The whole content of the file at `path` (relative to the working
/// directory). Named pipes and devices work; a FIFO without a writer waits
/// for one.
std::expected<std::string, IoError> read_file_bytes(const std::string& path,
                                                    const ReadWatch& watch = {});

/// Everything readable from descriptor `fd` until its end.
std::expected<std::string, IoError> read_fd_bytes(int fd, const ReadWatch& watch = {});

}  // namespace vantri

#endif  // VANTRI_PROCESS_READ_SOURCE_H_
