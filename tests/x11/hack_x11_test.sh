#!/usr/bin/env bash
# The XScreenSaver hack under Xvfb. Frames equal, pixel for pixel, what
# aurilo-render makes for the same ticks: in windows of ours at depths 24, 16
# and 8 (centred, or scaled down in small ones); on big screens blown up by
# whole factors, with and without MIT-SHM and RENDER; and inside the real
# XScreenSaver daemon, run from the .deb's files, where at depth 8 the
# installed colormap holds the uniform palette; in an IPC namespace of its own,
# where the server cannot reach its shared memory, through XPutImage. With
# -fps the rate covers the lower-left corner and nothing else. It ends with 0
# on SIGTERM and when its window goes, leaving no shared memory of its own.
# The .deb passes lintian, and so does the arm64 one of ARM64-BUILD, with the
# same files. Waits end on deadlines that a loaded machine meets.
#   hack_x11_test.sh NATIVE-BUILD [ARM64-BUILD]
set -u
build=$(realpath "$1")
hack=$build/x11/aurilo
render=$build/tools/aurilo-render
window_tool=$build/tests/test-window
compare=$build/tests/compare-xwd
check_palette=$build/tests/check-installed-palette
work=$(mktemp -d /tmp/aurilo-hack.XXXXXX)
xvfb_pid='' window_pid='' daemon_pid=''
# shellcheck source=../../scripts/lib.sh
source "$(dirname "$0")/../../scripts/lib.sh"
cleanup() {
  stop "$daemon_pid"
  stop "$window_pid"
  stop "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT

start_screen() { # WIDTHxHEIGHTxDEPTH, then further Xvfb options
  local geometry=$1
  shift
  stop "$xvfb_pid"
  start_xvfb -screen 0 "$geometry" -br "$@" || { fail "Xvfb $geometry $* did not start"; return 1; }
}

open_window() { # width height; sets window and window_pid
  : >"$work/window" # emptied here: the background job may truncate it late
  "$window_tool" "$@" >"$work/window" &
  window_pid=$!
  wait_until 30 test -s "$work/window"
  window=$(cat "$work/window")
}

close_window() {
  stop "$window_pid"
  window_pid=
}

# The shared memory segments a process made, by id: other programs' come and go.
segments_of() { ipcs -m -p | awk -v pid="$1" '$3 == pid { print $1 }'; }
# Both false without a pid, so that a hack never found passes neither.
no_segments_of() { [ -n "$1" ] && [ -z "$(segments_of "$1")" ]; }
segments_marked_for_removal() { # pid
  local id
  for id in $(segments_of "$1"); do ipcs -m | awk -v id="$id" '$2 == id' | grep -q dest || return 1; done
  [ -n "$(segments_of "$1")" ]
}

wait_for_drawing() { # file the hack's stderr goes to
  wait_until 30 grep -q 'drew' "$1"
}

# As root unshare needs nothing more; a user maps themselves to root in it.
own_ipc_namespace=(unshare --ipc)
[ "$(id -u)" -eq 0 ] || own_ipc_namespace=(unshare --map-root-user --ipc)
run_hack=("$hack")

ticks=0,16,33,1017,5000,12345
bytes_per_pixel() { case $1 in 8) echo 1 ;; 15 | 16) echo 2 ;; *) echo 4 ;; esac; }
frame() { # format: prints the path of the renderer's frame for the ticks
  [ -e "$work/frame-$1.raw" ] || "$render" --format "$1" --ticks "$ticks" --raw "$work/frame-$1.raw"
  echo "$work/frame-$1.raw"
}
captured_equals() { # format, xwd target, then the placement X Y W H
  # shellcheck disable=SC2086
  xwd $2 -silent >"$work/capture.xwd"
  "$compare" "$work/capture.xwd" "$(frame "$1")" "$(bytes_per_pixel "$1")" "${@:3}" >"$work/compared"
}
# The server paints an exposed area black before the hack repaints it: under
# load a capture can fall between the two, so the frame has a few seconds.
shows_the_frame() { # description, format, xwd target (-root or -id ID), then the placement X Y W H
  local description=$1
  shift
  expect "$description" wait_until 5 captured_equals "$@"
  cat "$work/compared"
  rm -f "$work/capture.xwd"
}

