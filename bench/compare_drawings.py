"""Checks that two builds of render_json0 draw every graph byte for byte alike.

A performance change to the drawing code must not change a single byte of
output. Build render_json0 before the change (after bench/run has configured
build/bench: `cmake --build build/bench --target render_json0`), copy
build/bench/bench/render_json0 somewhere, build it again after, and run

    python3 bench/compare_drawings.py OLD_BINARY NEW_BINARY CORPUS_DIR

CORPUS_DIR holds json0 files (*.json, drawn without dot under several
option sets) and DOT files (*.gv, laid out by dot and drawn with width
limits, so the width fitting and its second layout run too). Synthetic
layouts of 500 to 32000 nodes are compared as well. Prints one line per
difference and a summary; exits 1 when anything differs.
"""

from __future__ import annotations

import argparse
import subprocess
import sys
from pathlib import Path

JSON0_OPTIONS = (
    [],
    ["--color", "box"],
    ["--color", "off"],
    ["--max-label", "8", "--trim", "middle"],
    ["--max-label", "5", "--trim", "start", "--color", "off"],
)
DOT_OPTIONS = (
    ["--width", "80"],
    ["--width", "40", "--trim", "end"],
)
SYNTHETIC_SIZES = (500, 2000, 8000, 32000)


def draw(binary: str, args: list[str]) -> tuple[int, bytes, bytes]:
    done = subprocess.run([binary, *args], capture_output=True, timeout=600)
    return done.returncode, done.stdout, done.stderr


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("corpus", type=Path)
    args = parser.parse_args()

    cases: list[list[str]] = []
    for path in sorted(args.corpus.glob("*.json")):
        cases += [[*opts, str(path)] for opts in JSON0_OPTIONS]
    for path in sorted(args.corpus.glob("*.gv")):
        cases += [[*opts, str(path)] for opts in DOT_OPTIONS]
    cases += [[f"-synthetic={n}"] for n in SYNTHETIC_SIZES]

    differing = 0
    drawn_bytes = 0
    for case in cases:
        old = draw(args.old, case)
        new = draw(args.new, case)
        drawn_bytes += len(new[1])
        if old != new:
            differing += 1
            print(f"DIFFERS: {' '.join(case)} (exit {old[0]} -> {new[0]},"
                  f" {len(old[1])} -> {len(new[1])} bytes)")
    print(f"{len(cases)} drawings compared ({drawn_bytes} bytes), {differing} differ")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
