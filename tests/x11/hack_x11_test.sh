#!/usr/bin/env bash
# The XScreenSaver hack under Xvfb: frames drawn into a window of ours equal,
# pixel for pixel, what aurilo-render makes for the same ticks at depths 24, 16
# and 8 (centred, or scaled down in a small window), with and without MIT-SHM;
# it ends with 0 on SIGTERM and when its window goes, leaving no shared memory.
#   hack_x11_test.sh NATIVE-BUILD
set -u
build=$(realpath "$1")
hack=$build/x11/aurilo
render=$build/tools/aurilo-render
window_tool=$build/tests/test-window
compare=$build/tests/compare-xwd
work=$(mktemp -d /tmp/aurilo-hack.XXXXXX)
xvfb_pid=
cleanup() {
  pkill -f "^$window_tool" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=../check_lib.sh
source "$(dirname "$0")/../check_lib.sh"

start_screen() { # depth, then further Xvfb options
  local depth=$1
  shift
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  local display=110
  while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
  Xvfb :$display -screen 0 1024x768x"$depth" -br -nolisten tcp "$@" >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:$display
  for _ in $(seq 50); do xwd -root -silent >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

open_window() { # width height [destroy-after-ms]; sets window
  "$window_tool" "$@" >"$work/window" &
  for _ in $(seq 50); do [ -s "$work/window" ] && break; sleep 0.1; done
  window=$(cat "$work/window")
}

segments() { ipcs -m | awk 'NR > 3 && NF' | wc -l; }

ticks=0,16,33,1017,5000,12345
bytes_per_pixel() { case $1 in 8) echo 1 ;; 15 | 16) echo 2 ;; *) echo 4 ;; esac; }

draws_like_the_renderer() { # description, format, window width, height, then hack options
  local description=$1 format=$2 width=$3 height=$4
  shift 4
  open_window "$width" "$height"
  "$hack" -window-id "$window" -ticks "$ticks" "$@" 2>"$work/hack.err" &
  local hack_pid=$!
  for _ in $(seq 100); do grep -q 'drew' "$work/hack.err" && break; sleep 0.1; done
  xwd -id "$window" -silent >"$work/capture.xwd"
  "$render" --format "$format" --ticks "$ticks" --raw "$work/frame.raw"
  expect "$description" "$compare" "$work/capture.xwd" "$work/frame.raw" "$(bytes_per_pixel "$format")"
  kill "$hack_pid"
  wait "$hack_pid"
  expect "... and SIGTERM ends it with 0" test $? -eq 0
  pkill -f "^$window_tool"
}

start_screen 24 && draws_like_the_renderer "depth 24: centred, equal to aurilo-render --format 32" 32 800 600
draws_like_the_renderer "depth 24: a 320x240 window shows the whole image scaled down" 32 320 240
draws_like_the_renderer "depth 24: a 400x600 window scales to its width, aspect kept" 32 400 600
start_screen 16 && draws_like_the_renderer "depth 16: equal to aurilo-render --format 16" 16 800 600
start_screen 8 && draws_like_the_renderer "depth 8 (PseudoColor, uniform palette): equal to --format 8" 8 800 600
start_screen 24 -extension MIT-SHM && draws_like_the_renderer "without MIT-SHM (XPutImage): still equal" 32 800 600

start_screen 24
before=$(segments)
open_window 800 600
"$hack" -window-id "$window" 2>/dev/null &
hack_pid=$!
sleep 2
expect "while running, the shared memory segment is already marked for removal" \
  bash -c "ipcs -m | awk 'NR > 3 && NF' | grep -q dest"
kill "$hack_pid"
wait "$hack_pid"
expect "SIGTERM while animating ends it with 0" test $? -eq 0
expect "... leaving no shared memory segment" test "$(segments)" -eq "$before"
pkill -f "^$window_tool"

open_window 800 600 2000
"$hack" -window-id "$window" 2>/dev/null &
hack_pid=$!
for _ in $(seq 100); do kill -0 "$hack_pid" 2>/dev/null || break; sleep 0.1; done
wait "$hack_pid"
expect "the window's destruction ends it with 0" test $? -eq 0
expect "... leaving no shared memory segment" test "$(segments)" -eq "$before"

open_window 800 600
XSCREENSAVER_WINDOW=$window "$hack" -ticks "$ticks" 2>"$work/hack.err" &
hack_pid=$!
for _ in $(seq 100); do grep -q 'drew' "$work/hack.err" && break; sleep 0.1; done
xwd -id "$window" -silent >"$work/capture.xwd"
"$render" --format 32 --ticks "$ticks" --raw "$work/frame.raw"
expect "\$XSCREENSAVER_WINDOW names the window to draw into" "$compare" "$work/capture.xwd" "$work/frame.raw" 4
kill "$hack_pid"
wait "$hack_pid"
pkill -f "^$window_tool"

for arguments in "-bogus" "-delay" "-delay x" "-window-id 0" "-window-id 12z" "-ticks 5,4"; do
  # shellcheck disable=SC2086
  "$hack" $arguments >/dev/null 2>"$work/err"
  expect "refused with 2 and a usage line: $arguments" bash -c "[ $? -eq 2 ] && grep -q '^usage: aurilo' '$work/err'"
done

# Reported, not asserted: the CPU the hack takes at its default rate.
open_window 800 600
"$hack" -window-id "$window" -fps 2>"$work/fps" &
hack_pid=$!
sleep 1
start_ticks=$(awk '{ print $14 + $15 }' "/proc/$hack_pid/stat")
sleep 10
end_ticks=$(awk '{ print $14 + $15 }' "/proc/$hack_pid/stat")
kill "$hack_pid"
wait "$hack_pid"
echo "CPU use at the default rate over 10 s: $(( (end_ticks - start_ticks) * 100 / $(getconf CLK_TCK) / 10 ))%; $(tail -1 "$work/fps")"
expect "-fps reports the rate on stderr" grep -q 'frames per second' "$work/fps"

finish_checks
