#!/usr/bin/env bash
# The real aurilo.scr under Wine on private Xvfb screens: full-screen image and
# colours at depths 8, 16 and 24, the input rules, the command-line modes and
# their exit codes, the one-instance rule and the preview child.
#   saver_wine_test.sh WINDOWS-BUILD NATIVE-BUILD [SCENARIO...]
set -u
windows=$(realpath "$1")
native=$(realpath "$2")
scr=$windows/aurilo.scr
check=$native/tests/check-capture

# shellcheck source=wine_test_lib.sh
source "$(dirname "$0")/wine_test_lib.sh"

shows_image() { capture "$work/screen.ppm" && "$check" "$1" "$work/screen.ppm" >"$work/check"; }
wait_image() { # depth: waits until the screen shows the saver's image
  wait_until 30 shows_image "$1" || { cat "$work/check"; return 1; }
}

run_mode() { # command line; prints the exit code
  wine "$launcher" --timeout 15000 "$scr" "$1" 2>/dev/null | tr -d '\r' | sed -n 's/^exit //p'
}

full_screen_at_depth() { # depth, and what check-capture checks there
  start_screen "$1" || { fail "Xvfb at depth $1"; return; }
  xdotool mousemove 500 500
  start_saver --timeout 60000 "$scr" "aurilo.scr /s"
  if wait_image "$2"; then
    pass "depth $1: the image is centred, black around it ($2 checked: $(cat "$work/check"))"
    cp "$work/screen.ppm" "$work/first.ppm"
    sleep 0.5
    capture "$work/second.ppm"
    expect "depth $1: the image animates" bash -c "! cmp -s '$work/first.ppm' '$work/second.ppm'"
  else
    fail "depth $1: no saver image on the screen"
  fi
  xdotool key space
  expect "depth $1: a key closes the saver with exit code 0" test "$(wait_exit 10)" = 0x00000000
  finish_saver
}

closes_on() { # description, then the xdotool arguments that should close the saver
  local description=$1
  shift
  xdotool mousemove 500 500
  start_saver --timeout 60000 "$scr" "aurilo.scr /s"
  wait_image 24 >/dev/null
  xdotool "$@"
  expect "$description closes the saver (exit 0)" test "$(wait_exit 10)" = 0x00000000
  finish_saver
}

input_rules() {
  start_screen 24 || { fail "Xvfb for the input rules"; return; }
  closes_on "an Alt key" key alt
  closes_on "a left button" click 1
  closes_on "a middle button" click 2
  closes_on "a right button" click 3
  closes_on "a travel of 5" mousemove 503 502

  xdotool mousemove 500 500
  start_saver --timeout 60000 "$scr" "aurilo.scr /s"
  wait_image 24 >/dev/null
  xdotool mousemove 502 502
  sleep 1.5
  expect "a travel of 4 does not close" test -z "$(exit_code)"
  for x in 501 502 503 504; do xdotool mousemove $x 500; sleep 0.3; done
  sleep 1
  expect "slow travel back and forth within 4 of the reference does not close" test -z "$(exit_code)"
  xdotool mousemove 505 500
  expect "slow travel that adds up past 4 closes" test "$(wait_exit 10)" = 0x00000000
  finish_saver

  start_saver --timeout 60000 --steal-focus-after 1500 "$scr" "aurilo.scr /s"
  expect "loss of activation closes (exit 0)" test "$(wait_exit 30)" = 0x00000000
  finish_saver

  start_saver --timeout 60000 "$scr" "aurilo.scr /s"
  wait_image 24 >/dev/null
  local started=$SECONDS
  expect "a second /s start exits 0 at once" test "$(run_mode "aurilo.scr /s")" = 0x00000000
  expect "... within 10 seconds" test $((SECONDS - started)) -lt 10
  expect "... and the first saver keeps running" test -z "$(exit_code)"
  finish_saver

  # WM_SYSCOMMAND SC_NEXTWINDOW (0xF040); Wine's message trace shows whether
  # it reached the default window procedure.
  WINEDEBUG=-all,+message wine "$launcher" --post-after 3000:274:61504 --timeout 5000 "$scr" "aurilo.scr /s" \
    >/dev/null 2>"$work/trace"
  expect "SC_NEXTWINDOW reaches the saver and is swallowed there" bash -c \
    "grep -q 'WM_SYSCOMMAND dispatched  wp=0000f040' '$work/trace' && ! grep -q 'DefWindowProc:\[0112\] WM_SYSCOMMAND  wp=0000f040' '$work/trace'"
}

