#!/usr/bin/env bash
# Records the help videos and the devices-page picture from the program itself: the demo runs
# under Xvfb, xdotool drives it through the steps a video shows, ffmpeg records the screen into a
# short H.264 MP4 under resources/helpinfo/.
#
#   tools/record-help-videos.sh                      # everything
#   tools/record-help-videos.sh calendar scenario1   # only these
#
# Names: devices (deviceinfo/video1.mp4), picture (deviceinfo/imag1.jpg), calendar
# (calendar/video1.mp4), scenario1 and scenario2 (scenarioinfo/video1.mp4, video2.mp4).
# Build first (make build). The clicks assume the window at 1280 x 800, as set below.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
APP=$BUILD_DIR/vireosant
OUT=$ROOT/resources/helpinfo
WIDTH=1280
HEIGHT=800
FPS=${FPS:-10}
CRF=${CRF:-28}
ALL=(devices picture calendar scenario1 scenario2)

install_tools() {
  local pkgs=(ffmpeg xdotool imagemagick xvfb xauth) missing=() p sudo=""
  for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

XVFB_PID=""
APP_PID=""
FFMPEG_PID=""
WORK=""

stop_session() {
  [ -n "$FFMPEG_PID" ] && kill -INT "$FFMPEG_PID" 2>/dev/null && wait "$FFMPEG_PID" 2>/dev/null || true
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null && wait "$APP_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null || true
  [ -n "$WORK" ] && rm -rf "$WORK"
  FFMPEG_PID="" APP_PID="" XVFB_PID="" WORK=""
}
trap stop_session EXIT

pause() { sleep "$1"; }
click() { xdotool mousemove --sync "$1" "$2"; pause 0.5; xdotool click 1; }
key() { xdotool key --delay 120 "$@"; }
typed() { xdotool type --delay 110 "$1"; }

# A fresh demo (its own folder, so no account yet) on a display of its own, signed in, on the
# devices page.
start_session() {
  local display=99
  while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
  export DISPLAY=":${display}"
  Xvfb "$DISPLAY" -screen 0 "${WIDTH}x${HEIGHT}x24" -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  pause 1
  WORK=$(mktemp -d)
  (cd "$WORK" && QT_QPA_PLATFORM=xcb exec "$APP" --demo >"$WORK/app.log" 2>&1) &
  APP_PID=$!
  local window="" tries=0
  while [ -z "$window" ] && [ $tries -lt 50 ]; do
    pause 0.2
    window=$(xdotool search --onlyvisible --name '^Vireosant$' 2>/dev/null | head -n1 || true)
    tries=$((tries + 1))
  done
  [ -n "$window" ] || { echo "the program's window did not appear" >&2; exit 1; }
  xdotool windowmove "$window" 0 0 windowsize "$window" "$WIDTH" "$HEIGHT"
  pause 4  # the simulated controller is found
  # The form offers to create the account: login, password, "Вход".
  click 893 327; typed grower
  click 893 378; typed green42
  click 893 429
  pause 10  # sign-in, configuration read, first status
}

record_start() {
  mkdir -p "$(dirname "$1")"
  ffmpeg -y -loglevel error -f x11grab -draw_mouse 1 -framerate "$FPS" -video_size "${WIDTH}x${HEIGHT}" \
    -i "${DISPLAY}+0,0" -vf "scale=960:-2" -c:v libx264 -preset veryslow -crf "$CRF" -pix_fmt yuv420p \
    -profile:v main -movflags +faststart -an "$1" </dev/null &
  FFMPEG_PID=$!
  pause 1
}

record_stop() {
  pause 1
  kill -INT "$FFMPEG_PID"
  wait "$FFMPEG_PID" || true
  FFMPEG_PID=""
  echo "$1: $(stat -c %s "$1") bytes"
}

# Devices page: rename a socket, then calibrate the root-zone thermometer and watch it follow.
scene_devices() {
  pause 2
  click 443 220                # socket 1
  pause 1.5
  key ctrl+a; typed "Лампа роста"
  pause 1; key Return
  pause 7                      # upload, read-back and commit; the tile takes the name
  click 793 440                # sensor "Корни"
  pause 3                      # the instant value follows the probe
  key Tab Tab                  # name, type, refined value
  typed "27"
  pause 1.5
  key Tab Tab Tab space        # reset, cancel, save
  pause 8
}

scene_picture() {
  pause 3
  xdotool mousemove 1270 790
  pause 1
  import -window root -crop "${WIDTH}x${HEIGHT}+0+0" -resize 1100x -quality 85 "$OUT/deviceinfo/imag1.jpg"
  echo "$OUT/deviceinfo/imag1.jpg: $(stat -c %s "$OUT/deviceinfo/imag1.jpg") bytes"
}

# Work-cycle page: opened from the navigation panel. Extend the steps once the page is complete.
scene_calendar() {
  pause 1.5
  click 165 188      # "Настройка цикла работы"
  pause 3
  click 994 379      # cycle 14 as the anchor ...
  pause 1
  click 466 446      # ... and 16: the range 14-16 is selected
  pause 2.5
  click 405 172      # "Выбрать все дни"
  pause 2
  click 405 172      # "Сбросить выбор"
  pause 2
}

# Scenario page: opened from the navigation panel (1) and from the work-cycle page (2).
scene_scenario1() {
  pause 1.5
  click 108 92       # "Сценарии"
  pause 6
}

scene_scenario2() {
  pause 1
  click 165 188      # "Настройка цикла работы"
  pause 2.5
  click 378 446      # cycle 15
  pause 1
  click 559 172      # "Создать сценарий": the scenario of that day opens
  pause 5
}

output_of() {
  case "$1" in
    devices) echo "$OUT/deviceinfo/video1.mp4" ;;
    calendar) echo "$OUT/calendar/video1.mp4" ;;
    scenario1) echo "$OUT/scenarioinfo/video1.mp4" ;;
    scenario2) echo "$OUT/scenarioinfo/video2.mp4" ;;
    picture) echo "" ;;
    *) echo "unknown name: $1 (use ${ALL[*]})" >&2; exit 2 ;;
  esac
}

main() {
  local names=("$@")
  [ ${#names[@]} -eq 0 ] && names=("${ALL[@]}")
  for name in "${names[@]}"; do output_of "$name" >/dev/null; done
  [ -x "$APP" ] || { echo "build the program first: make build" >&2; exit 1; }
  install_tools
  for name in "${names[@]}"; do
    local out
    out=$(output_of "$name")
    start_session
    if [ -n "$out" ]; then
      record_start "$out"
      "scene_$name"
      record_stop "$out"
    else
      "scene_$name"
    fi
    stop_session
  done
}

# Sourced (to try steps by hand), it only defines the functions.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then main "$@"; fi
