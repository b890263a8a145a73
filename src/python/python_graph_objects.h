// DOT text from the graph objects of Python's graph packages.
//
// Besides DOT text, `render` draws the graphs of three packages: of
// `graphviz` (Graph, Digraph, Source) their `source`, of `pydot` (Dot and
// its other graphs) their `to_string()`, and of `networkx` (Graph,
// DiGraph, MultiGraph, MultiDiGraph, and their subclasses) DOT text
// written here: the graph's attributes, every node and every edge with
// its attributes. They are told apart by the package their class comes
// from, so none of the packages is imported, or needed.
#ifndef VANTRI_PYTHON_PYTHON_GRAPH_OBJECTS_H_
#define VANTRI_PYTHON_PYTHON_GRAPH_OBJECTS_H_

#include "python/python_support.h"

#include <cstdint>
#include <string>

namespace vantri::python {

enum class GraphPackage : std::uint8_t { None, Graphviz, Pydot, Networkx };

/// Which package's graph `value` is, by the classes of its method
/// resolution order. None for anything else (a pydot node, say, or a str).
GraphPackage graph_package_of(PyObject* value);

/// The DOT text of `value`, a graph of `package`. False, with a Python
/// exception set, when the object does not give one (its `source` no
/// str, its attributes failing).
bool dot_text_of_graph(PyObject* value, GraphPackage package, std::string& out);

}  // namespace vantri::python

#endif  // VANTRI_PYTHON_PYTHON_GRAPH_OBJECTS_H_
