# shellcheck shell=bash
# What the scripts and the test suites share: Xvfb screens, the Wine
# environment, the WebAssembly build and the pass/fail tally. Source it.

# Polls a command every tenth of a second until it succeeds; fails once the
# seconds are up. Deadlines, not fixed sleeps, so that a loaded machine passes.
wait_until() { # seconds, then the command
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

stop() { # pid of a job: ends it and waits for it
  [ -n "$1" ] && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null
  return 0
}
# False without a pid, so that a process never found is never gone.
gone() { [ -n "$1" ] && ! kill -0 "$1" 2>/dev/null; }

# The log is emptied here: the job opens it late, and a wait could read the
# last run's lines. $! is the job's.
in_background() { # log, then the command
  local log=$1
  shift
  : >"$log"
  "$@" >"$log" 2>&1 &
}

# The processor time a process has taken so far, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
cpu_percent() { # ticks before, ticks after, seconds between: the share of one core
  echo $((($2 - $1) * 100 / $(getconf CLK_TCK) / $3))
}

# --- Xvfb screens
xvfb_pid=
screen_answers() { xwd -root -silent >/dev/null 2>&1; }
# The server picks a display number nobody uses, and says which.
start_xvfb() { # Xvfb's screen and options
  local number
  number=$(mktemp)
  Xvfb -displayfd 3 "$@" -nolisten tcp 3>"$number" >/dev/null 2>&1 &
  xvfb_pid=$!
  wait_until 30 grep -q '^[0-9]' "$number" || { rm -f "$number"; return 1; }
  export DISPLAY=:$(head -1 "$number")
  rm -f "$number"
  wait_until 30 screen_answers
}
screen_lit() { [ "$(xwd -root -silent | convert xwd:- -format '%[fx:mean>0]' info: 2>/dev/null)" = 1 ]; }
wait_lit() { wait_until 30 screen_lit; } # until something is drawn on the screen

# --- Wine
use_wine_prefix() { # prefix folder: quiet, without the .NET and HTML engines
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# Some kernels run no 32-bit code at all: execve of an i386 program fails with
# ENOEXEC. Asked without any package (Wine's i386 loader is missing until
# wine32 is in): a 91-byte static i386 program, an ELF header, one loadable
# segment and exit(0), is written and run. A temporary folder mounted noexec
# answers no, which costs only the 32-bit run of the shipped file.
write_32_bit_exit_0() { # file
  printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0%b%b%b%b' \
    '\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0' \
    '\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10' \
    '\133\0\0\0\133\0\0\0\5\0\0\0\0\20\0\0' \
    '\61\333\61\300\100\315\200' >"$1" && chmod +x "$1"
}
runs_32_bit_code() {
  local program status=0
  program=$(mktemp) || return 1
  write_32_bit_exit_0 "$program" && "$program" 2>/dev/null || status=1
  rm -f "$program"
  return "$status"
}

# Where bootstrap could not install 32-bit Wine (a mirror's i386 index broken,
# say), it leaves this file with apt's words, and everything uses 64-bit Wine
# until it is deleted.
no_32_bit_wine_stamp=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/no-32-bit-wine
# The one answer for bootstrap, scripts/run and scripts/test.
uses_32_bit_wine() { runs_32_bit_code && [ ! -e "$no_32_bit_wine_stamp" ]; }
why_64_bit_wine() {
  if runs_32_bit_code; then
    echo "32-bit Wine could not be installed here ($no_32_bit_wine_stamp says why)"
  else
    echo "this kernel runs no 32-bit code"
  fi
}

use_64_bit_wine() { # 64-bit Wine under the name wine, for the x86-64 test build
  PATH=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64:$PATH
  export PATH
}

# --- builds
configure_and_build() { # build folder, then cmake options (a --target among them builds only that)
  local folder=$1 options=() targets=()
  shift
  while [ $# -gt 0 ]; do
    if [ "$1" = --target ]; then targets+=(--target "$2"); shift 2; else options+=("$1"); shift; fi
  done
  cmake -S . -B "$folder" --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
  cmake --build "$folder" -j"$(nproc)" "${targets[@]}" >/dev/null
}

build_web() { # the engine as WebAssembly: web/aurilo.wasm
  configure_and_build build/web -DCMAKE_TOOLCHAIN_FILE=cmake/wasm32-wasi.cmake
}

# --- the tally of the test scripts: expect runs a command and counts it as
# passed or failed; finish_checks prints the closing line and fails if
# anything did.
passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok: $*"; }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
expect() { # description, then a command that must succeed
  local description=$1
  shift
  if "$@"; then pass "$description"; else fail "$description"; fi
}
finish_checks() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
