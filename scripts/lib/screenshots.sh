# shellcheck shell=bash
# Sourced by scripts/run: pictures of the program's two windows. Needs
# $root.

title10="Lumivane - DisplayPort 10 bit video"
title8="Lumivane - Display Port 8 bit video"

# window_rect TITLE: prints "WIDTH HEIGHT X Y" of the visible X window so titled.
window_rect() {
  local id key value width="" height="" x="" y=""
  id=$(timeout 10 xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || return 1
  [ -n "$id" ] || return 1
  while IFS='=' read -r key value; do
    case $key in
      WIDTH) width=$value ;; HEIGHT) height=$value ;; X) x=$value ;; Y) y=$value ;;
    esac
  done < <(timeout 10 xdotool getwindowgeometry --shell "$id")
  [[ $width =~ ^[0-9]+$ && $height =~ ^[0-9]+$ && $x =~ ^-?[0-9]+$ && $y =~ ^-?[0-9]+$ ]] || return 1
  echo "$width $height $x $y"
}

# save_window FRONT TITLE FILE: a PNG of the window so titled, read at the
# screen's own depth: on Wayland through the output's screen copy, on X from
# the root window (xwd misreads windows on a depth-30 screen).
save_window() {
  local front=$1 title=$2 file=$3 rect w h x y
  if [ "$front" = wayland ]; then
    timeout 60 "$root/build/native/wayland_screenshot" "$WAYLAND_DISPLAY" "$SWAYSOCK" \
      "$title" "$file.ppm" && timeout 60 convert "$file.ppm" -depth 16 "$file"
    local status=$?
    rm -f "$file.ppm"
    return $status
  fi
  rect=$(window_rect "$title") || return 1
  read -r w h x y <<<"$rect"
  timeout 60 import -window root -crop "${w}x${h}+${x}+${y}" +repage "$file"
}

# save_screenshots FRONT: both windows in screenshots/FRONT-10bit.png and
# screenshots/FRONT-8bit.png.
save_screenshots() {
  local front=$1 name title
  mkdir -p "$root/screenshots"
  for name in 10bit 8bit; do
    if [ $name = 10bit ]; then title=$title10; else title=$title8; fi
    if save_window "$front" "$title" "$root/screenshots/$front-$name.png"; then
      echo "Saved screenshots/$front-$name.png ($title)"
    else
      echo "No picture of the window titled '$title'."
    fi
  done
}
