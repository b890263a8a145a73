// Sole ownership of a POSIX file descriptor.
//
// The child-process code opens six pipe ends per run and must close every
// one of them on every path; tying each to a scope makes that automatic.
#ifndef VANTRI_GRAPHVIZ_UNIQUE_FD_H_
#define VANTRI_GRAPHVIZ_UNIQUE_FD_H_

#include <unistd.h>

#include <utility>

namespace vantri {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(std::exchange(other.fd_, -1));
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

  /// Closes the held descriptor (if any) and holds `fd` instead. Errors of
  /// close are ignored: on Linux the descriptor is gone either way, and
  /// retrying could close a descriptor another thread just opened.
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_UNIQUE_FD_H_
