// The `vantri` extension module: `render` and `render_file`.
//
// Both functions bind their arguments by hand (fast call with keywords),
// convert them in a fixed order so that the first bad argument is the one
// reported, and hand the work to the C++ render pipeline.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "python/python_cli.h"
#include "python/python_support.h"
#include "python/read_source.h"
#include "render/render_graph.h"
#include "trim/trim.h"

namespace vantri::python {
namespace {

constexpr std::size_t kParams = 5;
enum Param { kSource = 0, kMaxWidth, kTrim, kMaxLabel, kColor };

// Names of one function's parameters; the first differs between functions.
struct Signature {
  const char* function;
  std::array<const char*, kParams> names;
  /// The first argument names a file rather than holding DOT text.
  bool takes_path;
};

constexpr Signature kRender{
    "render", {"dot_source", "max_width", "trim", "max_label", "color"}, false};
constexpr Signature kRenderFile{
    "render_file", {"path", "max_width", "trim", "max_label", "color"}, true};

// Binds one positional-or-keyword parameter and four keyword-only ones.
// Values are borrowed; absent ones stay null.
bool bind(const Signature& sig, PyObject* const* args, Py_ssize_t nargsf,
          PyObject* kwnames, std::array<PyObject*, kParams>& values) {
  const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
  if (nargs > 1) {
    PyErr_Format(PyExc_TypeError,
                 "%s() takes 1 positional argument but %zd were given",
                 sig.function, nargs);
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
      PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'",
                   sig.function, key);
      return false;
    }
    if (values[slot] != nullptr) {
      PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'",
                   sig.function, sig.names[slot]);
      return false;
    }
    values[slot] = args[nargs + k];
  }
  if (values[kSource] == nullptr) {
    PyErr_Format(PyExc_TypeError, "%s() missing required argument '%s' (pos 1)",
                 sig.function, sig.names[kSource]);
    return false;
  }
  return true;
}

PyObject* wrong_type(const Signature& sig, Param p, const char* expected,
                     PyObject* value) {
  PyErr_Format(PyExc_TypeError, "%s() argument '%s' must be %s, not %s",
               sig.function, sig.names[p], expected, Py_TYPE(value)->tp_name);
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

// The converted arguments of one call.
struct Arguments {
  std::string source;  // DOT text, or the path for render_file
  RenderOptions options;
};

// Binds and converts every argument, then parses the strategy name.
bool convert_arguments(const Signature& sig, PyObject* const* args,
                       Py_ssize_t nargsf, PyObject* kwnames, Arguments& out) {
  std::array<PyObject*, kParams> values{};
  if (!bind(sig, args, nargsf, kwnames, values)) return false;
  if (sig.takes_path) {
    // Paths are encoded the way the os module encodes them, so that names
    // which are not valid UTF-8 still open.
    if (!PyUnicode_Check(values[kSource])) {
      wrong_type(sig, kSource, "str", values[kSource]);
      return false;
    }
    PyObject* encoded = PyUnicode_EncodeFSDefault(values[kSource]);
    if (encoded == nullptr) return false;
    out.source.assign(PyBytes_AS_STRING(encoded),
                      static_cast<std::size_t>(PyBytes_GET_SIZE(encoded)));
    Py_DECREF(encoded);
  } else if (!convert_text(sig, kSource, values[kSource], out.source)) {
    return false;
  }
  if (!convert_limit(sig, kMaxWidth, values[kMaxWidth], out.options.max_width)) {
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

  auto strategy = parse_trim_strategy(trim);
  if (!strategy) {
    raise(PyExc_ValueError, strategy.error());
    return false;
  }
  out.options.trim = *strategy;
  return true;
}

// vantri.DrawingCutWarning, a UserWarning.
PyObject* drawing_cut_warning = nullptr;

// The drawing as a str; a drawing cut at max_width warns first (and fails
// when warnings are made errors).
PyObject* finish(const std::expected<Rendering, RenderError>& result) {
  if (!result) return raise(PyExc_RuntimeError, display(result.error()));
  if (result->cut &&
      PyErr_WarnEx(drawing_cut_warning, result->cut->message("max_width").c_str(), 1) < 0) {
    return nullptr;
  }
  return new_str(result->text);
}

PyObject* render(PyObject*, PyObject* const* args, Py_ssize_t nargsf,
                 PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    Arguments a;
    if (!convert_arguments(kRender, args, nargsf, kwnames, a)) return nullptr;
    return finish(render_graph(a.source, a.options));
  });
}