command_line_rows() {
  start_screen 24 || { fail "Xvfb for the command lines"; return; }
  local tail
  for tail in "/x" "/p" "/p 0" "/p 1234" "/p:1234" "/P 4294967296" $'/\ts' "/a 1234" "5"; do
    expect "tail '$tail' is refused with 0xFFFFFFFF" test "$(run_mode "aurilo.scr $tail")" = 0xFFFFFFFF
  done
  expect "an unquoted path ends at its first blank ('Files\\...' is no switch)" \
    test "$(run_mode 'C:\Program Files\aurilo.scr /s')" = 0xFFFFFFFF
  local line
  for line in '"C:\Program Files\Aurilo\aurilo.scr" /s' 'aurilo.scr -S' 'aurilo.scr //--scr'; do
    start_saver --timeout 60000 "$scr" "$line"
    expect "command line [$line] runs the full-screen saver" wait_image 24
    xdotool key Escape
    expect "... and ends with 0" test "$(wait_exit 10)" = 0x00000000
    finish_saver
  done
}

preview() {
  start_screen 24 || { fail "Xvfb for the preview"; return; }
  start_saver --parent 152x112 --probe-preview --close-parent-after 300 "$scr" "aurilo.scr /p %P"
  local code
  code=$(wait_exit 30)
  expect "/p N makes a child 'Preview' of class WindowsScreenSaverClass filling the parent" \
    grep -q '^child class=WindowsScreenSaverClass title=Preview rect=0,0,152,112 parent-client=152,112 style=0x52000000' "$work/out"
  expect "keys, buttons, movement and deactivation do not close the preview" grep -q '^alive-after-input yes' "$work/out"
  expect "WM_CONTEXTMENU goes to the parent with the parent's handle" grep -q '^context-menu-forwarded yes' "$work/out"
  expect "the preview ends with 0 when its parent goes" test "$code" = 0x00000000

  # Wine does not show what a process paints into a child of another
  # process's window, so the preview's painting is read from Wine's trace.
  WINEDEBUG=-all,+bitblt wine "$launcher" --parent 152x112 --close-parent-after 1500 "$scr" "aurilo.scr /l%P" \
    >"$work/out" 2>"$work/trace"
  expect "/l N paints bitmap 103 (160x120) stretched over the whole 152x112 child" \
    grep -q 'NtGdiStretchBlt src .* log=0,0 160x120 .* dst .* log=0,0 152x112 .* rop=cc0020' "$work/trace"
  expect "... and ends with 0" grep -q '^exit 0x00000000' <(tr -d '\r' <"$work/out")
}

# Runs the saver for a few seconds beside the test-only ddraw.dll (and the
# failing timer service, with fake_winmm=1), in a Japanese locale so that
# Wine's trace shows the painted text as it reads.
with_fake_ddraw() { # settings for the stand-in, seconds
  local folder=$work/fake overrides="ddraw=n,b;mscoree,mshtml="
  rm -rf "$folder" && mkdir -p "$folder"
  cp "$scr" "$windows/tests/fake-ddraw/ddraw.dll" "$folder/"
  if [ -n "${fake_winmm:-}" ]; then
    cp "$windows/tests/stand-ins/WINMM.DLL" "$folder/"
    overrides="winmm=n,b;$overrides"
  fi
  AURILO_FAKE_DDRAW=$1 AURILO_FAKE_LOG="Z:$folder/log" AURILO_FAKE_FRAME="Z:$folder/frame" LC_ALL=ja_JP.UTF-8 \
    WINEDLLOVERRIDES="$overrides" WINEDEBUG=-all,+font \
    wine "$launcher" --timeout 30000 "$folder/aurilo.scr" "aurilo.scr /s" >"$folder/out" 2>"$folder/trace" &
  local job=$!
  sleep "${2:-4}"
  xdotool key Escape
  wait "$job"
  touch "$folder/log"
}

