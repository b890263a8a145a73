// The `_cli` module function behind the `vantri` command.
#ifndef VANTRI_PYTHON_PYTHON_CLI_H_
#define VANTRI_PYTHON_PYTHON_CLI_H_

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace vantri::python {

/// Reads sys.argv, draws each file or standard input and writes the
/// drawings to the process's standard output. Returns None when all went
/// well; otherwise raises SystemExit with the exit status, after saying
/// what went wrong on standard error.
PyObject* cli(PyObject* module, PyObject* unused);

}  // namespace vantri::python

#endif  // VANTRI_PYTHON_PYTHON_CLI_H_
