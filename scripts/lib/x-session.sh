# Sourced by the scripts: private X servers.

# start_xvfb DEPTH VAR: starts a private 1280 by 1024 Xvfb of that depth on a
# free display, stores its name (":N") in VAR and exports it; stop_xvfbs
# stops every server started so.
xvfb_pids=()
start_xvfb() {
  local depth=$1 var=$2 fifo number
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # -noreset: a server that resets when its last client leaves refuses
  # connections for a moment, which tests starting one program after another
  # would run into.
  Xvfb -noreset -displayfd 3 -screen 0 "1280x1024x$depth" -nolisten tcp 3>"$fifo" 2>/dev/null &
  xvfb_pids+=($!)
  if ! read -r -t 20 number <"$fifo"; then
    echo "Xvfb at depth $depth did not start within 20 seconds" >&2
    rm -f "$fifo"
    return 1
  fi
  rm -f "$fifo"
  printf -v "$var" ':%s' "$number"
  export "${var?}"
}

stop_xvfbs() {
  local pid
  for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${xvfb_pids[@]}"; do
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  xvfb_pids=()
}
