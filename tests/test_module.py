"""The Python face of vantri: signatures, argument conversion, exceptions."""

import inspect
import pathlib
import re
import subprocess
import sys
import textwrap
import threading
from pathlib import Path

import numpy
import pytest

import vantri
from conftest import REAL_DOT

GRAPH = "digraph { a -> b }"
DOT_MISSING = "Graphviz `dot` command not found in PATH. Please install Graphviz."


def test_module_documentation_and_functions():
    assert vantri.__doc__ and vantri.vantri.__doc__ == vantri.__doc__
    assert {"render", "render_file", "_cli"} <= set(vars(vantri.vantri))


@pytest.mark.parametrize(
    "function, first", [(vantri.render, "dot_source"), (vantri.render_file, "path")]
)
def test_signatures_and_documented_arguments(function, first):
    signature = inspect.signature(function)
    assert str(signature) == (
        f"({first}, *, max_width=None, trim='smart', max_label=None, color=True, timeout=None)"
    )
    # Every argument has its line under "Args:".
    documented = {
        line.split(":")[0].strip()
        for line in function.__doc__.split("\n")
        if line.startswith("    ") and ":" in line
    }
    missing = set(signature.parameters) - documented
    assert not missing, f"{function.__name__}: arguments without documentation: {missing}"


def test_cli_signature():
    assert str(inspect.signature(vantri._cli)) == "()"


@pytest.mark.parametrize(
    "call, words",
    [
        (lambda: vantri.render(GRAPH, 80), ["render", "positional"]),
        (lambda: vantri.render_file("x.dot", 80), ["render_file", "positional"]),
        (lambda: vantri.render(GRAPH, width=80), ["render", "'width'"]),
        (lambda: vantri.render(GRAPH, dot_source=GRAPH), ["render", "'dot_source'"]),
        (lambda: vantri.render(), ["render", "dot_source"]),
        (lambda: vantri.render(max_width=3), ["render", "dot_source"]),
        (lambda: vantri.render_file(), ["render_file", "path"]),
        (lambda: vantri.render(b"digraph {}"),
         ["dot_source", "str or a graph of the graphviz, pydot or networkx package", "bytes"]),
        (lambda: vantri.render(GRAPH, trim=None), ["trim", "NoneType"]),
        (lambda: vantri.render(GRAPH, color=None), ["color", "NoneType"]),
        (lambda: vantri.render(GRAPH, color=1), ["color", "int"]),
        (lambda: vantri.render(GRAPH, max_width="80"), ["max_width", "str"]),
        (lambda: vantri.render(GRAPH, max_label=2.5), ["max_label", "float"]),
        (lambda: vantri.render_file(5), ["path", "int"]),
        (lambda: vantri.render(GRAPH, timeout="5"), ["timeout", "str"]),
        (lambda: vantri.render(GRAPH, timeout=True), ["timeout", "bool"]),
        # Arguments convert in order: the first bad one is reported.
        (lambda: vantri.render(1, max_width="x", trim=None), ["dot_source"]),
        (lambda: vantri.render(GRAPH, max_width="x", trim=None), ["max_width"]),
        (lambda: vantri.render(GRAPH, trim=None, max_label="x"), ["trim"]),
        (lambda: vantri.render(GRAPH, max_label="x", color=1), ["max_label"]),
    ],
)
def test_binding_and_type_errors_name_the_culprit(call, words):
    with pytest.raises(TypeError) as caught:
        call()
    assert type(caught.value) is TypeError
    for word in words:
        assert word in str(caught.value)


@pytest.mark.parametrize("name", ["max_width", "max_label"])
@pytest.mark.parametrize("value", [-1, 2**64])
def test_limits_out_of_range_overflow(name, value):
    with pytest.raises(OverflowError):
        vantri.render(GRAPH, **{name: value})


@pytest.mark.parametrize(
    "options, words",
    [
        ({"max_width": 0}, ["max_width", "at least 5", "None"]),
        ({"max_width": 4}, ["max_width", "at least 5", "not 4"]),
        ({"timeout": 0}, ["timeout", "positive"]),
        ({"timeout": -1.5}, ["timeout", "-1.5"]),
        ({"timeout": float("nan")}, ["timeout", "nan"]),
    ],
)
def test_values_no_render_can_use_are_value_errors(no_dot, options, words):
    with pytest.raises(ValueError) as caught:
        vantri.render(GRAPH, **options)
    for word in words:
        assert word in str(caught.value)


