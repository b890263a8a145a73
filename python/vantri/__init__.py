"""vantri: Convert Graphviz DOT files to ASCII box-drawing art."""

from .vantri import DrawingCutWarning, InternalError, __version__, _cli, render, render_file
from .vantri import __doc__ as __doc__

__all__ = ["DrawingCutWarning", "InternalError", "__version__", "render", "render_file"]
