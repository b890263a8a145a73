"""Graphviz's own example graphs, rendered every way a user can ask for.

Each graph is drawn with the defaults, without colour, by the `vantri`
command with `--no-color` (box styles), and with widths of 40 and 80
columns. None of the examples sets a fill colour, so each is also drawn
through a `dot` that runs the real one and gives the nodes fill colours
from a palette covering every ANSI colour and box style. Nothing may fail
except `dot` itself, and every drawing must be text a terminal shows as
drawn: one line feed at the end, no trailing blanks, no line wider than
asked, colour sequences that close on their own line and no other control
characters.
"""

import atexit
import contextlib
import functools
import gzip
import json
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import unicodedata
from pathlib import Path

import pytest

import vantri
from conftest import install_dot

# Drawings cut at a width limit warn; these tests check the drawings.
pytestmark = [pytest.mark.sweep,
              pytest.mark.filterwarnings("ignore::vantri.DrawingCutWarning")]

EXAMPLES = Path("/usr/share/doc/graphviz/examples/graphs")
GRAPHS = sorted(EXAMPLES.glob("*/*.gv")) + sorted(EXAMPLES.glob("*/*.gv.gz"))
SCRIPT = Path(sys.executable).with_name("vantri")
WIDTHS = (40, 80)
DOT_FAILED = "Graphviz `dot` exited with code"
SGR = re.compile(r"\x1b\[([0-9;]*)m")
RESET = "\x1b[0m"
# The characters of a box that a fill colour's line style replaces: the
# light frame, its round corners (Mrecord) and the junctions of a record's
# field lines with it, and the lines of a double circle's double frame.
LIGHT_BOX = set("┌─┐│└┘╭╮╰╯┬┴├┤═║")
# Every ANSI colour and box style, white (no sequence), an empty and an
# unknown colour, and a node without any.
PALETTE = [
    "red", "orange", "yellow", "gold", "green", "cyan", "blue", "#1e90ff",
    "purple", "magenta", "black", "gray", "lightgrey", "white", "", "no-such", None,
]
# Runs the real `dot` and adds a "fillcolor" member after the "_gvid" of
# every object (clusters ignore theirs) in its pretty-printed json0.
COLOURING_DOT = """\
layout=$({dot} "$@") || exit $?
printf '%s\\n' "$layout" | awk -v palette='{palette}' '
BEGIN {{ n = split(palette, colour, " ") }}
/^  "objects": \\[/ {{ objects = 1 }}
/^  "edges": \\[/ {{ objects = 0 }}
{{ print }}
objects && /^      "_gvid": [0-9]+,$/ {{
  c = colour[i++ % n + 1]
  if (c != "-") printf "      \\"fillcolor\\": \\"%s\\",\\n", (c == "\\"\\"" ? "" : c)
}}'
"""


def graph_id(path: Path) -> str:
    return f"{path.parent.name}/{path.name}"


@functools.cache
def colouring_path() -> str:
    """A PATH whose `dot` colours the nodes of the real one's layout."""
    real = shutil.which("dot")
    assert real, "dot is not installed"
    bin_dir = Path(tempfile.mkdtemp(prefix="vantri-colouring-dot-"))
    atexit.register(shutil.rmtree, bin_dir, ignore_errors=True)
    names = " ".join("-" if c is None else c or '""' for c in PALETTE)
    install_dot(bin_dir, COLOURING_DOT.format(palette=names, dot=shlex.quote(real)))
    return f"{bin_dir}{os.pathsep}{os.environ['PATH']}"


@contextlib.contextmanager
def search_path(path: str | None):
    if path is None:
        yield
        return
    old = os.environ["PATH"]
    os.environ["PATH"] = path
    try:
        yield
    finally:
        os.environ["PATH"] = old


@functools.cache
def dot_source(path: Path) -> str:
    data = path.read_bytes()
    if path.suffix == ".gz":
        data = gzip.decompress(data)
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        # Latin1.gv is in Latin-1 (and says so); decoded, it is text like any other.
        return data.decode("latin-1")


def dot_fails_on(source: str) -> bool:
    """Whether the installed `dot` itself rejects the graph."""
    run = subprocess.run(
        ["dot", "-Tjson0"], input=source.encode(), capture_output=True, timeout=120
    )
    return run.returncode != 0


