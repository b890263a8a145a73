#!/usr/bin/env bash
# Runs the tests; exits non-zero on any failure.
#
#   ./test.sh          every test, what CI runs: sets up what is missing,
#                      builds the plain tree build/plain (Release, shared
#                      with the package ./setup.sh installs, so the core is
#                      compiled once for both) and the AddressSanitizer +
#                      UndefinedBehaviorSanitizer tree build/asan; runs the
#                      C++ tests of both (CTest labels unit, sweep, fuzz),
#                      and the Python tests against the installed package
#                      and against the sanitizer build of the extension.
#   ./test.sh --quick  the inner loop: an incremental build of build/plain,
#                      the C++ unit tests and the Python tests not marked
#                      sweep, against the extension in build/plain.
set -euo pipefail
cd "$(dirname "$0")"

quick=0
case ${1:-} in
  '') ;;
  --quick) quick=1 ;;
  -h|--help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
  *) printf 'test.sh: unknown option %s (see ./test.sh --help)\n' "$1" >&2; exit 2 ;;
esac

say() { printf '==> %s\n' "$*"; }
jobs=$(nproc 2>/dev/null || echo 2)
python=$PWD/.venv/bin/python
plain=build/plain
asan=build/asan

# What building and running need (./setup.sh, which also installs the
# package from build/plain), then what only the tests need: Graphviz's
# example graphs, GoogleTest, the fuzzing header the corpus replays are
# built with, pytest and numpy, and the graph packages whose objects
# render() takes (vantri itself never needs them).
test_modules='import pytest, numpy, graphviz, pydot, networkx'
prepare() {
  ./setup.sh --no-demo
  . tools/debian_packages.sh
  need_packages graphviz-doc libgtest-dev libclang-rt-19-dev
  if ! "$python" -c "$test_modules" 2>/dev/null; then
    say "installing the test tools from PyPI"
    "$python" -m pip --disable-pip-version-check -q install 'pytest>=8' 'numpy>=2' \
      'graphviz>=0.20' 'pydot>=2' 'networkx>=3'
  fi
}

# configure TREE CMAKE-OPTION...: a tree with the tests and the extension.
configure() {
  local tree=$1; shift
  cmake -S . -B "$tree" -G Ninja -DVANTRI_BUILD_TESTS=ON -DVANTRI_BUILD_PYTHON=ON \
        -DPython_EXECUTABLE="$python" "$@" >/dev/null
}
configure_plain() { configure "$plain" -DCMAKE_BUILD_TYPE=Release; }
configure_asan() { configure "$asan" -DCMAKE_BUILD_TYPE=Debug -DVANTRI_SANITIZE=ON; }

build() {  # tree, targets...
  local tree=$1; shift
  say "building $tree${1:+ ($*)}"
  cmake --build "$tree" -j "$jobs" ${1:+--target "$@"}
}

run_ctest() {  # tree, ctest options...
  local tree=$1; shift
  say "C++ tests in $tree${1:+ ($*)}"
  ctest --test-dir "$tree" --output-on-failure -j "$jobs" "$@"
}

# run_pytest TREE|installed PYTEST-OPTION...: the Python tests against a
# tree's copy of the package (PYTHONPATH=TREE/python; a sanitizer tree's
# sitecustomize there preloads the sanitizer runtimes) or against the
# installed package. Checks first that the interpreter imports the one
# asked for, since a PYTHONPATH without the package falls through to the
# installed one unnoticed.
run_pytest() {
  local against=$1 path="" expected found; shift
  if [ "$against" = installed ]; then
    expected=$("$python" -c 'import sysconfig; print(sysconfig.get_path("purelib"))')/vantri
  else
    path=$PWD/$against/python
    expected=$path/vantri
  fi
  say "Python tests against ${against/#installed/the installed package}${1:+ ($*)}"
  found=$(cd / && PYTHONPATH=$path "$python" -c \
            'import os, vantri; print(os.path.dirname(vantri.__file__))')
  if [ "$found" != "$expected" ]; then
    printf 'test.sh: vantri is imported from %s, not %s\n' "$found" "$expected" >&2
    return 1
  fi
  PYTHONPATH=$path "$python" -m pytest -q "$@"
}

if [ "$quick" = 1 ]; then
  if ! "$python" -c "$test_modules" 2>/dev/null; then
    prepare
  fi
  if ! grep -qs '^VANTRI_BUILD_TESTS:BOOL=ON' "$plain/CMakeCache.txt"; then
    configure_plain
  fi
  build "$plain" vantri_unit_tests vantri
  run_ctest "$plain" -L unit
  run_pytest "$plain" -m 'not sweep'
  cat <<EOF
==> passed. To run one test after a build (cmake --build $plain):
  $plain/vantri_unit_tests --gtest_filter='CharGrid.*'
  ctest --test-dir $plain -R ExampleGraphText --output-on-failure
  PYTHONPATH=$plain/python .venv/bin/python -m pytest tests/test_cli.py -k usage
EOF
  exit 0
fi

# The full run keeps both cores busy: the Python tests (one process each,
# waiting on dot and on timers much of the time) and the sanitizer tree's
# C++ tests run in the background while the next tree builds. Their output
# is kept in build/test-logs/ and printed when they end.
logs=build/test-logs
names=()
pids=()
start() {  # name, command...: in a process group of its own
  local name=$1; shift
  set -m
  "$@" >"$logs/$name.log" 2>&1 </dev/null &
  set +m
  names+=("$name")
  pids+=("$!")
  say "$name: started in the background"
}
# A failure in the foreground ends the run; what is still running in the
# background (with everything it started) goes with it.
stop_background() {
  local pid
  for pid in "${pids[@]}"; do kill -- "-$pid" 2>/dev/null || true; done
}
trap stop_background EXIT

prepare
mkdir -p "$logs"
configure_plain
configure_asan
start pytest-installed run_pytest installed -p no:cacheprovider --basetemp="$plain/pytest-tmp"
build "$asan" vantri
start pytest-asan run_pytest "$asan" -p no:cacheprovider --basetemp="$asan/pytest-tmp"
build "$asan"
start ctest-asan run_ctest "$asan"
build "$plain"
run_ctest "$plain"

failed=()
for i in "${!names[@]}"; do
  status=0
  wait "${pids[$i]}" || status=$?
  say "${names[$i]} ended with status $status:"
  cat "$logs/${names[$i]}.log"
  [ "$status" = 0 ] || failed+=("${names[$i]}")
done
trap - EXIT
if [ ${#failed[@]} -gt 0 ]; then
  printf 'test.sh: failed: %s\n' "${failed[*]}" >&2
  exit 1
fi
