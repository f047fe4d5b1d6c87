#!/usr/bin/env bash
# The real program as a native Wayland client of a real compositor: weston, nested in a
# virtual X server of its own through weston's X11 backend, so that X input from xdotool
# reaches the program as Wayland pointer and key events.
#
#   e2e_wayland.sh <zelvane> <e2e_check> <testdata folder>
#
# Open Image -> type the picture's path -> press the picture (its nodes show) -> drag its
# bottom-right node past the 10-pixel limit and back (e2elib.sh) -> Save Wallpaper -> type a
# name -> Close. e2e_check then compares the file with the picture stretched over the box that
# the same drag gives on X11 (e2e_desktop makes it there). The program must print nothing:
# Qt's Wayland platform complains at every attempt to move the pointer, which Wayland forbids.
#
# weston's kiosk shell shows the window alone and undecorated at its output's origin; the
# output is the window's size. No window manager runs on the X server, so weston's own window
# lies at the X screen's origin. Everything started goes whatever the outcome;
# ZELVANE_E2E_KEEP=1 keeps the scratch folder after a failure, with a screenshot.
set -euo pipefail

PROGRAM=$(realpath "$1")
CHECK=$(realpath "$2")
TESTDATA=$(realpath "$3")

PICTURE=$TESTDATA/gif/giflib/gifgrid.gif
PICTURE_RGB=$TESTDATA/gif/giflib/expected-rgb/gifgrid.rgb
SOCKET=zelvane-e2e
WINDOW_SIZE=(844 568)

# shellcheck source=e2elib.sh
source "$(dirname "$0")/e2elib.sh"

require_tools Xvfb xdotool weston import

WORK=$(mktemp -d "${TMPDIR:-/tmp}/zelvane-e2e-wayland.XXXXXX")
XVFB_PID=""
WESTON_PID=""
APP_PID=""
STEP="start"

finish() {
  local Status=$?
  set +e
  [ $Status -ne 0 ] && report_failure "$WORK"/program.log "$WORK"/weston.log
  # The program before its compositor, the compositor before its X server.
  for Pid in "$APP_PID" "$WESTON_PID" "$XVFB_PID"; do
    [ -n "$Pid" ] && kill "$Pid" 2>/dev/null && wait "$Pid" 2>/dev/null
  done
  remove_work $Status
  exit $Status
}
trap finish EXIT
trap 'exit 143' INT TERM
# Whatever is started lives no longer than the test may: a script killed outright leaves
# nothing running for long.
LIFETIME=170

# --- The X server, then weston in it. --------------------------------------------------------
STEP="starting Xvfb"
start_xvfb timeout "$LIFETIME"
install_program "$PROGRAM"
unset WAYLAND_DISPLAY

STEP="starting weston"
timeout "$LIFETIME" weston --backend=x11-backend.so --shell=kiosk-shell.so --use-pixman \
  --no-config --width="${WINDOW_SIZE[0]}" --height="${WINDOW_SIZE[1]}" --socket="$SOCKET" \
  --idle-time=0 >"$WORK/weston.log" 2>&1 &
WESTON_PID=$!
wait_for 20 test -S "$XDG_RUNTIME_DIR/$SOCKET"
OUTPUT=$(timeout 20 xdotool search --sync --onlyvisible --class '^Weston Compositor$' | head -n 1)
[ -n "$OUTPUT" ]
eval "$(xdotool getwindowgeometry --shell "$OUTPUT")"
WIN_X=$X
WIN_Y=$Y
echo "e2e: weston's output at $WIN_X,$WIN_Y, ${WIDTH}x$HEIGHT"
[ "$WIDTH" -eq "${WINDOW_SIZE[0]}" ] && [ "$HEIGHT" -eq "${WINDOW_SIZE[1]}" ]

