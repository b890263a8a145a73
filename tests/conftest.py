"""Shared helpers: fake `dot` programs, and PATHs without any."""

import os
import shutil
from pathlib import Path

import pytest

REAL_DOT = shutil.which("dot")


def install_dot(directory: Path, script: str, *, executable: bool = True) -> Path:
    """Writes a shell script body as the program `dot` in `directory`."""
    directory.mkdir(parents=True, exist_ok=True)
    dot = directory / "dot"
    dot.write_text("#!/bin/sh\n" + script)
    dot.chmod(0o755 if executable else 0o644)
    return dot


@pytest.fixture
def fake_dot(tmp_path, monkeypatch):
    """Returns a function that puts a `dot` made of a shell script body first
    on PATH, before the real programs (the real `dot` too)."""

    def install(script: str) -> Path:
        bin_dir = tmp_path / "fake-bin"
        dot = install_dot(bin_dir, script)
        monkeypatch.setenv("PATH", f"{bin_dir}{os.pathsep}{os.environ['PATH']}")
        return dot

    return install


@pytest.fixture
def logging_dot(tmp_path, fake_dot):
    """Puts a `dot` on PATH that keeps every input it gets and then runs the
    real one; `fail_on` makes that run (counted from 1) fail instead.
    `runs()` gives the inputs in order, `arguments()` the command lines."""
    assert REAL_DOT, "Graphviz is not installed"
    inputs = tmp_path / "inputs"
    inputs.mkdir()

    def install(fail_on=0):
        fake_dot(
            f'n=$(ls "{inputs}" | grep -c "\\.dot$"); n=$((n + 1))\n'
            f'cat > "{inputs}/$n.dot"\n'
            f'echo "$@" > "{inputs}/$n.args"\n'
            f'if [ "$n" = {fail_on} ]; then echo "refused" >&2; exit 1; fi\n'
            f'exec "{REAL_DOT}" "$@" < "{inputs}/$n.dot"\n'
        )

    def count():
        return len(list(inputs.glob("*.dot")))

    def runs():
        return [(inputs / f"{n}.dot").read_text() for n in range(1, count() + 1)]

    def arguments():
        return [(inputs / f"{n}.args").read_text().strip() for n in range(1, count() + 1)]

    install.runs = runs
    install.arguments = arguments
    return install


@pytest.fixture
def no_dot(tmp_path, monkeypatch):
    """PATH without any `dot` on it."""
    empty = tmp_path / "empty-bin"
    empty.mkdir()
    monkeypatch.setenv("PATH", str(empty))
