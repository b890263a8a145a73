"""The `vantri` command, run as a real process."""

import os
import signal
import subprocess
import sys
from pathlib import Path

import pytest

import vantri

HELP = """\
vantri: Convert Graphviz DOT files to ASCII box-drawing art

Usage: vantri [OPTIONS] <FILE>

Arguments:
  <FILE>       Path to a .dot file, or "-" for stdin

Options:
  --width N    Maximum output width in characters
  --trim STRAT Label trimming strategy [default: smart]
  --max-label N  Maximum label width in characters
  --no-color   Disable ANSI colors
  -h, --help   Print help
"""
USAGE = "Usage: vantri <file.dot> or vantri -\n"
GRAPH = """digraph {
  a_rather_long_node_name -> b [label="an edge label"];
  a_rather_long_node_name -> c;
  c [style=filled, fillcolor=red];
}
"""
SCRIPT = Path(sys.executable).with_name("vantri")


def run(*args, stdin=b"", cwd=None, module=False):
    command = [sys.executable, "-m", "vantri"] if module else [str(SCRIPT)]
    return subprocess.run(
        command + list(args), input=stdin, capture_output=True, cwd=cwd, timeout=60
    )


@pytest.fixture
def graph(tmp_path):
    path = tmp_path / "graph.dot"
    path.write_text(GRAPH)
    return path


def test_console_script_and_module_agree(graph):
    by_script = run(str(graph))
    by_module = run(str(graph), module=True)
    assert by_script.returncode == by_module.returncode == 0
    assert by_script.stdout == by_module.stdout == vantri.render(GRAPH).encode()
    assert by_script.stderr == b""


def test_usage_errors(graph):
    for args in [(), ("--no-color",), ("--width", "80")]:
        result = run(*args)
        assert (result.returncode, result.stdout, result.stderr) == (1, b"", USAGE.encode())
    for option in ["-x", "--width=80", "--Width", "--help=yes"]:
        result = run(option, str(graph))
        assert result.returncode == 1
        assert result.stdout == b""
        assert result.stderr == f"Unknown option: {option}\n".encode()


def test_usage_errors_skip_python_clean_up(tmp_path):
    script = (
        "import atexit, sys, vantri\n"
        "atexit.register(lambda: print('cleaned up'))\n"
        "sys.argv = ['vantri']\n"
        "vantri._cli()\n"
    )
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, timeout=60)
    assert (result.returncode, result.stdout, result.stderr) == (1, b"", USAGE.encode())


def test_help_is_exact_and_stops_the_pass(graph):
    for args in [("-h",), ("--help",), ("-h", "missing.dot"), (str(graph), "-h"),
                 ("--help", "-x")]:
        result = run(*args)
        assert (result.returncode, result.stdout, result.stderr) == (0, HELP.encode(), b"")


def test_last_file_wins_and_dash_reads_standard_input(graph):
    assert run("missing.dot", str(graph)).stdout == vantri.render(GRAPH).encode()
    piped = run("-", stdin=GRAPH.encode())
    assert piped.returncode == 0
    assert piped.stdout == vantri.render(GRAPH).encode()


@pytest.mark.parametrize(
    "args, expected",
    [
        (["--width", "abc"], {}),
        (["--width", "-5"], {}),
        (["--width", "+40"], {"max_width": 40}),
        (["--width", "40", "--width", "x"], {}),
        (["--max-label", "6"], {"max_label": 6}),
        (["--trim", "END", "--max-label", "6"], {"max_label": 6, "trim": "end"}),
    ],
)
def test_options(graph, args, expected):
    result = run(*args, str(graph))
    assert result.returncode == 0, result.stderr
    assert result.stdout == vantri.render(GRAPH, **expected).encode()


def test_value_less_options_at_the_end(graph):
    assert run(str(graph), "--width").stdout == vantri.render(GRAPH).encode()
    assert run(str(graph), "--trim").stdout == vantri.render(GRAPH).encode()
    # "--no-color" is consumed as the width value, so colour stays on.
    result = run("--width", "--no-color", str(graph))
    assert result.stdout == vantri.render(GRAPH).encode()
    assert b"\x1b[31m" in result.stdout


def test_no_color_uses_box_styles(graph):
    result = run("--no-color", str(graph))
    assert result.returncode == 0
    text = result.stdout.decode()
    assert "\x1b" not in text
    assert "┌╌" in text and "╎" in text  # red: light double dash
    assert text != vantri.render(GRAPH, color=False)


def test_python_errors_after_the_options_are_read(tmp_path, graph):
    result = run("--trim", "best", str(graph))
    assert result.returncode == 1
    assert b"ValueError: unknown trim strategy: best" in result.stderr
    result = run("--trim", "best", "missing.dot", cwd=tmp_path)
    assert b"RuntimeError: missing.dot: No such file or directory (os error 2)" in result.stderr
    (tmp_path / "bad.dot").write_bytes(b"digraph { \xff }")
    result = run("bad.dot", cwd=tmp_path)
    assert b"RuntimeError: bad.dot: stream did not contain valid UTF-8" in result.stderr
    result = run("-", stdin=b"digraph { \xff }")
    assert b"RuntimeError: stream did not contain valid UTF-8" in result.stderr
    result = run("-", stdin=b"digraph {")
    assert b"RuntimeError: Graphviz `dot` exited with code Some(1): " in result.stderr


def test_argv_must_be_a_list_of_strings():
    for argv, text in [("'x'", "Can't extract `str` to `Vec`"), ("5", "TypeError"),
                       ("['vantri', 5]", "TypeError")]:
        script = f"import sys, vantri\nsys.argv = {argv}\nvantri._cli()\n"
        result = subprocess.run([sys.executable, "-c", script], capture_output=True,
                                text=True, timeout=60)
        assert result.returncode == 1
        assert "TypeError" in result.stderr and text in result.stderr


def test_drawing_goes_to_the_process_output_not_sys_stdout(graph):
    script = (
        "import io, sys, vantri\n"
        f"sys.argv = ['vantri', {str(graph)!r}]\n"
        "sys.stdout = io.StringIO()\n"
        "vantri._cli()\n"
        "assert sys.stdout.getvalue() == ''\n"
    )
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, timeout=60)
    assert result.returncode == 0, result.stderr
    assert result.stdout == vantri.render(GRAPH).encode()


def test_closed_output_pipe_ends_quietly(tmp_path):
    big = tmp_path / "big.dot"
    # Far more output than a pipe buffers, so writing must hit the closed end.
    wide = "x" * 60
    big.write_text(
        "digraph {\n"
        + "".join(f'n{i} [label="{i} {wide}"]; n{i} -> n{i + 1};\n' for i in range(400))
        + "}\n"
    )
    reader, writer = os.pipe()
    process = subprocess.Popen([str(SCRIPT), str(big)], stdout=writer,
                               stderr=subprocess.PIPE)
    os.close(writer)
    with os.fdopen(reader, "rb") as pipe:
        assert pipe.readline()
    # The reader is gone: the next write breaks the pipe.
    _, stderr = process.communicate(timeout=60)
    assert process.returncode == -signal.SIGPIPE
    assert stderr == b""