# Frames a second from the stand-in's closing line: frames, and the time from
# the first to the last.
rate_within() { # low, high
  local rate
  rate=$(awk '$1 == "frames" && $4 > 0 { printf "%d", ($2 - 1) * 1000 / $4 }' "$work/fake/log")
  echo "frames a second: ${rate:-none} ($(grep '^frames' "$work/fake/log"))"
  [ -n "$rate" ] && [ "$rate" -ge "$1" ] && [ "$rate" -le "$2" ]
}

# The order of two lines in the stand-in's log.
logged_before() { # first, second
  local first second
  first=$(grep -n -m1 "$1" "$work/fake/log" | cut -d: -f1)
  second=$(grep -n -m1 "$2" "$work/fake/log" | cut -d: -f1)
  [ -n "$first" ] && [ -n "$second" ] && [ "$first" -lt "$second" ]
}

# In the trace, the fallback text as Wine draws it, at (432, 384) on 1024x768.
directdraw_error_text='NtGdiExtTextOutW .*, 432, 384, .*L"DirectDraw\\521d\\671f\\5316\\30a8\\30e9\\30fc"'
need_colours_text='NtGdiExtTextOutW .*, 432, 384, .*L"\\5fc5\\8981\\8868\\793a\\8272\\ff08256\\4ee5\\4e0a\\ff09 "'

fake_displays() {
  start_screen 24 || { fail "Xvfb for the stand-in ddraw.dll"; return; }
  with_fake_ddraw "bits=4"
  expect "a 4-bit display paints the 256-colour text at the middle" grep -q "$need_colours_text" "$work/fake/trace"
  expect "... starts no frames" bash -c "! grep -q 'Blt to primary' '$work/fake/log'"
  expect "... and still closes with 0" grep -q '^exit 0x00000000' <(tr -d '\r' <"$work/fake/out")

  local step
  for step in DirectDrawCreate SetCooperativeLevel CreatePrimary GetPixelFormat CreatePalette SetPalette \
    CreateOffscreen CreateClipper SetHWnd SetClipper; do
    with_fake_ddraw "bits=8,fail=$step" 3
    expect "a failing $step paints the DirectDraw error text and draws no frame" \
      bash -c "grep -q '$directdraw_error_text' '$work/fake/trace' && grep -q '^$step failed' '$work/fake/log' && ! grep -q 'Blt to primary' '$work/fake/log'"
    if [ "$step" != DirectDrawCreate ]; then
      expect "... and releases DirectDraw" logged_before "^$step failed" '^Release'
    fi
  done

  with_fake_ddraw "bits=16,masks=7C00:03E0:001F"
  expect "a 555 display draws through the 16-bit path with its own shifts" \
    "$check" frame 15 "$work/fake/frame"
  expect "... centred on the screen" grep -q 'Blt to primary 192,144,832,624 from offscreen' "$work/fake/log"

  with_fake_ddraw "bits=8" 12
  expect "exclusive full-screen access (DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)" grep -qx 'cooperative flags=0x11' "$work/fake/log"
  expect "an 8-bit display gets the uniform palette (flags 4)" grep -q '^palette flags=4 uniform=yes' "$work/fake/log"
  expect "... on the primary surface before the off-screen surface is made" logged_before '^SetPalette' '^offscreen 640x480 flags=7 caps=0x40'
  expect "... and frames of 3-3-2 indices the pixel writer makes" "$check" frame 8 "$work/fake/frame"
  expect "a 60 Hz vertical blank paces 45 to 61 frames a second" rate_within 45 61
  expect "... no frame request is posted while one is on its way" grep -q ', 0 with a request waiting$' "$work/fake/log"
  expect "... and the saver releases DirectDraw when it closes" logged_before '^frame kept' '^Release'

  with_fake_ddraw "bits=32,hz=144" 4
  expect "a display that reports 144 Hz, with a blank that returns at once, gets 120 to 168 frames a second" \
    rate_within 120 168

  with_fake_ddraw "bits=32,lock-fails=3" 4
  expect "a frame whose Lock fails ends as any frame, and the animation goes on" \
    bash -c "grep -qx 'Lock 3 failed' '$work/fake/log' && grep -qE '^frames [0-9]{3,} ' '$work/fake/log'"

  fake_winmm=1 with_fake_ddraw "bits=32" 3
  expect "a timer that cannot start ends the timer period it raised, once" \
    test "$(grep '^time.*Period' "$work/fake/log" | tr '\n' ,)" = "timeBeginPeriod 1,timeEndPeriod 1,"
}

