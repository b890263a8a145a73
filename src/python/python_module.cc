// The `vantri` extension module: `render` and `render_file`.
//
// Both functions bind their arguments by hand (fast call with keywords),
// convert them in a fixed order so that the first bad argument is the one
// reported, and hand the work to the C++ render pipeline without holding
// the interpreter lock (python_render.h).
//
// The module is initialised in phases and keeps its state in the module
// object, so every interpreter of a process, sub-interpreters with a lock
// of their own included, gets a module of its own.
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "messages/messages.h"
#include "process/cli_args.h"
#include "process/dot_encoding.h"
#include "python/python_cli.h"
#include "python/python_graph_objects.h"
#include "python/python_render.h"
#include "python/python_support.h"
#include "render/render_graph.h"
#include "trim/trim.h"

namespace vantri::python {
namespace {

constexpr std::size_t kParams = 6;
enum Param { kSource = 0, kMaxWidth, kTrim, kMaxLabel, kColor, kTimeout };

// Names of one function's parameters; the first differs between functions.
struct Signature {
  const char* function;
  std::array<const char*, kParams> names;
  /// The first argument names a file rather than holding DOT text.
  bool takes_path;
};

constexpr Signature kRender{
    "render", {"dot_source", "max_width", "trim", "max_label", "color", "timeout"}, false};
constexpr Signature kRenderFile{
    "render_file", {"path", "max_width", "trim", "max_label", "color", "timeout"}, true};

// Binds one positional-or-keyword parameter and five keyword-only ones.
// Values are borrowed; absent ones stay null.
bool bind(const Signature& sig, PyObject* const* args, Py_ssize_t nargsf,
          PyObject* kwnames, std::array<PyObject*, kParams>& values) {
  const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
  if (nargs > 1) {
    PyErr_Format(PyExc_TypeError, messages::kTooManyPositional, sig.function, nargs);
    return false;
  }
  if (nargs == 1) values[kSource] = args[0];
  const Py_ssize_t nkw = kwnames == nullptr ? 0 : PyTuple_GET_SIZE(kwnames);
  for (Py_ssize_t k = 0; k < nkw; ++k) {
    PyObject* key = PyTuple_GET_ITEM(kwnames, k);
    std::size_t slot = kParams;
    for (std::size_t p = 0; p < kParams; ++p) {
      if (PyUnicode_EqualToUTF8(key, sig.names[p])) {
        slot = p;
        break;
      }
    }
    if (slot == kParams) {
      PyErr_Format(PyExc_TypeError, messages::kUnexpectedKeyword, sig.function, key);
      return false;
    }
    if (values[slot] != nullptr) {
      PyErr_Format(PyExc_TypeError, messages::kRepeatedArgument, sig.function,
                   sig.names[slot]);
      return false;
    }
    values[slot] = args[nargs + k];
  }
  if (values[kSource] == nullptr) {
    PyErr_Format(PyExc_TypeError, messages::kMissingArgument, sig.function,
                 sig.names[kSource]);
    return false;
  }
  return true;
}

PyObject* wrong_type(const Signature& sig, Param p, const char* expected,
                     PyObject* value) {
  PyErr_Format(PyExc_TypeError, messages::kWrongType, sig.function, sig.names[p], expected,
               Py_TYPE(value)->tp_name);
  return nullptr;
}

// A str argument as its UTF-8 text.
bool convert_text(const Signature& sig, Param p, PyObject* value, std::string& out) {
  if (!PyUnicode_Check(value)) {
    wrong_type(sig, p, "str", value);
    return false;
  }
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(value, &size);
  if (data == nullptr) return false;
  out.assign(data, static_cast<std::size_t>(size));
  return true;
}

// render's DOT source: a str, or a graph object of graphviz, pydot or
// networkx as its DOT text.
bool convert_source(const Signature& sig, PyObject* value, std::string& out) {
  if (PyUnicode_Check(value)) return convert_text(sig, kSource, value, out);
  const GraphPackage package = graph_package_of(value);
  if (package == GraphPackage::None) {
    wrong_type(sig, kSource, messages::kExpectedDotSource, value);
    return false;
  }
  return dot_text_of_graph(value, package, out);
}

// None, absent, or an integer from 0 to 2^64 - 1.
bool convert_limit(const Signature& sig, Param p, PyObject* value,
                   std::optional<std::uint64_t>& out) {
  if (value == nullptr || value == Py_None) return true;
  if (!PyIndex_Check(value)) {
    wrong_type(sig, p, "int or None", value);
    return false;
  }
  PyObject* index = PyNumber_Index(value);
  if (index == nullptr) return false;
  const unsigned long long number = PyLong_AsUnsignedLongLong(index);
  Py_DECREF(index);
  if (number == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return false;
  out = number;
  return true;
}

// numpy's boolean scalars count as booleans, through their truth value.
bool is_numpy_bool(PyObject* value) {
  PyTypeObject* type = Py_TYPE(value);
  PyObject* name = PyType_GetName(type);
  if (name == nullptr) {
    PyErr_Clear();
    return false;
  }
  const bool bool_name =
      PyUnicode_EqualToUTF8(name, "bool_") || PyUnicode_EqualToUTF8(name, "bool");
  Py_DECREF(name);
  if (!bool_name) return false;
  PyObject* module = PyType_GetModuleName(type);
  if (module == nullptr) {
    PyErr_Clear();
    return false;
  }
  const bool numpy = PyUnicode_Check(module) && PyUnicode_EqualToUTF8(module, "numpy");
  Py_DECREF(module);
  return numpy;
}

bool convert_color(const Signature& sig, PyObject* value, bool& out) {
  if (value == nullptr) return true;
  if (!PyBool_Check(value) && !is_numpy_bool(value)) {
    wrong_type(sig, kColor, "bool", value);
    return false;
  }
  const int truth = PyObject_IsTrue(value);
  if (truth < 0) return false;
  out = truth != 0;
  return true;
}

// A path-like object (os.fspath: str, bytes or an object with
// __fspath__) as bytes, encoded the way the os module encodes names, so
// that names which are not valid UTF-8 still open.
bool convert_path(const Signature& sig, PyObject* value, std::string& out) {
  PyObject* path = PyOS_FSPath(value);
  if (path == nullptr) {
    if (PyErr_ExceptionMatches(PyExc_TypeError)) {
      PyErr_Clear();
      wrong_type(sig, kSource, "str, bytes or os.PathLike", value);
    }
    return false;
  }
  PyObject* encoded = PyBytes_Check(path) ? Py_NewRef(path) : PyUnicode_EncodeFSDefault(path);
  Py_DECREF(path);
  if (encoded == nullptr) return false;
  out.assign(PyBytes_AS_STRING(encoded), static_cast<std::size_t>(PyBytes_GET_SIZE(encoded)));
  Py_DECREF(encoded);
  return true;
}

// A width limit narrower than any drawing would print nothing at all.
bool check_max_width(const Signature& sig, const std::optional<std::uint64_t>& width) {
  if (!width || *width >= kMinWidth) return true;
  PyErr_Format(PyExc_ValueError, messages::kMaxWidthTooSmall,
               sig.function, static_cast<unsigned long long>(kMinWidth),
               static_cast<unsigned long long>(*width));
  return false;
}

// None, absent, or a real number of seconds above 0.
bool convert_timeout(const Signature& sig, PyObject* value, std::optional<double>& out) {
  if (value == nullptr || value == Py_None) return true;
  if (PyBool_Check(value)) {
    wrong_type(sig, kTimeout, "a number or None", value);
    return false;
  }
  const double seconds = PyFloat_AsDouble(value);
  if (seconds == -1.0 && PyErr_Occurred()) {
    if (PyErr_ExceptionMatches(PyExc_TypeError)) {
      PyErr_Clear();
      wrong_type(sig, kTimeout, "a number or None", value);
    }
    return false;
  }
  if (!(seconds > 0)) {  // NaN too
    PyErr_Format(PyExc_ValueError, messages::kTimeoutNotPositive, sig.function, value);
    return false;
  }
  out = seconds;
  return true;
}

// The converted arguments of one call.
struct Arguments {
  std::string source;  // DOT text, or the path for render_file
  RenderOptions options;
  RenderWatch watch;
};

// Binds and converts every argument, then parses the strategy name.
bool convert_arguments(const Signature& sig, PyObject* const* args,
                       Py_ssize_t nargsf, PyObject* kwnames, Arguments& out) {
  std::array<PyObject*, kParams> values{};
  if (!bind(sig, args, nargsf, kwnames, values)) return false;
  if (sig.takes_path ? !convert_path(sig, values[kSource], out.source)
                     : !convert_source(sig, values[kSource], out.source)) {
    return false;
  }
  if (!convert_limit(sig, kMaxWidth, values[kMaxWidth], out.options.max_width) ||
      !check_max_width(sig, out.options.max_width)) {
    return false;
  }
  std::string trim = "smart";
  if (values[kTrim] != nullptr && !convert_text(sig, kTrim, values[kTrim], trim)) {
    return false;
  }
  if (!convert_limit(sig, kMaxLabel, values[kMaxLabel], out.options.max_label)) {
    return false;
  }
  bool color = true;
  if (!convert_color(sig, values[kColor], color)) return false;
  out.options.color = color ? ColorMode::Ansi : ColorMode::Off;
  if (!convert_timeout(sig, values[kTimeout], out.watch.timeout_seconds)) return false;

  auto strategy = parse_trim_strategy(trim);
  if (!strategy) {
    raise(PyExc_ValueError, strategy.error());
    return false;
  }
  out.options.trim = *strategy;
  return true;
}

// Renders the UTF-8 DOT text `dot_text` gives; a drawing cut at max_width
// warns first with vantri.DrawingCutWarning (and fails when warnings are
// made errors).
PyObject* render_text(PyObject* module, const std::function<std::string()>& dot_text,
                      const Arguments& a) {
  auto outcome = render_unlocked(dot_text, a.options, a.watch);
  if (!outcome) return nullptr;
  // Several graphs are drawn in turn, a blank line between them, as the
  // command prints them; a failing graph fails the call.
  const bool name_graphs = outcome->size() > 1;
  const auto about = [name_graphs](std::size_t i, std::string message) {
    return name_graphs ? messages::about_graph(i + 1, message) : message;
  };
  for (std::size_t i = 0; i < outcome->size(); ++i) {
    const auto& drawing = (*outcome)[i];
    if (!drawing) return raise_render_error(drawing.error(), about(i, display(drawing.error())));
  }
  std::string text;
  for (std::size_t i = 0; i < outcome->size(); ++i) {
    const Rendering& drawing = *(*outcome)[i];
    if (drawing.cut) {
      const std::string message = about(i, drawing.cut->message("max_width"));
      if (PyErr_WarnEx(module_state(module).drawing_cut_warning, message.c_str(), 1) < 0) {
        return nullptr;
      }
    }
    if (i > 0) text += '\n';
    text += drawing.text;
  }
  return new_str(text);
}

PyObject* render(PyObject* module, PyObject* const* args, Py_ssize_t nargsf,
                 PyObject* kwnames) {
  return guarded(module, [&]() -> PyObject* {
    Arguments a;
    if (!convert_arguments(kRender, args, nargsf, kwnames, a)) return nullptr;
    return render_text(module, [&a] { return dot_text_from_unicode(std::move(a.source)); }, a);
  });
}

PyObject* render_file(PyObject* module, PyObject* const* args, Py_ssize_t nargsf,
                      PyObject* kwnames) {
  return guarded(module, [&]() -> PyObject* {
    Arguments a;
    if (!convert_arguments(kRenderFile, args, nargsf, kwnames, a)) return nullptr;
    auto text = read_dot_unlocked(a.source);
    if (!text) return nullptr;
    if (!*text) return raise(PyExc_RuntimeError, text->error().display());
    return render_text(module, [&text] { return std::move(**text); }, a);
  });
}

// The documentation bodies of render and render_file differ only in their
// summary, first argument and failure lines.
#define VANTRI_RENDER_DOC(signature, summary, first_argument, failure)            \
  signature "\n--\n\n" summary "\n"                                              \
  "\n"                                                                           \
  "Args:\n"                                                                      \
  "    " first_argument "\n"                                                     \
  "    max_width: Optional maximum output width in terminal columns, 5 or\n"    \
  "        more.\n"                                                              \
  "    trim: Label trimming strategy: \"end\", \"start\", \"middle\", \"smart\" " \
  "(default).\n"                                                                 \
  "    max_label: Optional maximum label width in terminal columns.\n"           \
  "    color: If True (default), use ANSI colors on borders. If False, plain\n"  \
  "        solid borders with no color distinction.\n"                           \
  "    timeout: Optional limit in seconds on the time Graphviz `dot` and the\n" \
  "        drawing may take together.\n"                                       \
  "\n"                                                                           \
  "Returns:\n"                                                                   \
  "    ASCII art string; for a text of several graphs, their drawings in\n"     \
  "    turn, a blank line between each two.\n"                                   \
  "\n"                                                                           \
  "Raises:\n"                                                                    \
  "    RuntimeError: If graphviz `dot` is not found or " failure "\n"            \
  "    TimeoutError: If `dot` and the drawing take longer than the timeout.\n"    \
  "    ValueError: For an unknown trim strategy, a max_width below 5 or a\n"    \
  "        timeout that is not above 0.\n"                                       \
  "\n"                                                                           \
  "The interpreter lock is released while `dot` runs and while the drawing\n"   \
  "is made; Ctrl-C (KeyboardInterrupt) stops `dot` and the drawing at once."

constexpr const char kRenderDoc[] = VANTRI_RENDER_DOC(
    "render(dot_source, *, max_width=None, trim=\"smart\", max_label=None, color=True, "
    "timeout=None)",
    "Render a Graphviz DOT string to ASCII art.",
    "dot_source: DOT graph source string, or a graph of the graphviz\n"
    "        package (its source), of pydot (its to_string()) or of networkx\n"
    "        (Graph, DiGraph, MultiGraph, MultiDiGraph, written as DOT with\n"
    "        their attributes); anything else raises TypeError.",
    "the DOT source is invalid or holds no graph.");

constexpr const char kRenderFileDoc[] = VANTRI_RENDER_DOC(
    "render_file(path, *, max_width=None, trim=\"smart\", max_label=None, color=True, "
    "timeout=None)",
    "Render a Graphviz DOT file to ASCII art.",
    "path: Path to a .dot file (str, bytes or os.PathLike).",
    "the file can't be read or holds no graph.");

#undef VANTRI_RENDER_DOC

constexpr const char kCliDoc[] =
    "_cli()\n--\n\nCLI entry point for `uvx vantri` / `python -m vantri`.";

PyMethodDef kMethods[] = {
    {"render", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(render)),
     METH_FASTCALL | METH_KEYWORDS, kRenderDoc},
    {"render_file",
     reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(render_file)),
     METH_FASTCALL | METH_KEYWORDS, kRenderFileDoc},
    {"_cli", cli, METH_NOARGS, kCliDoc},
    {nullptr, nullptr, 0, nullptr},
};

int traverse(PyObject* module, visitproc visit, void* arg) {
  Py_VISIT(module_state(module).internal_error);
  Py_VISIT(module_state(module).drawing_cut_warning);
  return 0;
}

int clear(PyObject* module) {
  Py_CLEAR(module_state(module).internal_error);
  Py_CLEAR(module_state(module).drawing_cut_warning);
  return 0;
}

void free_module(void* module) { clear(static_cast<PyObject*>(module)); }

int exec_module(PyObject* module) {
  ModuleState& state = module_state(module);
  state.internal_error = PyErr_NewExceptionWithDoc(
      "vantri.InternalError",
      "A fault inside vantri itself, not in the graph or the arguments.",
      PyExc_RuntimeError, nullptr);
  if (state.internal_error == nullptr ||
      PyModule_AddObjectRef(module, "InternalError", state.internal_error) < 0 ||
      PyModule_AddStringConstant(module, "__version__", VANTRI_VERSION) < 0) {
    return -1;
  }
  state.drawing_cut_warning = PyErr_NewExceptionWithDoc(
      "vantri.DrawingCutWarning",
      "The drawing did not fit max_width even with shortened labels and a "
      "tighter layout, and was cut: the message says how many nodes it leaves "
      "out.",
      PyExc_UserWarning, nullptr);
  if (state.drawing_cut_warning == nullptr ||
      PyModule_AddObjectRef(module, "DrawingCutWarning", state.drawing_cut_warning) < 0) {
    return -1;
  }
  return 0;
}

PyModuleDef_Slot kSlots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(exec_module)},
    {Py_mod_multiple_interpreters, Py_MOD_PER_INTERPRETER_GIL_SUPPORTED},
    {0, nullptr},
};

PyModuleDef kModule = {
    PyModuleDef_HEAD_INIT,
    "vantri",
    "vantri: Convert Graphviz DOT files to ASCII box-drawing art.",
    sizeof(ModuleState),
    kMethods,
    kSlots,
    traverse,
    clear,
    free_module,
};

}  // namespace
}  // namespace vantri::python

PyMODINIT_FUNC PyInit_vantri(void) { return PyModuleDef_Init(&vantri::python::kModule); }