draws_like_the_renderer() { # description, format, window width, height, placement X Y W H, then hack options
  local description=$1 format=$2 width=$3 height=$4 placement="$5 $6 $7 $8"
  shift 8
  open_window "$width" "$height"
  in_background "$work/hack.err" "${run_hack[@]}" -window-id "$window" -ticks "$ticks" "$@"
  local hack_pid=$!
  wait_for_drawing "$work/hack.err"
  # shellcheck disable=SC2086
  shows_the_frame "$description" "$format" "-id $window" $placement
  kill "$hack_pid"
  wait "$hack_pid"
  expect "... and SIGTERM ends it with 0" test $? -eq 0
  close_window
}

echo "-- windows of ours"
start_screen 1024x768x24 && draws_like_the_renderer "depth 24: centred, equal to aurilo-render --format 32" 32 800 600 80 60 640 480
draws_like_the_renderer "depth 24: a 320x240 window shows the whole image scaled down" 32 320 240 0 0 320 240
draws_like_the_renderer "depth 24: 150x112 is filled in height, 149 wide" 32 150 112 0 0 149 112
draws_like_the_renderer "depth 24: 150x200 is filled in width, 112 high, centred" 32 150 200 0 44 150 112
start_screen 1024x768x16 && draws_like_the_renderer "depth 16: equal to aurilo-render --format 16" 16 800 600 80 60 640 480
start_screen 1024x768x8 && draws_like_the_renderer "depth 8 (PseudoColor, uniform palette): equal to --format 8" 8 800 600 80 60 640 480
start_screen 1024x768x24 -extension MIT-SHM && draws_like_the_renderer "without MIT-SHM (XPutImage): still equal" 32 800 600 80 60 640 480
start_screen 1024x768x24
run_hack=("${own_ipc_namespace[@]}" "$hack")
draws_like_the_renderer "in an IPC namespace of its own, where the server cannot attach its segment: equal" \
  32 800 600 80 60 640 480
run_hack=("$hack")

open_window 640 480
in_background "$work/hack.err" "$hack" -window-id "$window" -ticks "$ticks" -fps
hack_pid=$!
# The frame is held: no frame is drawn, so the rate falls to nothing.
expect "-fps while -ticks holds its frame: the rate reads 0.0" \
  wait_until 30 grep -q '^aurilo: 0.0 frames per second' "$work/hack.err"
xwd -id "$window" -silent >"$work/capture.xwd"
"$compare" "$work/capture.xwd" "$(frame 32)" 4 0 0 640 480 >"$work/compare"
# "not as expected within LEFT,TOP to RIGHT,BOTTOM"
expect "-fps: the rate is drawn over the lower-left corner, above its margin, the rest is the exact frame" awk \
  '/within/ { split($5, a, ","); split($7, b, ","); ok = b[1] < 200 && a[2] >= 440 && b[2] <= 480 - 9 } END { exit !ok }' "$work/compare"
# Inside the text's box every pixel is the text's: white letters, fewer than the black around them.
text_box=$(awk '/within/ { split($5, a, ","); split($7, b, ","); print b[1] - a[1] + 1 "x" b[2] - a[2] + 1 "+" a[1] "+" a[2] }' "$work/compare")
convert xwd:"$work/capture.xwd" -crop "$text_box" -format %c histogram:info: >"$work/text-colours"
expect "... in white on black" awk '/#FFFFFF/ { white = $1 } /#000000/ { black = $1 } { n++ }
  END { exit !(n == 2 && white + 0 > 0 && white + 0 < black + 0) }' "$work/text-colours"
stop "$hack_pid"
close_window

open_window 800 600
"$hack" -window-id "$window" 2>/dev/null &
hack_pid=$!
expect "while running, its shared memory segment is already marked for removal" \
  wait_until 30 segments_marked_for_removal "$hack_pid"
kill "$hack_pid"
wait "$hack_pid"
expect "SIGTERM while animating ends it with 0" test $? -eq 0
expect "... leaving no shared memory segment of its own" no_segments_of "$hack_pid"
close_window

