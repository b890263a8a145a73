// Recognising graph objects by their classes' modules, and writing a
// networkx graph as DOT text.
#include "python/python_graph_objects.h"

#include <memory>
#include <string_view>

#include "graphviz/dot_writer.h"

namespace vantri::python {
namespace {

// An owned reference, released on every path.
struct Release {
  void operator()(PyObject* object) const { Py_DECREF(object); }
};
using Ref = std::unique_ptr<PyObject, Release>;

// The package a class comes from: its module's name up to the first dot.
std::string package_of(PyTypeObject* type) {
  Ref module(PyType_GetModuleName(type));
  Py_ssize_t size = 0;
  const char* name = module && PyUnicode_Check(module.get())
                         ? PyUnicode_AsUTF8AndSize(module.get(), &size)
                         : nullptr;
  if (name == nullptr) {
    PyErr_Clear();
    return {};
  }
  const std::string_view text(name, static_cast<std::size_t>(size));
  return std::string(text.substr(0, text.find('.')));
}

bool named(PyTypeObject* type, const char* name) {
  Ref own(PyType_GetName(type));
  if (!own) {
    PyErr_Clear();
    return false;
  }
  return PyUnicode_EqualToUTF8(own.get(), name) != 0;
}

// `value` as UTF-8 text: a str as it is, anything else as str() makes it.
bool text_of(PyObject* value, std::string& out) {
  Ref text(PyUnicode_Check(value) ? Py_NewRef(value) : PyObject_Str(value));
  if (!text) return false;
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(text.get(), &size);
  if (data == nullptr) return false;
  out.assign(data, static_cast<std::size_t>(size));
  return true;
}

// The str that an attribute or a method of a `package` graph gave.
bool str_result(PyObject* result, const char* what, const char* package, std::string& out) {
  if (result == nullptr) return false;
  Ref owned(result);
  if (!PyUnicode_Check(result)) {
    PyErr_Format(PyExc_TypeError, messages::kGraphTextNotStr, what, package,
                 Py_TYPE(result)->tp_name);
    return false;
  }
  return text_of(result, out);
}

// Calls `attribute(key, value)` for each item of the mapping `mapping`
// whose value is not None, both as text. False with an exception set.
template <typename Attribute>
bool each_item(PyObject* mapping, Attribute&& attribute) {
  Ref items(PyMapping_Items(mapping));
  if (!items) return false;
  const Py_ssize_t count = PyList_GET_SIZE(items.get());
  std::string key;
  for (Py_ssize_t i = 0; i < count; ++i) {
    PyObject* item = PyList_GET_ITEM(items.get(), i);
    if (!PyTuple_Check(item) || PyTuple_GET_SIZE(item) != 2) {
      PyErr_SetString(PyExc_TypeError, messages::kNotLikeNetworkx);
      return false;
    }
    PyObject* value = PyTuple_GET_ITEM(item, 1);
    if (value == Py_None) continue;  // no value at all
    if (!text_of(PyTuple_GET_ITEM(item, 0), key)) return false;
    if (!attribute(key, value)) return false;
  }
  return true;
}

// Writes the attributes of `mapping` into the statement begun last.
bool write_attributes(PyObject* mapping, DotWriter& writer) {
  std::string text;
  return each_item(mapping, [&](const std::string& key, PyObject* value) {
    if (!text_of(value, text)) return false;
    writer.attribute(key, text);
    return true;
  });
}

// Calls `view(data=True)` (G.nodes, G.edges) and hands each tuple it
// yields to `each`.
template <typename Each>
bool each_with_data(PyObject* graph, const char* view_name, Each&& each) {
  Ref view(PyObject_GetAttrString(graph, view_name));
  if (!view) return false;
  Ref arguments(PyTuple_New(0));
  Ref keywords(Py_BuildValue("{s:O}", "data", Py_True));
  if (!arguments || !keywords) return false;
  Ref with_data(PyObject_Call(view.get(), arguments.get(), keywords.get()));
  if (!with_data) return false;
  Ref iterator(PyObject_GetIter(with_data.get()));
  if (!iterator) return false;
  while (Ref item{PyIter_Next(iterator.get())}) {
    if (!PyTuple_Check(item.get()) || PyTuple_GET_SIZE(item.get()) < 2) {
      PyErr_SetString(PyExc_TypeError, messages::kNotLikeNetworkx);
      return false;
    }
    if (!each(item.get())) return false;
  }
  return PyErr_Occurred() == nullptr;
}

bool truth_of_method(PyObject* object, const char* method, bool& out) {
  Ref result(PyObject_CallMethod(object, method, nullptr));
  if (!result) return false;
  const int truth = PyObject_IsTrue(result.get());
  if (truth < 0) return false;
  out = truth != 0;
  return true;
}

// A networkx graph as DOT: the graph's attributes (its "graph", "node"
// and "edge" entries, when they are mappings, as the defaults of each, the
// way networkx's own Graphviz writers take them), then every node and
// every edge in the graph's order, each with its attributes. Names and
// values are str() of what the graph holds; values of None are left out.
bool write_networkx(PyObject* graph, std::string& out) {
  bool directed = false;
  if (!truth_of_method(graph, "is_directed", directed)) return false;
  DotWriter writer(directed);
  Ref attributes(PyObject_GetAttrString(graph, "graph"));
  if (!attributes) return false;
  std::string text;
  const bool graph_written = each_item(attributes.get(), [&](const std::string& key,
                                                             PyObject* value) {
    const bool defaults = (key == "graph" || key == "node" || key == "edge") &&
                          PyMapping_Check(value) && !PyUnicode_Check(value);
    if (defaults) {
      writer.begin_defaults(key);
      if (!write_attributes(value, writer)) return false;
      writer.end_statement();
      return true;
    }
    if (!text_of(value, text)) return false;
    writer.graph_attribute(key, text);
    return true;
  });
  if (!graph_written) return false;

  std::string tail;
  std::string head;
  const bool nodes_written = each_with_data(graph, "nodes", [&](PyObject* item) {
    if (!text_of(PyTuple_GET_ITEM(item, 0), tail)) return false;
    writer.begin_node(tail);
    if (!write_attributes(PyTuple_GET_ITEM(item, PyTuple_GET_SIZE(item) - 1), writer)) {
      return false;
    }
    writer.end_statement();
    return true;
  });
  if (!nodes_written) return false;
  const bool edges_written = each_with_data(graph, "edges", [&](PyObject* item) {
    if (PyTuple_GET_SIZE(item) < 3) {
      PyErr_SetString(PyExc_TypeError, messages::kNotLikeNetworkx);
      return false;
    }
    if (!text_of(PyTuple_GET_ITEM(item, 0), tail) ||
        !text_of(PyTuple_GET_ITEM(item, 1), head)) {
      return false;
    }
    writer.begin_edge(tail, head);
    if (!write_attributes(PyTuple_GET_ITEM(item, PyTuple_GET_SIZE(item) - 1), writer)) {
      return false;
    }
    writer.end_statement();
    return true;
  });
  if (!edges_written) return false;
  out = std::move(writer).finish();
  return true;
}

}  // namespace

GraphPackage graph_package_of(PyObject* value) {
  if (PyUnicode_Check(value)) return GraphPackage::None;
  PyObject* mro = Py_TYPE(value)->tp_mro;
  if (mro == nullptr || !PyTuple_Check(mro)) return GraphPackage::None;
  for (Py_ssize_t i = 0; i < PyTuple_GET_SIZE(mro); ++i) {
    auto* type = reinterpret_cast<PyTypeObject*>(PyTuple_GET_ITEM(mro, i));
    const std::string package = package_of(type);
    if (package == "graphviz" &&
        (named(type, "Graph") || named(type, "Digraph") || named(type, "Source"))) {
      return GraphPackage::Graphviz;
    }
    // Every graph of pydot (Dot, Subgraph, Cluster) is its Graph; its
    // nodes and edges are not.
    if (package == "pydot" && named(type, "Graph")) return GraphPackage::Pydot;
    // networkx's four graph classes derive from its Graph.
    if (package == "networkx" && named(type, "Graph")) return GraphPackage::Networkx;
  }
  return GraphPackage::None;
}

bool dot_text_of_graph(PyObject* value, GraphPackage package, std::string& out) {
  switch (package) {
    case GraphPackage::Graphviz:
      return str_result(PyObject_GetAttrString(value, "source"), "source", "graphviz", out);
    case GraphPackage::Pydot:
      return str_result(PyObject_CallMethod(value, "to_string", nullptr), "to_string()",
                        "pydot", out);
    case GraphPackage::Networkx:
      return write_networkx(value, out);
    case GraphPackage::None:
      break;
  }
  PyErr_BadInternalCall();
  return false;
}

}  // namespace vantri::python
