"""vantri: Convert Graphviz DOT files to ASCII box-drawing art."""

from .vantri import DrawingCutWarning, InternalError, _cli, render, render_file
from .vantri import __doc__ as __doc__

__all__ = ["DrawingCutWarning", "InternalError", "render", "render_file"]
