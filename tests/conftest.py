"""Shared fixtures: fake `dot` programs placed first on PATH."""

import os
import stat
import textwrap
from pathlib import Path

import pytest


@pytest.fixture
def fake_dot(tmp_path, monkeypatch):
    """Returns a function that installs a shell script as the only `dot`."""

    def install(script: str) -> Path:
        bin_dir = tmp_path / "fake-bin"
        bin_dir.mkdir(exist_ok=True)
        dot = bin_dir / "dot"
        dot.write_text("#!/bin/sh\n" + textwrap.dedent(script))
        dot.chmod(dot.stat().st_mode | stat.S_IXUSR)
        monkeypatch.setenv("PATH", f"{bin_dir}{os.pathsep}/usr/bin{os.pathsep}/bin")
        return dot

    return install


@pytest.fixture
def no_dot(tmp_path, monkeypatch):
    """PATH without any `dot` on it."""
    empty = tmp_path / "empty-bin"
    empty.mkdir()
    monkeypatch.setenv("PATH", str(empty))
