// posix_spawnp with piped standard streams, a poll loop and a reaping wait.
#include "graphviz/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <ctime>

#include "graphviz/unique_fd.h"

namespace vantri {
namespace {

std::unexpected<IoError> os_error(int errno_value) {
  return std::unexpected(IoError::from_errno(errno_value));
}

struct Pipe {
  UniqueFd read;
  UniqueFd write;
};

// Moves `fd` above the standard stream numbers. The child dup2()s the pipe
// ends onto 0, 1 and 2 in turn; an end that already sat on one of those
// numbers could be overwritten before it was used.
std::expected<void, IoError> lift_above_std_streams(UniqueFd& fd) {
  if (fd.get() > 2) return {};
  const int moved = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3);
  if (moved < 0) return os_error(errno);
  fd.reset(moved);
  return {};
}

// Both ends close-on-exec, so no other child started meanwhile by another
// thread inherits them; dup2 in the spawned child clears the flag on 0-2.
std::expected<Pipe, IoError> make_pipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return os_error(errno);
  Pipe pipe{UniqueFd(fds[0]), UniqueFd(fds[1])};
  if (auto r = lift_above_std_streams(pipe.read); !r) return std::unexpected(r.error());
  if (auto r = lift_above_std_streams(pipe.write); !r) return std::unexpected(r.error());
  return pipe;
}

// Owns the two posix_spawn configuration objects.
class SpawnConfig {
 public:
  SpawnConfig() {
    actions_ok_ = ::posix_spawn_file_actions_init(&actions_) == 0;
    attr_ok_ = ::posix_spawnattr_init(&attr_) == 0;
  }
  ~SpawnConfig() {
    if (actions_ok_) ::posix_spawn_file_actions_destroy(&actions_);
    if (attr_ok_) ::posix_spawnattr_destroy(&attr_);
  }
  SpawnConfig(const SpawnConfig&) = delete;
  SpawnConfig& operator=(const SpawnConfig&) = delete;

  /// Connects the standard streams and resets the signal state: a host that
  /// ignores SIGPIPE (Python does) must not pass that on to the child.
  int prepare(int in, int out, int err) {
    if (!actions_ok_ || !attr_ok_) return ENOMEM;
    sigset_t default_signals;
    sigset_t no_signals;
    ::sigemptyset(&default_signals);
    ::sigaddset(&default_signals, SIGPIPE);
    ::sigemptyset(&no_signals);
    const short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
    for (int rc : {::posix_spawn_file_actions_adddup2(&actions_, in, 0),
                   ::posix_spawn_file_actions_adddup2(&actions_, out, 1),
                   ::posix_spawn_file_actions_adddup2(&actions_, err, 2),
                   ::posix_spawnattr_setflags(&attr_, flags),
                   ::posix_spawnattr_setsigdefault(&attr_, &default_signals),
                   ::posix_spawnattr_setsigmask(&attr_, &no_signals)}) {
      if (rc != 0) return rc;
    }
    return 0;
  }

  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attr() const { return &attr_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attr_;
  bool actions_ok_ = false;
  bool attr_ok_ = false;
};

// Blocks SIGPIPE for the calling thread while it writes to the child, so a
// child that goes away early turns into an EPIPE error instead of killing
// the host. A SIGPIPE raised by our own failed write is consumed before the
// old mask comes back; one that was pending before is left alone.
class SigpipeBlock {
 public:
  SigpipeBlock() {
    ::sigemptyset(&pipe_only_);
    ::sigaddset(&pipe_only_, SIGPIPE);
    ::pthread_sigmask(SIG_BLOCK, &pipe_only_, &old_mask_);
    sigset_t pending;
    ::sigemptyset(&pending);
    ::sigpending(&pending);
    was_pending_ = ::sigismember(&pending, SIGPIPE) == 1;
  }
  ~SigpipeBlock() {
    const int saved_errno = errno;
    if (broken_pipe_ && !was_pending_) {
      const timespec no_wait{};
      while (::sigtimedwait(&pipe_only_, nullptr, &no_wait) < 0 &&
             errno == EINTR) {
      }
    }
    ::pthread_sigmask(SIG_SETMASK, &old_mask_, nullptr);
    errno = saved_errno;
  }
  SigpipeBlock(const SigpipeBlock&) = delete;
  SigpipeBlock& operator=(const SigpipeBlock&) = delete;

  void note_broken_pipe() { broken_pipe_ = true; }

