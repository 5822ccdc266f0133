#!/usr/bin/env bash
# Takes the manual's screenshots (docs/help/images/*.png) from the built program: Kestrix runs on a
# virtual X display against the receiver simulator, is driven through its menus with xdotool, and
# each window is captured with ImageMagick's import and reduced to a small palette PNG.
#   scripts/help-screenshots.sh [BUILD_DIR]        (default: build; needs receiver-sim and kestrix)
# Needs Xvfb (xvfb), xdotool, ImageMagick (imagemagick) and srec_cat (srecord, for the firmware file
# the download window is shown sending); installs those that are missing, with sudo when not run as
# root. Nothing of the user's own settings is read or written.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build}
simulator="$build_dir/kestrix-receiver-sim"
console="$build_dir/kestrix"
images="$root/docs/help/images"
for program in "$simulator" "$console"; do
  if [ ! -x "$program" ]; then
    echo "$0: $program is not built (cmake --build $build_dir --target receiver-sim kestrix)" >&2
    exit 1
  fi
done

# The tools this script needs, installed when missing.
missing=()
for need in Xvfb:xvfb xdotool:xdotool import:imagemagick srec_cat:srecord; do
  command -v "${need%%:*}" >/dev/null 2>&1 || missing+=("${need#*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q </dev/null
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
fi

workdir=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-shots.XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
  rm -rf "$workdir"
}
trap cleanup EXIT

# A free display number.
display=77
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$workdir/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 1 100); do
  if xdotool getdisplaygeometry >/dev/null 2>&1; then break; fi
  sleep 0.1
done

"$simulator" --link "$workdir/ttyRECEIVER" >"$workdir/simulator.out" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
  if [ -s "$workdir/simulator.out" ]; then break; fi
  sleep 0.05
done

export XDG_CONFIG_HOME="$workdir/config"
export QT_QPA_PLATFORM=xcb
mkdir -p "$XDG_CONFIG_HOME/kestrix"
settings="$XDG_CONFIG_HOME/kestrix/Receiver.INI"

# The visible window whose title starts with $1; waits for it to appear.
window() {
  local id=""
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | tail -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  echo "$0: no window \"$1\" appeared" >&2
  return 1
}

# Makes the window titled $1 the active one: without a window manager, a click into a free corner
# of it is what activates it.
activate() {
  local id WIDTH HEIGHT
  id=$(window "$1")
  eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(WIDTH|HEIGHT)=')"
  xdotool mousemove --window "$id" 4 $((HEIGHT - 4)) click 1
  xdotool windowfocus "$id" 2>/dev/null || true
  sleep 0.3
  echo "$id"
}

# Keys typed into the window titled $1.
keys() {
  activate "$1" >/dev/null
  shift
  for key in "$@"; do
    xdotool key --clearmodifiers "$key"
    sleep 0.4
  done
}

# Text typed into the window titled $1, where its keyboard focus is.
typed() {
  xdotool type --delay 60 "$2"
}

# Captures the part of the screen that holds the windows titled $2, $3, ... into images/$1.
shot_together() {
  local out=$1 left=100000 top=100000 right=0 bottom=0 id X Y WIDTH HEIGHT
  shift
  for title in "$@"; do
    id=$(window "$title")
    eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    left=$((X < left ? X : left))
    top=$((Y < top ? Y : top))
    right=$((X + WIDTH > right ? X + WIDTH : right))
    bottom=$((Y + HEIGHT > bottom ? Y + HEIGHT : bottom))
  done
  sleep 0.5
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" "$workdir/shot.png"
  convert "$workdir/shot.png" +repage -strip +dither -colors 64 "PNG8:$images/$out"
  echo "$images/$out"
}

# Captures the window titled $1 into images/$2, as a small palette PNG; $3, when given, scales it
# (a window as wide as the help window's page would not fit on it).
shot() {
  local id
  id=$(window "$1")
  sleep 0.5
  import -window "$id" "$workdir/shot.png"
  convert "$workdir/shot.png" ${3:+-resize "$3"} -strip +dither -colors 48 "PNG8:$images/$2"
  echo "$images/$2"
}

# Starts Kestrix in the view given ($1: 0 status, 2 terminal) with Com1 on the simulator's line $2
# (default: the first simulator's) and more of the settings file in $3, and waits for its main window.
start_kestrix() {
  printf '[Ports]\r\nCom1=%s\r\nCom2=%s\r\n[Miscellaneous]\r\nFunction=%s\r\n%s' "${2:-$workdir/ttyRECEIVER}" \
    /dev/serial/by-id/usb-Serial_Adapter_SA0042-if00-port0 "$1" "${3:-}" >"$settings"
  "$console" >"$workdir/kestrix.log" 2>&1 &
  kestrix_pid=$!
  pids+=("$kestrix_pid")
  window "Morvandelle Kestrix" >/dev/null
  sleep 1
}

