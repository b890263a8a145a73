"""Graph objects of Python's graph packages drawn as their DOT text.

The graphviz, pydot and networkx packages are installed for the tests
only: vantri recognises their graphs without importing any of them.
"""

import subprocess
import sys
import warnings

import graphviz
import networkx
import pydot
import pytest

import vantri

# pydot's parser uses names pyparsing has deprecated.
pytestmark = pytest.mark.filterwarnings("ignore::DeprecationWarning:pydot")

DOT = """digraph "flow" {
  label="A title"; rankdir=LR;
  node [shape=box];
  start [label="Start\\nhere", style=filled, fillcolor=red];
  subgraph cluster_work { label="work"; parse; check }
  start -> parse [label="text"];
  parse -> check -> done;
  check -> parse [label="again", style=dashed];
}
"""
OPTIONS = [{}, {"color": False}, {"max_width": 30, "trim": "end"}]


def test_graphviz_and_pydot_graphs_draw_as_their_dot_text():
    built = graphviz.Digraph("flow", graph_attr={"label": "A title", "rankdir": "LR"},
                             node_attr={"shape": "box"})
    built.node("start", "Start\\nhere", style="filled", fillcolor="red")
    with built.subgraph(name="cluster_work") as work:
        work.attr(label="work")
        work.node("parse")
        work.node("check")
    built.edge("start", "parse", label="text")
    built.edges([("parse", "check"), ("check", "done")])
    built.edge("check", "parse", label="again", style="dashed")
    undirected = graphviz.Graph(body=["\ta -- b -- c\n", "\tb -- d\n"])
    parsed = pydot.graph_from_dot_data(DOT)[0]
    made = pydot.Dot("made", graph_type="graph")
    made.add_edge(pydot.Edge("x y", "z", label="e"))
    cases = [
        (built, built.source),
        (undirected, undirected.source),
        (graphviz.Source(DOT), DOT),
        (parsed, parsed.to_string()),
        (made, made.to_string()),
    ]
    for graph, text in cases:
        for options in OPTIONS:
            with warnings.catch_warnings():
                warnings.simplefilter("ignore", vantri.DrawingCutWarning)
                assert vantri.render(graph, **options) == vantri.render(text, **options), (
                    type(graph), options)
    # The same graph, whichever way it came.
    assert vantri.render(parsed) == vantri.render(graphviz.Source(DOT)) == vantri.render(DOT)
    assert "┌" in vantri.render(built)


def networkx_graphs(nodes, edges, graph_attributes):
    """The graph in each of networkx's four classes."""
    graphs = []
    for kind in (networkx.Graph, networkx.DiGraph, networkx.MultiGraph, networkx.MultiDiGraph):
        graph = kind()
        graph.graph.update(graph_attributes)
        graph.add_nodes_from(nodes)
        graph.add_edges_from(edges)
        graphs.append(graph)
    return graphs


def test_networkx_graphs_draw_as_networkx_writes_them_in_dot():
    """networkx writes DOT itself through pydot; both texts draw alike."""
    nodes = [("start", {"label": "Start", "shape": "box", "style": "filled",
                        "fillcolor": "red"}),
             ("parse", {}), ("check", {"shape": "doublecircle"}), ("done", {}),
             ("alone", {"label": "on its own"})]
    edges = [("start", "parse", {"label": "text"}), ("parse", "check", {}),
             ("check", "done", {"label": "ok", "style": "dashed"}), ("check", "parse", {}),
             ("check", "done", {"label": "twice"})]
    attributes = {"graph": {"rankdir": "LR", "label": "Title"}, "node": {"fontsize": "10"},
                  "edge": {"arrowhead": "none"}}
    for graph in networkx_graphs(nodes, edges, attributes):
        written = networkx.drawing.nx_pydot.to_pydot(graph).to_string()
        for options in OPTIONS:
            with warnings.catch_warnings():
                warnings.simplefilter("ignore", vantri.DrawingCutWarning)
                assert vantri.render(graph, **options) == vantri.render(written, **options), (
                    type(graph).__name__, options, written)
        drawing = vantri.render(graph, color=False)
        for shown in ["Start", "parse", "on its own", "text", "twice", "Title"]:
            assert shown in drawing, (type(graph).__name__, shown)
        # Only a multigraph keeps a second edge between the same nodes;
        # the others give the first one the second one's label.
        assert ("ok" in drawing) == graph.is_multigraph(), type(graph).__name__


AWKWARD_NAMES = [
    'say "hi"', "two words", "é 數 ☃", 1, 2.5, -3, "007", "a:b", "a:b:n", "node", "graph",
    "edge", "strict", "subgraph", "{x}", "<b>x</b>", "a -> b", "", " ", "#", "// not", "/*",
    (1, "tuple"), frozenset({"f"}), "back\\slash", "trailing\\", 'quote\\"d', "line\nbreak",
    "nul\0byte",
]
# Longer than dot reads in one quoted string.
LONG_NAME = "x" * 20000


def test_networkx_graphs_with_awkward_names_and_attributes_draw():
    """Names and values of any kind, quoted so that dot reads each as it is:
    every graph draws, and every name dot shows as written (no escapes or
    line breaks in it) is in the drawing."""
    nodes = [(name, {}) for name in AWKWARD_NAMES] + [(LONG_NAME, {"label": "the long one"})]
    nodes[0] = (AWKWARD_NAMES[0], {"label": 'the "first" one', 1: "numeric key",
                                   "key with spaces": "v", "x:y": "a:b", "weight": 2.5,
                                   "data": {"nested": [1, 2]}, "color": None,
                                   "tooltip": "ends in \\"})
    edges = [(AWKWARD_NAMES[i], AWKWARD_NAMES[(i * 7 + 3) % len(AWKWARD_NAMES)],
              {"label": str(AWKWARD_NAMES[i])[:12], "weight": i, "key": "k", "": "empty"})
             for i in range(len(AWKWARD_NAMES))]
    attributes = {"label": 'Title with "quotes" and \\', "name": "my graph", 1: 2,
                  "node": {"shape": "box", "label with space": "x"}, "edge": {"color": "red"},
                  "graph": {"fontname": "a font"}}
    for graph in networkx_graphs(nodes, edges, attributes):
        drawing = vantri.render(graph, color=False)
        for name in AWKWARD_NAMES[1:]:
            text = str(name)
            if "\\" in text or any(c < " " for c in text):
                continue
            assert text in drawing, (type(graph).__name__, text[:40])
        for text in ['the "first" one', "the long one", 'Title with "quotes"']:
            assert text in drawing, (type(graph).__name__, text)


def test_other_objects_are_type_errors_and_no_package_is_imported():
    for value in [b"digraph {}", 5, None, pydot.Node("a"), networkx.Graph().nodes,
                  graphviz.ExecutableNotFound(["dot"])]:
        with pytest.raises(TypeError) as caught:
            vantri.render(value)
        message = str(caught.value)
        assert "'dot_source'" in message and "graphviz, pydot or networkx" in message, message
    # A fresh interpreter that draws and refuses never imports them.
    script = (
        "import sys, vantri\n"
        "vantri.render('digraph { a }')\n"
        "try:\n"
        "    vantri.render(object())\n"
        "except TypeError:\n"
        "    pass\n"
        "print(sorted({'graphviz', 'pydot', 'networkx'} & set(sys.modules)))\n"
    )
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                            timeout=60)
    assert (result.returncode, result.stdout, result.stderr) == (0, "[]\n", "")
