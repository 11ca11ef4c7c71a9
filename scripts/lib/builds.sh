# shellcheck shell=bash
# Sourced by the scripts: what the builds' configure steps found. Needs
# $root, the repository's top folder.

# cache_value BUILD NAME: a value build/BUILD's configure step found (empty
# where that build is not configured).
cache_value() {
  [ -f "$root/build/$1/CMakeCache.txt" ] || return 0
  sed -n "s/^$2:[A-Z]*=//p" "$root/build/$1/CMakeCache.txt"
}

# Parallel build jobs: one a core of this machine.
# shellcheck disable=SC2034 # read by the scripts that source this file
jobs=$(nproc 2>/dev/null || echo 2)

# wine_runs BUILD: whether this host runs that Windows build under Wine.
wine_runs() {
  [ "$(cache_value "$1" LUMIVANE_WINE_RUNS)" = ON ]
}
