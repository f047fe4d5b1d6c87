#!/usr/bin/env bash
# The real program on a virtual X server, driven by nothing but X input from xdotool: clicks at
# the window's control positions, key presses and text typed into the real file dialogs.
#
#   e2e.sh <zelvane> <e2e_check> <testdata folder> <default wallpaper.jpg>
#
# First run:  Open Image -> type the picture's path -> "Stretch" -> drag the picture by (40, 32)
#             -> type a watermark -> quality slider to 9 -> press the picture (nodes show)
#             -> Save Wallpaper -> type a name without extension -> Close.
# Second run: Save Wallpaper -> type a name -> Close.
# Third run:  started with a picture's name -> the picture shows in the frame -> press it
#             -> drag its bottom-right node past the 10-pixel limit and back (e2elib.sh)
#             -> Save Wallpaper -> Close.
# Then e2e_check compares the files with frames computed from the input picture, and reads
# the settings file. No window manager runs, so the window stays where the program put it.
# Its scratch folder goes whatever the outcome; ZELVANE_E2E_KEEP=1 keeps it after a failure,
# with a screenshot of the moment.
set -euo pipefail

PROGRAM=$1
CHECK=$2
TESTDATA=$3
DEFAULT_WALLPAPER=$4

# shellcheck source=e2elib.sh
source "$(dirname "$0")/e2elib.sh"

PICTURE=$TESTDATA/gif/giflib/gifgrid.gif
PICTURE_RGB=$TESTDATA/gif/giflib/expected-rgb/gifgrid.rgb
TEXT="E2E Mark"
DX=40
DY=32

require_tools Xvfb xdotool

WORK=$(mktemp -d "${TMPDIR:-/tmp}/zelvane-e2e.XXXXXX")
XVFB_PID=""
APP_PID=""
STEP="start"

finish() {
  local Status=$?
  # Every clean-up step runs, whatever fails before it.
  set +e
  [ $Status -ne 0 ] && report_failure "$WORK"/program-*.log
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  remove_work $Status
  exit $Status
}
trap finish EXIT

# --- The X server: its own display number, told through a file descriptor. -----------------
STEP="starting Xvfb"
start_xvfb
install_program "$PROGRAM"
export QT_QPA_PLATFORM=xcb

WIN_X=0
WIN_Y=0

# start_program <run> [argument...]
start_program() {
  "$WORK/app/zelvane" "${@:2}" >"$WORK/program-$1.log" 2>&1 &
  APP_PID=$!
  local Window
  Window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Zelvane$' | head -n 1)
  [ -n "$Window" ]
  eval "$(xdotool getwindowgeometry --shell "$Window")"
  WIN_X=$X
  WIN_Y=$Y
  echo "e2e: run $1: window $Window at $WIN_X,$WIN_Y, ${WIDTH}x$HEIGHT"
  [ "$WIDTH" -eq 844 ] && [ "$HEIGHT" -eq 568 ]
  # Let the first paint and the focus settle.
  sleep 1
}

# Positions are in the window's client coordinates (no frame: no window manager).
click() {
  xdotool mousemove --sync $((WIN_X + $1)) $((WIN_Y + $2)) click 1
  sleep 0.4
}

# Clicks at a client position until Check succeeds, up to three times: for steps whose
# repetition changes nothing more, so that a click the program missed while it was busy
# (just after a dialog closed, on a slow sanitizer build) is made good.
click_until() {
  local X=$1 Y=$2
  shift 2
  for _ in 1 2 3; do
    click "$X" "$Y"
    wait_for 5 "$@" && return 0
  done
  return 1
}

# Whether the frame's pixel (X, Y) on screen lies within 40 of R G B in every channel.
frame_pixel_is() {
  screen_pixel_is $((WIN_X + FRAME[0] + $1)) $((WIN_Y + FRAME[1] + $2)) "$3" "$4" "$5"
}
frame_pixel_not() { ! frame_pixel_is "$@"; }

