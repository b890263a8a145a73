// Whole-file reads with operating-system error texts.
#include "python/read_source.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "text/utf8.h"

namespace vantri {
namespace {

std::expected<std::string, IoError> read_all(int fd) {
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(IoError::from_errno(errno));
    }
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  if (validate_utf8(text)) {
    return std::unexpected(IoError::custom("stream did not contain valid UTF-8"));
  }
  return text;
}

}  // namespace

std::expected<std::string, IoError> read_text_file(const std::string& path) {
  // The system call would stop at the first NUL and open another file.
  if (path.find('\0') != std::string::npos) {
    return std::unexpected(IoError::custom("file name contained an unexpected NUL byte"));
  }
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return std::unexpected(IoError::from_errno(errno));
  auto text = read_all(fd);
  ::close(fd);
  return text;
}

std::expected<std::string, IoError> read_text_fd(int fd) { return read_all(fd); }

}  // namespace vantri