# What the saver costs under Wine's own DirectDraw, in a run without tracing
# (reported), and the rate it reaches there, from Wine's timestamped trace of
# the vertical-blank waits in a second run (checked). Xvfb has no vertical
# blank to wait for: Wine returns at once, and the saver's own pacing holds
# the rate near the 60 Hz that Wine reports.
cpu_use() {
  start_screen 24 || { fail "Xvfb for the frame rate"; return; }
  # Xvfb has no GPU: Wine's OpenGL renderer would run on Mesa's software
  # rasteriser, a core's work that is none of the saver's. Its CPU renderer is
  # what Wine uses wherever there is no OpenGL, as 32-bit Wine on most machines.
  wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d no3d /f >/dev/null 2>&1
  wine "$scr" /s 2>/dev/null &
  local job=$!
  wait_image 24 >/dev/null
  local pid before after
  pid=$(pgrep -fx '.*aurilo.scr /s' | head -1)
  before=$(cpu_ticks "$pid")
  sleep 10
  after=$(cpu_ticks "$pid")
  xdotool key space
  wait "$job"
  echo "CPU use of the saver under Wine over 10 s: $(cpu_percent "$before" "$after" 10)%"
  WINEDEBUG=-all,+timestamp,+ddraw wine "$scr" /s 2>"$work/ddraw-trace" &
  job=$!
  wait_image 24 >/dev/null
  sleep 5
  xdotool key space
  wait "$job"
  # One line a frame: the interface the saver calls, not the one it forwards to.
  local rate
  rate=$(grep ':ddraw1_WaitForVerticalBlank' "$work/ddraw-trace" | awk '{ split($1, at, ":"); if (!first) first = at[1]; last = at[1]; n++ }
    END { if (last > first) printf "%.0f", (n - 1) / (last - first) }')
  echo "frame rate under Wine's DirectDraw: ${rate:-none} a second"
  expect "the saver paces itself to 50-70 frames a second where the vertical blank returns at once" \
    test "${rate:-0}" -ge 50 -a "${rate:-0}" -le 70
  wine reg delete 'HKCU\Software\Wine\Direct3D' /v renderer /f >/dev/null 2>&1
}

all_scenarios() {
  full_screen_at_depth 8 layout
  full_screen_at_depth 16 16
  full_screen_at_depth 24 24
  input_rules
  command_line_rows
  preview
  fake_displays
  cpu_use
}

shift 2
# A scenario is a function with its arguments, such as "full_screen_at_depth 24 24".
for scenario in "${@:-all_scenarios}"; do
  # shellcheck disable=SC2086
  $scenario
done
finish_checks
