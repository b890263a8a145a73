"""The `vantri` command, run as a real process: on pipes, and on a
pseudo-terminal for what depends on one (colour, width, the progress
line)."""

import os
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

import pytest

import vantri
from conftest import REAL_DOT, SCRIPT, command_env, process_exists, run_vantri
from conftest import run_vantri_on_terminal

USAGE = "Usage: vantri [OPTIONS] <FILE>...\nTry 'vantri --help' for more information.\n"
GRAPH = """digraph {
  a_rather_long_node_name -> b [label="an edge label"];
  a_rather_long_node_name -> c;
  c [style=filled, fillcolor=red];
}
"""
ANSI = b"\x1b["


@pytest.fixture
def graph(tmp_path):
    path = tmp_path / "graph.dot"
    path.write_text(GRAPH)
    return path


def test_console_script_and_module_agree(graph):
    by_script = run_vantri("--color", graph)
    by_module = run_vantri("--color", graph, module=True)
    assert by_script.returncode == by_module.returncode == 0
    assert by_script.stdout == by_module.stdout == vantri.render(GRAPH).encode()
    assert by_script.stderr == b""


# The parser's every rule is tested in C++ (cli_args_test.cc); here, that
# each kind of usage error reaches the user in the same form.
@pytest.mark.parametrize(
    "args, message",
    [
        (("-x", "{graph}"), "unknown option: -x"),
        (("--help=yes",), "option --help takes no value"),
        (("{graph}", "--width"), "option --width needs a value"),
        (("--width", "-5", "{graph}"),
         "invalid value '-5' for --width: expected a whole number of columns"),
        (("--width=4", "{graph}"),
         "invalid value '4' for --width: the narrowest drawing is 5 columns wide (0 means no limit)"),
        (("--max-label", "x", "{graph}"),
         "invalid value 'x' for --max-label: expected a whole number of columns"),
        (("--trim", "best", "{graph}"),
         "unknown trim strategy: best (expected end, start, middle or smart)"),
    ],
)
def test_usage_errors(graph, args, message):
    result = run_vantri(*(a.format(graph=graph) for a in args))
    assert result.returncode == 1
    assert result.stdout == b""
    assert result.stderr.decode() == f"vantri: error: {message}\n{USAGE}"


def test_standard_input_when_no_file_is_named(tmp_path):
    """Piped in, the graph is drawn; on a terminal, nobody means to type
    one: the usage error. Input without a graph says so plainly, and each
    graph of an input is drawn in turn, a failing one named by its place."""
    drawing = vantri.render(GRAPH).encode()
    piped = run_vantri("--color", stdin=GRAPH.encode())
    assert (piped.returncode, piped.stdout, piped.stderr) == (0, drawing, b"")
    assert run_vantri("--color", "--", stdin=GRAPH.encode()).stdout == drawing
    status, stdout, stderr = run_vantri_on_terminal(stdout_tty=False, stdin_tty=True)
    assert (status, stdout) == (1, b"")
    assert stderr.decode() == f'vantri: error: no FILE given ("-" reads standard input)\n{USAGE}'

    no_graph = "vantri: error: the DOT text holds no graph (it is empty, or only blanks and comments)"
    (tmp_path / "comments.gv").write_text("/* a graph\n   to come */\n// soon\n# 1 \"x\"\n\n")
    (tmp_path / "empty.gv").write_text("")
    for args, stdin in [((), b""), ((), b" \n\t"), (("comments.gv",), b""), (("-",), b"")]:
        result = run_vantri(*args, stdin=stdin, cwd=tmp_path)
        assert (result.returncode, result.stdout) == (1, b""), args
        assert result.stderr.decode() == no_graph + "\n", args
    both = run_vantri("--color", "empty.gv", "comments.gv", cwd=tmp_path)
    assert both.stderr.decode() == (f"{no_graph.replace('error: ', 'error: empty.gv: ')}\n"
                                    f"{no_graph.replace('error: ', 'error: comments.gv: ')}\n")

    second = "graph { x -- y -- z }"
    result = run_vantri("--color", stdin=f"{GRAPH}\n// between\n{second}".encode())
    assert (result.returncode, result.stderr) == (0, b"")
    assert result.stdout == drawing + b"\n" + vantri.render(second).encode()
    # The graph in the middle is too large to draw: the others still are.
    huge = ("digraph { a [shape=box, width=900, height=900, label=x];"
            " b [fixedsize=true, width=0.1, height=0.1] }")
    (tmp_path / "three.gv").write_text(f"{GRAPH}{huge}{second}")
    result = run_vantri("--color", "three.gv", "-", stdin=GRAPH.encode(), cwd=tmp_path)
    assert result.returncode == 1
    assert result.stdout == drawing + b"\n" + vantri.render(second).encode() + b"\n" + drawing
    assert result.stderr.startswith(b"vantri: error: three.gv: graph 2: Drawing too large: ")
    assert result.stderr.count(b"\n") == 1