def test_unknown_trim_is_a_value_error_before_dot_runs(no_dot):
    with pytest.raises(ValueError) as caught:
        vantri.render(GRAPH, trim="centre")
    assert caught.value.args == ("unknown trim strategy: centre",)
    with pytest.raises(ValueError, match="^unknown trim strategy: Fancy$"):
        vantri.render_file("/no/such/file.dot", trim="Fancy")
    with pytest.raises(RuntimeError, match=f"^{re.escape(DOT_MISSING)}"):
        vantri.render(GRAPH, trim="MIDDLE")


def test_missing_dot_and_bad_dot_source(no_dot):
    with pytest.raises(RuntimeError) as caught:
        vantri.render(GRAPH)
    assert type(caught.value) is RuntimeError
    assert caught.value.args[0].startswith(DOT_MISSING + " Searched: ")


def test_dot_failure_message_carries_its_diagnostic():
    with pytest.raises(RuntimeError) as caught:
        vantri.render("digraph { a -> }")
    message = caught.value.args[0]
    assert message.startswith("Graphviz `dot` exited with code Some(1): ")
    assert "syntax error" in message


def test_render_file_reports_io_errors(tmp_path):
    with pytest.raises(RuntimeError) as caught:
        vantri.render_file(str(tmp_path / "missing.dot"))
    assert caught.value.args == ("No such file or directory (os error 2)",)
    with pytest.raises(RuntimeError) as caught:
        vantri.render_file(str(tmp_path))
    assert caught.value.args == ("Is a directory (os error 21)",)
    latin1 = tmp_path / "latin1.dot"
    latin1.write_bytes(b'digraph { a [label="caf\xe9"] }')
    with pytest.raises(RuntimeError) as caught:
        vantri.render_file(str(latin1))
    assert caught.value.args == (
        "stream did not contain valid UTF-8: invalid utf-8 sequence of 1 bytes from index 23",
    )
    with pytest.raises(RuntimeError) as caught:
        vantri.render_file(str(tmp_path / "x.dot") + "\0.txt")
    assert caught.value.args == ("file name contained an unexpected NUL byte",)


def test_render_file_matches_render_for_any_path_like(tmp_path, monkeypatch):
    graph = tmp_path / "g.dot"
    graph.write_text(GRAPH)
    monkeypatch.chdir(tmp_path)
    assert vantri.render_file("g.dot") == vantri.render(GRAPH)
    assert vantri.render_file(path=str(graph), color=False) == vantri.render(
        dot_source=GRAPH, color=False
    )
    for path in [graph, pathlib.PurePosixPath("g.dot"), b"g.dot"]:
        assert vantri.render_file(path) == vantri.render(GRAPH)


def test_latin1_graphs_render_from_files_and_strings(tmp_path):
    latin1 = Path("/usr/share/doc/graphviz/examples/graphs/directed/Latin1.gv")
    assert "áâãäåæçèéêëìíîïðñòóôõöøùúûü" in vantri.render_file(latin1, color=False)
    # The same graph as a str: its declaration describes bytes it no longer
    # has, so each character stays one character.
    text = latin1.read_bytes().decode("latin-1")
    assert vantri.render(text) == vantri.render_file(latin1)
    assert "Ã" not in vantri.render(text)


def test_defaults_and_accepted_values():
    coloured = 'digraph { a [style=filled, fillcolor=red] }'
    assert "\x1b[31m" in vantri.render(coloured)
    assert vantri.render(coloured) == vantri.render(
        coloured, max_width=None, trim="smart", max_label=None, color=True
    )
    assert "\x1b" not in vantri.render(coloured, color=False)
    assert vantri.render(coloured, color=numpy.bool_(False)) == vantri.render(
        coloured, color=False
    )
    assert vantri.render(coloured, color=numpy.True_) == vantri.render(coloured)
    assert vantri.render(GRAPH, max_width=2**64 - 1) == vantri.render(GRAPH)
    assert vantri.render(GRAPH, max_width=numpy.int64(7)) == vantri.render(
        GRAPH, max_width=7
    )
    assert vantri.render(GRAPH, timeout=30) == vantri.render(GRAPH, timeout=1e300)

    class Text(str):
        pass

    assert vantri.render(Text(GRAPH)) == vantri.render(GRAPH)