# Whether the watermark shows: some dark letter pixel right of x = 400 in the label's row.
watermark_shown() {
  local Darkest
  Darkest=$(import -window root -crop "73x13+$((WIN_X + FRAME[0] + 400))+$((WIN_Y + FRAME[1] + 252))" \
    -depth 8 gray:- 2>/dev/null | od -An -tu1 -v | tr -s ' ' '\n' | grep -v '^$' | sort -n | head -n 1)
  [ -n "$Darkest" ] && [ "$Darkest" -lt 35 ]
}

dialog_shown() { xdotool search --onlyvisible --name "^$1" >/dev/null 2>&1; }
dialog_gone() { ! dialog_shown "$1"; }

# Clicks a button that opens the dialog titled Title, again if no dialog came within a while.
click_for_dialog() {
  local Title=$1 X=$2 Y=$3
  for _ in 1 2; do
    click "$X" "$Y"
    wait_for 10 dialog_shown "$Title" && return 0
  done
  return 1
}

# Types a full file name into the real dialog titled Title and confirms it with Return. The
# name field has the focus when the dialog opens; a completion list the typing opened may
# take the first Return, so Return is pressed again while the dialog stays.
answer_dialog() {
  local Title=$1 Name=$2
  wait_for 20 dialog_shown "$Title"
  sleep 0.6
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 15 "$Name"
  sleep 0.4
  for _ in 1 2 3; do
    xdotool key Return
    if wait_for 3 dialog_gone "$Title"; then
      # The handler goes on after its dialog: let it finish before the next input.
      sleep 1
      return 0
    fi
  done
  return 1
}

program_ended() { ! kill -0 "$APP_PID" 2>/dev/null; }

wait_exit() {
  wait_for 20 program_ended
  wait "$APP_PID"
  APP_PID=""
}

# Controls, from the window's layout: the button, radio item, edit box, slider and frame.
OPEN=(69 114)            # OpenSpeedButton 16,16 105x34 in ControlPanel at 0,81
STRETCH_ITEM=(152 123)   # "Stretch", the second row of StretchRadioGroup at 135,84
WATERMARK_EDIT=(467 116) # WatermarkEdit 10,22 116x21 in WatermarkGroupBox at 399,84
QUALITY=(509 536)        # QualityTrackBar 3,13 118x26 in QualityGroupBox at 447,515
SAVE=(665 539)           # SaveSpeedButton 601,522 128x34
CLOSE=(790 539)          # CloseSpeedButton 744,522 92x34
FRAME=(178 177)          # Panel, the 480 x 272 frame

# --- First run ---------------------------------------------------------------------------
STEP="first start"
start_program 1

STEP="open the picture"
click_for_dialog "Open" "${OPEN[@]}"
answer_dialog "Open" "$PICTURE"
# The 100 x 100 picture at the frame's corner, white beyond it (the default wallpaper is dark).
wait_for 10 frame_pixel_is 150 150 255 255 255

STEP="choose Stretch"
# The stretched picture's blue top-right quarter covers what was white beyond it.
click_until "${STRETCH_ITEM[@]}" frame_pixel_not 300 40 255 255 255

# The press must land on the picture; the box follows the pointer's whole way from there, so a
# drag whose press was missed is simply made again.
drag_picture() {
  local FromX=$((WIN_X + FRAME[0] + 240)) FromY=$((WIN_Y + FRAME[1] + 136)) I
  xdotool mousemove --sync "$FromX" "$FromY"
  sleep 0.2
  xdotool mousedown 1
  sleep 0.2
  for I in 1 2 3 4 5 6 7 8; do
    xdotool mousemove --sync $((FromX + I * DX / 8)) $((FromY + I * DY / 8))
    sleep 0.05
  done
  sleep 0.2
  xdotool mouseup 1
}
STEP="drag the picture"
for _ in 1 2 3; do
  drag_picture
  # The strip the picture left at the top-left corner shows the frame's white.
  wait_for 5 frame_pixel_is $((DX / 2)) $((DY / 2)) 255 255 255 && break
done
frame_pixel_is $((DX / 2)) $((DY / 2)) 255 255 255