def test_usage_errors_let_python_clean_up():
    script = (
        "import atexit, sys, vantri\n"
        "atexit.register(lambda: print('cleaned up'))\n"
        "print('buffered', end='')\n"
        "sys.argv = ['vantri', '--width', 'x', 'g.dot']\n"
        "try:\n"
        "    vantri._cli()\n"
        "except SystemExit as e:\n"
        "    print('', e.code)\n"
        "    raise\n"
    )
    result = subprocess.run([sys.executable, "-c", script], capture_output=True, timeout=60)
    assert result.returncode == 1
    assert result.stdout == b"buffered 1\ncleaned up\n"
    assert result.stderr.startswith(b"vantri: error: invalid value 'x' for --width")


def test_help_and_version_stop_the_pass(graph):
    for args in [("-h",), ("--help", "missing.dot"), (graph, "-h", "-x")]:
        result = run_vantri(*args)
        assert (result.returncode, result.stderr) == (0, b"")
        text = result.stdout.decode()
        for word in ["--width", "--trim", "--max-label", "--timeout", "--color", "--no-color",
                     "--version", "--help", "end, start, middle", "smart", "NO_COLOR",
                     "terminal columns", '"-" reads standard input', "--no-pager",
                     "VANTRI_PAGER", "less -RSFX"]:
            assert word in text, word
    for args in [("-V",), ("--version", graph)]:
        result = run_vantri(*args)
        assert (result.returncode, result.stdout, result.stderr) == (
            0, f"vantri {vantri.__version__}\n".encode(), b"")


def test_files_in_turn_and_errors_that_do_not_stop_the_rest(tmp_path, graph):
    drawing = vantri.render(GRAPH).encode()
    result = run_vantri("--color", graph, "-", "--", "missing.dot", graph,
                        stdin=GRAPH.encode(), cwd=tmp_path)
    assert result.returncode == 1
    assert result.stdout == drawing + b"\n" + drawing + b"\n" + drawing
    assert result.stderr == b"vantri: error: missing.dot: No such file or directory (os error 2)\n"
    (tmp_path / "-x").write_text(GRAPH)
    assert run_vantri("--color", "--", "-x", cwd=tmp_path).stdout == drawing


@pytest.mark.parametrize(
    "args, expected",
    [
        (["--width", "40"], {"max_width": 40}),
        (["--width=40"], {"max_width": 40}),
        (["--width", "+40", "--width", "0"], {}),
        (["--max-label=6", "--trim", "END"], {"max_label": 6, "trim": "end"}),
        (["--timeout", "30"], {}),
    ],
)
def test_option_values(graph, args, expected):
    result = run_vantri("--color", *args, graph)
    assert result.returncode == 0, result.stderr
    assert result.stdout == vantri.render(GRAPH, **expected).encode()


