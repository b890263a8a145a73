"""Whole drawings of small real graphs, and the width fitting seen from outside."""

import re

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
    # a -> c goes round b, a column clear of its border, and every edge ends
    # in its own arrowhead.
    "digraph { a -> b -> c; a -> c }": """\


    ┌───┐
    │ a │
    └───┘
     │ │
     │ └┐
     ▼  │
  ┌───┐ │
  │ b │ │
  └───┘ │
     │  │
     │ ┌┘
     ▼ ▼
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
       │
    ┌──┴──┐
    │yes  │no, never
    ▼     ▼
  ┌───┐ ┌───┐
  │ b │ │ c │
  └───┘ └───┘
""",
    "digraph { a -> b; a -> c; a -> d }": """\


        ┌───┐
        │ a │
        └───┘
          │
    ┌─────┼──────┐
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
  │ a │◀─┐
  └───┘  │
    │    │
    │    │
    ▼    │
  ┌───┐  │
  │ b │──┘
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


def test_labels_that_fit_only_narrow_the_canvas(logging_dot):
    logging_dot()
    source = "digraph { " + "; ".join(f"n{i}" for i in range(10)) + " }"
    assert widest(draw(source)) > 40
    text = draw(source, max_width=40)
    assert len(logging_dot.runs()) == 2  # one layout for each render
    # Without edges the narrower canvas shows exactly the first 40 columns.
    cut = "\n".join(line[:40].rstrip() for line in draw(source).splitlines())
    assert text == cut.rstrip("\n") + "\n"


def test_default_labels_are_shortened_in_the_second_layout(logging_dot):
    logging_dot()
    source = "digraph {\n" + LONG_NAMES + "}\n"
    text = draw(source, max_width=80)
    runs = logging_dot.runs()
    assert len(runs) == 2
    assert runs[0] == source
    assert '"an_extremely_long_identifier_name_number_one" [label="an_extremely..._one"];' in runs[1]
    assert "an_extremely..._one" in text and "an_extremely..._two" in text
    assert widest(text) <= 80


def test_literal_labels_are_replaced_in_place(logging_dot):
    logging_dot()
    text = draw(graph_of(), max_width=60, trim="end")
    runs = logging_dot.runs()
    assert len(runs) == 2
    assert "a_rather_long_label_for_node_0" not in runs[1]
    assert re.search(r'n0 \[label="a_r[^"]*\.\.\."\];', runs[1])
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
    assert re.search(r'\n"n0" \[label="a_r[^"]*\.\.\."\];\n', runs[1])
    assert widest(text) <= 60


def test_label_limit_travels_into_the_second_layout(logging_dot):
    logging_dot()
    # x is wide enough for its limited label; the others need fitting.
    source = graph_of(
        'x [fixedsize=true, width=16, label="abcdefghijklmnopqrstuvwxyz"]',
        statement='n{i} [label="twelve_byte{i}"]',
    )
    draw(source, max_width=30, max_label=12, trim="end")
    runs = logging_dot.runs()
    assert len(runs) == 2
    assert 'x [fixedsize=true, width=16, label="abcdefghi..."]' in runs[1]
    assert 'n0 [label="twelv..."]' in runs[1]


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


def test_room_never_drops_below_eight_bytes(logging_dot):
    logging_dot()
    source = graph_of('tiny [fixedsize=true, width=0.1, label="a_long_label_for_a_tiny_node"]')
    draw(source, max_width=60, trim="end")
    runs = logging_dot.runs()
    assert len(runs) == 2
    assert 'tiny [fixedsize=true, width=0.1, label="a_lon..."]' in runs[1]


def test_a_failing_second_layout_keeps_the_first(logging_dot):
    logging_dot(fail_on=2)
    source = "digraph {\n" + LONG_NAMES + "}\n"
    text = draw(source, max_width=80)
    assert len(logging_dot.runs()) == 2
    assert widest(text) <= 80
    assert "an_extremely..._one" in text
