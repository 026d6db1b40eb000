# Shared by the Wine suites: a private prefix and Xvfb screens, the launcher
# in the background, and the pass/fail count. Source it after setting
# windows (the Windows build folder).
# shellcheck source=../../scripts/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"
launcher=$windows/tests/saver-launcher.exe
work=$(mktemp -d /tmp/aurilo-wine-test.XXXXXX)
use_wine_prefix "$work/prefix"
cleanup() {
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

start_screen() { # depth
  # Every scenario can run first: the prefix is made once, and finished.
  [ -d "$WINEPREFIX" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  start_xvfb -screen 0 1024x768x"$1" -br && return 0
  echo "Xvfb at depth $1 did not start" >&2
  return 1
}

capture() { # file.ppm
  xwd -root -silent | convert xwd:- -depth 8 ppm:"$1"
}

# The launcher runs in the background; its lines land in $work/out.
start_saver() { # launcher arguments
  : >"$work/out"
  wine "$launcher" "$@" 2>/dev/null | sed -u 's/\r$//' >"$work/out" &
  saver_job=$!
}

exit_code() { sed -n 's/^exit //p' "$work/out"; }
exited() { [ -n "$(exit_code)" ]; }

wait_exit() { # seconds; prints the exit code, empty when still running
  wait_until "$1" exited
  exit_code
}

finish_saver() { # ends a saver that a test left running
  if [ -z "$(exit_code)" ]; then xdotool key Escape; wait_exit 10 >/dev/null; fi
  wait "$saver_job" 2>/dev/null
}

