"""vantri: Convert Graphviz DOT files to ASCII box-drawing art."""

import os
from typing import Any, Protocol

__version__: str

# The graph objects render() takes besides DOT text. They are told apart by
# the package their class comes from (graphviz, pydot, networkx), which
# vantri never imports; the protocols only describe them for type checkers.

class _GraphvizGraph(Protocol):
    """graphviz.Graph, graphviz.Digraph or graphviz.Source: drawn from its source."""

    @property
    def source(self) -> str: ...

class _PydotGraph(Protocol):
    """pydot.Dot (or another pydot graph): drawn from its to_string()."""

    def to_string(self) -> str: ...

class _NetworkxGraph(Protocol):
    """networkx.Graph, DiGraph, MultiGraph or MultiDiGraph: written as DOT,
    its graph, node and edge attributes as DOT attributes."""

    graph: dict[Any, Any]

    def is_directed(self) -> bool: ...

_GraphSource = str | _GraphvizGraph | _PydotGraph | _NetworkxGraph

class InternalError(RuntimeError):
    """A fault inside vantri itself, not in the graph or the arguments."""

class DrawingCutWarning(UserWarning):
    """The drawing did not fit max_width and was cut."""

def render(
    dot_source: _GraphSource,
    *,
    max_width: int | None = None,
    trim: str = "smart",
    max_label: int | None = None,
    color: bool = True,
    timeout: float | None = None,
) -> str:
    """Render a Graphviz DOT string, or a graph of graphviz, pydot or
    networkx, to ASCII art; several graphs in one text are drawn in turn,
    a blank line between each two."""

def render_file(
    path: str | bytes | os.PathLike[str] | os.PathLike[bytes],
    *,
    max_width: int | None = None,
    trim: str = "smart",
    max_label: int | None = None,
    color: bool = True,
    timeout: float | None = None,
) -> str:
    """Render a Graphviz DOT file to ASCII art; several graphs in it are
    drawn in turn, a blank line between each two."""

def _cli() -> None:
    """CLI entry point for `uvx vantri` / `python -m vantri`."""
