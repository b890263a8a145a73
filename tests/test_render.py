"""Whole drawings of small real graphs, and the width fitting seen from outside."""

import re
import subprocess
import sys
import warnings
from pathlib import Path

import pytest

import vantri

ANSI = re.compile(r"\x1b\[[0-9;]*m")


def draw(source, **options):
    return vantri.render(source, color=False, **options)


def widest(text):
    return max((len(ANSI.sub("", line)) for line in text.splitlines()), default=0)


DRAWINGS = {
    "digraph { a }": """\


  ┌───┐
  │ a │
  └───┘
""",
    "digraph { a -> b }": """\


  ┌───┐
  │ a │
  └───┘
    │
    │
    ▼
  ┌───┐
  │ b │
  └───┘
""",
    # a -> c goes round b, a column clear of its border, and merges with
    # b -> c on the row above c, into one arrowhead.
    "digraph { a -> b -> c; a -> c }": """\


    ┌───┐
    │ a │
    └───┘
     ││
     │└─┐
     ▼  │
  ┌───┐ │
  │ b │ │
  └───┘ │
    │   │
    └─┬─┘
      ▼
    ┌───┐
    │ c │
    └───┘
""",
    # A title wider than its frame is shortened, not dropped.
    'digraph { subgraph cluster_x { label="group"; a -> b } b -> c }': """\



  ┌ g...┐
  ╎     ╎
  ╎┌───┐╎
  ╎│ a │╎
  ╎└───┘╎
  ╎  │  ╎
  ╎  │  ╎
  ╎  ▼  ╎
  ╎┌───┐╎
  ╎│ b │╎
  ╎└───┘╎
  └╌╌╌╌╌┘
     │
     ▼
   ┌───┐
   │ c │
   └───┘
""",
    # Left to right, edges run rightwards between the facing sides.
    "digraph { rankdir=LR; a -> b -> c }": """\


  ┌───┐   ┌───┐   ┌───┐
  │ a │──▶│ b │──▶│ c │
  └───┘   └───┘   └───┘
""",
    'digraph { a -> b [label="yes"]; a -> c [label="no, never"] }': """\


     ┌───┐
     │ a │
     └───┘
    yes│  no, never
    ┌──┴──┐
    │     │
    ▼     ▼
  ┌───┐ ┌───┐
  │ b │ │ c │
  └───┘ └───┘
""",
    "digraph { a -> b; a -> c; a -> d }": """\


        ┌───┐
        │ a │
        └───┘
          ├──────┐
    ┌─────┤      │
    ▼     ▼      ▼
  ┌───┐ ┌───┐  ┌───┐
  │ b │ │ c │  │ d │
  └───┘ └───┘  └───┘
""",
    "digraph { a -> c; b -> c }": """\


  ┌───┐ ┌───┐
  │ a │ │ b │
  └───┘ └───┘
    │     │
    └──┬──┘
       ▼
     ┌───┐
     │ c │
     └───┘
""",
    "digraph { a -> b; b -> a }": """\


  ┌───┐
  │ a │
  └───┘
   ▲│
   ││
   │▼
  ┌───┐
  │ b │
  └───┘
""",
    # A self-loop is a closed loop: out of the side, round, into the bottom.
    "digraph { a -> a }": """\


  ┌───┐
  │ a │─┐
  └───┘ │
     ▲  │
     └──┘
""",
    # Boxes are sized by bytes: é takes two.
    'digraph { a [label="two\\nlines"]; a -> "é" }': """\

 ┌───────┐
 │  two  │
 │ lines │
 └───────┘
     │
     │
     │
     ▼
   ┌───┐
   │ é │
   └───┘
""",
}


@pytest.mark.parametrize("source", DRAWINGS)
def test_whole_drawings(source):
    assert draw(source) == DRAWINGS[source]


def test_colour_on_borders_only():
    source = 'digraph { a [shape=doublecircle]; b [shape=box, style=filled, fillcolor="#ff0000"]; a -> b }'
    red, reset = "\x1b[31m", "\x1b[0m"
    assert vantri.render(source) == (
        "\n\n  ╔═══╗\n  ║ a ║\n  ╚═══╝\n    │\n    │\n    ▼\n"
        f"  {red}┌───┐{reset}\n  {red}│{reset} b {red}│{reset}\n  {red}└───┘{reset}\n"
    )