# Once it draws, the window goes with the program that made it.
open_window 800 600
in_background "$work/hack.err" "$hack" -window-id "$window" -ticks "$ticks"
hack_pid=$!
wait_for_drawing "$work/hack.err"
close_window
wait_until 60 gone "$hack_pid"
wait "$hack_pid"
expect "the window's destruction ends it with 0" test $? -eq 0
expect "... leaving no shared memory segment of its own" no_segments_of "$hack_pid"

open_window 800 600
in_background "$work/hack.err" env XSCREENSAVER_WINDOW="$window" "$hack" -ticks "$ticks"
hack_pid=$!
wait_for_drawing "$work/hack.err"
shows_the_frame "\$XSCREENSAVER_WINDOW names the window to draw into" 32 "-id $window" 80 60 640 480
stop "$hack_pid"
close_window

for arguments in "-bogus" "-delay" "-delay x" "-window-id 0" "-window-id 12z" "-ticks 5,4" "-scale 0" "-scale 2x"; do
  # shellcheck disable=SC2086
  "$hack" $arguments >/dev/null 2>"$work/err"
  expect "refused with 2 and a usage line: $arguments" bash -c "[ $? -eq 2 ] && grep -q '^usage: aurilo' '$work/err'"
done
"$hack" -window -bogus --help >"$work/out" 2>&1
expect "--help anywhere on the line: the usage and a line for every option, -ticks too, exit 0" bash -c "[ $? -eq 0 ] \
  && grep -q '^usage: aurilo ' '$work/out' && [ \$(grep -c '^  -' '$work/out') -eq 8 ] && grep -q -- '-ticks T1' '$work/out'"

