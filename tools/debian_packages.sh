# Sourced by the set-up, test, benchmark and fuzz scripts:
# `need_packages PKG...` installs the Debian packages among PKG that are
# missing (with apt-get as root; otherwise it prints the line to run and
# stops the script). A name of the form `command:PKG` counts as present when
# the command runs, whatever installed it (cmake and ninja often come from
# PyPI).
need_packages() {
  local missing=() spec pkg
  for spec in "$@"; do
    pkg=${spec#*:}
    if [ "$spec" != "$pkg" ]; then
      "${spec%%:*}" --version >/dev/null 2>&1 && continue
    elif dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      continue
    fi
    missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" = 0 ]; then
    printf '==> installing %s\n' "${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    printf 'missing system packages; run:\n  sudo apt-get install -y --no-install-recommends %s\n' \
      "${missing[*]}" >&2
    exit 1
  fi
}
