// Releasing the lock around reading and rendering, with signal checks.
#include "python/python_render.h"

#include "graphviz/run_dot.h"
#include "graphviz/stop_check.h"
#include "process/dot_encoding.h"
#include "process/read_source.h"

namespace vantri::python {
namespace {

// Holds the lock released for its lifetime.
class LockReleased {
 public:
  LockReleased() : state_(PyEval_SaveThread()) {}
  ~LockReleased() { PyEval_RestoreThread(state_); }
  LockReleased(const LockReleased&) = delete;
  LockReleased& operator=(const LockReleased&) = delete;

  /// Takes the lock back to run Python's signal handlers; true when one
  /// raised (the exception stays set for the end of the call).
  bool signal_handler_raised() {
    PyEval_RestoreThread(state_);
    const bool raised = PyErr_CheckSignals() < 0;
    state_ = PyEval_SaveThread();
    return raised;
  }

 private:
  PyThreadState* state_;
};

// Beyond this a timeout is no limit at all (and would overflow the clock).
constexpr double kLongestTimeout = 1e9;

// How often a drawing on the thread that runs Python's signal handlers
// takes the lock back to run them, signal seen or not: a signal sent to the
// process while the drawing holds signals back lands on another thread,
// where Python's handler only notes it.
constexpr auto kAskForSignalsEvery = std::chrono::milliseconds(20);

// Whether Python runs signal handlers on this thread: the main thread of
// the main interpreter (elsewhere PyErr_CheckSignals does nothing).
bool runs_signal_handlers() {
  if (PyThreadState_GetInterpreter(PyThreadState_Get()) != PyInterpreterState_Main()) {
    return false;
  }
  PyObject* thread_module = PyImport_ImportModule("_thread");
  PyObject* ident = thread_module != nullptr
                        ? PyObject_CallMethod(thread_module, "_get_main_thread_ident", nullptr)
                        : nullptr;
  const unsigned long main_thread = ident != nullptr ? PyLong_AsUnsignedLong(ident) : 0;
  Py_XDECREF(ident);
  Py_XDECREF(thread_module);
  PyErr_Clear();
  return main_thread != 0 && main_thread == PyThread_get_thread_ident();
}

}  // namespace

bool run_unlocked(const std::function<void(const SignalWindow&, const InterruptHook&)>& work) {
  {
    const SignalWindow window;
    // Whatever arrived before the window opened; anything later waits in it.
    if (PyErr_CheckSignals() < 0) return false;
    LockReleased unlocked;
    const InterruptHook interrupted = [&unlocked] { return unlocked.signal_handler_raised(); };
    work(window, interrupted);
  }  // the lock is back, then the window closes and lets pending signals in
  if (PyErr_Occurred() != nullptr) return false;
  return PyErr_CheckSignals() >= 0;
}

std::optional<GraphRenderings> render_unlocked(const std::function<std::string()>& dot_text,
                                               const RenderOptions& options,
                                               const RenderWatch& watch) {
  std::optional<GraphRenderings> outcome;
  const auto ask_every = runs_signal_handlers()
                             ? std::chrono::duration_cast<StopCheck::Clock::duration>(
                                   kAskForSignalsEvery)
                             : StopCheck::Clock::duration::zero();
  const bool finished = run_unlocked([&](const SignalWindow& window,
                                         const InterruptHook& interrupted) {
    // One deadline for every run of dot and the drawing.
    std::optional<StopCheck::Deadline> deadline;
    if (watch.timeout_seconds && *watch.timeout_seconds < kLongestTimeout) {
      deadline = StopCheck::Deadline{
          std::chrono::steady_clock::now() +
              std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                  std::chrono::duration<double>(*watch.timeout_seconds)),
          *watch.timeout_seconds};
    }
    StopCheck stop(&window, interrupted, deadline, ask_every);
    DotWatch dot;
    dot.controls.window = &window;
    dot.controls.interrupted = interrupted;
    dot.controls.on_tick = watch.on_tick;
    dot.controls.tick_every = watch.tick_every;
    if (deadline) {
      dot.timeout_seconds = deadline->timeout_seconds;
      dot.controls.deadline = deadline->at;
    }
    const std::string source_text = dot_text();
    outcome = render_graphs(
        source_text, options,
        [&dot](std::string_view source) { return watched_layouts_with_dot(source, dot); },
        [&dot, &stop](std::string_view source, std::span<const std::string> dot_args) {
          auto layout = watched_layout_with_dot(source, dot, dot_args);
          // The width fitting makes do without a layout that failed; one
          // cut short by an interrupt or the deadline ends the render.
          if (!layout && layout.error().kind() == LayoutError::Kind::Interrupted) {
            stop.stop(StopCheck::Reason::Interrupted);
          } else if (!layout && layout.error().kind() == LayoutError::Kind::TimedOut) {
            stop.stop(StopCheck::Reason::TimedOut);
          }
          return layout;
        },
        &stop);
  });
  if (!finished) return std::nullopt;
  return outcome;
}

std::optional<std::expected<std::string, IoError>> read_dot_unlocked(const DotInput& input) {
  std::optional<std::expected<std::string, IoError>> outcome;
  const bool finished = run_unlocked([&](const SignalWindow& window,
                                         const InterruptHook& interrupted) {
    const ReadWatch watch{&window, interrupted};
    auto bytes = std::holds_alternative<int>(input)
                     ? read_fd_bytes(std::get<int>(input), watch)
                     : read_file_bytes(std::get<std::string>(input), watch);
    if (bytes) {
      outcome = dot_text_from_bytes(std::move(*bytes));
    } else {
      outcome = std::unexpected(std::move(bytes.error()));
    }
  });
  if (!finished) return std::nullopt;
  return outcome;
}

PyObject* raise_render_error(const RenderError& error) {
  return raise_render_error(error, display(error));
}

PyObject* raise_render_error(const RenderError& error, std::string_view message) {
  const auto* layout = std::get_if<LayoutError>(&error);
  const auto* stopped = std::get_if<RenderStopped>(&error);
  const bool timed_out =
      (layout != nullptr && layout->kind() == LayoutError::Kind::TimedOut) ||
      (stopped != nullptr && stopped->reason == StopCheck::Reason::TimedOut);
  return raise(timed_out ? PyExc_TimeoutError : PyExc_RuntimeError, message);
}

}  // namespace vantri::python
