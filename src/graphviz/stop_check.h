// Asking, between pieces of long work, whether a render must stop.
//
// A render stops when it is interrupted (Ctrl-C) or when its time is up.
// While `dot` runs, the wait for it notices both (child_process.h). The
// drawing that follows is plain computation with nothing to wait on, so its
// long loops ask a `StopCheck` instead: `poll()` between edges, every so
// many states of a search, every so many rows of text.
//
// A poll costs a decrement and a branch. Every so many polls the check
// looks: it reads the clock, compares it with the deadline and, when a
// signal held back by the render's `SignalWindow` is pending, lets it in
// and asks the interrupt hook whether to stop (Python's binding runs its
// signal handlers there). A signal sent to the whole process may also land
// on another thread, which does not hold it back; its handler then only
// notes it, for the hook to find. So the hook can be asked every so often
// as well, pending signal or not. How many polls lie between two looks adapts to
// the work: the count doubles while looks come closer than half a
// millisecond apart and halves when they are more than two apart, so the
// check looks about every millisecond whatever a poll stands for. Once it
// has said stop it says so on every later poll.
#ifndef VANTRI_GRAPHVIZ_STOP_CHECK_H_
#define VANTRI_GRAPHVIZ_STOP_CHECK_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace vantri {

class SignalWindow;

class StopCheck {
 public:
  using Clock = std::chrono::steady_clock;

  enum class Reason : std::uint8_t {
    /// Not stopped.
    None,
    /// The interrupt hook asked to stop.
    Interrupted,
    /// The deadline passed.
    TimedOut,
  };

  /// When a render's time is up, and the timeout that stands for (for the
  /// message).
  struct Deadline {
    Clock::time_point at;
    double timeout_seconds = 0;
  };

  /// A check that never stops.
  StopCheck() = default;

  /// Stops at `deadline`, or when `interrupted` answers true. With a
  /// `window`, the hook is asked after a signal that the window held back
  /// has been let in, and at least every `ask_every` when that is not
  /// zero; without one, at every look.
  StopCheck(const SignalWindow* window, std::function<bool()> interrupted,
            std::optional<Deadline> deadline, Clock::duration ask_every = {});

  StopCheck(const StopCheck&) = delete;
  StopCheck& operator=(const StopCheck&) = delete;

  /// Whether the work must stop; cheap enough to call for every step.
  bool poll() {
    if (countdown_ > 1) {
      --countdown_;
      return false;
    }
    return look();
  }

  /// Says stop from now on, for `reason` (not `None`): the watcher has
  /// learnt it elsewhere, from a run of `dot` cut short, say.
  void stop(Reason reason) {
    reason_ = reason;
    countdown_ = 0;
  }

  bool stopped() const { return reason_ != Reason::None; }
  Reason reason() const { return reason_; }
  const std::optional<Deadline>& deadline() const { return deadline_; }

 private:
  bool look();

  // Polls left before the next look; 0 once stopped.
  std::uint32_t countdown_ = kNever;
  // Polls from one look to the next.
  std::uint32_t interval_ = kFirstInterval;
  Clock::time_point last_look_{};
  Clock::time_point last_ask_{};
  Clock::duration ask_every_{};
  const SignalWindow* window_ = nullptr;
  std::function<bool()> interrupted_;
  std::optional<Deadline> deadline_;
  Reason reason_ = Reason::None;

  static constexpr std::uint32_t kNever = UINT32_MAX;
  static constexpr std::uint32_t kFirstInterval = 64;
  static constexpr std::uint32_t kLongestInterval = std::uint32_t{1} << 22;
};

/// Whether the work watched by `stop`, if any, must stop.
inline bool must_stop(StopCheck* stop) { return stop != nullptr && stop->poll(); }

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_STOP_CHECK_H_
