// The `_cli` module function behind the `vantri` command.
//
// Reads sys.argv, draws each file in turn and writes the drawings straight
// to the process's standard output (descriptor 1), not through sys.stdout.
// It behaves as a Unix command: errors are one line "vantri: error: ..." on
// standard error and exit status 1 (usage errors add the usage text), never
// a traceback; Ctrl-C exits with 130, SIGTERM and SIGHUP with 128 plus the
// signal, each after killing `dot`. Every exit is a SystemExit, so Python
// still runs its clean-up and flushes its streams.
#include "python/python_cli.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "messages/messages.h"
#include "process/cli_args.h"
#include "process/pager.h"
#include "process/terminal.h"
#include "python/python_render.h"
#include "python/python_support.h"

namespace vantri::python {
namespace {

constexpr int kUsageStatus = 1;
constexpr int kErrorStatus = 1;
constexpr int kInterruptedStatus = 128 + SIGINT;

// Ends the process the way a Unix filter does when its reader has gone:
// killed by SIGPIPE, which shells do not report as an error message.
[[noreturn]] void die_of_broken_pipe() {
  ::signal(SIGPIPE, SIG_DFL);
  sigset_t pipe_only;
  sigemptyset(&pipe_only);
  sigaddset(&pipe_only, SIGPIPE);
  ::pthread_sigmask(SIG_UNBLOCK, &pipe_only, nullptr);
  ::raise(SIGPIPE);
  ::_exit(128 + SIGPIPE);
}

// Writes all of `text` to standard output. Returns false with a Python
// exception set when writing fails for a reason other than a closed pipe,
// or a signal handler raised while it waited.
bool write_out(std::string_view text) {
  if (write_fully(STDOUT_FILENO, text, [] { return PyErr_CheckSignals() < 0; })) return true;
  if (errno == EPIPE) die_of_broken_pipe();
  if (errno != EINTR) PyErr_SetFromErrno(PyExc_OSError);
  return false;
}

void write_err(std::string_view text) { (void)write_fully(STDERR_FILENO, text); }

// "vantri: error: MESSAGE" as one line; dot's diagnostics end in a line
// feed of their own.
void report(std::string_view message) {
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
    message.remove_suffix(1);
  }
  write_err(messages::error_line(message));
}

PyObject* exit_with(int status) {
  PyObject* code = PyLong_FromLong(status);
  if (code != nullptr) {
    PyErr_SetObject(PyExc_SystemExit, code);
    Py_DECREF(code);
  }
  return nullptr;
}

// sys.argv as byte strings in the file-system encoding, so that arguments
// that are not valid UTF-8 (file names, mostly) survive unchanged.
bool read_argv(std::vector<std::string>& out) {
  PyObject* argv = PySys_GetObject("argv");
  if (argv == nullptr) {
    PyErr_SetString(PyExc_RuntimeError, messages::kArgvLost);
    return false;
  }
  if (PyUnicode_Check(argv)) {
    PyErr_SetString(PyExc_TypeError, messages::kArgvIsText);
    return false;
  }
  PyObject* items = PySequence_Fast(argv, messages::kArgvNotSequence);
  if (items == nullptr) return false;
  const Py_ssize_t count = PySequence_Fast_GET_SIZE(items);
  bool ok = true;
  for (Py_ssize_t i = 0; ok && i < count; ++i) {
    PyObject* item = PySequence_Fast_GET_ITEM(items, i);
    if (!PyUnicode_Check(item)) {
      PyErr_Format(PyExc_TypeError, messages::kArgvItemNotText, Py_TYPE(item)->tp_name);
      ok = false;
      break;
    }
    PyObject* encoded = PyUnicode_EncodeFSDefault(item);
    if (encoded == nullptr) {
      ok = false;
      break;
    }
    out.emplace_back(PyBytes_AS_STRING(encoded),
                     static_cast<std::size_t>(PyBytes_GET_SIZE(encoded)));
    Py_DECREF(encoded);
  }
  Py_DECREF(items);
  return ok;
}

// The Python handler for SIGTERM and SIGHUP while the command runs: exit
// with 128 plus the signal, which also ends the wait for `dot` and kills it.
PyObject* exit_on_signal(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
  const long signal_number = nargs > 0 ? PyLong_AsLong(args[0]) : -1;
  if (signal_number == -1 && PyErr_Occurred()) return nullptr;
  return exit_with(128 + static_cast<int>(signal_number));
}

PyMethodDef kExitOnSignal = {
    "exit_on_signal",
    reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(exit_on_signal)),
    METH_FASTCALL, nullptr};

