"""Dense and awkward DOT graphs for the benchmarks, the same for a given
name: the shapes that ordinary graphs take a little beyond small examples,
and the ones that are hard on the edge drawing.

- random-N-kK[-lr][-lab]: N nodes and K x N edges, each from a node picked
  at random to one of the next few (dot takes minutes to lay out edges
  between nodes picked anywhere), top-down or left to right, every edge
  labelled or none;
- kbip-R: R layers of 20 nodes, each layer joined to the next by all
  20 x 20 edges;
- one-rank-N: N nodes on one rank, 2 x N edges among them;
- records-N: N records of three fields, 3 x N edges between fields;
- html-N: N HTML-like tables of three cells, 3 x N edges between cells;
- undirected-N: a random graph of N nodes and 2 x N edges, picked as above;
- fanout-N[-sepS]: one root with N children (nodesep=S);
- loops-N: N nodes with 10 self-loops each and, for every pair of
  neighbours, 8 parallel edges and 4 labelled ones.

    python3 bench/gen_families.py NAME        prints the graph
    python3 bench/gen_families.py --list      prints the names the table uses
"""

from __future__ import annotations

import argparse
import random
import re

_WORDS = ("send", "ack", "retry", "load", "store", "tick", "noop", "merge", "split", "sync")

# The families of the benchmark table, smallest first within each.
NAMES = (
    [f"random-{n}-k{k}" for n in (200, 500, 1000) for k in (1, 2, 4)]
    + [f"random-{n}-k2-lr" for n in (200, 500, 1000)]
    + [f"random-{n}-k2-lab" for n in (200, 500, 1000)]
    + [f"random-{n}-k2-lr-lab" for n in (200, 500, 1000)]
    + ["kbip-2", "kbip-4", "one-rank-100", "records-40", "html-40", "undirected-80",
       "undirected-500"]
    + [f"fanout-{n}" for n in (500, 1000, 2000, 4000)]
    + ["fanout-500-sep30", "fanout-1000-sep30", "loops-20"]
)


def _label(rng: random.Random) -> str:
    return f"{rng.choice(_WORDS)} {rng.randint(1, 99)}"


# How far ahead in node order a random edge reaches.
_REACH = 8


def _random_pair(rng: random.Random, nodes: int) -> tuple[int, int]:
    a = rng.randrange(nodes - 1)
    return a, min(nodes - 1, a + rng.randint(1, _REACH))


def random_graph(nodes: int, per_node: int, *, lr: bool, labelled: bool, seed: int) -> str:
    rng = random.Random(seed)
    lines = ["digraph {", "  node [shape=box];"]
    if lr:
        lines.append("  rankdir=LR;")
    for i in range(nodes):
        lines.append(f"  n{i};")
    for _ in range(per_node * nodes):
        a, b = _random_pair(rng, nodes)
        attrs = f' [label="{_label(rng)}"]' if labelled else ""
        lines.append(f"  n{a} -> n{b}{attrs};")
    lines.append("}")
    return "\n".join(lines) + "\n"


def bipartite_chain(layers: int, width: int = 20) -> str:
    lines = ["digraph {", "  node [shape=box];"]
    for layer in range(layers - 1):
        for a in range(width):
            for b in range(width):
                lines.append(f"  l{layer}_{a} -> l{layer + 1}_{b};")
    lines.append("}")
    return "\n".join(lines) + "\n"


def one_rank(nodes: int, seed: int) -> str:
    rng = random.Random(seed)
    lines = ["digraph {", "  node [shape=box];", "  { rank=same; "
             + " ".join(f"n{i};" for i in range(nodes)) + " }"]
    for _ in range(2 * nodes):
        a, b = rng.sample(range(nodes), 2)
        lines.append(f"  n{a} -> n{b};")
    lines.append("}")
    return "\n".join(lines) + "\n"


