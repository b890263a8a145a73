// Running a program with its three standard streams on pipes, and watching
// it: a deadline, an interrupt hook, a periodic tick and caps on what it
// may write.
//
// The input is written while standard output and standard error are
// drained, so a child that writes a lot before reading all its input cannot
// deadlock the caller. A failed write never raises SIGPIPE in the caller.
// Every descriptor is closed and the child reaped before `run_child`
// returns, on every path; a run that is cut short kills the child first.
//
// Signals and the wait. The run waits through a `SignalWindow`, so a
// signal that arrives at any moment of it, even just before the wait
// starts, wakes the wait instead of being noticed only when the child is
// done. The caller's `interrupted` hook is then asked whether to give up;
// Python's binding checks its signal handlers there. A signal still pending when the
// child has finished is offered to the hook as well, so a child that exits
// normally right after an interrupt never counts as a success.
#ifndef VANTRI_GRAPHVIZ_CHILD_PROCESS_H_
#define VANTRI_GRAPHVIZ_CHILD_PROCESS_H_

#include <chrono>
#include <cstdint>
#include <expected>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graphviz/layout_error.h"

namespace vantri {

class SignalWindow;

/// How a run is watched. Every member is optional.
struct ChildControls {
  using Clock = std::chrono::steady_clock;

  /// The window to wait through when the caller has opened one already (it
  /// must have, when it checks for signals before the run); otherwise the
  /// run opens its own.
  const SignalWindow* window = nullptr;

  /// Called on the waiting thread after a signal has been delivered to it
  /// during the run; returning true ends the run (the child is killed).
  std::function<bool()> interrupted;
  /// The child is killed when it is still running at this time.
  std::optional<Clock::time_point> deadline;
  /// Called on the waiting thread every `tick_every` while the child runs,
  /// the first time `tick_every` after it started.
  std::function<void()> on_tick;
  Clock::duration tick_every{};
  /// The most bytes taken from standard output and from standard error;
  /// a child that writes more is killed.
  std::size_t max_out = std::numeric_limits<std::size_t>::max();
  std::size_t max_err = std::numeric_limits<std::size_t>::max();
};

struct ChildOutput {
  std::string out;
  std::string err;
  /// The exit code; absent when the child was ended by a signal.
  std::optional<std::int32_t> exit_code;
  /// The signal that ended the child, if one did.
  std::optional<int> signal;
  /// Set when the child closed its input before taking all of it (a broken
  /// pipe); the rest of its output was still collected.
  std::optional<IoError> input_error;
};

struct ChildError {
  enum class Stage : std::uint8_t {
    /// The program could not be started (no child exists).
    Start,
    /// Creating pipes, talking to the child or waiting for it failed.
    Run,
    /// The `interrupted` hook asked to stop.
    Interrupted,
    /// The deadline passed.
    TimedOut,
    /// The child wrote more than `max_out` to standard output.
    OutputTooLarge,
    /// The child wrote more than `max_err` to standard error.
    ErrorOutputTooLarge,
  };
  Stage stage;
  /// Start and Run: what failed.
  IoError error;
};

/// Runs the program `argv[0]` (a path, or a name looked for in the absolute
/// directories of PATH) with the arguments `argv`, writes
/// `input` to its standard input, closes it and collects both output
/// streams to their ends and the exit status. A child that stops reading
/// early is not a failure here: see `ChildOutput::input_error`. The child
/// gets the default SIGPIPE action and an empty signal mask, whatever the
/// caller's.
std::expected<ChildOutput, ChildError> run_child(const std::vector<std::string>& argv,
                                                 std::string_view input,
                                                 const ChildControls& controls = {});

}  // namespace vantri

#endif  // VANTRI_GRAPHVIZ_CHILD_PROCESS_H_