// Installs exit_on_signal for SIGTERM and SIGHUP where they are at their
// default (which would end the process at once and leave `dot` running),
// and puts the old handlers back. Where Python may not set handlers (a
// thread other than the main one) nothing changes.
class TerminationHandlers {
 public:
  TerminationHandlers() {
    signal_module_ = PyImport_ImportModule("signal");
    PyObject* handler = PyCFunction_New(&kExitOnSignal, nullptr);
    PyObject* default_action =
        signal_module_ != nullptr ? PyObject_GetAttrString(signal_module_, "SIG_DFL") : nullptr;
    for (int signal_number : {SIGTERM, SIGHUP}) {
      if (handler == nullptr || default_action == nullptr) break;
      PyObject* old = PyObject_CallMethod(signal_module_, "getsignal", "i", signal_number);
      if (old == default_action) {
        PyObject* replaced =
            PyObject_CallMethod(signal_module_, "signal", "iO", signal_number, handler);
        if (replaced != nullptr) saved_.push_back({signal_number, replaced});
      }
      Py_XDECREF(old);
      PyErr_Clear();  // not the main thread of the main interpreter: leave it
    }
    Py_XDECREF(default_action);
    Py_XDECREF(handler);
    PyErr_Clear();
  }

  ~TerminationHandlers() {
    PyObject* pending = PyErr_GetRaisedException();
    for (const auto& [signal_number, old] : saved_) {
      Py_XDECREF(PyObject_CallMethod(signal_module_, "signal", "iO", signal_number, old));
      Py_DECREF(old);
      PyErr_Clear();
    }
    Py_XDECREF(signal_module_);
    PyErr_SetRaisedException(pending);
  }

  TerminationHandlers(const TerminationHandlers&) = delete;
  TerminationHandlers& operator=(const TerminationHandlers&) = delete;

 private:
  struct Saved {
    int signal_number;
    PyObject* old;
  };
  PyObject* signal_module_ = nullptr;
  std::vector<Saved> saved_;
};

// How the command's options become render options, given the terminal:
// on a terminal without --width, the drawing is fitted to its width and,
// when it still does not fit, drawn whole rather than cut (to be paged).
RenderOptions resolve_options(const CliRender& command, bool fit_terminal) {
  RenderOptions options;
  options.trim = command.trim;
  options.max_label = command.max_label;
  const bool terminal_out = is_terminal(STDOUT_FILENO);
  bool ansi = command.color == ColorChoice::Ansi;
  if (command.color == ColorChoice::Auto) {
    ansi = terminal_out && !no_color_requested(std::getenv("NO_COLOR"));
  }
  options.color = ansi ? ColorMode::Ansi : ColorMode::BoxStyles;
  if (command.width) {
    if (*command.width != 0) options.max_width = command.width;
  } else if (fit_terminal) {
    // A terminal too narrow for any drawing gets one without a limit.
    const auto columns = terminal_columns(STDOUT_FILENO, std::getenv("COLUMNS"));
    if (columns && *columns >= kMinWidth) options.max_width = columns;
    options.overflow = WidthOverflow::Widen;
  }
  return options;
}

// Shows what the drawings of a terminal without --width came to: through
// the pager when it is wider or taller than the screen (and the command
// may page), else, or when no pager starts, straight. False with a Python
// exception set when writing fails.
bool show_on_terminal(const CliRender& command, const std::string& text) {
  const ShownSize size = shown_size(text);
  const auto columns = terminal_columns(STDOUT_FILENO, std::getenv("COLUMNS"));
  const auto rows = terminal_rows(STDOUT_FILENO, std::getenv("LINES"));
  // A drawing as tall as the screen would lose its first line to the
  // prompt below it.
  const bool too_big = (columns && size.columns > *columns) || (rows && size.rows >= *rows);
  if (too_big && command.pager) {
    if (const auto pager = pager_command(std::getenv("VANTRI_PAGER"), std::getenv("PAGER"))) {
      if (page(*pager, text) == Paged::Shown) return true;
    }
  }
  return write_out(text);
}