def test_ascii_drawing_with_colour_and_labels_as_written(tmp_path):
    # A label's own box-drawing characters, `+`, `|` and `v` stay as written.
    source = ('digraph { a [shape=doublecircle]; b [shape=box, style=filled, fillcolor="#ff0000",'
              ' label="é+│v"]; a -> b }')
    red, reset = "\x1b[31m", "\x1b[0m"
    text = vantri.render(source, ascii=True)
    assert text == (
        "\n\n   #####\n   # a #\n   #####\n     |\n     |\n     v\n"
        f" {red}+------+{reset}\n {red}|{reset} é+│v {red}|{reset}\n {red}+------+{reset}\n"
    )
    # The plan does not change: the same rows of the same widths.
    unicode = vantri.render(source, color=False).split("\n")
    ascii = vantri.render(source, color=False, ascii=True).split("\n")
    assert [len(row) for row in ascii] == [len(row) for row in unicode]
    path = tmp_path / "g.dot"
    path.write_text(source, encoding="utf-8")
    assert vantri.render_file(path, ascii=True) == text


def test_control_characters_in_labels_cannot_reach_the_terminal():
    text = vantri.render('digraph { a [label="x\x1b[2Jy\tz"]; a -> b [label="p\nq"] }')
    assert "\x1b[2J" not in text
    assert "\t" not in text
    assert "x\ufffd[2Jy z" in text


def graph_of(*first, statement='n{i} [label="a_rather_long_label_for_node_{i}"]'):
    """A graph of the `first` statements and four more made from `statement`."""
    statements = list(first) + [statement.format(i=i) for i in range(4)]
    return "digraph {\n" + "".join(f"  {s};\n" for s in statements) + "}\n"


LONG_NAMES = "".join(
    f"  root -> an_extremely_long_identifier_name_number_{n};\n"
    for n in ["one", "two", "three"]
)


def boxes(text):
    """The labels of the boxes drawn whole: one-line boxes, read from the
    line under each top border."""
    lines = text.splitlines()
    found = []
    for row, line in enumerate(lines[:-2]):
        for top in re.finditer(r"┌(─+)┐", line):
            below = lines[row + 1][top.start() : top.end()]
            if below.startswith("│") and below.endswith("│"):
                found.append(below[1:-1].strip())
    return found


def test_labels_are_shortened_just_enough_in_one_more_layout(logging_dot):
    logging_dot()
    source = "digraph {\n" + LONG_NAMES + "}\n"
    text = draw(source, max_width=80)
    runs = logging_dot.runs()
    assert len(runs) == 2
    assert runs[0] == source
    written = re.findall(r'"an_extremely_long_identifier_name_number_(\w+)" \[label="([^"]*)"\];', runs[1])
    assert [number for number, _ in written] == ["one", "two", "three"]
    for number, label in written:
        # Shortened with the smart strategy, far above the floor.
        assert label.startswith("an") and label.endswith("_" + number) and "..." in label
        assert 12 <= len(label) < 44
    assert sorted(boxes(text)) == sorted(["root"] + [label for _, label in written])
    assert widest(text) <= 80
    # Five columns more would not have fitted.
    assert widest(draw(source, max_width=85)) > 80 or len(written[0][1]) >= 40


def test_literal_labels_are_replaced_in_place(logging_dot):
    logging_dot()
    text = draw(graph_of(), max_width=60, trim="end")
    runs = logging_dot.runs()
    assert len(runs) == 2
    assert "a_rather_long_label_for_node_0" not in runs[1]
    # Cut where the four differ, so that each still tells its node.
    written = re.findall(r'n(\d) \[label="([^"]*\.\.\.[^"]*)"\];', runs[1])
    assert [n for n, _ in written] == ["0", "1", "2", "3"]
    assert all(label.endswith(f"node_{n}") for n, label in written), written
    assert widest(text) <= 60


