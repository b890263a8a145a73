"""The dense and awkward graph families of the benchmark table (see
gen_families.py): end to end against `dot -Tjson0` alone, our own share
without dot, how many edges and labels each drawing shows, how soon a
render stops at its deadline while drawing, and the peak memory of the
largest fan-out the budget names. Used by bench.py.
"""

from __future__ import annotations

import json
import statistics
import subprocess
import sys
import time
import warnings
from dataclasses import dataclass
from pathlib import Path

import gen_families

import vantri

# The budgets: our own share at most max(OWN_FLOOR_MS, OWN_SHARE x dot's
# time) on every family up to OWN_NODES nodes; end to end at most E2E_RATIO
# x dot alone; a stop at most STOP_MS after the deadline; the fan-out of
# MEMORY_GRAPH within MEMORY_MIB over the interpreter.
OWN_FLOOR_MS = 20.0
OWN_SHARE = 0.2
OWN_NODES = 1000
E2E_RATIO = 1.25
STOP_MS = 100.0
MEMORY_GRAPH = "fanout-2000"
MEMORY_MIB = 50.0
# A render slower than this is timed once, not `reps` times.
SLOW_SECONDS = 5.0
# Deadlines spread over each render that takes at least STOP_FROM_MS.
STOPS = 5
STOP_FROM_MS = 20.0


@dataclass
class Family:
    name: str
    source: str
    dot_path: Path
    json0_path: Path


def make_family_graphs(workdir: Path) -> list[Family]:
    graphs = []
    for name in gen_families.NAMES:
        source = gen_families.generate(name)
        dot_path = workdir / f"{name}.gv"
        dot_path.write_text(source)
        json0_path = workdir / f"{name}.json"
        done = subprocess.run(["dot", "-Tjson0"], input=source.encode(), capture_output=True,
                              check=True)
        json0_path.write_bytes(done.stdout)
        graphs.append(Family(name, source, dot_path, json0_path))
        print(f"  laid out {name}", file=sys.stderr)
    return graphs


def end_to_end(graphs: list[Family], reps: int) -> dict[str, tuple[float, float, int]]:
    """Median wall seconds of vantri.render() and of dot alone per graph,
    alternating which goes first, and the repetitions made."""
    warnings.simplefilter("ignore", vantri.DrawingCutWarning)
    out = {}
    for g in graphs:
        encoded = g.source.encode()
        subprocess.run(["dot", "-Tjson0"], input=encoded, capture_output=True, check=True)
        ours, theirs = [], []
        for rep in range(reps):
            for first in ((0, 1) if rep % 2 == 0 else (1, 0)):
                start = time.perf_counter()
                if first == 0:
                    vantri.render(g.source)
                    ours.append(time.perf_counter() - start)
                else:
                    subprocess.run(["dot", "-Tjson0"], input=encoded, capture_output=True,
                                   check=True)
                    theirs.append(time.perf_counter() - start)
            if ours[0] > SLOW_SECONDS:
                break
        out[g.name] = (statistics.median(ours), statistics.median(theirs), len(ours))
        print(f"  end to end: {g.name} done", file=sys.stderr)
    return out


def own_share(program: str, graphs: list[Family], reps: int) -> dict[str, dict]:
    """What own_share reports per graph, with stop latencies."""
    out = {}
    for g in graphs:
        done = subprocess.run(
            [program, "--reps", str(reps), "--min-seconds", "0.3", "--stops", str(STOPS),
             f"{g.name}={g.json0_path}={g.dot_path}"],
            capture_output=True, text=True)
        if done.returncode != 0:
            raise SystemExit(f"bench: own_share failed on {g.name}:\n{done.stderr}")
        out[g.name] = json.loads(done.stdout)
        print(f"  own share: {g.name} done", file=sys.stderr)
    return out


def verdict(ok: bool) -> str:
    return "ok" if ok else "MISSED"


def table(graphs: list[Family], e2e: dict, own: dict, memory: dict[str, int]) -> list[str]:
    out = ["Graph families: vantri.render() end to end vs dot -Tjson0 alone (wall, median of"
           " the repetitions, one for a render over 5 s);",
           "own share: json0 text -> finished drawing without dot (CPU, median); edges and"
           " edge labels the drawing shows"]
    out.append(f"{'graph':<22} {'nodes':>5} {'edges':>5} {'drawn':>5} {'labels':>11}"
               f" {'dot ms':>8} {'vantri ms':>10} {'ratio':>6} {'e2e':>6}"
               f" {'own ms':>9} {'budget':>7} {'own':>6} {'reps':>4}")
    missed_e2e, missed_own, missed_edges = [], [], []
    worst_stop = (0.0, "")
    for g in graphs:
        ours, theirs, reps = e2e[g.name]
        r = own[g.name]
        ratio = ours / theirs
        budget = max(OWN_FLOOR_MS, OWN_SHARE * theirs * 1e3)
        own_ok = r["ms"] <= budget
        judged_own = verdict(own_ok) if r["nodes"] <= OWN_NODES + 1 else "-"
        if not own_ok and judged_own != "-":
            missed_own.append(g.name)
        if ratio > E2E_RATIO:
            missed_e2e.append(g.name)
        if r["drawn"] < r["edges"] or r["labels_shown"] < r["labels"]:
            missed_edges.append(g.name)
        labels = f"{r['labels_shown']}/{r['labels']}" if r["labels"] else "-"
        out.append(f"{g.name:<22} {r['nodes']:>5} {r['edges']:>5} {r['drawn']:>5} {labels:>11}"
                   f" {theirs * 1e3:>8.1f} {ours * 1e3:>10.1f} {ratio:>6.2f}"
                   f" {verdict(ratio <= E2E_RATIO):>6} {r['ms']:>9.1f} {budget:>7.1f}"
                   f" {judged_own:>6} {reps:>4}")
        if r.get("stops") and r["ms"] >= STOP_FROM_MS and r["stop_ms"] > worst_stop[0]:
            worst_stop = (r["stop_ms"], g.name)
    out.append(f"(budgets: end to end <= {E2E_RATIO:g} x dot; own share <= max({OWN_FLOOR_MS:g} ms,"
               f" {OWN_SHARE:g} x dot) up to {OWN_NODES} nodes)")
    out.append(f"every edge and label shown: {len(graphs) - len(missed_edges)} of {len(graphs)}"
               f" families  {verdict(not missed_edges)}"
               + (f" (not: {', '.join(missed_edges)})" if missed_edges else ""))
    out.append(f"end to end within {E2E_RATIO:g} x dot: {len(graphs) - len(missed_e2e)} of"
               f" {len(graphs)}  {verdict(not missed_e2e)}")
    out.append(f"own share within budget: {verdict(not missed_own)}"
               + (f" (missed: {', '.join(missed_own)})" if missed_own else ""))
    out.append(f"longest stop after a deadline while drawing (wall, {STOPS} deadlines spread over"
               f" each render of {STOP_FROM_MS:g} ms or more): {worst_stop[0]:.1f} ms"
               f" ({worst_stop[1] or 'none'}; target <= {STOP_MS:g})"
               f"  {verdict(worst_stop[0] <= STOP_MS)}")
    over = (memory["vantri"] - memory["baseline"]) / 1024.0
    out.append(f"peak memory of {MEMORY_GRAPH} over the interpreter: {over:.1f} MiB"
               f" (target <= {MEMORY_MIB:g})  {verdict(over <= MEMORY_MIB)}")
    return out
