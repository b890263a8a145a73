"""vantri: Convert Graphviz DOT files to ASCII box-drawing art."""

import os

__version__: str

class InternalError(RuntimeError):
    """A fault inside vantri itself, not in the graph or the arguments."""

class DrawingCutWarning(UserWarning):
    """The drawing did not fit max_width and was cut."""

def render(
    dot_source: str,
    *,
    max_width: int | None = None,
    trim: str = "smart",
    max_label: int | None = None,
    color: bool = True,
    timeout: float | None = None,
) -> str:
    """Render a Graphviz DOT string to ASCII art."""

def render_file(
    path: str | bytes | os.PathLike[str] | os.PathLike[bytes],
    *,
    max_width: int | None = None,
    trim: str = "smart",
    max_label: int | None = None,
    color: bool = True,
    timeout: float | None = None,
) -> str:
    """Render a Graphviz DOT file to ASCII art."""

def _cli() -> None:
    """CLI entry point for `uvx vantri` / `python -m vantri`."""
