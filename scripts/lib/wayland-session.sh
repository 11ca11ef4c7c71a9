# Sourced by the scripts: a private headless sway with a 10-bit output.

# start_sway: starts sway headless (software renderer, an 800 by 400 output
# with 10 bits per colour, on which it tiles two windows side by side at 400
# by 400) in a folder of its own, and exports WAYLAND_DISPLAY (the socket's
# full path) and SWAYSOCK (its IPC socket). sway refuses to run as root, so
# under root it runs as the unprivileged user nobody. stop_sway stops it and
# removes the folder.
sway_pid="" sway_dir=""
start_sway() {
  local run home as_user=() socket ipc
  sway_dir=$(mktemp -d /tmp/lumivane-sway-XXXXXX)
  run=$sway_dir/run home=$sway_dir/home
  mkdir -m 700 "$run" "$home"
  cat >"$sway_dir/config" <<'CONFIG'
output HEADLESS-1 mode 800x400 position 0 0 render_bit_depth 10
default_border none
xwayland disable
CONFIG
  if [ "$(id -u)" -eq 0 ]; then
    chown -R 65534:65534 "$sway_dir"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  fi
  "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$run" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$sway_dir/config" >/dev/null 2>&1 &
  sway_pid=$!
  for _ in $(seq 1 200); do
    socket=$(find "$run" -maxdepth 1 -type s -name 'wayland-*' | head -n 1)
    ipc=$(find "$run" -maxdepth 1 -type s -name 'sway-ipc.*' | head -n 1)
    [ -n "$socket" ] && [ -n "$ipc" ] && break
    kill -0 "$sway_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$socket" ] || [ -z "$ipc" ]; then
    echo "sway did not start within 20 seconds" >&2
    stop_sway
    return 1
  fi
  export WAYLAND_DISPLAY=$socket SWAYSOCK=$ipc
}

stop_sway() {
  if [ -n "$sway_pid" ]; then
    kill "$sway_pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$sway_pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$sway_pid" 2>/dev/null || true
    wait "$sway_pid" 2>/dev/null || true
  fi
  [ -z "$sway_dir" ] || rm -rf "$sway_dir"
  sway_pid="" sway_dir=""
}
