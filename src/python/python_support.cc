// Module state, raising exceptions and making strings for the Python
// binding.
#include "python/python_support.h"

namespace vantri::python {

ModuleState& module_state(PyObject* module) {
  return *static_cast<ModuleState*>(PyModule_GetState(module));
}

PyObject* raise(PyObject* type, std::string_view message) {
  PyObject* text = PyUnicode_DecodeUTF8(message.data(),
                                        static_cast<Py_ssize_t>(message.size()),
                                        "replace");
  if (text != nullptr) {
    PyErr_SetObject(type, text);
    Py_DECREF(text);
  }
  return nullptr;
}

PyObject* new_str(std::string_view text) {
  return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()),
                              nullptr);
}

}  // namespace vantri::python