def test_runtime_errors_are_one_line_without_a_traceback(tmp_path, graph):
    (tmp_path / "bad.dot").write_bytes(b"digraph { \xff }")
    empty = tmp_path / "empty-bin"
    empty.mkdir()
    cases = [
        (["bad.dot"], {},
         "bad.dot: stream did not contain valid UTF-8: invalid utf-8 sequence of 1 bytes "
         "from index 10"),
        (["-"], {}, "standard input: stream did not contain valid UTF-8: invalid utf-8 "
         "sequence of 1 bytes from index 10"),
        (["/dev/zero"], {}, "/dev/zero: input larger than 256 MiB, the most vantri reads"),
        ([graph], {"PATH": str(empty)},
         f"Graphviz `dot` command not found in PATH. Please install Graphviz. Searched: {empty}."),
    ]
    for args, env, message in cases:
        result = run_vantri(*args, stdin=b"digraph { \xff }", cwd=tmp_path,
                            env=command_env(**env))
        assert (result.returncode, result.stdout) == (1, b""), message
        assert result.stderr.decode() == f"vantri: error: {message}\n"
    result = run_vantri("-", stdin=b"digraph {")
    assert result.returncode == 1
    assert re.fullmatch(r"vantri: error: Graphviz `dot` exited with code Some\(1\): "
                        r"Error: <stdin>: syntax error in line 1[^\n]*\n", result.stderr.decode())


def test_empty_and_relative_path_entries_never_run_dot_from_here(tmp_path, graph):
    here = tmp_path / "here"
    marker = tmp_path / "ran"
    (here / "bin").mkdir(parents=True)
    for directory in [here, here / "bin"]:
        script = directory / "dot"
        script.write_text(f"#!/bin/sh\ntouch '{marker}'\n")
        script.chmod(0o755)
    result = run_vantri(graph, cwd=here, env=command_env(PATH=":bin:.:/nonexistent"))
    assert result.returncode == 1
    assert result.stderr.decode() == (
        "vantri: error: Graphviz `dot` command not found in PATH. Please install Graphviz. "
        'Searched: /nonexistent. Not searched, as they are not absolute: "", "bin", ".".\n')
    assert not marker.exists()


def test_argv_must_be_a_list_of_strings():
    for argv, text in [("'x'", "Can't extract `str` to `Vec`"),
                       ("5", "sys.argv must be a sequence of str"),
                       ("['vantri', 5]", "sys.argv items must be str, not int")]:
        script = f"import sys, vantri\nsys.argv = {argv}\nvantri._cli()\n"
        result = subprocess.run([sys.executable, "-c", script], capture_output=True,
                                text=True, timeout=60)
        assert (result.returncode, result.stderr) == (1, f"vantri: error: {text}\n")