 private:
  sigset_t pipe_only_;
  sigset_t old_mask_;
  bool was_pending_ = false;
  bool broken_pipe_ = false;
};

// Reads once from a readable pipe into `sink`; closes `fd` at end of file.
std::expected<void, IoError> read_some(UniqueFd& fd, std::string& sink,
                                       std::string& buffer) {
  const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
  if (n < 0) {
    if (errno == EINTR || errno == EAGAIN) return {};
    return os_error(errno);
  }
  if (n == 0) {
    fd.reset();
  } else {
    sink.append(buffer.data(), static_cast<std::size_t>(n));
  }
  return {};
}

// Writes `input` to `in` while draining `out` and `err` into `result`, then
// drains both to their ends. Every descriptor it finishes with is closed.
std::expected<void, IoError> exchange(UniqueFd& in, UniqueFd& out,
                                      UniqueFd& err, std::string_view input,
                                      ChildOutput& result) {
  SigpipeBlock sigpipe_block;
  if (input.empty()) {
    in.reset();
  } else {
    const int flags = ::fcntl(in.get(), F_GETFL);
    if (flags < 0 || ::fcntl(in.get(), F_SETFL, flags | O_NONBLOCK) < 0) {
      return os_error(errno);
    }
  }
  std::size_t written = 0;
  std::string buffer(std::size_t{1} << 16, '\0');

  while (in || out || err) {
    std::array<pollfd, 3> fds{};
    nfds_t count = 0;
    const auto watch = [&](const UniqueFd& fd, short events) -> int {
      if (!fd) return -1;
      fds[count] = pollfd{fd.get(), events, 0};
      return static_cast<int>(count++);
    };
    const int in_slot = watch(in, POLLOUT);
    const int out_slot = watch(out, POLLIN);
    const int err_slot = watch(err, POLLIN);
    if (::poll(fds.data(), count, -1) < 0) {
      if (errno == EINTR) continue;
      return os_error(errno);
    }

    if (in_slot >= 0 && fds[in_slot].revents != 0) {
      const ssize_t n =
          ::write(in.get(), input.data() + written, input.size() - written);
      if (n < 0 && errno == EPIPE) {
        // The child stopped reading, usually because it gave up on the
        // input; what it says on its way out tells why, so keep draining.
        sigpipe_block.note_broken_pipe();
        result.input_error = IoError::from_errno(EPIPE);
        in.reset();
        continue;
      }
      if (n < 0 && errno != EINTR && errno != EAGAIN) return os_error(errno);
      if (n == 0) return std::unexpected(IoError::custom("failed to write whole buffer"));
      if (n > 0) {
        written += static_cast<std::size_t>(n);
        if (written == input.size()) in.reset();  // the child sees EOF
      }
    }
    if (out_slot >= 0 && fds[out_slot].revents != 0) {
      if (auto r = read_some(out, result.out, buffer); !r) return r;
    }
    if (err_slot >= 0 && fds[err_slot].revents != 0) {
      if (auto r = read_some(err, result.err, buffer); !r) return r;
    }
  }
  return {};
}

std::expected<std::optional<std::int32_t>, IoError> wait_for(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return os_error(errno);
  }
  if (WIFEXITED(status)) return std::optional<std::int32_t>(WEXITSTATUS(status));
  return std::optional<std::int32_t>();
}

std::unexpected<ChildError> run_failure(IoError error) {
  return std::unexpected(ChildError{ChildError::Stage::Run, std::move(error)});
}

}  // namespace

std::expected<ChildOutput, ChildError> run_child(
    const std::vector<std::string>& argv, std::string_view input) {
  auto in = make_pipe();
  if (!in) return run_failure(in.error());
  auto out = make_pipe();
  if (!out) return run_failure(out.error());
  auto err = make_pipe();
  if (!err) return run_failure(err.error());

  std::vector<std::string> args = argv;  // posix_spawn wants char*
  std::vector<char*> arg_ptrs;
  for (std::string& arg : args) arg_ptrs.push_back(arg.data());
  arg_ptrs.push_back(nullptr);

  pid_t pid = 0;
  {
    SpawnConfig config;
    int rc = config.prepare(in->read.get(), out->write.get(), err->write.get());
    if (rc == 0) {
      rc = ::posix_spawnp(&pid, arg_ptrs[0], config.actions(), config.attr(),
                          arg_ptrs.data(), environ);
    }
    if (rc != 0) {
      return std::unexpected(
          ChildError{ChildError::Stage::Start, IoError::from_errno(rc)});
    }
  }
  // The child holds its ends now; ours must go so that EOF can be seen.
  in->read.reset();
  out->write.reset();
  err->write.reset();

  ChildOutput result;
  auto talked = exchange(in->write, out->read, err->read, input, result);
  in->write.reset();
  out->read.reset();
  err->read.reset();
  // Reaped on every path: after a failure the closed pipes make the child
  // see end of input and a broken pipe on output.
  auto status = wait_for(pid);
  if (!talked) return run_failure(std::move(talked.error()));
  if (!status) return run_failure(std::move(status.error()));
  result.exit_code = *status;
  return result;
}

}  // namespace vantri
