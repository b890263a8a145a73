// The work of a call, done without Python's interpreter lock.
//
// Reading the source, running `dot` and drawing touch no Python object, so
// other Python threads run meanwhile. Signals are still seen: the work
// waits through a SignalWindow opened while the lock is held, right before
// the last check of Python's signal handlers, and when a signal interrupts
// a wait the lock is taken back just long enough to run those handlers
// (PyErr_CheckSignals). The drawing, which waits on nothing, looks for
// signals held back by the window every millisecond or so of its work
// (a StopCheck) and runs the handlers the same way. A handler that raises,
// KeyboardInterrupt from Ctrl-C say, ends the work and its exception is the
// call's outcome. The timeout covers `dot` and the drawing together.
#ifndef VANTRI_PYTHON_PYTHON_RENDER_H_
#define VANTRI_PYTHON_PYTHON_RENDER_H_

#include "python/python_support.h"

#include <chrono>
#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "graphviz/layout_error.h"
#include "graphviz/signal_window.h"
#include "render/render_graph.h"
#include "render/render_graphs.h"
#include "render/render_options.h"

namespace vantri::python {

/// The hook a wait calls after a signal: true when a Python signal handler
/// raised.
using InterruptHook = std::function<bool()>;

/// Runs `work` with the lock released. Returns false, with the Python
/// exception set, when a signal handler raised before, during or right
/// after it; what the work produced is then to be dropped.
bool run_unlocked(const std::function<void(const SignalWindow&, const InterruptHook&)>& work);

/// What watches one render besides its options.
struct RenderWatch {
  /// The most seconds `dot` and the drawing may take together, over every
  /// layout of a render.
  std::optional<double> timeout_seconds;
  /// Called every `tick_every` while `dot` works, without the lock.
  std::function<void()> on_tick;
  std::chrono::steady_clock::duration tick_every{};
};

/// `render_graphs` without the lock, of the UTF-8 DOT text that
/// `dot_text` gives (called without the lock too, so that preparing a
/// large text holds up no other thread): one result per graph. Absent when
/// a Python exception is set; a cut drawing's `cut` is said on standard
/// error by the command line, as a warning by the module.
std::optional<GraphRenderings> render_unlocked(
    const std::function<std::string()>& dot_text, const RenderOptions& options,
    const RenderWatch& watch);

/// Where DOT source comes from: a file's path, or a descriptor.
using DotInput = std::variant<std::string, int>;

/// The DOT source of `input` as UTF-8 text (see dot_encoding.h), read
/// without the lock. Absent when a Python exception is set.
std::optional<std::expected<std::string, IoError>> read_dot_unlocked(const DotInput& input);

/// Raises TimeoutError for a timeout, RuntimeError for any other failure,
/// with `message` (the error's text unless given); returns nullptr.
PyObject* raise_render_error(const RenderError& error);
PyObject* raise_render_error(const RenderError& error, std::string_view message);

}  // namespace vantri::python

#endif  // VANTRI_PYTHON_PYTHON_RENDER_H_
