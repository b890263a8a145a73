"""Runs vantri's benchmarks and prints one table; started by bench/run.

1. End to end: vantri.render() on generated graphs against `dot -Tjson0`
   alone on the same DOT text, interleaved in one process, median of every
   repetition and the ratio vantri / dot; once more for the 500-node graphs
   drawn within 80 columns, where the width fitting lays them out again.
2. Our own share: json0 text to finished drawing without dot, timed by the
   Google Benchmark program render_bench on json0 that dot wrote for the
   generated graphs and on synthetic layouts up to 32000 nodes; and the
   drawing's worst cases (bench/stress_cases.cc).
3. Peak memory (max RSS) of a process rendering the 2000-node graph, of the
   same interpreter that only imports vantri, and of dot alone.
4. Throughput of vantri.render() on two threads against one: the same
   renders shared between two threads, which run in parallel because the
   interpreter lock is released while dot runs and while drawing.
5. Graph families (families.py): dense and awkward graphs end to end and
   our own share against their budgets, the edges each drawing shows, how
   soon a drawing stops at a deadline, and the peak memory of a fan-out.
"""

from __future__ import annotations

import argparse
import json
import os
import platform
import resource
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import warnings
from dataclasses import dataclass
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import families  # noqa: E402
import gen_dot  # noqa: E402

import vantri  # noqa: E402

SIZES = (100, 500, 2000)
# Labelled-edge-heavy graphs (one edge in two carries a label), at this size.
LABELLED_SIZE = 2000
LABELLED_SHARE = 0.5
SYNTHETIC_SIZES = (500, 2000, 8000, 32000)
# The end-to-end ratio each size should stay under.
E2E_TARGET = {100: 1.15, 500: 1.05, 2000: 1.05}
OWN_TARGET_MS_2000 = 20.0
OWN_TARGET_MS_2000_LR = 40.0
SCALING_TARGET = 2.0
THREADS_TARGET = 1.7
THREAD_RENDERS = 8
# The width-limited runs: these graphs drawn within this many columns.
LIMITED_SIZE = 500
LIMITED_WIDTH = 80


@dataclass
class Graph:
    name: str
    nodes: int
    source: str
    dot_path: Path
    json0_path: Path
    edges: int = 0
    max_width: int | None = None


def run_dot(source: bytes) -> bytes:
    done = subprocess.run(
        ["dot", "-Tjson0"], input=source, capture_output=True, check=True
    )
    return done.stdout


def make_graphs(workdir: Path) -> list[Graph]:
    graphs = []
    kinds = [(n, lr, False) for n in SIZES for lr in (False, True)]
    kinds += [(LABELLED_SIZE, lr, True) for lr in (False, True)]
    for n, lr, labelled in kinds:
        name = f"{'lr' if lr else 'tb'}{'-lab' if labelled else ''}-{n}"
        source = gen_dot.generate(n, lr=lr, labelled=LABELLED_SHARE if labelled else 0.1)
        dot_path = workdir / f"{name}.gv"
        dot_path.write_text(source)
        json0_path = workdir / f"{name}.json"
        json0_path.write_bytes(run_dot(source.encode()))
        graph = Graph(name, n, source, dot_path, json0_path)
        graph.edges = len(json.loads(json0_path.read_text()).get("edges", []))
        graphs.append(graph)
    for g in [g for g in graphs if g.nodes == LIMITED_SIZE and "-lab" not in g.name]:
        graphs.append(Graph(f"{g.name}/w{LIMITED_WIDTH}", g.nodes, g.source, g.dot_path,
                            g.json0_path, g.edges, LIMITED_WIDTH))
    return graphs


def cpu_seconds() -> float:
    """CPU time of this process and of its children reaped so far."""
    me = resource.getrusage(resource.RUSAGE_SELF)
    kids = resource.getrusage(resource.RUSAGE_CHILDREN)
    return me.ru_utime + me.ru_stime + kids.ru_utime + kids.ru_stime


@dataclass
class Timing:
    """Medians over the repetitions, in seconds, and how far dot's own wall
    time spread across them (max - min, relative to its median)."""

    vantri_wall: float
    dot_wall: float
    vantri_cpu: float
    dot_cpu: float
    dot_spread: float


