// Blocking the asynchronous signals and letting them in through ppoll().
#include "graphviz/signal_window.h"

#include <algorithm>
#include <cerrno>

namespace vantri {
namespace {

// Raised by the faulting instruction itself: blocking them would turn a
// crash report (or a sanitizer's) into a silent kill.
constexpr int kSynchronous[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT};

}  // namespace

SignalWindow::SignalWindow() {
  sigset_t block;
  ::sigfillset(&block);
  for (int signal : kSynchronous) ::sigdelset(&block, signal);
  ::pthread_sigmask(SIG_BLOCK, &block, &old_mask_);
  open_mask_ = old_mask_;
  ::sigaddset(&open_mask_, SIGPIPE);
  // held = block minus what was blocked before
  ::sigemptyset(&held_);
  for (int signal = 1; signal < NSIG; ++signal) {
    if (::sigismember(&block, signal) == 1 && ::sigismember(&old_mask_, signal) == 0 &&
        signal != SIGPIPE) {
      ::sigaddset(&held_, signal);
    }
  }
}

SignalWindow::~SignalWindow() {
  const int saved_errno = errno;
  ::pthread_sigmask(SIG_SETMASK, &old_mask_, nullptr);
  errno = saved_errno;
}

int SignalWindow::poll(pollfd* fds, nfds_t count,
                       std::optional<std::chrono::nanoseconds> timeout) const {
  timespec wait{};
  if (timeout) {
    const auto left = std::max(*timeout, std::chrono::nanoseconds::zero());
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    wait.tv_sec = static_cast<time_t>(seconds.count());
    wait.tv_nsec = static_cast<long>((left - seconds).count());
  }
  return ::ppoll(fds, count, timeout ? &wait : nullptr, &open_mask_);
}

bool SignalWindow::signal_pending() const {
  sigset_t pending;
  ::sigemptyset(&pending);
  ::sigpending(&pending);
  sigset_t ours;
  ::sigandset(&ours, &pending, &held_);
  return ::sigisemptyset(&ours) == 0;
}

bool SignalWindow::deliver_pending() const {
  if (!signal_pending()) return false;
  return poll(nullptr, 0, std::chrono::nanoseconds::zero()) < 0 && errno == EINTR;
}

}  // namespace vantri