STEP="type the watermark"
for _ in 1 2 3; do
  click "${WATERMARK_EDIT[@]}"
  # Whatever a missed attempt typed is replaced.
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 40 "$TEXT"
  wait_for 5 watermark_shown && break
done
watermark_shown

STEP="set the quality"
click "${QUALITY[@]}"
xdotool key End
sleep 0.2
xdotool key Left
sleep 0.4

STEP="press the picture so its resize nodes show"
# The top-left node stands at the picture's corner, 2 pixels up and left of it.
click_until $((FRAME[0] + 200)) $((FRAME[1] + 120)) frame_pixel_is $((DX - 1)) $((DY - 1)) 0 0 0

STEP="save the wallpaper"
click_for_dialog "Save As" "${SAVE[@]}"
# No extension typed: the dialog adds ".jpg".
answer_dialog "Save As" "$WORK/out/first"
wait_for 10 test -s "$WORK/out/first.jpg"

STEP="close"
click "${CLOSE[@]}"
wait_for 5 program_ended || click "${CLOSE[@]}"
wait_exit

STEP="check the first wallpaper"
"$CHECK" picture "$WORK/out/first.jpg" 90 "$PICTURE_RGB" 100 100 "$DX" "$DY" "$TEXT"
STEP="check the settings written at exit"
"$CHECK" ini "$WORK/app/Zelvane.ini" config quality 9 watermark text "$TEXT" \
  config openpath "$(dirname "$PICTURE")/" config savepath "$WORK/out/"
# Nothing went to the user's configuration folder while the program's own folder was writable.
[ ! -e "$XDG_CONFIG_HOME/Zelvane/Zelvane.ini" ]

# --- Second run: the watermark and the quality come back from Zelvane.ini. ---------------
STEP="second start"
start_program 2
STEP="save again"
click_for_dialog "Save As" "${SAVE[@]}"
answer_dialog "Save As" "$WORK/out/second.jpg"
wait_for 10 test -s "$WORK/out/second.jpg"
STEP="close again"
click "${CLOSE[@]}"
wait_for 5 program_ended || click "${CLOSE[@]}"
wait_exit

STEP="check the second wallpaper"
"$CHECK" default "$WORK/out/second.jpg" 90 "$DEFAULT_WALLPAPER" "$TEXT"

# --- Third run: a picture named on the command line, relative to the working folder. -------
STEP="third start, with a picture on the command line"
mkdir -p "$WORK/in"
cp "$PICTURE" "$WORK/in/named.gif"
cd "$WORK/in"
start_program 3 named.gif
cd - >/dev/null
# Opened as by Open Image: the picture at the frame's corner, white beyond it.
wait_for 10 frame_pixel_is 150 150 255 255 255
STEP="press the named picture so its resize nodes show"
# The bottom-right node stands on the picture's corner, over white beyond it.
click_until $((FRAME[0] + 50)) $((FRAME[1] + 50)) frame_pixel_is 101 101 0 0 0
STEP="drag the bottom-right node past the limit and back"
drag_node $((WIN_X + FRAME[0])) $((WIN_Y + FRAME[1]))
# The box's new bottom-right corner: its node shows there.
wait_for 5 frame_pixel_is $((NODE_DRAG_BOX[2] + 1)) $((NODE_DRAG_BOX[3] + 1)) 0 0 0
STEP="save the resized picture"
click_for_dialog "Save As" "${SAVE[@]}"
answer_dialog "Save As" "$WORK/out/third.jpg"
wait_for 10 test -s "$WORK/out/third.jpg"
STEP="close the third time"
click "${CLOSE[@]}"
wait_for 5 program_ended || click "${CLOSE[@]}"
wait_exit
STEP="check the resized picture's wallpaper"
"$CHECK" box "$WORK/out/third.jpg" 90 "$PICTURE_RGB" 100 100 "${NODE_DRAG_BOX[@]}" "$TEXT"
STEP="check the open folder the command line left"
"$CHECK" ini "$WORK/app/Zelvane.ini" config openpath "$WORK/in/"

STEP="done"
echo "e2e: passed"