def end_to_end(graphs: list[Graph], reps: int) -> dict[str, Timing]:
    """vantri.render() and dot alone on each graph, alternating which goes
    first; wall-clock and CPU time (this process plus the dot child)."""
    samples: dict[str, list[list[float]]] = {g.name: [[], [], [], []] for g in graphs}
    encoded = {g.name: g.source.encode() for g in graphs}
    expected_lines = {}
    # A graph cut at its width says so once per render; the table is enough.
    warnings.simplefilter("ignore", vantri.DrawingCutWarning)
    for g in graphs:  # warm-up: page cache, dot's plugin and font set-up
        run_dot(encoded[g.name])
        expected_lines[g.name] = vantri.render(g.source, max_width=g.max_width).count("\n")

    def time_vantri(g: Graph) -> tuple[float, float]:
        cpu = cpu_seconds()
        start = time.perf_counter()
        text = vantri.render(g.source, max_width=g.max_width)
        wall = time.perf_counter() - start
        cpu = cpu_seconds() - cpu
        if text.count("\n") != expected_lines[g.name]:
            raise SystemExit(f"bench: {g.name} rendered differently between runs")
        return wall, cpu

    def time_dot(g: Graph) -> tuple[float, float]:
        cpu = cpu_seconds()
        start = time.perf_counter()
        run_dot(encoded[g.name])
        wall = time.perf_counter() - start
        return wall, cpu_seconds() - cpu

    for rep in range(reps):
        for g in graphs:
            vw, dw, vc, dc = samples[g.name]
            if rep % 2 == 0:
                ours = time_vantri(g)
                theirs = time_dot(g)
            else:
                theirs = time_dot(g)
                ours = time_vantri(g)
            vw.append(ours[0])
            vc.append(ours[1])
            dw.append(theirs[0])
            dc.append(theirs[1])
        print(f"  end to end: repetition {rep + 1}/{reps} done", file=sys.stderr)
    return {
        name: Timing(*(statistics.median(x) for x in (vw, dw, vc, dc)),
                     (max(dw) - min(dw)) / statistics.median(dw))
        for name, (vw, dw, vc, dc) in samples.items()
    }


def own_share(render_bench: str, graphs: list[Graph], reps: int) -> dict[str, dict]:
    """Median ms per render and per parse, and the node count, per layout."""
    args = [render_bench, "--sizes=" + ",".join(map(str, SYNTHETIC_SIZES))]
    args += [f"--json0=dot/{g.name}={g.json0_path}" for g in graphs
             if g.nodes >= 500 and g.max_width is None]
    args += [
        f"--benchmark_repetitions={reps}",
        "--benchmark_report_aggregates_only=true",
        "--benchmark_format=json",
        "--benchmark_min_time=0.2",
    ]
    done = subprocess.run(args, capture_output=True, text=True)
    if done.returncode != 0:
        raise SystemExit(f"bench: render_bench failed:\n{done.stderr}")
    results: dict[str, dict] = {}
    for b in json.loads(done.stdout)["benchmarks"]:
        if b.get("error_occurred"):
            raise SystemExit(f"bench: {b['name']}: {b.get('error_message')}")
        if b.get("aggregate_name") != "median":
            continue
        kind, layout = b["run_name"].split("/", 1)
        assert b["time_unit"] == "ms"
        if kind == "stress":
            results.setdefault("stress", {})[layout] = b["cpu_time"]
            continue
        entry = results.setdefault(layout, {"nodes": int(b["nodes"])})
        # CPU time of the one benchmark thread: other processes on the
        # machine slow the wall clock, not the work done.
        entry[kind] = b["cpu_time"]
    for n in SYNTHETIC_SIZES:
        got = results[f"synthetic/{n}"]["nodes"]
        if got != n:
            raise SystemExit(f"bench: synthetic layout of {n} nodes has {got}")
    return results


# Run in a fresh interpreter: prints its own peak RSS after importing vantri
# and, when given a DOT file, rendering it.
RSS_SNIPPET = """
import resource, sys
import vantri
if len(sys.argv) > 1:
    with open(sys.argv[1], encoding="utf-8") as f:
        text = vantri.render(f.read())
    assert text.count("\\n") > 10
print(resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
"""

# A small launcher: runs the command with standard input from the file
# named first ("-" for none) and prints the command's peak RSS and what it
# printed. A child's peak RSS starts at its parent's at the fork, so the
# launcher must be smaller than what it measures; this benchmark process,
# with every drawing in memory, is not.
LAUNCHER = """
import os, subprocess, sys
stdin = subprocess.DEVNULL if sys.argv[1] == "-" else open(sys.argv[1], "rb")
child = subprocess.Popen(sys.argv[2:], stdin=stdin, stdout=subprocess.PIPE)
out = child.stdout.read()
_, status, usage = os.wait4(child.pid, 0)
if os.waitstatus_to_exitcode(status) != 0:
    sys.exit("command failed: " + " ".join(sys.argv[2:]))
print(usage.ru_maxrss, out.decode().strip())
"""


