# Helpers the end-to-end scripts share; sourced, not run. The scripts set WORK (their scratch
# folder), STEP (what they are doing) and XVFB_PID.

# Fails unless every tool named is installed.
require_tools() {
  local Tool
  for Tool in "$@"; do
    command -v "$Tool" >/dev/null ||
      { echo "e2e: $Tool is missing (deps/debian-packages.txt)" >&2; exit 1; }
  done
}

# Reports a failed run: the step it failed at, the screen when the scratch folder is to be
# kept, and the end of each log named.
report_failure() {
  echo "e2e: FAILED at step: $STEP" >&2
  [ -n "${ZELVANE_E2E_KEEP:-}" ] && [ -n "${DISPLAY:-}" ] && command -v import >/dev/null &&
    import -display "$DISPLAY" -window root "$WORK/failure.png" 2>/dev/null &&
    echo "e2e: screen at the failure: $WORK/failure.png" >&2
  local Log
  for Log in "$@"; do
    [ -s "$Log" ] && { echo "--- $Log"; tail -n 40 "$Log"; } >&2
  done
}

# The scratch folder goes also after a failure (its logs are reported), unless
# ZELVANE_E2E_KEEP asks to keep it then. $1: the run's exit status.
remove_work() {
  if [ "$1" -ne 0 ] && [ -n "${ZELVANE_E2E_KEEP:-}" ]; then
    echo "e2e: files kept in $WORK" >&2
  else
    rm -rf "$WORK"
  fi
}

# Starts a virtual X server on a display number of its own, told through a file descriptor,
# and exports DISPLAY. Arguments, if any, are a command to run it under ("timeout 170").
start_xvfb() {
  "$@" Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp \
    3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  wait_for 20 test -s "$WORK/display"
  export DISPLAY=":$(head -n 1 "$WORK/display")"
}

# A copy of the program in a folder of its own (Zelvane.ini is written beside the executable),
# a home of the test's own and a private runtime folder (Wayland wants it the user's alone),
# at the desktop's own scale.
install_program() {
  mkdir -p "$WORK/app" "$WORK/home" "$WORK/out" "$WORK/run"
  chmod 700 "$WORK/run"
  cp "$1" "$WORK/app/zelvane"
  export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_RUNTIME_DIR="$WORK/run"
  unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI
}

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