OUTLINE_FREE = {"point", "plaintext", "plain", "none"}


@functools.cache
def no_outlines(path: Path) -> bool:
    """Whether no node of the graph has an outline: points (arrows.gv),
    plaintext, plain and none."""
    run = subprocess.run(
        ["dot", "-Tjson0"], input=dot_source(path).encode(), capture_output=True, timeout=120
    )
    objects = json.loads(run.stdout).get("objects", []) if run.returncode == 0 else []
    nodes = [o for o in objects if "nodes" not in o and "bb" not in o]
    return bool(nodes) and all(o.get("shape") in OUTLINE_FREE for o in nodes)


@functools.cache
def rendered(path: Path, coloured: bool = False, **options) -> str | None:
    """The drawing, or None when `dot` genuinely fails on the graph."""
    source = dot_source(path)
    try:
        with search_path(colouring_path() if coloured else None):
            return vantri.render(source, **options)
    except RuntimeError as error:
        if str(error).startswith(DOT_FAILED) and dot_fails_on(source):
            return None
        raise


@functools.cache
def rendered_by_command(path: Path, coloured: bool = False) -> str | None:
    """`vantri --no-color`: the file by name, or decompressed on stdin."""
    source = dot_source(path)
    if path.suffix == ".gz":
        args, stdin = ["-"], gzip.decompress(path.read_bytes())
    else:
        args, stdin = [str(path)], b""
    env = dict(os.environ, PATH=colouring_path()) if coloured else None
    run = subprocess.run(
        [str(SCRIPT), "--no-color", *args],
        input=stdin, capture_output=True, env=env, timeout=120,
    )
    stderr = run.stderr.decode(errors="replace")
    if run.returncode != 0 and f"vantri: error: {DOT_FAILED}" in stderr and dot_fails_on(source):
        return None
    assert (run.returncode, stderr) == (0, ""), f"vantri --no-color {args[0]}"
    return run.stdout.decode("utf-8")


def drawings(path: Path) -> dict[str, str]:
    """Every drawing of the graph by name; skips a graph `dot` cannot lay out."""
    result = {
        "default": rendered(path),
        "color=False": rendered(path, color=False),
        "--no-color": rendered_by_command(path),
        "coloured": rendered(path, coloured=True),
        "coloured --no-color": rendered_by_command(path, coloured=True),
    }
    for width in WIDTHS:
        result[f"max_width={width}"] = rendered(path, max_width=width)
    # Narrow enough to cut through coloured boxes in most graphs.
    result["coloured max_width=40"] = rendered(path, coloured=True, max_width=40)
    if any(text is None for text in result.values()):
        pytest.skip(f"dot fails on {graph_id(path)}")
    return result


def problems(text: str, max_width: int | None = None) -> list[str]:
    """What is wrong with a drawing as terminal text; empty when nothing."""
    found = []
    if not text.endswith("\n") or text.endswith("\n\n"):
        found.append(f"does not end in exactly one line feed: {text[-3:]!r}")
    for number, line in enumerate(text.removesuffix("\n").split("\n")):
        where = f"line {number}"
        # Colour must alternate start, reset, start, reset..., every start
        # colouring at least one character and none left open at the end.
        open_at = None
        for match in SGR.finditer(line):
            is_reset = match.group(0) == RESET
            if is_reset == (open_at is None):
                found.append(f"{where}: unpaired {match.group(0)!r} at {match.start()}")
            elif is_reset and open_at == match.start():
                found.append(f"{where}: empty colour run at {match.start()}")
            open_at = None if is_reset else match.end()
        if open_at is not None:
            found.append(f"{where}: colour left open")
        plain = SGR.sub("", line)
        if plain != plain.rstrip():
            found.append(f"{where}: trailing white space {plain[-3:]!r}")
        if max_width is not None and len(plain) > max_width:
            found.append(f"{where}: {len(plain)} columns, more than {max_width}")
        controls = {c for c in plain if unicodedata.category(c) == "Cc"}
        if controls:
            found.append(f"{where}: control characters {sorted(controls)!r}")
    return found


