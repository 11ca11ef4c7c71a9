# Sourced by the scripts: the one place that says how this project runs a
# Windows program under Wine. Each build has its own loader and prefix:
# build/windows (32-bit) runs through Wine's 32-bit loader, build/windows64
# through the 64-bit one, each with a prefix in its build tree made by that
# loader (a prefix made by the 64-bit loader alone runs no 32-bit program).
# Debian's `wine` wrapper is not used: it picks the 32-bit loader whenever
# that is installed, even on a host that cannot run it.

# wine_loader ARCH: prints the loader for programs of that word size (32, 64).
# LUMIVANE_WINE32 or LUMIVANE_WINE64 name another one (to try, say, how the
# build behaves on a host whose 32-bit loader cannot run).
wine_loader() {
  case $1 in
    32) echo "${LUMIVANE_WINE32:-/usr/lib/wine/wine}" ;;
    64) echo "${LUMIVANE_WINE64:-/usr/lib/wine/wine64}" ;;
    *) echo "wine: no loader for '$1'-bit programs" >&2; return 2 ;;
  esac
}

# wine_environment ARCH PREFIX: exports what Wine needs to run programs of
# that word size in that prefix, quietly and without desktop integration.
wine_environment() {
  WINELOADER=$(wine_loader "$1") || return
  WINEPREFIX=$2
  WINEARCH=win$1
  WINEDEBUG=-all
  WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  export WINELOADER WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES
}

# ensure_wine_prefix: makes $WINEPREFIX with $WINELOADER once (about 15 s),
# on $DISPLAY; later calls reuse it. A lock keeps two tests from making it at
# once. Returns non-zero with a line that says why when it cannot.
ensure_wine_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock -w 300 9 || { echo "wine: gave up waiting for another test to make $WINEPREFIX" >&2; exit 1; }
    [ -f "$WINEPREFIX/system.reg" ] && exit 0
    echo "Creating the Wine prefix in $WINEPREFIX (once)..." >&2
    rm -rf "$WINEPREFIX"
    if ! timeout 300 "$WINELOADER" wineboot -i >/dev/null 2>&1 || ! timeout 120 /usr/lib/wine/wineserver -w; then
      echo "wine: $WINELOADER could not make the prefix $WINEPREFIX" >&2
      rm -rf "$WINEPREFIX"
      exit 1
    fi
  ) 9>"$WINEPREFIX.lock"
}