PyObject* render_file(PyObject*, PyObject* const* args, Py_ssize_t nargsf,
                      PyObject* kwnames) {
  return guarded([&]() -> PyObject* {
    Arguments a;
    if (!convert_arguments(kRenderFile, args, nargsf, kwnames, a)) return nullptr;
    auto text = read_text_file(a.source);
    if (!text) return raise(PyExc_RuntimeError, text.error().display());
    return finish(render_graph(*text, a.options));
  });
}

// The documentation bodies of render and render_file differ only in their
// summary, first argument and failure lines.
#define VANTRI_RENDER_DOC(signature, summary, first_argument, failure)            \
  signature "\n--\n\n" summary "\n"                                              \
  "\n"                                                                           \
  "Args:\n"                                                                      \
  "    " first_argument "\n"                                                     \
  "    max_width: Optional maximum output width in characters.\n"                \
  "    trim: Label trimming strategy: \"end\", \"start\", \"middle\", \"smart\" " \
  "(default).\n"                                                                 \
  "    max_label: Optional maximum label width in characters.\n"                 \
  "    color: If True (default), use ANSI colors on borders. If False, plain\n"  \
  "        solid borders with no color distinction.\n"                           \
  "\n"                                                                           \
  "Returns:\n"                                                                   \
  "    ASCII art string.\n"                                                      \
  "\n"                                                                           \
  "Raises:\n"                                                                    \
  "    RuntimeError: If graphviz `dot` is not found or " failure

constexpr const char kRenderDoc[] = VANTRI_RENDER_DOC(
    "render(dot_source, *, max_width=None, trim=\"smart\", max_label=None, color=True)",
    "Render a Graphviz DOT string to ASCII art.",
    "dot_source: DOT graph source string.", "the DOT source is invalid.");

constexpr const char kRenderFileDoc[] = VANTRI_RENDER_DOC(
    "render_file(path, *, max_width=None, trim=\"smart\", max_label=None, color=True)",
    "Render a Graphviz DOT file to ASCII art.", "path: Path to a .dot file.",
    "the file can't be read.");

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

PyModuleDef kModule = {
    PyModuleDef_HEAD_INIT,
    "vantri",
    "vantri: Convert Graphviz DOT files to ASCII box-drawing art.",
    0,
    kMethods,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

// The module is created once per process and handed out again on later
// initialisations; it holds no per-interpreter state, so it refuses to be
// shared with a second interpreter.
PyObject* the_module = nullptr;
PyInterpreterState* owner = nullptr;

PyObject* create_module() {
  PyObject* module = PyModule_Create(&kModule);
  if (module == nullptr) return nullptr;
  internal_error = PyErr_NewExceptionWithDoc(
      "vantri.InternalError",
      "A fault inside vantri itself. Derived from BaseException, so that "
      "ordinary error handling does not mistake it for a bad graph.",
      PyExc_BaseException, nullptr);
  if (internal_error == nullptr ||
      PyModule_AddObjectRef(module, "InternalError", internal_error) < 0) {
    Py_DECREF(module);
    return nullptr;
  }
  drawing_cut_warning = PyErr_NewExceptionWithDoc(
      "vantri.DrawingCutWarning",
      "The drawing did not fit max_width even with shortened labels and a "
      "tighter layout, and was cut: the message says how many nodes it leaves "
      "out.",
      PyExc_UserWarning, nullptr);
  if (drawing_cut_warning == nullptr ||
      PyModule_AddObjectRef(module, "DrawingCutWarning", drawing_cut_warning) < 0) {
    Py_DECREF(module);
    return nullptr;
  }
  return module;
}

}  // namespace
}  // namespace vantri::python

PyMODINIT_FUNC PyInit_vantri(void) {
  using namespace vantri::python;
  PyInterpreterState* interpreter = PyInterpreterState_Get();
  if (the_module != nullptr) {
    if (interpreter != owner) {
      PyErr_SetString(PyExc_ImportError,
                      "vantri cannot be loaded into more than one interpreter "
                      "of a process");
      return nullptr;
    }
    return Py_NewRef(the_module);
  }
  the_module = create_module();
  if (the_module == nullptr) return nullptr;
  owner = interpreter;
  return Py_NewRef(the_module);
}
