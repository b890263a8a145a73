#!/usr/bin/env bash
# Sets up what building and running vantri needs on a Debian machine and
# renders the example graphs: system packages (when missing), a .venv with
# CPython 3.13, and the package built and installed into it. A second run
# changes nothing. What only the tests need is installed by ./test.sh.
#
#   ./setup.sh             set up, then render examples/*.dot
#   ./setup.sh --no-demo   set up only
#
# CPython 3.13 is taken from $PYTHON, else python3.13 on PATH, else pyenv.
set -euo pipefail
cd "$(dirname "$0")"

demo=1
[ "${1:-}" = "--no-demo" ] && demo=0
say() { printf '==> %s\n' "$*"; }
die() { printf 'setup: %s\n' "$*" >&2; exit 1; }

# --- System packages ---------------------------------------------------------
# Graphviz at run time; a C++23 compiler, CMake, Ninja, the JSON headers and
# utf8proc (character widths) to build.
. tools/debian_packages.sh
need_packages graphviz g++ nlohmann-json3-dev libutf8proc-dev cmake:cmake ninja:ninja-build

# --- CPython 3.13 --------------------------------------------------------------
is_313() { [ -n "$1" ] && "$1" -c 'import sys; sys.exit(sys.version_info[:2] != (3, 13))' 2>/dev/null; }
python=""
for candidate in "${PYTHON:-}" python3.13 \
                 "$(pyenv prefix 3.13 2>/dev/null | head -n 1)/bin/python3.13"; do
  if is_313 "$candidate"; then python="$candidate"; break; fi
done
[ -n "$python" ] || die "CPython 3.13 not found: install it, or name it with PYTHON=/path/to/python3.13"

# --- Virtual environment and package -------------------------------------------
if ! is_313 .venv/bin/python; then
  say "creating .venv with $("$python" -c 'import sys; print(sys.executable)')"
  rm -rf .venv
  "$python" -m venv .venv
fi
venv_pip() { .venv/bin/python -m pip --disable-pip-version-check -q "$@"; }
if ! .venv/bin/python -c 'import scikit_build_core' 2>/dev/null; then
  say "installing the build tools from PyPI"
  venv_pip install 'scikit-build-core>=0.10'
fi

# Rebuild only when a source file changed since the last install.
stamp=$(find pyproject.toml CMakeLists.txt src python -type f \
          ! -name '*_test.cc' ! -path '*/__pycache__/*' -print0 | sort -z |
          xargs -0 sha256sum | sha256sum | cut -d' ' -f1)
if [ "$(cat .venv/.vantri-stamp 2>/dev/null)" != "$stamp" ] ||
   ! .venv/bin/python -c 'import vantri' 2>/dev/null; then
  say "building and installing vantri"
  venv_pip install --no-build-isolation .
  echo "$stamp" > .venv/.vantri-stamp
fi

# --- Demo ---------------------------------------------------------------------
if [ "$demo" = 1 ]; then
  for graph in examples/*.dot; do
    say "vantri $graph"
    .venv/bin/vantri "$graph"
  done
fi
