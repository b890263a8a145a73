"""Generated DOT graphs for the benchmarks, the same for a given size and seed.

A graph is a layered flow chart: nodes sit in ranks, most edges go from one
rank to the next, some skip ranks, a few point back up or stay within a
rank. About one edge in ten carries a label, one node in eight has a fill
colour, and runs of neighbouring nodes are grouped into clusters.

    python3 bench/gen_dot.py NODES [--lr] [--seed N]   prints the graph
"""

from __future__ import annotations

import argparse
import random

_WORDS = (
    "parse", "load", "check", "build", "merge", "split", "store", "fetch",
    "scan", "render", "route", "queue", "cache", "index", "sort", "emit",
)
_COLORS = ("lightblue", "palegreen", "#ffcc88", "pink", "gold", "lightgrey")
DEFAULT_SEED = 20240611


def generate(
    nodes: int, *, lr: bool = False, seed: int = DEFAULT_SEED, labelled: float = 0.1
) -> str:
    """The DOT text of a graph with `nodes` nodes; `labelled` is the share
    of edges that carry a label."""
    rng = random.Random(seed * 7919 + nodes * 2 + int(lr))
    # Ranks of 4 to 12 nodes.
    ranks: list[list[int]] = []
    placed = 0
    while placed < nodes:
        size = min(rng.randint(4, 12), nodes - placed)
        ranks.append(list(range(placed, placed + size)))
        placed += size

    lines = [f"digraph g{nodes}{'lr' if lr else ''} {{"]
    if lr:
        lines.append("  rankdir=LR;")
    lines.append("  node [shape=box];")

    def label(i: int) -> str:
        words = rng.sample(_WORDS, rng.randint(1, 2))
        text = " ".join(words) + f" {i}"
        if rng.random() < 0.1:
            text += "\\n" + rng.choice(_WORDS)
        return text

    # Clusters: a run of 3 to 6 nodes inside one rank, for every tenth rank.
    clustered: set[int] = set()
    for r, members in enumerate(ranks):
        if r % 10 != 3 or len(members) < 5:
            continue
        start = rng.randrange(0, len(members) - 3)
        run = members[start : start + rng.randint(3, min(6, len(members) - start))]
        lines.append(f"  subgraph cluster_{r} {{")
        lines.append(f'    label="stage {r}";')
        for i in run:
            lines.append(f'    n{i} [label="{label(i)}"];')
            clustered.add(i)
        lines.append("  }")

    for i in range(nodes):
        if i in clustered:
            continue
        attrs = [f'label="{label(i)}"']
        if rng.random() < 0.125:
            attrs.append(f'style=filled, fillcolor="{rng.choice(_COLORS)}"')
        lines.append(f"  n{i} [{', '.join(attrs)}];")

    def edge(a: int, b: int) -> None:
        attrs = ""
        if rng.random() < labelled:
            attrs = f' [label="{rng.choice(_WORDS)} {rng.randint(1, 99)}"]'
        lines.append(f"  n{a} -> n{b}{attrs};")

    for r, members in enumerate(ranks):
        below = ranks[r + 1] if r + 1 < len(ranks) else []
        for i in members:
            if below:
                # Mostly to nearby nodes of the next rank, keeping edges short.
                pos = members.index(i) * len(below) // len(members)
                for _ in range(rng.choice((1, 1, 1, 2))):
                    j = below[max(0, min(len(below) - 1, pos + rng.randint(-1, 1)))]
                    edge(i, j)
            roll = rng.random()
            if roll < 0.04 and r + 3 < len(ranks):
                edge(i, rng.choice(ranks[r + rng.randint(2, 3)]))  # long edge
            elif roll < 0.06 and r >= 2:
                edge(i, rng.choice(ranks[r - rng.randint(1, 2)]))  # upward
            elif roll < 0.07 and len(members) > 1:
                j = rng.choice(members)
                if j != i:
                    edge(i, j)  # within the rank
    lines.append("}")
    return "\n".join(lines) + "\n"


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("nodes", type=int)
    parser.add_argument("--lr", action="store_true", help="left-to-right graph")
    parser.add_argument("--seed", type=int, default=DEFAULT_SEED)
    parser.add_argument(
        "--labelled", type=float, default=0.1, help="share of edges with a label"
    )
    args = parser.parse_args()
    print(generate(args.nodes, lr=args.lr, seed=args.seed, labelled=args.labelled), end="")


if __name__ == "__main__":
    main()
