"""vantri: Convert Graphviz DOT files to ASCII box-drawing art."""

class InternalError(BaseException):
    """A fault inside vantri itself."""

class DrawingCutWarning(UserWarning):
    """The drawing did not fit max_width and was cut."""

def render(
    dot_source: str,
    *,
    max_width: int | None = None,
    trim: str = "smart",
    max_label: int | None = None,
    color: bool = True,
) -> str:
    """Render a Graphviz DOT string to ASCII art."""

def render_file(
    path: str,
    *,
    max_width: int | None = None,
    trim: str = "smart",
    max_label: int | None = None,
    color: bool = True,
) -> str:
    """Render a Graphviz DOT file to ASCII art."""

def _cli() -> None:
    """CLI entry point for `uvx vantri` / `python -m vantri`."""
