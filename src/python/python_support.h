// Shared pieces of the Python binding: turning C++ failures into Python
// exceptions at the module boundary.
#ifndef VANTRI_PYTHON_PYTHON_SUPPORT_H_
#define VANTRI_PYTHON_PYTHON_SUPPORT_H_

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <exception>
#include <new>
#include <string_view>

namespace vantri::python {

/// vantri.InternalError, derived from BaseException: raised for a fault
/// inside the library instead of ending the interpreter.
extern PyObject* internal_error;

/// Runs `body`; a C++ exception escaping it becomes a Python exception
/// (MemoryError for exhausted memory, InternalError for anything else).
template <typename Body>
PyObject* guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return PyErr_NoMemory();
  } catch (const std::exception& e) {
    PyErr_SetString(internal_error, e.what());
  } catch (...) {
    PyErr_SetString(internal_error, "unknown internal error");
  }
  return nullptr;
}

/// Raises `type` with a UTF-8 message; returns nullptr.
PyObject* raise(PyObject* type, std::string_view message);

/// A new str from UTF-8 text.
PyObject* new_str(std::string_view text);

}  // namespace vantri::python

#endif  // VANTRI_PYTHON_PYTHON_SUPPORT_H_