def records(nodes: int, seed: int) -> str:
    rng = random.Random(seed)
    lines = ["digraph {", "  node [shape=record];"]
    for i in range(nodes):
        lines.append(f'  r{i} [label="<a> in {i}|{{<b> {rng.choice(_WORDS)}|<c> out}}"];')
    for _ in range(3 * nodes):
        a, b = rng.sample(range(nodes), 2)
        lines.append(f"  r{a}:{rng.choice('abc')} -> r{b}:{rng.choice('abc')};")
    lines.append("}")
    return "\n".join(lines) + "\n"


def html_tables(nodes: int, seed: int) -> str:
    rng = random.Random(seed)
    lines = ["digraph {", "  node [shape=plaintext];"]
    for i in range(nodes):
        lines.append(
            f'  t{i} [label=<<table><tr><td port="a">table {i}</td></tr>'
            f'<tr><td port="b">{rng.choice(_WORDS)}</td><td port="c">{rng.randint(1, 99)}</td>'
            "</tr></table>>];"
        )
    for _ in range(3 * nodes):
        a, b = rng.sample(range(nodes), 2)
        lines.append(f"  t{a}:{rng.choice('abc')} -> t{b}:{rng.choice('abc')};")
    lines.append("}")
    return "\n".join(lines) + "\n"


def undirected(nodes: int, seed: int) -> str:
    rng = random.Random(seed)
    lines = ["graph {", "  node [shape=box];"]
    for i in range(nodes):
        lines.append(f"  n{i};")
    for _ in range(2 * nodes):
        a, b = _random_pair(rng, nodes)
        lines.append(f"  n{a} -- n{b};")
    lines.append("}")
    return "\n".join(lines) + "\n"


def fanout(children: int, nodesep: float | None) -> str:
    lines = ["digraph {", "  node [shape=box];"]
    if nodesep is not None:
        lines.append(f"  nodesep={nodesep:g};")
    lines.extend(f"  root -> c{i};" for i in range(children))
    lines.append("}")
    return "\n".join(lines) + "\n"


def loops(nodes: int, seed: int) -> str:
    rng = random.Random(seed)
    lines = ["digraph {", "  node [shape=box];"]
    for i in range(nodes):
        for _ in range(10):
            lines.append(f"  n{i} -> n{i};")
    for i in range(nodes - 1):
        for _ in range(8):
            lines.append(f"  n{i} -> n{i + 1};")
        for _ in range(4):
            lines.append(f'  n{i} -> n{i + 1} [label="{_label(rng)}"];')
    lines.append("}")
    return "\n".join(lines) + "\n"


def generate(name: str) -> str:
    """The DOT text of the family member `name` (see the module's text)."""
    seed = sum(map(ord, name))
    if m := re.fullmatch(r"random-(\d+)-k(\d+)(-lr)?(-lab)?", name):
        return random_graph(int(m[1]), int(m[2]), lr=bool(m[3]), labelled=bool(m[4]), seed=seed)
    if m := re.fullmatch(r"kbip-(\d+)", name):
        return bipartite_chain(int(m[1]))
    if m := re.fullmatch(r"one-rank-(\d+)", name):
        return one_rank(int(m[1]), seed)
    if m := re.fullmatch(r"records-(\d+)", name):
        return records(int(m[1]), seed)
    if m := re.fullmatch(r"html-(\d+)", name):
        return html_tables(int(m[1]), seed)
    if m := re.fullmatch(r"undirected-(\d+)", name):
        return undirected(int(m[1]), seed)
    if m := re.fullmatch(r"fanout-(\d+)(?:-sep(\d+))?", name):
        return fanout(int(m[1]), float(m[2]) if m[2] else None)
    if m := re.fullmatch(r"loops-(\d+)", name):
        return loops(int(m[1]), seed)
    raise ValueError(f"no such graph family: {name}")


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("name", nargs="?", help="a name such as random-500-k2-lr-lab")
    parser.add_argument("--list", action="store_true", help="print the names the table uses")
    args = parser.parse_args()
    if args.list or not args.name:
        print("\n".join(NAMES))
        return
    print(generate(args.name), end="")


if __name__ == "__main__":
    main()
