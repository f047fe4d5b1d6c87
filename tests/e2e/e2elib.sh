# Helpers the end-to-end scripts share; sourced, not run.

# Polls Command until it succeeds, for at most Seconds.
wait_for() {
  local Seconds=$1
  shift
  local Deadline=$((SECONDS + Seconds))
  until "$@"; do
    [ $SECONDS -ge $Deadline ] && return 1
    sleep 0.1
  done
}

# The colour of one pixel of the X screen, as "R G B".
screen_pixel() {
  import -window root -crop "1x1+$1+$2" -depth 8 rgb:- 2>/dev/null | od -An -tu1 | xargs
}

# Whether the screen pixel (X, Y) lies within 40 of R G B in every channel.
screen_pixel_is() {
  local Got
  read -r -a Got <<<"$(screen_pixel "$1" "$2")"
  [ ${#Got[@]} -eq 3 ] || return 1
  local I Want=("$3" "$4" "$5")
  for I in 0 1 2; do
    [ $((Got[I] - Want[I])) -le 40 ] && [ $((Want[I] - Got[I])) -le 40 ] || return 1
  done
}

# A node drag past the 10-pixel limit and back, as a hand moves a mouse: relative steps.
# The picture box lies at the frame's corner, 100 x 100; its bottom-right node is dragged
# from its anchor (100, 100) up and left past both limits, then back down and right. Where the
# pointer is held on the limit (X11) the later steps start from the limit; the box ends
# NODE_DRAG_BOX (left top width height), worked out by hand from the travel:
#   (70, 70) 70 x 70; (30, 30) 30 x 30; (-10, -10) held to 10 x 10; (-30, -20) held, 10 x 10;
#   back by (60, 35) from the limit: 70 x 45; by (80, 40): 150 x 85.
NODE_DRAG_STEPS=("-30 -30" "-40 -40" "-40 -40" "-20 -10" "60 35" "80 40")
NODE_DRAG_BOX=(0 0 150 85)

# drag_node <screen x of the frame> <screen y of the frame>
drag_node() {
  local FrameX=$1 FrameY=$2 Step
  xdotool mousemove --sync $((FrameX + 100)) $((FrameY + 100))
  sleep 0.3
  xdotool mousedown 1
  sleep 0.3
  for Step in "${NODE_DRAG_STEPS[@]}"; do
    # shellcheck disable=SC2086
    xdotool mousemove_relative --sync -- $Step
    # Each step reaches the program on its own, the turning point above all.
    sleep 0.3
  done
  xdotool mouseup 1
  sleep 0.3
}