@pytest.mark.parametrize(
    "statement",
    [
        'n{i} [label = "a_rather_long_label_for_node_{i}"]',
        "n{i} [label=<a_rather_long_<b>label</b>_for_node_{i}>]",
    ],
)
def test_labels_not_written_literally_get_their_own_statement(logging_dot, statement):
    logging_dot()
    source = graph_of(statement=statement)
    text = draw(source, max_width=60, trim="end")
    runs = logging_dot.runs()
    assert len(runs) == 2
    assert runs[1].startswith(source[:-2])
    assert re.search(r'\n"n0" \[label="[^"]*\.\.\.[^"]*node_0"\];\n', runs[1])
    assert widest(text) <= 60


def test_label_limit_travels_into_the_next_layout(logging_dot):
    logging_dot()
    source = graph_of(
        'x [label="abcdefghijklmnopqrstuvwxyz"]', statement='n{i} [label="twelve_byte{i}"]'
    )
    natural = widest(draw(source, max_label=12, trim="end"))
    draw(source, max_width=natural * 4 // 5, max_label=12, trim="end")
    runs = logging_dot.runs()
    assert 3 <= len(runs) <= 4
    # The next layout is given the limited label, or one cut shorter still.
    assert re.search(r'x \[label="abcdefg?h?i?\.\.\."\]', runs[2])


def test_label_limit_alone_needs_no_second_layout(logging_dot):
    logging_dot()
    text = draw('digraph { x [label="abcdefghijklmnop"] }', max_label=10, trim="end")
    assert len(logging_dot.runs()) == 1
    assert "│ abcdefg... │" in text


def test_labels_count_terminal_columns():
    ten = "é" * 10  # twenty bytes, ten columns
    assert f"│ {ten} │" in draw(f'digraph {{ x [label="{ten}"] }}', max_label=10)
    shortened = draw(f'digraph {{ x [label="{ten}"] }}', max_label=9, trim="end")
    assert ten not in shortened and "│ éééééé... │" in shortened
    wide = "日本語テキスト"  # fourteen columns
    assert "│ 日本語... │" in draw(f'digraph {{ x [label="{wide}"] }}', max_label=10, trim="end")


def test_labels_are_never_cut_below_the_floor(logging_dot):
    logging_dot()
    # However narrow, a label keeps six characters and the ellipsis.
    source = graph_of('tiny [fixedsize=true, width=0.1, label="a_long_label_for_a_tiny_node"]')
    with pytest.warns(vantri.DrawingCutWarning):
        text = draw(source, max_width=30, trim="end")
    runs = logging_dot.runs()
    assert 2 <= len(runs) <= 3
    assert 'tiny [fixedsize=true, width=0.1, label="a_long..."]' in runs[-1]
    assert all(len(label) >= 9 for label in re.findall(r'label="([^"]*)"', runs[-1]))
    assert widest(text) <= 30


def test_lays_out_tighter_when_labels_alone_cannot_fit(logging_dot):
    logging_dot()
    source = "digraph { a -> {" + " ".join(f"n{i}" for i in range(9)) + "} }"
    assert widest(draw(source)) > 60
    text = draw(source, max_width=60)
    runs = logging_dot.runs()
    assert len(runs) == 3  # one render unlimited, then one layout more
    assert re.search(r"-Gnodesep=0\.\d+ -Gratio= -Nshape=box", logging_dot.arguments()[2])
    assert sorted(boxes(text)) == sorted(["a"] + [f"n{i}" for i in range(9)])
    assert widest(text) <= 60


def test_services_fit_64_columns_with_every_box_whole(logging_dot):
    logging_dot()
    text = vantri.render_file("examples/services.dot", max_width=64, color=False)
    assert len(logging_dot.runs()) <= 3
    assert widest(text) <= 64
    shown = boxes(text)
    assert len(shown) == 5
    for name in ["api_gateway", "authentication_service", "order_processing_service",
                 "payment_provider_adapter", "inventory_management_service"]:
        assert any(label == name or "..." in label and name.startswith(label.split("...")[0])
                   for label in shown), (name, shown)


def test_a_failing_second_layout_keeps_the_first(logging_dot):
    logging_dot(fail_on=2)
    source = "digraph {\n" + LONG_NAMES + "}\n"
    with pytest.warns(vantri.DrawingCutWarning, match="drawing cut at 80 columns"):
        text = draw(source, max_width=80)
    assert len(logging_dot.runs()) == 2
    assert widest(text) <= 80
    # The first layout, drawn with the labels asked for.
    assert "an_extremely_long_identifier_name_number_one" not in text
    assert any(label.endswith("_number_one") and "..." in label for label in boxes(text))


FAN_OUT = "digraph { root -> {" + " ".join(f"leaf{i}" for i in range(30)) + "} }"


def test_a_drawing_that_cannot_fit_is_cut_and_says_how_many_nodes_it_leaves_out():
    with pytest.warns(vantri.DrawingCutWarning) as caught:
        text = draw(FAN_OUT, max_width=60)
    assert len(caught) == 1
    message = str(caught[0].message)
    match = re.fullmatch(
        r"drawing cut at 60 columns: (\d+) of 31 nodes do not fit; a wider max_width shows them",
        message,
    )
    assert match, message
    assert issubclass(vantri.DrawingCutWarning, UserWarning)
    # Every node is whole in the drawing or counted in the message.
    shown = boxes(text)
    assert len(shown) + int(match[1]) == 31
    assert widest(text) <= 60
    assert "│" not in "".join(line[59:] for line in text.splitlines())


def test_drawings_that_fit_warn_of_nothing():
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        # A node twenty inches wide leaves blank columns, not a cut.
        text = draw("digraph { a [width=20]; a -> b }", max_width=60)
        assert sorted(boxes(text)) == ["a", "b"]
        draw("digraph {\n" + LONG_NAMES + "}\n", max_width=80)
        draw(FAN_OUT)
    # Made an error, the warning stops the render.
    with warnings.catch_warnings():
        warnings.simplefilter("error", vantri.DrawingCutWarning)
        with pytest.raises(vantri.DrawingCutWarning):
            draw(FAN_OUT, max_width=60)


def test_the_command_line_reports_a_cut_on_standard_error(tmp_path):
    graph = tmp_path / "fan.dot"
    graph.write_text(FAN_OUT)
    result = subprocess.run(
        [sys.executable, "-m", "vantri", "--no-color", "--width", "60", str(graph)],
        capture_output=True,
        text=True,
        check=True,
    )
    assert re.fullmatch(
        r"vantri: drawing cut at 60 columns: \d+ of 31 nodes do not fit; "
        r"a wider --width shows them\n",
        result.stderr,
    ), result.stderr
    fits = subprocess.run(
        [sys.executable, "-m", "vantri", "--no-color", "--width", "400", str(graph)],
        capture_output=True,
        text=True,
        check=True,
    )
    assert fits.stderr == ""


EXAMPLES = Path("/usr/share/doc/graphviz/examples/graphs/directed")


@pytest.mark.sweep
@pytest.mark.parametrize("name", ["pgram.gv", "psfonttest.gv", "trapeziumlr.gv", "unix.gv"])
def test_example_graphs_are_laid_out_at_most_three_times(logging_dot, name):
    """Graphs the fitting works hardest on: one run of `dot` for the layout,
    at most two more for the fitting, whatever the width."""
    logging_dot()
    source = (EXAMPLES / name).read_text()
    for width in (40, 80, 120):
        before = len(logging_dot.runs())
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", vantri.DrawingCutWarning)
            text = draw(source, max_width=width)
        assert 1 <= len(logging_dot.runs()) - before <= 3, width
        assert widest(text) <= width


def test_a_lone_node_is_drawn_whole_at_any_width():
    # Below the floor, a lone label breaks onto more lines and goes down to
    # a character rather than leave an empty drawing.
    for source in ['digraph { a [label="a rather long label here"] }',
                   "digraph { supercalifragilistic }"]:
        for width in range(5, 30, 3):
            with warnings.catch_warnings():
                warnings.simplefilter("error", vantri.DrawingCutWarning)
                text = draw(source, max_width=width)
            assert len(boxes(text)) == 1 and widest(text) <= width, (source, width, text)
