#!/usr/bin/env bash
# Runs every test: sets up what is missing, then the C++ tests (plain and
# under AddressSanitizer + UndefinedBehaviorSanitizer), the fuzz targets
# over their saved corpora, and the Python tests. Exits non-zero on any
# failure.
set -euo pipefail
cd "$(dirname "$0")"
./setup.sh --no-demo
# What only the tests need: Graphviz's example graphs, GoogleTest, the
# fuzzing header the corpus replays are built with, pytest and numpy, and
# the graph packages whose objects render() takes (vantri itself never
# needs them).
. tools/debian_packages.sh
need_packages graphviz-doc libgtest-dev libclang-rt-19-dev
if ! .venv/bin/python -c 'import pytest, numpy, graphviz, pydot, networkx' 2>/dev/null; then
  printf '==> installing the test tools from PyPI\n'
  .venv/bin/python -m pip --disable-pip-version-check -q install 'pytest>=8' 'numpy>=2' \
    'graphviz>=0.20' 'pydot>=2' 'networkx>=3'
fi
jobs=$(nproc 2>/dev/null || echo 2)

run_ctest() {  # build dir, cmake options...
  local dir=$1; shift
  printf '==> C++ tests in %s\n' "$dir"
  cmake -S . -B "$dir" -G Ninja -DVANTRI_BUILD_TESTS=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run_ctest build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_ctest build/asan -DCMAKE_BUILD_TYPE=Debug -DVANTRI_SANITIZE=ON

printf '==> Python tests\n'
.venv/bin/python -m pytest -q