stop_kestrix() {
  kill "$kestrix_pid" 2>/dev/null || true
  wait "$kestrix_pid" 2>/dev/null || true
}

mkdir -p "$images"

# First run: the status view, Control & Query, the settings, the clock, the About box and the help
# window.
start_kestrix 0
keys "Morvandelle Kestrix" alt+c o                # CommPort, Port Open
sleep 12                                           # probe, quiet wait, echo check, identification
shot "Morvandelle Kestrix" main-status.png

# Two commands typed into Control & Query's command line (at 120, 1320 twips: 8, 108 pixels at
# 96 dpi, below the menu bar).
cq=$(activate "Control & Query")
xdotool mousemove --window "$cq" 60 118 click 1
for command in '*idn?' ':gps:ref:adel?'; do
  xdotool key ctrl+a                               # the line keeps the command sent last
  typed "Control & Query" "$command"
  xdotool key Return
  sleep 2
done
shot "Control & Query" control-query.png
shot_together overview.png "Morvandelle Kestrix" "Control & Query"

keys "Morvandelle Kestrix" alt+c s                 # CommPort, Settings...
shot "Communication Settings" settings.png
keys "Communication Settings" Escape

keys "Morvandelle Kestrix" alt+u c                 # Function, Clock
sleep 3
shot "Clock" clock.png
keys "Morvandelle Kestrix" alt+u s                 # Function, Status

keys "Morvandelle Kestrix" alt+h a                 # Help, About...
shot "About Kestrix" about.png
about=$(window "About Kestrix")                    # its OK (2100, 1700 twips, 1200 by 420)
xdotool mousemove --window "$about" 180 127 click 1
sleep 0.5

keys "Morvandelle Kestrix" alt+h h                 # Help, Help...
shot "Kestrix Help" help-window.png 75%
stop_kestrix

# Second run: the terminal view.
start_kestrix 2
keys "Morvandelle Kestrix" alt+c o
sleep 10
activate "Kestrix Terminal" >/dev/null
typed "Kestrix Terminal" '*idn?'
xdotool key Return
sleep 2
typed "Kestrix Terminal" ':ptim:time?'
xdotool key Return
sleep 2
shot "Kestrix Terminal" terminal.png
stop_kestrix

# Second run and a half: the trend window sampling the time interval every second, with its
# stability statistics and a mask, after a few minutes of samples.
start_kestrix 0 "" $'[Trend]\r\nSeries1=:SYNC:TINT?\r\nInterval=1\r\nStatistics=ADEV,TDEV,MTIE\r\nMasks=PRTC-A\r\n'
keys "Morvandelle Kestrix" alt+c o
keys "Morvandelle Kestrix" alt+u r                 # Function, Trend...
sleep "${TREND_SECONDS:-150}"
shot "Trend" trend.png
stop_kestrix

# Third run: the Firmware Download window halfway through a download, against a second simulator
# whose line runs at its real rate (9600 baud), so that the transfer is still going, with its
# estimate of the minutes left, when the picture is taken.
"$simulator" --link "$workdir/ttyPACED" --line-speed >"$workdir/paced.out" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
  if [ -s "$workdir/paced.out" ]; then break; fi
  sleep 0.05
done
firmware="$workdir/firmware.s"
srec_cat -generate 0 0x10000 -repeat-string 'Kestrix manual firmware ' -o "$firmware" -address-length=3 \
  -header 'KESTRIX'
start_kestrix 0 "$workdir/ttyPACED"
keys "Morvandelle Kestrix" alt+c o                # CommPort, Port Open
sleep 12
keys "Control & Query" alt+s d                     # Service, Download Firmware...
download=$(window "Firmware Download")
xdotool mousemove --window "$download" 200 36 click 1   # the file box (315, 375 twips)
typed "Firmware Download" "$firmware"
xdotool mousemove --window "$download" 119 71 click 1   # Download (1248, 852 twips)
warning=$(window "Erasure Warning")
xdotool mousemove --window "$warning" 130 90 click 1    # Yes, Perform the Download
baud=$(window "Change Baud?")
xdotool mousemove --window "$baud" 300 90 click 1       # No, leave as is
sleep 60                                           # erased, then past the 500 lines of the estimate
shot "Firmware Download" download.png
stop_kestrix

du -ch "$images"/*.png | tail -n 1
