"""`python -m vantri FILE`: the same command line as the `vantri` script."""

from vantri import _cli

_cli()