# --- The program, on Wayland alone: no X display to fall back on. ----------------------------
STEP="start the program"
timeout "$LIFETIME" env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY="$SOCKET" \
  "$WORK/app/zelvane" >"$WORK/program.log" 2>&1 &
APP_PID=$!

# Window positions (client coordinates) and what shows there.
OPEN=(69 114)
SAVE=(665 539)
CLOSE=(790 539)
FRAME=(178 177)
BANNER_WHITE=(400 30)  # white right of the banner's name
DEVICE_DARK=(740 420)  # the device photograph's dark side; a file dialog covers it with white

window_pixel_is() { screen_pixel_is $((WIN_X + $1)) $((WIN_Y + $2)) "$3" "$4" "$5"; }
frame_pixel_is() { window_pixel_is $((FRAME[0] + $1)) $((FRAME[1] + $2)) "$3" "$4" "$5"; }
dialog_shown() { window_pixel_is "${DEVICE_DARK[@]}" 255 255 255; }
dialog_gone() { ! dialog_shown; }
program_ended() { ! kill -0 "$APP_PID" 2>/dev/null; }

# Parks the pointer where it covers nothing a check reads (weston draws it into the output).
park_pointer() { xdotool mousemove --sync $((WIN_X + 830)) $((WIN_Y + 10)); }

click() {
  xdotool mousemove --sync $((WIN_X + $1)) $((WIN_Y + $2)) click 1
  sleep 0.4
  park_pointer
}

# Clicks a button that opens a file dialog, again if none came within a while.
click_for_dialog() {
  for _ in 1 2; do
    click "$@"
    wait_for 10 dialog_shown && return 0
  done
  return 1
}

# Types a full file name into the open file dialog (its name field has the focus) and
# confirms it with Return, again while the dialog stays (a completion list may take the first).
answer_dialog() {
  sleep 0.6
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 15 "$1"
  sleep 0.4
  for _ in 1 2 3; do
    xdotool key Return
    if wait_for 3 dialog_gone; then
      sleep 1
      return 0
    fi
  done
  return 1
}

park_pointer
wait_for 30 window_pixel_is "${BANNER_WHITE[@]}" 255 255 255
# Let the first paint and the focus settle.
sleep 1

STEP="open the picture"
click_for_dialog "${OPEN[@]}"
answer_dialog "$PICTURE"
# The 100 x 100 picture at the frame's corner, white beyond it.
wait_for 10 frame_pixel_is 150 150 255 255 255

STEP="press the picture so its resize nodes show"
# The bottom-right node stands on the picture's corner, over white beyond it.
for _ in 1 2 3; do
  click $((FRAME[0] + 50)) $((FRAME[1] + 50))
  wait_for 5 frame_pixel_is 101 101 0 0 0 && break
done
frame_pixel_is 101 101 0 0 0

STEP="drag the bottom-right node past the limit and back"
drag_node $((WIN_X + FRAME[0])) $((WIN_Y + FRAME[1]))
park_pointer
# The box's new bottom-right corner: its node shows there.
wait_for 5 frame_pixel_is $((NODE_DRAG_BOX[2] + 1)) $((NODE_DRAG_BOX[3] + 1)) 0 0 0

STEP="save the wallpaper"
click_for_dialog "${SAVE[@]}"
answer_dialog "$WORK/out/wayland.jpg"
wait_for 10 test -s "$WORK/out/wayland.jpg"

STEP="close"
click "${CLOSE[@]}"
wait_for 5 program_ended || click "${CLOSE[@]}"
wait_for 20 program_ended
wait "$APP_PID"
APP_PID=""

STEP="check the wallpaper"
"$CHECK" box "$WORK/out/wayland.jpg" 100 "$PICTURE_RGB" 100 100 "${NODE_DRAG_BOX[@]}"
STEP="check that the program printed nothing"
if [ -s "$WORK/program.log" ]; then
  cat "$WORK/program.log" >&2
  exit 1
fi

STEP="done"
echo "e2e: passed"
