// Waiting for descriptors without losing a signal.
//
// A program that checks "has a signal come?" and then blocks in poll() can
// miss a signal that lands between the two: the handler runs, the check is
// already past, and poll() sleeps until something else wakes it. A
// `SignalWindow` closes that gap. For its lifetime the asynchronous signals
// are blocked on the calling thread, so one that arrives stays pending;
// `poll` lets them in only for the duration of the wait (ppoll), where a
// pending or newly arriving signal is handled and ends the wait with EINTR.
// A caller opens the window, then checks for signals that came before, then
// waits through the window: nothing that arrives after the check is missed.
//
// SIGPIPE stays blocked inside the wait too: a write to a closed pipe
// should fail with EPIPE, not end a program that has SIGPIPE at its
// default. The synchronous signals (SIGSEGV and the like) are never blocked.
#ifndef VANTRI_GRAPHVIZ_SIGNAL_WINDOW_H_
#define VANTRI_GRAPHVIZ_SIGNAL_WINDOW_H_

#include <poll.h>
#include <signal.h>

#include <chrono>
#include <optional>

namespace vantri {

class SignalWindow {
 public:
  SignalWindow();
  ~SignalWindow();
  SignalWindow(const SignalWindow&) = delete;
  SignalWindow& operator=(const SignalWindow&) = delete;

  /// ppoll() with the signals let in; `timeout` absent waits without end.
  /// Returns what ppoll returns; -1 with errno EINTR when a signal was
  /// handled.
  int poll(pollfd* fds, nfds_t count,
           std::optional<std::chrono::nanoseconds> timeout) const;

  /// Whether a signal held back by the window is pending.
  bool signal_pending() const;

  /// Lets pending signals in without waiting; true when one was handled.
  bool deliver_pending() const;

 private:
  sigset_t old_mask_;
  sigset_t open_mask_;
  /// What the window blocked that the thread had not blocked before.
  sigset_t held_;
};

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_SIGNAL_WINDOW_H_
