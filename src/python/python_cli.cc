// The `_cli` module function behind the `vantri` command.
//
// Reads sys.argv, renders a file or standard input and writes the drawing
// straight to the process's standard output (descriptor 1), not through
// sys.stdout. Usage errors end the process at once with status 1.
#include "python/python_cli.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "python/cli_args.h"
#include "python/python_support.h"
#include "python/read_source.h"
#include "render/render_graph.h"
#include "trim/trim.h"

namespace vantri::python {
namespace {

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

// Writes all of `text` to `fd`. Returns false with a Python exception set
// when writing fails for a reason other than a closed pipe.
bool write_all(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) {
        if (PyErr_CheckSignals() < 0) return false;
        continue;
      }
      if (errno == EPIPE) die_of_broken_pipe();
      PyErr_SetFromErrno(PyExc_OSError);
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

[[noreturn]] void usage_error(std::string_view message) {
  (void)write_all(STDERR_FILENO, message);
  ::_exit(1);
}

// sys.argv as byte strings in the file-system encoding, so that arguments
// that are not valid UTF-8 (file names, mostly) survive unchanged.
bool read_argv(std::vector<std::string>& out) {
  PyObject* argv = PySys_GetObject("argv");
  if (argv == nullptr) {
    PyErr_SetString(PyExc_RuntimeError, "lost sys.argv");
    return false;
  }
  if (PyUnicode_Check(argv)) {
    PyErr_SetString(PyExc_TypeError, "Can't extract `str` to `Vec`");
    return false;
  }
  PyObject* items = PySequence_Fast(argv, "sys.argv must be a sequence of str");
  if (items == nullptr) return false;
  const Py_ssize_t count = PySequence_Fast_GET_SIZE(items);
  bool ok = true;
  for (Py_ssize_t i = 0; ok && i < count; ++i) {
    PyObject* item = PySequence_Fast_GET_ITEM(items, i);
    if (!PyUnicode_Check(item)) {
      PyErr_Format(PyExc_TypeError, "sys.argv items must be str, not %s",
                   Py_TYPE(item)->tp_name);
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

// Raises `type` with `prefix` followed by command-line text, decoded the
// way Python decoded it into sys.argv.
PyObject* raise_with_argument(PyObject* type, std::string_view prefix,
                              const std::string& argument, std::string_view suffix) {
  PyObject* decoded = PyUnicode_DecodeFSDefaultAndSize(
      argument.data(), static_cast<Py_ssize_t>(argument.size()));
  if (decoded == nullptr) return nullptr;
  PyObject* message = PyUnicode_FromFormat("%.*s%U%.*s", static_cast<int>(prefix.size()),
                                           prefix.data(), decoded,
                                           static_cast<int>(suffix.size()),
                                           suffix.data());
  Py_DECREF(decoded);
  if (message == nullptr) return nullptr;
  PyErr_SetObject(type, message);
  Py_DECREF(message);
  return nullptr;
}

PyObject* run(const CliRender& command) {
  std::expected<std::string, IoError> source =
      command.file == "-" ? read_text_fd(STDIN_FILENO) : read_text_file(command.file);
  if (!source) {
    if (command.file == "-") return raise(PyExc_RuntimeError, source.error().display());
    return raise_with_argument(PyExc_RuntimeError, "", command.file,
                               ": " + source.error().display());
  }
  auto strategy = parse_trim_strategy(command.trim);
  if (!strategy) {
    return raise_with_argument(PyExc_ValueError, "unknown trim strategy: ",
                               command.trim, "");
  }
  RenderOptions options;
  options.max_width = command.width;
  options.max_label = command.max_label;
  options.trim = *strategy;
  options.color = command.no_color ? ColorMode::BoxStyles : ColorMode::Ansi;
  auto drawing = render_graph(*source, options);
  if (!drawing) return raise(PyExc_RuntimeError, display(drawing.error()));
  if (!write_all(STDOUT_FILENO, drawing->text)) return nullptr;
  // A drawing cut at the width says so, after the drawing.
  if (drawing->cut &&
      !write_all(STDERR_FILENO, "vantri: " + drawing->cut->message("--width") + "\n")) {
    return nullptr;
  }
  Py_RETURN_NONE;
}

}  // namespace

PyObject* cli(PyObject*, PyObject*) {
  return guarded([]() -> PyObject* {
    std::vector<std::string> argv;
    if (!read_argv(argv)) return nullptr;
    const std::span<const std::string> args =
        argv.empty() ? std::span<const std::string>() : std::span(argv).subspan(1);
    const CliCommand command = parse_cli_args(args);
    if (std::holds_alternative<CliHelp>(command)) {
      if (!write_all(STDOUT_FILENO, kCliHelp)) return nullptr;
      Py_RETURN_NONE;
    }
    if (auto* unknown = std::get_if<CliUnknownOption>(&command)) {
      usage_error("Unknown option: " + unknown->option + "\n");
    }
    if (std::holds_alternative<CliMissingFile>(command)) usage_error(kCliUsage);
    return run(std::get<CliRender>(command));
  });
}

}  // namespace vantri::python
