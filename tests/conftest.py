"""Shared helpers: fake `dot` programs, PATHs without any, the `vantri`
command run as a process (on pipes or on a pseudo-terminal), and what a
process leaves behind."""

import fcntl
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import termios
from pathlib import Path

import pytest

REAL_DOT = shutil.which("dot")
SCRIPT = Path(sys.executable).with_name("vantri")
# Whether this process runs with AddressSanitizer's runtime, as it does
# against a sanitizer build of the extension.
SANITIZED = "libasan" in Path("/proc/self/maps").read_text()


def pytest_report_header(config):
    """Which build of the extension the tests run against: the installed
    package, or a build tree's copy named by PYTHONPATH."""
    import vantri

    return f"vantri: {Path(vantri.__file__).parent}"


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


def command_env(**overrides) -> dict:
    """The environment for a `vantri` process: this one's without the
    variables that change its output or where it goes (NO_COLOR, COLUMNS,
    LINES and the pagers), plus `overrides` (a value of None removes the
    variable)."""
    unwanted = ("NO_COLOR", "COLUMNS", "LINES", "VANTRI_PAGER", "PAGER", "LESS")
    env = {k: v for k, v in os.environ.items() if k not in unwanted}
    for name, value in overrides.items():
        if value is None:
            env.pop(name, None)
        else:
            env[name] = value
    return env


def run_vantri(*args, stdin=b"", cwd=None, env=None, module=False):
    """The `vantri` command (or `python -m vantri`) on pipes."""
    command = [sys.executable, "-m", "vantri"] if module else [str(SCRIPT)]
    return subprocess.run(
        command + [str(a) for a in args], input=stdin, capture_output=True, cwd=cwd,
        env=env if env is not None else command_env(), timeout=60,
    )


def run_vantri_on_terminal(*args, env=None, columns=80, stdout_tty=True, stderr_tty=False,
                           stdin_tty=False, may_page=False):
    """The `vantri` command with standard output, standard error and/or
    standard input on a pseudo-terminal of `columns` columns and 24 rows
    (standard input is otherwise empty). Returns (status, stdout, stderr)
    with the terminal's line feeds as the program wrote them. Unless the
    test `may_page` (and brings its own pager), a pager the command starts
    fails the test."""
    env = dict(env if env is not None else command_env())
    marker = None
    if not may_page:
        marker = Path(tempfile.mkdtemp()) / "pager-started"
        env["VANTRI_PAGER"] = f"touch '{marker}'; cat"
        env.pop("PAGER", None)
    master, slave = os.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
    attributes = termios.tcgetattr(slave)
    attributes[1] &= ~termios.ONLCR  # keep "\n" as "\n"
    termios.tcsetattr(slave, termios.TCSANOW, attributes)
    process = subprocess.Popen(
        [str(SCRIPT)] + [str(a) for a in args],
        stdin=slave if stdin_tty else subprocess.DEVNULL,
        stdout=slave if stdout_tty else subprocess.PIPE,
        stderr=slave if stderr_tty else subprocess.PIPE,
        env=env,
    )
    os.close(slave)
    on_terminal = bytearray()
    while True:
        try:
            chunk = os.read(master, 65536)
        except OSError:  # EIO: every writer of the terminal has gone
            break
        if not chunk:
            break
        on_terminal += chunk
    os.close(master)
    stdout = bytes(on_terminal) if stdout_tty else process.stdout.read()
    stderr = bytes(on_terminal) if stderr_tty else process.stderr.read()
    process.wait(timeout=60)
    if marker is not None:
        assert not marker.exists(), "the command started a pager"
        shutil.rmtree(marker.parent)
    return process.returncode, stdout, stderr


def open_fds() -> set[str]:
    return set(os.listdir("/proc/self/fd"))


def child_pids(parent: int | None = None) -> list[int]:
    """Processes, zombies included, whose parent is `parent` (this process
    by default)."""
    parent = os.getpid() if parent is None else parent
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            stat = Path(f"/proc/{entry}/stat").read_text()
        except OSError:
            continue  # gone meanwhile
        # The command name is in parentheses and may hold blanks.
        fields = stat[stat.rindex(")") + 2 :].split()
        if int(fields[1]) == parent:
            found.append(int(entry))
    return found


def process_exists(pid: int) -> bool:
    """Whether `pid` is a live process (a zombie counts as gone)."""
    try:
        stat = Path(f"/proc/{pid}/stat").read_text()
    except OSError:
        return False
    return stat[stat.rindex(")") + 2] != "Z"