# What the settings file can put on the command line, the hack must take: it
# then gets as far as opening the display (1), not refusing the options (2).
settings=$(dirname "$0")/../../x11/aurilo.xml
while read -r arguments; do
  # shellcheck disable=SC2086
  DISPLAY=:nonexistent "$hack" ${arguments//%/1} >/dev/null 2>&1
  expect "aurilo.xml's $arguments is an option the hack takes" test $? -eq 1
done < <(grep -o 'arg[a-z-]*="[^"]*"' "$settings" | sed 's/^[^"]*"//; s/"$//')
# XScreenSaver ticks a check box by default when it has arg-unset, and leaves
# out a slider at its default: the default command line is the command's own.
box() { grep -o "<boolean [^>]*_label=\"$1\"[^>]*>" "$settings"; }
expect 'aurilo.xml: "Fill the screen" is ticked by default; unticked, it adds -scale 1' \
  grep -q 'arg-unset="-scale 1"' <<<"$(box 'Fill the screen')"
expect 'aurilo.xml: "Show frame rate" is unticked by default; ticked, it adds -fps' \
  grep -q 'arg-set="-fps"' <<<"$(box 'Show frame rate')"
expect "aurilo.xml: the default settings run aurilo -root" \
  test "$(grep -o '<command arg="[^"]*"' "$settings" | sed 's/.*arg="//; s/"$//' | tr '\n' ' ')" = "-root "

echo "-- big screens, -root"
fills_the_screen() { # description, WIDTHxHEIGHTxDEPTH, format, placement X Y W H, Xvfb options, "--", hack options
  local description=$1 geometry=$2 format=$3 placement="$4 $5 $6 $7"
  shift 7
  local xvfb_options=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do xvfb_options+=("$1"); shift; done
  shift
  start_screen "$geometry" "${xvfb_options[@]}"
  in_background "$work/hack.err" "$hack" -root -ticks "$ticks" "$@"
  local hack_pid=$!
  wait_for_drawing "$work/hack.err"
  # shellcheck disable=SC2086
  shows_the_frame "$description" "$format" -root $placement
  stop "$hack_pid"
}
fills_the_screen "1920x1080: x2 at 320,60" 1920x1080x24 32 320 60 1280 960 --
fills_the_screen "2560x1440: x3 at 320,0" 2560x1440x24 32 320 0 1920 1440 --
fills_the_screen "3840x2160: x4 at 640,120" 3840x2160x24 32 640 120 2560 1920 --
fills_the_screen "1920x1080 with -scale 1: the original 640x480 at 640,300" 1920x1080x24 32 640 300 640 480 -- -scale 1
fills_the_screen "1920x1080 at depth 16: x2" 1920x1080x16 16 320 60 1280 960 --
fills_the_screen "1920x1080 without MIT-SHM: x2" 1920x1080x24 32 320 60 1280 960 -extension MIT-SHM --
# -noreset: with its last client gone, the server keeps what the hack left.
start_screen 1920x1080x8 -noreset
in_background "$work/hack.err" "$hack" -root -ticks "$ticks"
hack_pid=$!
wait_for_drawing "$work/hack.err"
# The daemon's own check at depth 8 does not run under XScreenSaver 6.09.
shows_the_frame "1920x1080 at depth 8: x2" 8 -root 320 60 1280 960
expect "... through the installed colormap, in the uniform palette's colours" "$check_palette"
stop "$hack_pid"
expect "... and once it ends, the root names the default colormap again" "$check_palette" --root-default
fills_the_screen "3840x2160 without RENDER (scaled by the hack): x4" 3840x2160x24 32 640 120 2560 1920 -extension RENDER --
fills_the_screen "2560x1440 without RENDER and MIT-SHM: x3" 2560x1440x24 32 320 0 1920 1440 \
  -extension RENDER -extension MIT-SHM --
fills_the_screen "2560x1440 with -scale 2: x2 at 640,240" 2560x1440x24 32 640 240 1280 960 -extension RENDER -- -scale 2

echo "-- inside the XScreenSaver daemon"
# The hack runs from the .deb's own files, unpacked here, by its full path:
# nothing is installed on the machine. The daemon launches no hacks as root:
# as root it runs as nobody, otherwise as the user.
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/aurilo_*_amd64.deb)
cp "$deb" "$work/first.deb"
sleep 1.1 # a second later, so that a timestamp of the packing shows
(cd "$build" && cpack -G DEB >/dev/null)
expect "packed again a second later, the .deb has the same bytes" cmp -s "$deb" "$work/first.deb"
# Info tags shown too: they are where lintian reports a binary built without hardening.
lintian_finds_no_error() { lintian -I --fail-on error "$1" >"$work/lintian" 2>&1 && ! grep -q 'hardening-' "$work/lintian"; }
expect "lintian finds no error and no hardening missing in $(basename "$deb")" lintian_finds_no_error "$deb"
grep -v '^running with root' "$work/lintian"
if [ -n "${2:-}" ]; then
  (cd "$2" && cpack -G DEB >/dev/null)
  arm64_deb=$(ls "$2"/aurilo_*_arm64.deb)
  expect "lintian finds no error and no hardening missing in $(basename "$arm64_deb")" lintian_finds_no_error "$arm64_deb"
  grep -v '^running with root' "$work/lintian"
  files_of() { dpkg-deb -c "$1" | awk '{ print $6 }'; }
  same_files() { [ -n "$(files_of "$1")" ] && [ "$(files_of "$1")" = "$(files_of "$2")" ]; }
  expect "... it holds the same files as $(basename "$deb")" same_files "$deb" "$arm64_deb"
fi
dpkg-deb -x "$deb" "$work/package"
hack_path=$work/package/usr/libexec/xscreensaver/aurilo
expect "the .deb holds the hack, its settings, the Wayland client, its idle entry and PAM file, their manual pages, copyright and changelog" \
  bash -c "cd '$work/package' && ls usr/share/xscreensaver/config/aurilo.xml usr/share/man/man6/aurilo.6.gz etc/pam.d/aurilo-wayland \
    usr/bin/aurilo-wayland usr/share/applications/aurilo-wayland-idle.desktop \
    usr/share/man/man6/aurilo-wayland.6.gz usr/share/doc/aurilo/copyright \
    usr/share/doc/aurilo/changelog.gz '$hack_path' >/dev/null"
gzip_times_are_zero() { # files in the unpacked package
  local file
  for file; do [ "$(od -An -tx1 -j4 -N4 "$work/package/$file" | tr -d ' ')" = 00000000 ] || return 1; done
}
expect "... its manual pages and changelog carry no gzip timestamp" gzip_times_are_zero \
  usr/share/man/man6/aurilo.6.gz usr/share/man/man6/aurilo-wayland.6.gz usr/share/doc/aurilo/changelog.gz
home=$work/home
mkdir -p "$home"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$work"
  chown nobody:nogroup "$home"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
cat >"$home/.xscreensaver" <<SETTINGS
timeout: 0:30:00
lock: False
fade: False
unfade: False
splash: False
mode: one
selected: 0
programs: $hack_path -root -ticks $ticks \n
SETTINGS
[ ${#as_user[@]} -gt 0 ] && chown nobody:nogroup "$home/.xscreensaver"
daemon_environment=(env HOME="$home")
as_daemon_user() { "${as_user[@]}" "${daemon_environment[@]}" "$@"; }
hack_pids() { pgrep -x aurilo -P "$(pgrep -d, -P "$daemon_pid")"; }

# XScreenSaver 6.09 runs no hack at all on a screen without a GL visual (it
# shows "No GL visuals" instead), and Xvfb has GLX only on TrueColor screens:
# there the check says it did not run, and why, rather than pass or fail.
drawn() { grep -q 'aurilo: drew' "$work/daemon.log"; }
# 6.06 says so too, but runs the hack; 6.09 posts its error and waits to cycle.
gave_up_without_gl() { grep -q 'did not report a GL visual' "$work/daemon.log" && grep -q ': cycling in ' "$work/daemon.log"; }
drawn_or_gave_up() { drawn || gave_up_without_gl; }

activated() {
  as_daemon_user xscreensaver-command -activate >/dev/null 2>&1
  wait_until 5 grep -q 'blanking' "$work/daemon.log"
}

daemon_shows_the_frame() { # depth, format
  local depth=$1 format=$2
  start_screen "1920x1080x$depth"
  in_background "$work/daemon.log" "${as_user[@]}" "${daemon_environment[@]}" xscreensaver -no-splash -verbose
  daemon_pid=$!
  wait_until 60 as_daemon_user xscreensaver-command -time >/dev/null 2>&1
  # A daemon that answers may not yet hear: on a loaded machine the first
  # -activate can be lost, so it is sent again until the daemon blanks.
  wait_until 30 activated
  wait_until 30 drawn_or_gave_up || { echo "nothing drawn within 30 s; the daemon's last lines:"; tail -20 "$work/daemon.log"; }
  if ! drawn && gave_up_without_gl && [ "$depth" -ne 24 ]; then
    echo "not run: depth $depth in the daemon: $(as_daemon_user xscreensaver-command -version 2>/dev/null) finds no GL visual on this screen and runs no hack"
    stop "$daemon_pid"
    daemon_pid=
    return 0
  fi
  shows_the_frame "depth $depth: after -activate the screen shows the frame x2, centred" "$format" -root 320 60 1280 960
  local pid
  pid=$(hack_pids) || tail -5 "$work/daemon.log"
  expect "... drawn by $hack_path" test "$(readlink "/proc/$pid/exe")" = "$hack_path"
  [ "$depth" -eq 8 ] && expect "... through the installed colormap, in the uniform palette's colours" "$check_palette"
  as_daemon_user xscreensaver-command -deactivate >/dev/null 2>&1
  expect "after -deactivate the hack is gone" wait_until 60 gone "$pid"
  expect "... leaving no shared memory segment of its own" no_segments_of "$pid"
  stop "$daemon_pid"
  daemon_pid=
}
daemon_shows_the_frame 24 32
daemon_shows_the_frame 8 8

# Reported, not asserted: what the hack and the X server take at the default
# rate on a 3840x2160 screen (Xvfb composites in software).
start_screen 3840x2160x24
"$hack" -root -fps 2>"$work/fps" &
hack_pid=$!
sleep 1
hack_start=$(cpu_ticks "$hack_pid") server_start=$(cpu_ticks "$xvfb_pid")
sleep 10
hack_end=$(cpu_ticks "$hack_pid") server_end=$(cpu_ticks "$xvfb_pid")
stop "$hack_pid"
echo "3840x2160 at the default rate over 10 s: the hack $(cpu_percent "$hack_start" "$hack_end" 10)% of a core," \
  "Xvfb $(cpu_percent "$server_start" "$server_end" 10)%; $(tail -1 "$work/fps")"
expect "-fps reports the rate on stderr" grep -q 'frames per second' "$work/fps"

finish_checks