def peak_memory(graph: Graph) -> dict[str, int]:
    """Max RSS in KiB: an interpreter that imports vantri, the same after
    rendering `graph` (its own pages; its dot child is measured apart), and
    dot alone on the same text. Median of three runs each."""

    def launch(stdin: str, *command: str) -> tuple[int, str]:
        out = subprocess.run(
            [sys.executable, "-S", "-c", LAUNCHER, stdin, *command],
            capture_output=True, text=True, check=True,
        ).stdout.split(maxsplit=1)
        return int(out[0]), out[1] if len(out) > 1 else ""

    def python_rss(*args: str) -> int:
        return int(launch("-", sys.executable, "-c", RSS_SNIPPET, *args)[1])

    def dot_rss() -> int:
        return launch(str(graph.dot_path), "dot", "-Tjson0")[0]

    runs = 3
    return {
        "baseline": int(statistics.median(python_rss() for _ in range(runs))),
        "vantri": int(statistics.median(python_rss(str(graph.dot_path)) for _ in range(runs))),
        "dot": int(statistics.median(dot_rss() for _ in range(runs))),
    }


def thread_throughput(render, reps: int) -> tuple[float, float]:
    """Calls per second of THREAD_RENDERS calls of `render` on one thread, and
    shared out between two threads; median of `reps` runs each."""

    def calls_per_second(threads: int) -> float:
        share = THREAD_RENDERS // threads
        workers = [
            threading.Thread(target=lambda: [render() for _ in range(share)])
            for _ in range(threads)
        ]
        start = time.perf_counter()
        for w in workers:
            w.start()
        for w in workers:
            w.join()
        return share * threads / (time.perf_counter() - start)

    one, two = [], []
    for _ in range(reps):
        one.append(calls_per_second(1))
        two.append(calls_per_second(2))
    return statistics.median(one), statistics.median(two)


def cpu_model() -> str:
    try:
        for line in Path("/proc/cpuinfo").read_text().splitlines():
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown CPU"


