"""What the DOT text says, shown: wide characters, records, HTML-like
labels, titles and shapes, drawn whole from small real graphs."""

import unicodedata

import vantri


def draw(source, **options):
    return vantri.render(source, color=False, **options)


def columns(line):
    """Terminal columns of a line, East Asian wide characters two."""
    return sum(
        0 if unicodedata.combining(c) else 2 if unicodedata.east_asian_width(c) in "WF" else 1
        for c in line
    )


def test_wide_labels_inside_a_cluster_line_up():
    text = draw('digraph { subgraph cluster_c { label="集合"; "日本語" -> "中文" } }')
    assert text == """\



  ┌ 集合 ╌╌╌╌╌╌┐
  ╎            ╎
  ╎┌────────┐  ╎
  ╎│ 日本語 │  ╎
  ╎└────────┘  ╎
  ╎     │      ╎
  ╎     │      ╎
  ╎     ▼      ╎
  ╎ ┌──────┐   ╎
  ╎ │ 中文 │   ╎
  ╎ └──────┘   ╎
  └╌╌╌╌╌╌╌╌╌╌╌╌┘
"""
    # Every row of the frame ends in the same terminal column.
    frame = [line for line in text.splitlines() if line.strip()]
    assert len({columns(line) for line in frame}) == 1


def test_nested_record_fields():
    text = draw('digraph { node [shape=record]; s [label="{<a> a|{<b> b|<c> c}}"]; s:c -> t }')
    box = [line.strip() for line in text.splitlines() if line.strip()][:5]
    assert box == ["┌───────┐", "│   a   │", "├───┬───┤", "│ b │ c │", "└───┴───┘"]
    # Escaped separators are text, port names are not shown.
    escaped = draw(r'digraph { r [shape=Mrecord, label="<p> x\|y|\{z\}"] }')
    assert "│ x|y │ {z} │" in escaped and "<p>" not in escaped
    assert "╭" in escaped and "╯" in escaped


def test_html_table_and_text():
    text = draw(
        "digraph { t [shape=plaintext, label=<<TABLE>"
        '<TR><TD COLSPAN="2">Name &amp; Co</TD></TR>'
        '<TR><TD PORT="l">left</TD><TD>right<BR/>side</TD></TR></TABLE>>] }'
    )
    assert text == """\

 ┌──────────────┐
 │  Name & Co   │
 ├──────┬───────┤
 │ left │ right │
 │      │ side  │
 └──────┴───────┘
"""
    # HTML-like only when written in angle brackets.
    both = draw('digraph { a [label="plain <b>"]; b [label=<x &lt; <I>y</I>>]; a -> b }')
    assert "│ plain <b> │" in both and "│ x < y │" in both


def test_titles_are_shown():
    below = draw('digraph { label="Graph title"; a }')
    assert below.rstrip("\n").endswith("Graph title")
    above = draw('digraph { label=<<B>Top</B>>; labelloc=t; a }')
    assert [line.strip() for line in above.splitlines() if line.strip()][0] == "Top"


def test_shapes():
    text = draw('digraph { a [shape=doublecircle]; b [shape=point]; c [style=invis]; a -> b -> c }')
    assert "║ a ║" in text and "╔═══╗" in text
    assert text.count("●") == 1
    assert "│ c │" not in text