// Draws every file of the command. Returns the exit status, or -1 with a
// Python exception set that ends the command (an interrupt, say).
int draw_all(const CliRender& command) {
  // On a terminal without --width, the drawings are held until all are
  // made, and shown together, paged or not.
  const bool fit_terminal = is_terminal(STDOUT_FILENO) && !command.width;
  const RenderOptions options = resolve_options(command, fit_terminal);
  std::string held;
  ProgressLine progress(STDERR_FILENO);
  std::chrono::steady_clock::time_point started;
  RenderWatch watch;
  watch.timeout_seconds = command.timeout_seconds;
  if (is_terminal(STDERR_FILENO)) {
    watch.tick_every = std::chrono::seconds(1);
    watch.on_tick = [&progress, &started] {
      progress.show(std::chrono::duration_cast<std::chrono::seconds>(
          std::chrono::steady_clock::now() - started));
    };
  }
  const bool name_files = command.files.size() > 1;
  int status = 0;
  bool drawn_any = false;
  for (const std::string& file : command.files) {
    const bool from_stdin = file == "-";
    const std::string name = from_stdin ? std::string(messages::kStandardInput) : file;
    auto source = read_dot_unlocked(from_stdin ? DotInput(STDIN_FILENO) : DotInput(file));
    if (!source) return -1;
    if (!*source) {
      report(messages::about_input(name, source->error().display()));
      status = kErrorStatus;
      continue;
    }
    started = std::chrono::steady_clock::now();
    auto drawings = render_unlocked([&source] { return std::move(**source); }, options, watch);
    progress.erase();
    if (!drawings) return -1;
    // The graphs of one input are drawn in turn like files; a failing one
    // does not stop the rest either.
    const bool name_graphs = drawings->size() > 1;
    for (std::size_t i = 0; i < drawings->size(); ++i) {
      const std::expected<Rendering, RenderError>& drawing = (*drawings)[i];
      if (!drawing) {
        std::string message = display(drawing.error());
        if (name_graphs) message = messages::about_graph(i + 1, message);
        report(name_files ? messages::about_input(name, message) : message);
        status = kErrorStatus;
        continue;
      }
      if (fit_terminal) {
        if (drawn_any) held += '\n';
        held += drawing->text;
        drawn_any = true;
        continue;
      }
      if (drawn_any && !write_out("\n")) return -1;
      if (!write_out(drawing->text)) return -1;
      drawn_any = true;
      // A drawing cut at the width says so, after the drawing.
      if (drawing->cut) {
        const std::string message = drawing->cut->message("--width");
        write_err(messages::notice_line(name_graphs ? messages::about_graph(i + 1, message)
                                                    : message));
      }
    }
  }
  if (!held.empty() && !show_on_terminal(command, held)) return -1;
  return status;
}

// Turns the exception that ended the command into its exit: Ctrl-C exits
// with 130, SystemExit passes, anything else is reported as an error.
PyObject* exit_for_exception() {
  if (PyErr_ExceptionMatches(PyExc_SystemExit)) return nullptr;
  if (PyErr_ExceptionMatches(PyExc_KeyboardInterrupt)) {
    PyErr_Clear();
    return exit_with(kInterruptedStatus);
  }
  PyObject* error = PyErr_GetRaisedException();
  PyObject* text = PyObject_Str(error);
  Py_DECREF(error);
  const char* message = text != nullptr ? PyUnicode_AsUTF8(text) : nullptr;
  report(message != nullptr ? std::string_view(message) : messages::kUnknownError);
  Py_XDECREF(text);
  PyErr_Clear();
  return exit_with(kErrorStatus);
}

PyObject* run(const std::vector<std::string>& argv) {
  const std::span<const std::string> args =
      argv.empty() ? std::span<const std::string>() : std::span(argv).subspan(1);
  const CliCommand command = parse_cli_args(args, is_terminal(STDIN_FILENO));
  if (std::holds_alternative<CliHelp>(command)) {
    if (!write_out(messages::kCliHelp)) return nullptr;
    Py_RETURN_NONE;
  }
  if (std::holds_alternative<CliVersion>(command)) {
    if (!write_out("vantri " VANTRI_VERSION "\n")) return nullptr;
    Py_RETURN_NONE;
  }
  if (const auto* usage = std::get_if<CliUsageError>(&command)) {
    report(usage->message);
    write_err(messages::kCliUsage);
    return exit_with(kUsageStatus);
  }
  int status;
  {
    const TerminationHandlers handlers;
    status = draw_all(std::get<CliRender>(command));
  }
  if (status < 0) return nullptr;
  if (status != 0) return exit_with(status);
  Py_RETURN_NONE;
}

}  // namespace

PyObject* cli(PyObject* module, PyObject*) {
  PyObject* result = guarded(module, []() -> PyObject* {
    std::vector<std::string> argv;
    if (!read_argv(argv)) return nullptr;
    return run(argv);
  });
  return result != nullptr ? result : exit_for_exception();
}

}  // namespace vantri::python