def verdict(ok: bool) -> str:
    return "ok" if ok else "MISSED"


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--render-bench", required=True, help="render_bench program")
    parser.add_argument("--reps", type=int, default=9, help="end-to-end repetitions")
    parser.add_argument("--bench-reps", type=int, default=5,
                        help="Google Benchmark repetitions")
    parser.add_argument("--own-share", required=True, help="own_share program")
    parser.add_argument("--family-reps", type=int, default=3,
                        help="end-to-end repetitions of the graph families")
    parser.add_argument("--families-only", action="store_true",
                        help="only the graph families")
    args = parser.parse_args()

    dot_version = subprocess.run(
        ["dot", "-V"], capture_output=True, text=True
    ).stderr.strip()
    with tempfile.TemporaryDirectory(prefix="vantri-bench-") as tmp:
        print("  laying out the graph families once", file=sys.stderr)
        family_graphs = families.make_family_graphs(Path(tmp))
        family_e2e = families.end_to_end(family_graphs, args.family_reps)
        family_own = families.own_share(args.own_share, family_graphs, args.bench_reps)
        fan_out = next(g for g in family_graphs if g.name == families.MEMORY_GRAPH)
        family_memory = peak_memory(Graph(fan_out.name, 0, fan_out.source, fan_out.dot_path,
                                          fan_out.json0_path))
        family_rows = families.table(family_graphs, family_e2e, family_own, family_memory)
        if args.families_only:
            print("\n".join(family_rows))
            return
        print("  laying out the generated graphs once", file=sys.stderr)
        graphs = make_graphs(Path(tmp))
        e2e = end_to_end(graphs, args.reps)
        print("  timing the drawing alone", file=sys.stderr)
        own = own_share(args.render_bench, graphs, args.bench_reps)
        print("  measuring peak memory", file=sys.stderr)
        big = next(g for g in graphs if g.name == "tb-2000")
        memory = peak_memory(big)
        print("  rendering on one thread and on two", file=sys.stderr)
        threaded = next(g for g in graphs if g.name == "tb-500")
        threads = {
            "vantri.render()": thread_throughput(lambda: vantri.render(threaded.source), 3),
            "dot -Tjson0 alone": thread_throughput(
                lambda: run_dot(threaded.source.encode()), 3),
        }

    cores = os.cpu_count()
    usable = len(os.sched_getaffinity(0))
    out = []
    out.append(f"vantri benchmarks: {cores} cores ({usable} usable), {cpu_model()}")
    out.append(f"{dot_version}; Python {platform.python_version()}")
    out.append("")
    out.append(f"End to end: vantri.render() vs dot -Tjson0 alone on the same DOT text,"
               f" interleaved, median of {args.reps}")
    out.append("(cpu ratio: user+sys of the calling process and its dot child;"
               " dot spread: (max - min) / median of dot's wall times)")
    out.append(f"{'graph':<14} {'nodes':>6} {'edges':>6} {'dot ms':>9} {'vantri ms':>10}"
               f" {'ratio':>6} {'target':>7}   {'cpu ratio':>9} {'dot spread':>10}")
    for g in graphs:
        t = e2e[g.name]
        ratio = t.vantri_wall / t.dot_wall
        if g.max_width is None:
            target = E2E_TARGET[g.nodes]
            judged = f"{'<= ' + str(target):>7} {verdict(ratio <= target):>6}"
        else:
            judged = f"{'-':>7} {'':>6}"
        out.append(f"{g.name:<14} {g.nodes:>6} {g.edges:>6} {t.dot_wall * 1e3:>9.1f}"
                   f" {t.vantri_wall * 1e3:>10.1f} {ratio:>6.3f} {judged}"
                   f" {t.vantri_cpu / t.dot_cpu:>6.3f} {t.dot_spread * 100:>9.1f}%")
    out.append(f"(/w{LIMITED_WIDTH}: max_width={LIMITED_WIDTH}; a graph too wide is laid out"
               f" up to twice more, so the ratio counts dot's runs)")
    out.append("")
    out.append(f"Our own share: json0 text -> finished drawing, no dot"
               f" (Google Benchmark CPU time, median of {args.bench_reps})")
    out.append(f"{'layout':<19} {'nodes':>6} {'ms/render':>10} {'us/node':>8}"
               f" {'of which json0 parse ms':>24}")
    order = [f"dot/{g.name}" for g in graphs if g.nodes >= 500 and g.max_width is None]
    order += [f"synthetic/{n}" for n in SYNTHETIC_SIZES]
    for layout in order:
        r = own[layout]
        out.append(f"{layout:<19} {r['nodes']:>6} {r['render']:>10.2f}"
                   f" {r['render'] * 1e3 / r['nodes']:>8.2f} {r['parse']:>24.2f}")
    per_node = {n: own[f"synthetic/{n}"]["render"] / n for n in SYNTHETIC_SIZES}
    worst_2000 = max(own[k]["render"] for k in ("synthetic/2000", "dot/tb-2000"))
    worst_2000_lr = own["dot/lr-2000"]["render"]
    scaling = per_node[32000] / per_node[2000]
    out.append(f"2000 nodes top-down: {worst_2000:.2f} ms at most"
               f" (target <= {OWN_TARGET_MS_2000:g})"
               f"  {verdict(worst_2000 <= OWN_TARGET_MS_2000)}")
    out.append(f"2000 nodes left to right: {worst_2000_lr:.2f} ms"
               f" (target <= {OWN_TARGET_MS_2000_LR:g})"
               f"  {verdict(worst_2000_lr <= OWN_TARGET_MS_2000_LR)}")
    out.append(f"us/node at 32000 / us/node at 2000 (synthetic): {scaling:.2f}"
               f" (target <= {SCALING_TARGET:g})  {verdict(scaling <= SCALING_TARGET)}")
    out.append("")
    out.append("Worst cases of the drawing alone (each would be billions of cell writes"
               " drawn naively), ms")
    for name, ms in own["stress"].items():
        out.append(f"  {name:<36} {ms:>9.1f}")
    out.append("")
    mb = 1024.0
    out.append("Peak memory (max RSS) for tb-2000, each in a fresh child process,"
               " median of 3")
    out.append(f"  python + import vantri (baseline)   {memory['baseline'] / mb:7.1f} MiB")
    out.append(f"  python + vantri.render()            {memory['vantri'] / mb:7.1f} MiB"
               f"  (+{(memory['vantri'] - memory['baseline']) / mb:.1f} MiB over baseline;"
               f" dot child not included)")
    out.append(f"  dot -Tjson0 alone                   {memory['dot'] / mb:7.1f} MiB")
    out.append("")
    out.append(f"Threads: {THREAD_RENDERS} renders of {threaded.name} shared between threads,"
               f" per second, median of 3 (dot alone shows what the machine allows)")
    out.append(f"{'':<20} {'one thread':>10} {'two threads':>11} {'ratio':>6}")
    for name, (one, two) in threads.items():
        line = f"{name:<20} {one:>10.2f} {two:>11.2f} {two / one:>6.2f}"
        if name.startswith("vantri"):
            line += f"  target >= {THREADS_TARGET:g}  {verdict(two / one >= THREADS_TARGET)}"
        out.append(line)
    out.append("")
    out.extend(family_rows)
    print("\n".join(out))


if __name__ == "__main__":
    main()
