// Shared pieces of the Python binding: the per-module state, and turning
// C++ failures into Python exceptions at the module boundary.
#ifndef VANTRI_PYTHON_PYTHON_SUPPORT_H_
#define VANTRI_PYTHON_PYTHON_SUPPORT_H_

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <exception>
#include <new>
#include <string_view>

#include "messages/messages.h"

namespace vantri::python {

/// What one module object holds; every interpreter that imports vantri has
/// its own.
struct ModuleState {
  /// vantri.InternalError, derived from RuntimeError: raised for a fault
  /// inside the library instead of ending the interpreter.
  PyObject* internal_error = nullptr;
  /// vantri.DrawingCutWarning, a UserWarning: a drawing cut at max_width.
  PyObject* drawing_cut_warning = nullptr;
};

ModuleState& module_state(PyObject* module);

/// Runs `body`; a C++ exception escaping it becomes a Python exception
/// (MemoryError for exhausted memory, the module's InternalError for
/// anything else).
template <typename Body>
PyObject* guarded(PyObject* module, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return PyErr_NoMemory();
  } catch (const std::exception& e) {
    PyErr_SetString(module_state(module).internal_error, e.what());
  } catch (...) {
    PyErr_SetString(module_state(module).internal_error, messages::kUnknownInternalError);
  }
  return nullptr;
}

/// Raises `type` with a UTF-8 message; returns nullptr.
PyObject* raise(PyObject* type, std::string_view message);

/// A new str from UTF-8 text.
PyObject* new_str(std::string_view text);

}  // namespace vantri::python

#endif  // VANTRI_PYTHON_PYTHON_SUPPORT_H_
