// posix_spawn with piped standard streams, a ppoll loop that also watches
// the child's exit through a pidfd, and a reaping wait.
#include "graphviz/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <ctime>

#include "graphviz/find_program.h"
#include "graphviz/signal_window.h"
#include "graphviz/unique_fd.h"
#include "messages/messages.h"

namespace vantri {
namespace {

using Clock = ChildControls::Clock;

std::unexpected<IoError> os_error(int errno_value) {
  return std::unexpected(IoError::from_errno(errno_value));
}

std::unexpected<ChildError> failure(ChildError::Stage stage, IoError error = {}) {
  return std::unexpected(ChildError{stage, std::move(error)});
}

std::unexpected<ChildError> run_failure(IoError error) {
  return failure(ChildError::Stage::Run, std::move(error));
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
  /// ignores SIGPIPE (Python does) or blocks signals while it waits (we do)
  /// must not pass that on to the child.
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

bool sigpipe_pending() {
  sigset_t pending;
  ::sigemptyset(&pending);
  ::sigpending(&pending);
  return ::sigismember(&pending, SIGPIPE) == 1;
}

// A SIGPIPE raised by our own failed write is consumed before the caller's
// mask comes back; one that was pending before is left alone.
class SigpipeGuard {
 public:
  SigpipeGuard() : was_pending_(sigpipe_pending()) {}
  ~SigpipeGuard() {
    if (!broken_pipe_ || was_pending_) return;
    const int saved_errno = errno;
    sigset_t pipe_only;
    ::sigemptyset(&pipe_only);
    ::sigaddset(&pipe_only, SIGPIPE);
    const timespec no_wait{};
    while (::sigtimedwait(&pipe_only, nullptr, &no_wait) < 0 && errno == EINTR) {
    }
    errno = saved_errno;
  }
  SigpipeGuard(const SigpipeGuard&) = delete;
  SigpipeGuard& operator=(const SigpipeGuard&) = delete;

  void note_broken_pipe() { broken_pipe_ = true; }

 private:
  bool was_pending_;
  bool broken_pipe_ = false;
};

// The child and how it ended.
struct Child {
  pid_t pid = -1;
  /// Readable once the child has exited; absent on kernels without pidfds,
  /// where the exit is awaited after the pipes close.
  UniqueFd exit_fd;
  std::optional<int> status;

  std::expected<void, IoError> reap() {
    int raw = 0;
    while (::waitpid(pid, &raw, 0) < 0) {
      if (errno != EINTR) return os_error(errno);
    }
    status = raw;
    exit_fd.reset();
    return {};
  }

  /// Ends a run that is cut short.
  void kill_and_reap() {
    if (status) return;
    ::kill(pid, SIGKILL);
    (void)reap();
  }
};

UniqueFd open_exit_fd(pid_t pid) {
  // The child is not reaped yet, so its pid cannot have been reused.
  const long fd = ::syscall(SYS_pidfd_open, pid, 0);
  return UniqueFd(fd < 0 ? -1 : static_cast<int>(fd));
}

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

// Drives one run: writes `input` to `in` while draining `out` and `err`
// into `result` and watching the child's exit, until all three pipes are
// closed and the child has exited (when a pidfd tells). Every descriptor it
// finishes with is closed.
class Exchange {
 public:
  Exchange(Child& child, UniqueFd& in, UniqueFd& out, UniqueFd& err,
           std::string_view input, const ChildControls& controls,
           const SignalWindow& window, SigpipeGuard& sigpipe, ChildOutput& result)
      : child_(child), in_(in), out_(out), err_(err), input_(input),
        controls_(controls), window_(window), sigpipe_(sigpipe), result_(result) {}

  std::expected<void, ChildError> run() {
    if (input_.empty()) {
      in_.reset();
    } else {
      const int flags = ::fcntl(in_.get(), F_GETFL);
      if (flags < 0 || ::fcntl(in_.get(), F_SETFL, flags | O_NONBLOCK) < 0) {
        return run_failure(IoError::from_errno(errno));
      }
    }
    const bool ticking =
        controls_.on_tick && controls_.tick_every > Clock::duration::zero();
    Clock::time_point next_tick = Clock::now() + controls_.tick_every;

    while (in_ || out_ || err_ || child_.exit_fd) {
      std::array<pollfd, 4> fds{};
      nfds_t count = 0;
      const auto watch = [&](const UniqueFd& fd, short events) -> int {
        if (!fd) return -1;
        fds[count] = pollfd{fd.get(), events, 0};
        return static_cast<int>(count++);
      };
      const int in_slot = watch(in_, POLLOUT);
      const int out_slot = watch(out_, POLLIN);
      const int err_slot = watch(err_, POLLIN);
      const int exit_slot = watch(child_.exit_fd, POLLIN);

      std::optional<Clock::time_point> wake = controls_.deadline;
      if (ticking && (!wake || next_tick < *wake)) wake = next_tick;
      std::optional<std::chrono::nanoseconds> timeout;
      if (wake) timeout = *wake - Clock::now();

      if (window_.poll(fds.data(), count, timeout) < 0) {
        if (errno != EINTR) return run_failure(IoError::from_errno(errno));
        if (controls_.interrupted && controls_.interrupted()) {
          return failure(ChildError::Stage::Interrupted);
        }
        continue;
      }
      const Clock::time_point now = Clock::now();
      if (controls_.deadline && now >= *controls_.deadline) {
        return failure(ChildError::Stage::TimedOut);
      }
      if (ticking && now >= next_tick) {
        controls_.on_tick();
        while (next_tick <= now) next_tick += controls_.tick_every;
      }

      if (in_slot >= 0 && fds[in_slot].revents != 0) {
        if (auto r = write_some(); !r) return run_failure(std::move(r.error()));
      }
      if (out_slot >= 0 && fds[out_slot].revents != 0) {
        if (auto r = read_some(out_, result_.out, buffer_); !r) return run_failure(r.error());
        if (result_.out.size() > controls_.max_out) {
          return failure(ChildError::Stage::OutputTooLarge);
        }
      }
      if (err_slot >= 0 && fds[err_slot].revents != 0) {
        if (auto r = read_some(err_, result_.err, buffer_); !r) return run_failure(r.error());
        if (result_.err.size() > controls_.max_err) {
          return failure(ChildError::Stage::ErrorOutputTooLarge);
        }
      }
      if (exit_slot >= 0 && fds[exit_slot].revents != 0) {
        if (auto r = child_.reap(); !r) return run_failure(r.error());
      }
    }
    // A signal that came in after the last wait, such as the interrupt that
    // also made the child wrap up and exit, still counts.
    if (window_.deliver_pending() && controls_.interrupted && controls_.interrupted()) {
      return failure(ChildError::Stage::Interrupted);
    }
    return {};
  }

 private:
  std::expected<void, IoError> write_some() {
    const ssize_t n = ::write(in_.get(), input_.data() + written_, input_.size() - written_);
    if (n < 0 && errno == EPIPE) {
      // The child stopped reading, usually because it gave up on the
      // input; what it says on its way out tells why, so keep draining.
      sigpipe_.note_broken_pipe();
      result_.input_error = IoError::from_errno(EPIPE);
      in_.reset();
      return {};
    }
    if (n < 0 && errno != EINTR && errno != EAGAIN) return os_error(errno);
    if (n == 0) return std::unexpected(IoError::custom(std::string(messages::kInputNotTaken)));
    if (n > 0) {
      written_ += static_cast<std::size_t>(n);
      if (written_ == input_.size()) in_.reset();  // the child sees EOF
    }
    return {};
  }

  Child& child_;
  UniqueFd& in_;
  UniqueFd& out_;
  UniqueFd& err_;
  std::string_view input_;
  const ChildControls& controls_;
  const SignalWindow& window_;
  SigpipeGuard& sigpipe_;
  ChildOutput& result_;
  std::size_t written_ = 0;
  std::string buffer_ = std::string(std::size_t{1} << 16, '\0');
};

std::expected<ChildOutput, ChildError> run_in_window(const std::vector<std::string>& argv,
                                                     std::string_view input,
                                                     const ChildControls& controls,
                                                     const SignalWindow& window) {
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

  Child child;
  {
    SpawnConfig config;
    int rc = config.prepare(in->read.get(), out->write.get(), err->write.get());
    if (rc == 0) {
      rc = ::posix_spawn(&child.pid, arg_ptrs[0], config.actions(), config.attr(),
                         arg_ptrs.data(), environ);
    }
    if (rc != 0) return failure(ChildError::Stage::Start, IoError::from_errno(rc));
  }
  child.exit_fd = open_exit_fd(child.pid);
  // The child holds its ends now; ours must go so that EOF can be seen.
  in->read.reset();
  out->write.reset();
  err->write.reset();

  ChildOutput result;
  SigpipeGuard sigpipe;
  auto talked = Exchange(child, in->write, out->read, err->read, input, controls, window,
                         sigpipe, result)
                    .run();
  in->write.reset();
  out->read.reset();
  err->read.reset();
  if (!talked) {
    child.kill_and_reap();
    return std::unexpected(std::move(talked.error()));
  }
  if (!child.status) {
    // No pidfd: the pipes are closed, so the child is exiting or has.
    if (auto r = child.reap(); !r) return run_failure(std::move(r.error()));
  }
  if (WIFEXITED(*child.status)) {
    result.exit_code = WEXITSTATUS(*child.status);
  } else if (WIFSIGNALED(*child.status)) {
    result.signal = WTERMSIG(*child.status);
  }
  return result;
}

}  // namespace

std::expected<ChildOutput, ChildError> run_child(const std::vector<std::string>& argv,
                                                 std::string_view input,
                                                 const ChildControls& controls) {
  if (argv.empty()) return failure(ChildError::Stage::Start, IoError::from_errno(EINVAL));
  if (argv[0].find('/') == std::string::npos) {
    FoundProgram found = find_program(argv[0]);
    if (!found.path) {
      return failure(ChildError::Stage::Start,
                     IoError::from_errno(found.not_executable ? EACCES : ENOENT));
    }
    std::vector<std::string> resolved = argv;
    resolved[0] = std::move(*found.path);
    return run_child(resolved, input, controls);
  }
  if (controls.window != nullptr) return run_in_window(argv, input, controls, *controls.window);
  const SignalWindow window;
  return run_in_window(argv, input, controls, window);
}

}  // namespace vantri