def test_drawing_goes_to_the_process_output_not_sys_stdout(graph):
    script = (
        "import io, sys, vantri\n"
        f"sys.argv = ['vantri', '--color', {str(graph)!r}]\n"
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


@pytest.mark.parametrize(
    "args, env, coloured",
    [
        ([], {}, True),
        ([], {"NO_COLOR": "1"}, False),
        ([], {"NO_COLOR": ""}, True),
        (["--no-color"], {}, False),
        (["--color"], {"NO_COLOR": "1"}, True),
    ],
)
def test_colour_on_a_terminal(graph, args, env, coloured):
    status, stdout, _ = run_vantri_on_terminal(*args, graph, env=command_env(**env))
    assert status == 0
    assert (ANSI in stdout) == coloured
    if not coloured:
        assert "┌╌".encode() in stdout  # red as line style, as in a pipe
        assert stdout == run_vantri(graph).stdout


def test_width_follows_the_terminal(graph):
    natural = run_vantri("--color", graph).stdout
    for columns, env, args, limit in [
        (30, {}, [], 30),
        (200, {"COLUMNS": "25"}, [], 25),
        (30, {}, ["--width", "0"], None),
        (30, {"COLUMNS": "x"}, ["--width=40"], 40),
    ]:
        status, stdout, _ = run_vantri_on_terminal(*args, graph, columns=columns,
                                                   env=command_env(**env))
        assert status == 0
        expected = natural if limit is None else vantri.render(GRAPH, max_width=limit).encode()
        assert stdout == expected, (columns, env, args)
    assert run_vantri(graph, env=command_env(COLUMNS="25")).stdout == run_vantri(graph).stdout


@pytest.fixture
def slow_dot(fake_dot):
    """A dot that takes 1.5 s before laying the graph out."""
    assert REAL_DOT
    fake_dot(f'sleep 1.5\nexec "{REAL_DOT}" "$@"\n')


def test_progress_line_on_a_terminal_only(slow_dot, graph):
    status, stdout, stderr = run_vantri_on_terminal(graph, stdout_tty=False, stderr_tty=True)
    assert status == 0
    assert stdout == run_vantri(graph).stdout
    # Rewritten in place each second (a busy machine may show "2 s" too),
    # then erased.
    line = re.escape("\r\x1b[Kvantri: dot is laying out the graph… ")
    assert re.fullmatch(f"{line}1 s({line}[2-9] s)*{re.escape(chr(13) + chr(27) + '[K')}",
                        stderr.decode()), stderr
    piped = run_vantri(graph)
    assert (piped.returncode, piped.stderr) == (0, b"")


def pid_of_fake(pidfile: Path) -> int:
    for _ in range(500):
        if pidfile.exists() and pidfile.read_text().strip():
            return int(pidfile.read_text())
        time.sleep(0.01)
    raise AssertionError("the fake dot did not start")


@pytest.mark.parametrize(
    "sig, group, status",
    [(signal.SIGINT, True, 130), (signal.SIGINT, False, 130), (signal.SIGTERM, False, 143),
     (signal.SIGHUP, False, 129)],
    ids=["Ctrl-C at a terminal", "SIGINT", "SIGTERM", "SIGHUP"],
)
def test_signals_kill_dot_and_exit_quietly(fake_dot, tmp_path, graph, sig, group, status):
    """At a terminal Ctrl-C reaches dot too, and dot 2.43 then writes what it
    has and exits 0; the fake does the same with a real layout. A signal to
    vantri alone must kill dot itself."""
    pidfile = tmp_path / "pid"
    json0 = subprocess.run([REAL_DOT, "-Tjson0"], input=GRAPH.encode(), capture_output=True,
                           check=True).stdout.decode()
    fake_dot(f"echo $$ > '{pidfile}'\ntrap 'printf %s \"$JSON\"; exit 0' INT\n"
             "trap '' TERM HUP\nwhile :; do :; done\n")
    process = subprocess.Popen([str(SCRIPT), str(graph)], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, start_new_session=True,
                               env=command_env(JSON=json0))
    dot_pid = pid_of_fake(pidfile)
    time.sleep(0.1)  # the trap is set
    if group:
        os.killpg(process.pid, sig)
    else:
        process.send_signal(sig)
    stdout, stderr = process.communicate(timeout=30)
    assert (process.returncode, stdout, stderr) == (status, b"", b"")
    assert not process_exists(dot_pid)


def test_timeout_ends_the_graph_and_goes_on(fake_dot, tmp_path, graph):
    fake_dot("exec sleep 300\n")
    started = time.monotonic()
    result = run_vantri("--timeout=0.2", graph, graph)
    assert result.returncode == 1 and result.stdout == b""
    assert result.stderr.decode() == (f"vantri: error: {graph}: dot took longer than 0.2 s\n" * 2)
    assert time.monotonic() - started < 30


def test_sigint_while_waiting_for_standard_input():
    process = subprocess.Popen([str(SCRIPT), "-"], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               env=command_env())
    wchan = Path(f"/proc/{process.pid}/wchan")
    for _ in range(3000):  # until it waits in poll for input that never comes
        if "poll" in wchan.read_text():
            break
        time.sleep(0.01)
    process.send_signal(signal.SIGINT)
    stdout, stderr = process.communicate(timeout=30)
    assert (process.returncode, stdout, stderr) == (130, b"", b"")


# A left-to-right chain far wider than 80 columns, one filled node for the
# colours; a chain taller than 24 rows; a graph that fits.
WIDE = ("digraph { rankdir=LR; n00 [style=filled, fillcolor=red]; "
        + " -> ".join(f"n{i:02}" for i in range(20)) + " }")
TALL = "digraph { " + " -> ".join(f"t{i:02}" for i in range(12)) + " }"
SMALL = "digraph { a -> b }"


def test_a_terminal_shows_every_node_paging_what_does_not_fit(tmp_path):
    graphs = {}
    for name, source in [("wide", WIDE), ("tall", TALL), ("small", SMALL)]:
        graphs[name] = tmp_path / f"{name}.dot"
        graphs[name].write_text(source)
    # A pager that keeps what it is given and the LESS it got, and shows nothing.
    paged = tmp_path / "paged"
    pager = tmp_path / "pager.sh"
    pager.write_text(f'#!/bin/sh\ncat > "{paged}"\necho "$LESS" > "{paged}.less"\n')
    pager.chmod(0o755)
    # A `less` first on PATH that keeps its arguments and what it is given.
    fake_bin = tmp_path / "bin"
    fake_bin.mkdir()
    less = fake_bin / "less"
    less.write_text(f'#!/bin/sh\necho "$@" > "{paged}.args"\ncat > "{paged}"\n')
    less.chmod(0o755)
    with_less = f"{fake_bin}{os.pathsep}{os.environ['PATH']}"

    def forget_pages():
        for leftover in tmp_path.glob("paged*"):
            leftover.unlink()

    def run(name, *args, **env):
        forget_pages()
        status, stdout, stderr = run_vantri_on_terminal(
            *args, graphs[name], env=command_env(**env), may_page=True)
        assert (status, stderr) == (0, b""), (name, args, env, stderr)
        return stdout, paged.read_bytes() if paged.exists() else None

    def nodes_in(text, names):
        missing = [n for n in names if n.encode() not in text]
        assert not missing, f"missing {missing} in\n{text.decode()}"

    def widest(text):
        return max(len(re.sub(rb"\x1b\[[0-9;]*m", b"", line).decode())
                   for line in text.splitlines())

    chain = [f"n{i:02}" for i in range(20)]
    # Fits: printed straight, as fitted to the terminal; no pager.
    stdout, shown = run("small", VANTRI_PAGER=str(pager))
    assert shown is None and stdout == vantri.render(SMALL, max_width=80).encode()
    # Too wide to fit without leaving nodes out: drawn whole, to the pager.
    stdout, shown = run("wide", VANTRI_PAGER=str(pager))
    assert stdout == b"" and shown is not None
    nodes_in(shown, chain)
    assert widest(shown) > 80 and ANSI in shown
    assert (tmp_path / "paged.less").read_text() == "FRSX\n"
    # --no-pager: the same, straight to the terminal.
    assert run("wide", "--no-pager", VANTRI_PAGER=str(pager)) == (shown, None)
    # Colours as on any terminal: NO_COLOR gives line styles, --color wins.
    stdout, plain = run("wide", VANTRI_PAGER=str(pager), NO_COLOR="1")
    assert stdout == b"" and ANSI not in plain and "┌╌".encode() in plain
    nodes_in(plain, chain)
    assert run("wide", "--color", VANTRI_PAGER=str(pager), NO_COLOR="1") == (b"", shown)
    # Taller than the screen: paged too, through $PAGER when it is the one set.
    stdout, shown_tall = run("tall", PAGER=str(pager))
    assert stdout == b"" and shown_tall.count(b"\n") >= 24
    nodes_in(shown_tall, [f"t{i:02}" for i in range(12)])
    # Neither set: less, raw colours, long lines chopped, quitting when it
    # all fits one screen, no clearing.
    assert run("wide", PATH=with_less) == (b"", shown)
    assert (tmp_path / "paged.args").read_text() == "-R -S -F -X\n"
    # A pager that cannot be started: straight to the terminal, after what
    # the shell says about it.
    forget_pages()
    status, stdout, stderr = run_vantri_on_terminal(
        graphs["wide"], env=command_env(VANTRI_PAGER="vantri-no-such-pager"), may_page=True)
    assert (status, stdout) == (0, shown) and b"vantri-no-such-pager" in stderr
    # An explicit width cuts, as in a pipe, and says so.
    status, stdout, stderr = run_vantri_on_terminal(
        "--width", "80", graphs["wide"], env=command_env(VANTRI_PAGER=str(pager)),
        may_page=True)
    assert status == 0 and not paged.exists() and widest(stdout) <= 80
    assert stderr.startswith(b"vantri: drawing cut at 80 columns: ")
    # A pipe never gets a pager, and the drawing is cut there as before.
    piped = run_vantri("--color", "--width", "80", graphs["wide"],
                       env=command_env(VANTRI_PAGER=str(pager)))
    assert not paged.exists()
    assert piped.stdout == stdout and piped.stderr == stderr
