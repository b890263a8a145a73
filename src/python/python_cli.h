// The `_cli` module function behind the `vantri` command.
#ifndef VANTRI_PYTHON_PYTHON_CLI_H_
#define VANTRI_PYTHON_PYTHON_CLI_H_

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace vantri::python {

/// Reads sys.argv, renders a file or standard input and writes the drawing
/// to the process's standard output.
PyObject* cli(PyObject* module, PyObject* unused);

}  // namespace vantri::python

#endif  // VANTRI_PYTHON_PYTHON_CLI_H_
