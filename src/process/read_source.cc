// Whole-file reads with operating-system error texts, a size limit and a
// wait that signals can end.
#include "process/read_source.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "messages/messages.h"

namespace vantri {
namespace {

std::unexpected<IoError> failed(int errno_value) {
  return std::unexpected(IoError::from_errno(errno_value));
}

std::unexpected<IoError> too_large(std::size_t limit) {
  return std::unexpected(IoError::custom(messages::input_too_large(limit)));
}

// After EINTR: whether the caller wants to give up.
bool give_up(const ReadWatch& watch) { return watch.interrupted && watch.interrupted(); }

std::expected<std::string, IoError> read_all(int fd, const ReadWatch& watch) {
  constexpr std::size_t kChunk = std::size_t{1} << 16;
  std::string bytes;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    const auto size = static_cast<std::size_t>(info.st_size);
    if (size > watch.max_bytes) return too_large(watch.max_bytes);
    bytes.reserve(size);
  }
  for (;;) {
    // Regular files are always readable; pipes and terminals may make this
    // wait, and only here may a signal come in. Waiting before reading also
    // keeps a FIFO opened without a writer from reading as empty.
    pollfd readable{fd, POLLIN, 0};
    const int ready = watch.window != nullptr ? watch.window->poll(&readable, 1, std::nullopt)
                                              : ::poll(&readable, 1, -1);
    if (ready < 0) {
      if (errno != EINTR) return failed(errno);
      if (give_up(watch)) return failed(EINTR);
      continue;
    }
    const std::size_t used = bytes.size();
    const std::size_t room = std::min(kChunk, watch.max_bytes - used + 1);
    bytes.resize(used + room);
    const ssize_t n = ::read(fd, bytes.data() + used, room);
    bytes.resize(used + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    if (n < 0) {
      if (errno == EAGAIN) continue;
      if (errno != EINTR) return failed(errno);
      if (give_up(watch)) return failed(EINTR);
      continue;
    }
    if (n == 0) return bytes;
    if (bytes.size() > watch.max_bytes) return too_large(watch.max_bytes);
  }
}

}  // namespace

std::expected<std::string, IoError> read_file_bytes(const std::string& path,
                                                    const ReadWatch& watch) {
  // The system call would stop at the first NUL and open another file.
  if (path.find('\0') != std::string::npos) {
    return std::unexpected(IoError::custom(std::string(messages::kNulInFileName)));
  }
  // Non-blocking, so that opening a FIFO does not wait for its writer
  // outside the interruptible wait of read_all.
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return failed(errno);
  auto bytes = read_all(fd, watch);
  ::close(fd);
  return bytes;
}

std::expected<std::string, IoError> read_fd_bytes(int fd, const ReadWatch& watch) {
  return read_all(fd, watch);
}

}  // namespace vantri
