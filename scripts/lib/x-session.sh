# Sourced by the scripts: private X servers and the project's Wine prefix.

# start_xvfb DEPTH VAR: starts a private Xvfb of that depth on a free display,
# stores its name (":N") in VAR and stops it when the calling script exits.
xvfb_pids=()
start_xvfb() {
  local depth=$1 var=$2 fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # -noreset: a server that resets when its last client leaves refuses
  # connections for a moment, which tests starting one program after another
  # would run into.
  Xvfb -noreset -displayfd 3 -screen 0 "1280x1024x$depth" -nolisten tcp 3>"$fifo" 2>/dev/null &
  xvfb_pids+=($!)
  local number
  read -r -t 20 number <"$fifo" || { echo "Xvfb at depth $depth did not start" >&2; rm -f "$fifo"; return 1; }
  rm -f "$fifo"
  printf -v "$var" ':%s' "$number"
  export "${var?}"
}

stop_xvfbs() {
  local pid
  for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}

# ensure_wineprefix ROOT DISPLAY: creates ROOT/build/wineprefix once; later
# runs reuse it.
ensure_wineprefix() {
  local root=$1 display=$2
  export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX (once)..."
    DISPLAY=$display wineboot -i >/dev/null 2>&1
    DISPLAY=$display wineserver -w
  fi
}