def test_too_large_drawing_is_a_runtime_error():
    # One node of 900 inches beside a tiny one: the tiny node sets a fine
    # scale, so the canvas would need over a hundred million cells.
    huge = (
        "digraph { a [shape=box, width=900, height=900, label=x];"
        " b [fixedsize=true, width=0.1, height=0.1] }"
    )
    with pytest.raises(RuntimeError) as caught:
        vantri.render(huge)
    message = caught.value.args[0]
    assert "character cells" in message and "max_width" in message
    # A width limit makes it drawable; the huge node is left out, and said so.
    with pytest.warns(vantri.DrawingCutWarning, match="1 of 2 nodes do not fit"):
        text = vantri.render(huge, max_width=100)
    assert max(len(line) for line in text.splitlines()) <= 100


def test_graphs_of_one_text_in_turn_and_a_text_without_any(tmp_path):
    second = "graph { x -- y [label=e] }"
    both = f"{GRAPH}\n// the next one\n{second}\n"
    joined = vantri.render(GRAPH) + "\n" + vantri.render(second)
    assert vantri.render(both) == joined
    (tmp_path / "both.gv").write_text(both)
    assert vantri.render_file(tmp_path / "both.gv") == joined
    no_graph = "the DOT text holds no graph (it is empty, or only blanks and comments)"
    for blank in ["", "  \n", "/* nothing */ // here\n# 1 \"x.gv\"\n"]:
        with pytest.raises(RuntimeError) as caught:
            vantri.render(blank)
        assert caught.value.args == (no_graph,)
    (tmp_path / "empty.gv").write_text("")
    with pytest.raises(RuntimeError, match=re.escape(no_graph)):
        vantri.render_file(tmp_path / "empty.gv")
    # What concerns one graph of several names it by its place.
    huge = ("digraph { a [shape=box, width=900, height=900, label=x];"
            " b [fixedsize=true, width=0.1, height=0.1] }")
    with pytest.raises(RuntimeError, match="^graph 2: Drawing too large: "):
        vantri.render(GRAPH + huge)
    with pytest.warns(vantri.DrawingCutWarning, match="^graph 2: drawing cut at 100 columns"):
        vantri.render(GRAPH + huge, max_width=100)


def test_version_internal_error_and_sub_interpreters():
    import importlib.metadata

    cmake = (Path(__file__).parent.parent / "CMakeLists.txt").read_text()
    written = re.search(r"project\(vantri VERSION ([0-9.]+)", cmake).group(1)
    assert vantri.__version__ == importlib.metadata.version("vantri") == written
    assert issubclass(vantri.InternalError, RuntimeError)
    # Every interpreter gets a module of its own, isolated ones (with a lock
    # of their own) included, and renders with it.
    script = textwrap.dedent(
        """
        import _interpreters, _testcapi, vantri
        code = "import vantri; assert 'a' in vantri.render('digraph { a }')"
        assert _testcapi.run_in_subinterp(code) == 0
        assert _interpreters.exec(_interpreters.create(), code) is None
        print(vantri.render("digraph { a }") == vantri.render("digraph { a }"))
        """
    )
    result = subprocess.run(
        [sys.executable, "-c", script], capture_output=True, text=True, timeout=60
    )
    assert (result.returncode, result.stdout, result.stderr) == (0, "True\n", "")


def test_other_threads_run_during_a_render(fake_dot, tmp_path):
    """Two renders in two threads run their dots at the same time (each fake
    dot waits until the other has started, then half a second more), and a
    heartbeat thread keeps ticking meanwhile."""
    assert REAL_DOT
    meeting = tmp_path / "meeting"
    meeting.mkdir()
    fake_dot(
        f'touch "{meeting}/$$"\n'
        f'tries=0; while [ "$(ls "{meeting}" | wc -l)" -lt 2 ]; do\n'
        f'  tries=$((tries + 1)); [ $tries -gt 200 ] && exit 7; sleep 0.05\n'
        f"done\n"
        f"sleep 0.5\n"
        f'exec "{REAL_DOT}" "$@"\n'
    )
    ticks = 0
    stop = threading.Event()

    def heartbeat():
        nonlocal ticks
        while not stop.wait(0.005):
            ticks += 1

    beat = threading.Thread(target=heartbeat)
    beat.start()
    results = []
    other = threading.Thread(target=lambda: results.append(vantri.render(GRAPH)))
    other.start()
    results.append(vantri.render(GRAPH))
    other.join()
    stop.set()
    beat.join()
    assert len(results) == 2 and results[0] == results[1] and "┌" in results[0]
    # Half a second of 5 ms ticks; a render holding the lock allows about two.
    assert ticks >= 20