def differs_only_in_box_style(plain: str, styled: str) -> str | None:
    """Where `styled` changes more of `plain` than its light box characters."""
    plain_lines, styled_lines = plain.split("\n"), styled.split("\n")
    if len(plain_lines) != len(styled_lines):
        return f"{len(styled_lines)} lines instead of {len(plain_lines)}"
    for number, (a, b) in enumerate(zip(plain_lines, styled_lines)):
        if len(a) != len(b) or not {x for x, y in zip(a, b) if x != y} <= LIGHT_BOX:
            return f"line {number}: {a!r} became {b!r}"
    return None


def test_the_example_graphs_are_installed():
    # Debian's graphviz-doc ships 60 graphs, eight of them compressed.
    assert len(GRAPHS) >= 50, f"example graphs missing under {EXAMPLES}"
    assert any(path.suffix == ".gz" for path in GRAPHS)


@pytest.mark.parametrize("path", GRAPHS, ids=graph_id)
def test_drawings_are_clean_terminal_text(path):
    failures = []
    for name, text in drawings(path).items():
        width = int(name.rpartition("=")[2]) if "max_width" in name else None
        failures += [f"{name}: {problem}" for problem in problems(text, width)]
    assert not failures, "\n".join(failures[:20])


@pytest.mark.parametrize("path", GRAPHS, ids=graph_id)
def test_colour_and_box_styles_only_decorate_the_plain_drawing(path):
    texts = drawings(path)
    plain = texts["color=False"]
    assert "\x1b" not in plain + texts["--no-color"] + texts["coloured --no-color"]
    # ANSI colour only wraps runs of what is drawn: removed, the plain
    # drawing is left.
    assert SGR.search(texts["coloured"])
    for name, uncoloured in [
        ("default", plain),
        ("coloured", plain),
        ("coloured max_width=40", SGR.sub("", texts["max_width=40"])),
    ]:
        assert SGR.sub("", texts[name]) == uncoloured, name
    # Box styles only replace the light box characters of node borders;
    # points and outline-free nodes have no border to style.
    if not no_outlines(path):
        assert texts["coloured --no-color"] != plain
    for name in ["--no-color", "coloured --no-color"]:
        assert differs_only_in_box_style(plain, texts[name]) is None, (
            name,
            differs_only_in_box_style(plain, texts[name]),
        )


def test_a_latin1_file_draws_as_its_text():
    # Latin1.gv is the one example in Latin-1, and declares it.
    latin1 = [path for path in GRAPHS if path.name == "Latin1.gv"]
    if not latin1:
        pytest.skip("Latin1.gv is not among the example graphs")
    assert vantri.render_file(latin1[0]) == rendered(latin1[0], coloured=False)


def test_every_example_in_one_text_draws_as_each_alone():
    """Every example graph `dot` lays out, one after the other in one text:
    `render`, and the command reading the text from a pipe, draw each graph
    as they draw it alone, in turn, a blank line between each two. At 80
    columns, so that the graphs too wide are laid out again, each from its
    own text. (Latin1.gv is left out: its charset would be the whole text's.)"""
    paths = [p for p in GRAPHS if p.name != "Latin1.gv" and rendered(p, max_width=80) is not None]
    text = "\n".join(dot_source(path) for path in paths)
    expected = [rendered(path, max_width=80) for path in paths]

    def first_difference(drawn: str) -> str | None:
        at = 0
        for path, alone in zip(paths, expected):
            separator = "\n" if at else ""
            piece = drawn[at : at + len(separator) + len(alone)]
            if piece != separator + alone:
                lines = zip((separator + alone).split("\n"), piece.split("\n"))
                line = next((n for n, (a, b) in enumerate(lines) if a != b), None)
                return f"{graph_id(path)}, line {line} of its drawing"
            at += len(piece)
        return None if at == len(drawn) else f"{len(drawn) - at} characters more at the end"

    assert first_difference(vantri.render(text, max_width=80)) is None
    run = subprocess.run([str(SCRIPT), "--color", "--width", "80"], input=text.encode(),
                         capture_output=True, timeout=600)
    assert run.returncode == 0
    assert first_difference(run.stdout.decode()) is None
    # Only the notices of drawings cut at the width, each naming its graph.
    for line in run.stderr.decode().splitlines():
        assert re.fullmatch(r"vantri: graph \d+: drawing cut at 80 columns: .*", line), line
