#!/usr/bin/env bash
# The Wayland client under headless sway (pixman, which does not smooth), run
# as nobody as sway wants: each output, captured with grim in device pixels,
# equals aurilo-render's frame blown up k x k and centred on black, at output
# scales 1, 2 and 1.5, on two outputs at once, and with -compositor-scaling at
# whole scales; left running it animates and a key ends it with 0 within a
# second; its words for a compositor it cannot reach, cannot use, or loses;
# a new mode that only the output tells of, from a bare compositor.
# With -idle it waits while an idle inhibitor shows, then shows the saver
# when idle, hides it on a key and shows it again. Under headless mutter, in
# a D-Bus session of its own and seen through its ScreenCast over PipeWire:
# the exact frame, and -idle kept away by a session inhibitor, shown when
# idle, hidden by a RemoteDesktop key. -lock where sway has ext-session-lock:
# locked and exact, a second locker refused, a wrong password kept out and
# the right one (not ASCII, through PAM's pam_matrix) let in, a locker killed
# leaving the session locked and another one taking over. It reports the client's
# CPU while it waits, and on a 3840x2160 output, x4 and x1. Every process
# it starts is ended by its id; no runtime folder stays behind.
#   wayland_test.sh NATIVE-BUILD [SANITIZE-BUILD]
# With the sanitizer build, sway's idle cycle runs it: LeakSanitizer sees what
# hiding the saver leaves behind.
set -u
build=$(realpath "$1")
client=$build/wayland/aurilo-wayland
sanitized=${2:+$(realpath "$2")/wayland/aurilo-wayland}
render=$build/tools/aurilo-render
compare=$build/tests/compare-xwd
bare=$build/tests/bare-compositor
work=$(mktemp -d /tmp/aurilo-wayland.XXXXXX)
chmod 755 "$work"
runtime=$work/runtime
sway_pid='' client_pid='' bare_pid='' inhibitor_pid='' sway_debug='' wallpaper_pid='' labwc_pid='' desktop_pid=''
pam_file_put=''
# pam_wrapper makes /tmp/pam.XXXXXX in each process that loads it; one killed leaves it behind.
pam_folders_before=$(find /tmp -maxdepth 1 -name 'pam.*' -user "$(id -u)" | sort)
gnome_pids=() # the bus, PipeWire, WirePlumber, mutter and the session manager's stand-in
# shellcheck source=../../scripts/lib.sh
source "$(dirname "$0")/../../scripts/lib.sh"
cleanup() {
  stop "$client_pid"
  stop "$wallpaper_pid"
  stop "$desktop_pid"
  stop "$labwc_pid"
  stop "$inhibitor_pid"
  stop "$bare_pid"
  stop "$sway_pid"
  stop_gnome
  [ -z "$pam_file_put" ] || rm -f "$pam_file_put"
  rm -rf "$work"
  comm -13 <(echo "$pam_folders_before") <(find /tmp -maxdepth 1 -name 'pam.*' -user "$(id -u)" | sort) | xargs -r rm -rf
}
trap cleanup EXIT

# sway refuses to run as root: as root it runs as nobody, in a runtime folder
# nobody owns. The client, grim and wtype connect as whoever runs this.
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
mkdir -p "$work/home"
[ ${#as_user[@]} -gt 0 ] && chown nobody:nogroup "$work/home"

stop_gnome() {
  local pid
  for ((pid = ${#gnome_pids[@]} - 1; pid >= 0; pid--)); do stop "${gnome_pids[pid]}"; done
  gnome_pids=()
}
compositor_answers() { swaymsg -t get_version >/dev/null 2>&1; }
# sway 1.8 and later can unplug a headless output and lock the session.
sway_version=$(sway --version | awk '{ print $3 }')
sway_from_1_8() { [ "$(echo "$sway_version" | awk -F. '{ print $1 * 100 + $2 }')" -ge 108 ]; }
start_sway() { # number of outputs, then lines of its configuration
  stop "$sway_pid"
  rm -rf "$runtime"
  mkdir -m 700 "$runtime"
  [ ${#as_user[@]} -gt 0 ] && chown nobody:nogroup "$runtime"
  printf '%s\n' "xwayland disable" "${@:2}" >"$work/sway.config"
  in_background "$work/sway.log" "${as_user[@]}" env -i HOME="$work/home" XDG_RUNTIME_DIR="$runtime" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 WLR_HEADLESS_OUTPUTS="$1" \
    sway $sway_debug -c "$work/sway.config"
  sway_pid=$!
  export XDG_RUNTIME_DIR=$runtime
  if wait_until 30 compgen -G "$runtime/sway-ipc.*.sock" >/dev/null; then
    SWAYSOCK=$(compgen -G "$runtime/sway-ipc.*.sock")
    WAYLAND_DISPLAY=$(basename "$(compgen -G "$runtime/wayland-[0-9]")")
    export SWAYSOCK WAYLAND_DISPLAY
    wait_until 30 compositor_answers && return 0
  fi
  fail "sway with $1 output(s) did not start: $(tail -1 "$work/sway.log")"
  return 1
}

ticks=0,16,33,1017,5000,12345
frame=$work/frame.raw
# grim's RGB becomes a 24-bit XWD: the renderer's 24-bit frame, value for value.
"$render" --format 24 --ticks "$ticks" --raw "$frame"

start_client() { # options
  stop "$client_pid"
  in_background "$work/client.err" "$client" "$@"
  client_pid=$!
}
# labwc draws its own cursor over every client, near the top left corner: blanked there.
cursor_corner=()
capture() { # output, XWD file
  grim -o "$1" -t ppm - 2>/dev/null | convert ppm:- "${cursor_corner[@]}" xwd:"$2"
}
shows_the_frame() { # description, output, placement X Y W H
  capture "$2" "$work/capture.xwd"
  expect "$1" "$compare" "$work/capture.xwd" "$frame" 3 "${@:3}"
}

echo "-- exact on every output"
exact() { # description, mode, scale, placement X Y W H, then client options
  start_sway 1 "output HEADLESS-1 mode $2 scale $3" || return
  start_client -ticks "$ticks" "${@:8}"
  wait_until 30 grep -q "drew 6 frames" "$work/client.err"
  shows_the_frame "$1" HEADLESS-1 "$4" "$5" "$6" "$7"
  stop "$client_pid"
}
exact "1920x1080 at scale 1: x2 at 320,60" 1920x1080 1 320 60 1280 960
exact "3840x2160 at scale 2: x4 at 640,120" 3840x2160 2 640 120 2560 1920
exact "2880x1620 at scale 1.5: x3 at 480,90" 2880x1620 1.5 480 90 1920 1440
exact "1920x1200 at scale 1.5: x2, 853.33 logical pixels wide" 1920x1200 1.5 320 120 1280 960
exact "-scale 1 on 1920x1080: the original 640x480 at 640,300" 1920x1080 1 640 300 640 480 -scale 1
exact "-compositor-scaling at scale 1: x2" 1920x1080 1 320 60 1280 960 -compositor-scaling
exact "-compositor-scaling at scale 2: x4" 3840x2160 2 640 120 2560 1920 -compositor-scaling

# When the client says it drew: how many surfaces asked for frame callbacks
# (the image surfaces), and how many still wait for the last one they asked.
surfaces_waiting_when_drew() { # WAYLAND_DEBUG=client log
  awk 'function id(text, type) { sub(".*" type "[@#]", "", text); sub(/[^0-9].*/, "", text); return text }
    /drew 6 frames/ { exit }
    /\.frame\(new id wl_callback/ { surface = id($0, "wl_surface"); of[id($0, "wl_callback")] = surface; waiting[surface] = 1 }
    / wl_callback[@#][0-9]+\.done\(/ { callback = id($0, "wl_callback"); if (callback in of) waiting[of[callback]] = 0 }
    END { for (surface in waiting) { surfaces++; still += waiting[surface] }; print surfaces + 0 " " still + 0 }' "$1"
}
# HEADLESS-2 at 5 Hz: its frame callbacks come apart from HEADLESS-1's.
if start_sway 2 "output HEADLESS-1 mode 1920x1080 scale 1" "output HEADLESS-2 mode --custom 2880x1620@5Hz scale 1.5"; then
  WAYLAND_DEBUG=client start_client -ticks "$ticks"
  # It says so once the compositor has shown the frame on both outputs: after
  # a frame callback of each image surface.
  expect "two outputs at once: it says it drew the frames" wait_until 30 grep -q "drew 6 frames" "$work/client.err"
  expect "... once both image surfaces had their last frame callback" test "$(surfaces_waiting_when_drew "$work/client.err")" = "2 0"
  shows_the_frame "... HEADLESS-1 x2" HEADLESS-1 320 60 1280 960
  shows_the_frame "... and HEADLESS-2 x3" HEADLESS-2 480 90 1920 1440
  swaymsg create_output >/dev/null
  output_shows_it() { capture HEADLESS-3 "$work/added.xwd" && "$compare" "$work/added.xwd" "$frame" 3 >/dev/null; }
  expect "an output added while it runs gets the frame too" wait_until 30 output_shows_it
  if sway_from_1_8; then
    swaymsg output HEADLESS-3 unplug >/dev/null
    expect "... and one unplugged takes its view along: the client releases its wl_output" \
      wait_until 10 grep -q -- '-> wl_output[@#][0-9]*\.release()' "$work/client.err"
  fi
  # Three outputs at 60 Hz: an engine frame each would make it three times the rate.
  start_client -fps
  rates_told() { [ "$(grep -c 'frames per second' "$work/client.err")" -ge 3 ]; }
  wait_until 30 rates_told
  rate=$(tail -1 "$work/client.err" | awk '{ print int($2) }')
  expect "live on three outputs the engine draws each frame once: $rate a second (10 to 70)" \
    test "${rate:-0}" -ge 10 -a "${rate:-999}" -le 70
  stop "$client_pid"
fi

echo "-- live"
ended_within_a_second() { # pid
  local tenths
  for tenths in $(seq 10); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
# The exit status of a job that must end within the seconds; 124, and killed, when it does not:
# a broken one may not end on SIGTERM either.
status_within() { # seconds, pid
  if wait_until "$1" gone "$2"; then
    wait "$2"
    return
  fi
  kill -KILL "$2" 2>/dev/null
  wait "$2" 2>/dev/null
  return 124
}
if start_sway 1 "output HEADLESS-1 mode 1920x1080 scale 1"; then
  start_client -fps
  wait_until 30 grep -q 'frames per second' "$work/client.err"
  grim -o HEADLESS-1 -t ppm "$work/first.ppm"
  sleep 0.5
  grim -o HEADLESS-1 -t ppm "$work/second.ppm"
  expect "left running, it animates" bash -c "! cmp -s '$work/first.ppm' '$work/second.ppm'"
  echo "1920x1080 x2: $(tail -1 "$work/client.err")"
  # The seat gains wtype's keyboard only as wtype starts: a key typed at once
  # can come before the client has the keyboard, so wtype waits a little first.
  wtype -s 300 x
  if ended_within_a_second "$client_pid"; then
    wait "$client_pid"
    expect "a key ends it within a second, with 0" test $? -eq 0
  else
    fail "a key ends it within a second"
    stop "$client_pid"
  fi
  client_pid=

  # In an ordinary window (focused, as sway focuses new windows) keys are the
  # program's to ignore: it closes only as windows do.
  start_client -window -ticks "$ticks"
  wait_until 30 grep -q 'drew' "$work/client.err"
  wtype -s 300 x
  sleep 1 # the span within which a key ends the full-screen saver
  expect "-window: a key leaves it open" kill -0 "$client_pid"
  stop "$client_pid"
  client_pid=

  # Shared memory it cannot have (files of 1 MB at most; SIGXFSZ ignored, so
  # that the file grows no further and says so): it ends, and says why.
  in_background "$work/client.err" bash -c "trap '' XFSZ; ulimit -f 1024; exec '$client'"
  client_pid=$!
  status_within 30 "$client_pid"
  expect "no memory for its buffers: exit 1, saying so" bash -c "[ $? -eq 1 ] \
    && grep -qx \"aurilo-wayland: cannot make the shared memory for an output's buffers\" '$work/client.err'"
  client_pid=

  start_client -fps
  wait_until 30 grep -q 'frames per second' "$work/client.err"
  stop "$sway_pid"
  sway_pid=
  status_within 30 "$client_pid"
  expect "a compositor that goes: exit 1, 'lost the connection to the compositor'" \
    bash -c "[ $? -eq 1 ] && grep -qx 'aurilo-wayland: lost the connection to the compositor' '$work/client.err'"
  client_pid=
fi

# The compositor may read an attached buffer until it releases it: no image
# buffer (one of a pool's two; a black background is its pool's only one) is
# attached again before that.
image_buffers_attached_when_free() { # WAYLAND_DEBUG=client log
  awk 'function buffer(text) { sub(/.*wl_buffer[@#]/, "", text); sub(/[^0-9].*/, "", text); return text }
    function pool(text) { sub(/.*wl_shm_pool[@#]/, "", text); sub(/[^0-9].*/, "", text); return text }
    /create_buffer\(new id wl_buffer/ { id = buffer($0); poolOf[id] = pool($0); made[poolOf[id]]++; held[id] = 0; next }
    /-> wl_buffer[@#][0-9]+\.destroy\(\)/ { held[buffer($0)] = 0; next }
    /-> wl_surface[@#][0-9]+\.attach\(wl_buffer/ { id = buffer($0); if (made[poolOf[id]] == 2) { attached++; early += held[id]; held[id] = 1 }; next }
    / wl_buffer[@#][0-9]+\.release\(\)/ { held[buffer($0)] = 0 }
    END { print attached + 0 " image buffers attached, " early + 0 " before their release"; exit !(attached > 10 && early == 0) }' "$1"
}

echo "-- on idle"
# 1920x1080 at scale 1: x2 at 320,60, lit, and the strips around it black.
captured_saver() {
  local strip
  [ "$(convert "$work/idle.ppm" -crop 1280x960+320+60 +repage -format '%[fx:mean>0]' info:)" = 1 ] || return 1
  for strip in 320x1080+0+0 320x1080+1600+0 1280x60+320+0 1280x60+320+1020; do
    [ "$(convert "$work/idle.ppm" -crop "$strip" +repage -format '%[max]' info:)" = 0 ] || return 1
  done
}
grab_sway() { grim -o HEADLESS-1 -t ppm "$1" 2>/dev/null; }
grab=grab_sway
capture_idle() { $grab "$work/idle.ppm"; }
saver_shown() { capture_idle && captured_saver; }
saver_hidden() { capture_idle && ! captured_saver; }
# Counted in the client's WAYLAND_DEBUG log (wl_surface@14 in older libwayland, wl_surface#14 in newer).
surfaces_made() { grep -c 'create_surface(' "$work/client.err"; }
surfaces_destroyed() { grep -c -- '-> wl_surface[@#][0-9]*\.destroy()' "$work/client.err"; }
nothing_shown() { [ "$(surfaces_made)" -eq 0 ] && ! grep -q 'frames per second' "$work/client.err" && saver_hidden; }
animates() { saver_shown && ! cmp -s "$work/first.ppm" "$work/idle.ppm"; }
hidden_and_running() {
  kill -0 "$client_pid" && [ "$(surfaces_made)" -gt 0 ] && [ "$(surfaces_made)" -eq "$(surfaces_destroyed)" ]
}
within_a_second() { # command
  local deadline=$(($(date +%s%N) + 1000000000))
  until "$@"; do
    [ "$(date +%s%N)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
# What both compositors show: -idle 2 makes nothing while ${inhibitor[@]}
# holds (its CPU reported), shows the saver once idle, animating;
# ${type_key[@]} hides it within a second; idle again it shows again. SIGTERM
# ends it later, with 0.
idle_cycle() { # what holds the inhibitor
  in_background "$work/inhibitor.out" "${inhibitor[@]}"
  inhibitor_pid=$!
  wait_until 30 grep -qx inhibiting "$work/inhibitor.out" || fail "$1 did not start: $(tail -1 "$work/inhibitor.out")"
  WAYLAND_DEBUG=client start_client -idle 2 -fps
  sleep 1 # -idle 2 would have shown it five times over in the 10 s
  local before after
  before=$(cpu_ticks "$client_pid")
  sleep 9
  after=$(cpu_ticks "$client_pid")
  expect "while $1 holds, -idle 2 waits: no surface, no frame in 10 s" nothing_shown
  echo "waiting: $(((after - before) * 1000 / $(getconf CLK_TCK))) ms of CPU in 9 s"
  # Input ends the idle time the inhibitor held back: released, it waits for the next.
  "${type_key[@]}"
  stop "$inhibitor_pid"
  inhibitor_pid=
  expect "a key while it held, then the inhibitor gone: nothing for a second" bash -c "sleep 1; [ \$(grep -c 'create_surface(' '$work/client.err') -eq 0 ]"
  expect "idle, it shows the saver full screen" wait_until 30 saver_shown
  cp "$work/idle.ppm" "$work/first.ppm"
  sleep 0.5
  expect "... and it animates" animates
  "${type_key[@]}"
  expect "a key hides it within a second" within_a_second saver_hidden
  expect "... it keeps running, and every surface it made is destroyed" hidden_and_running
  expect "idle again, it shows again" wait_until 30 saver_shown
}
ended_by_sigterm() {
  kill "$client_pid"
  status_within 30 "$client_pid"
  local status=$?
  client_pid=
  return "$status"
}
if start_sway 1 "output HEADLESS-1 mode 1920x1080 scale 1"; then
  inhibitor=("$build/tests/idle-inhibitor")
  type_key=(wtype -s 300 x)
  client=${sanitized:-$client}
  idle_cycle "an idle inhibitor's window"
  expect "SIGTERM ends it with 0${sanitized:+, and the sanitizer build found no leak}" ended_by_sigterm
  client=$build/wayland/aurilo-wayland
  outputs_bound=$(grep -c '\.bind([0-9]*, "wl_output"' "$work/client.err")
  outputs_released=$(grep -c -- '-> wl_output[@#][0-9]*\.release()' "$work/client.err")
  expect "... having released the $outputs_bound output it bound" \
    test "$outputs_bound" -eq 1 -a "$outputs_released" -eq "$outputs_bound"
  expect "... and attached no image buffer the compositor still held" image_buffers_attached_when_free "$work/client.err"
  stop "$sway_pid"
  sway_pid=
fi

echo "-- the wallpaper"
cpu_ms_in() { # seconds, pid: milliseconds of CPU it takes in that time
  local before after
  before=$(cpu_ticks "$2")
  sleep "$1"
  after=$(cpu_ticks "$2")
  echo $(((after - before) * 1000 / $(getconf CLK_TCK)))
}
if start_sway 1 "output HEADLESS-1 mode 1920x1080 scale 1"; then
  WAYLAND_DEBUG=client start_client -background -ticks "$ticks"
  wait_until 30 grep -q "drew 6 frames" "$work/client.err"
  shows_the_frame "-background: the frame x2, exact" HEADLESS-1 320 60 1280 960
  asked_as_a_wallpaper() { # in the client's requests: layer 0 is the background, anchor 15 all four edges
    local log=$work/client.err
    grep -q 'get_layer_surface(.*, 0, "aurilo")' "$log" && grep -q 'set_anchor(15)' "$log" \
      && grep -q 'set_exclusive_zone(-1)' "$log" && grep -q 'set_keyboard_interactivity(0)' "$log" \
      && [ "$(grep -c 'set_input_region(wl_region' "$log")" -eq 2 ] && ! grep -q 'wl_region[@#][0-9]*\.add(' "$log"
  }
  expect "... asked for: the background layer as 'aurilo', all four anchors, zone -1, no keyboard, empty input regions" \
    asked_as_a_wallpaper
  wtype -s 300 x
  sleep 1
  expect "... a key leaves it running" kill -0 "$client_pid"
  in_background "$work/inhibitor.out" "$build/tests/idle-inhibitor" # an ordinary window
  inhibitor_pid=$!
  hidden_by_window() {
    capture HEADLESS-1 "$work/capture.xwd" && ! "$compare" "$work/capture.xwd" "$frame" 3 320 60 1280 960 >/dev/null
  }
  expect "... and under an ordinary window, which hides it" wait_until 10 hidden_by_window
  stop "$inhibitor_pid"
  inhibitor_pid=
  stop "$client_pid"
  in_background "$work/wallpaper.err" "$client" -background
  wallpaper_pid=$!
  start_client -ticks "$ticks" # full screen above it
  wait_until 30 grep -q "drew 6 frames" "$work/client.err"
  covered=$(cpu_ms_in 5 "$wallpaper_pid")
  wtype -s 300 x
  status_within 10 "$client_pid"
  expect "... a key goes to the full-screen window above it, which ends with 0" test $? -eq 0
  client_pid=
  uncovered=$(cpu_ms_in 5 "$wallpaper_pid")
  echo "the wallpaper's CPU: covered by a full-screen window $covered ms in 5 s, uncovered $uncovered ms"
  grim -o HEADLESS-1 -t ppm "$work/first.ppm"
  sleep 0.5
  grim -o HEADLESS-1 -t ppm "$work/second.ppm"
  expect "... uncovered, it animates" bash -c "! cmp -s '$work/first.ppm' '$work/second.ppm'"
  swaymsg create_output >/dev/null
  lit_on_second() { [ "$(grim -o HEADLESS-2 -t ppm - 2>/dev/null | convert ppm:- -format '%[fx:mean>0]' info:)" = 1 ]; }
  expect "... an output added while it runs gets its surface" wait_until 30 lit_on_second
  stop "$wallpaper_pid"
  wallpaper_pid=
fi

echo "-- the lock"
# pam_wrapper's pam_matrix holds the password of whoever runs this: no real account is needed.
pam_lib=$(dirname "$(dpkg -L libpam-wrapper | grep '/libpam_wrapper\.so$')")
mkdir "$work/pam.d"
# Before each check PAM says words the prompt cannot draw as they are: Latin-1, and a line cut by the pipe.
{ printf 'Zugang f\374r Gro\337 \351\n'; printf '\303\251%.0s' {1..150}; } >"$work/pam-words"
# ... and waits while $work/hold is there, as a fingerprint reader might, saying so.
printf '#!/bin/sh\n[ ! -e %s ] || echo "Touch the reader"\nwhile [ -e %s ]; do sleep 0.1; done\n' "$work/hold" "$work/hold" \
  >"$work/wait-while-held"
# The account's rules shut it while $work/expired is there, saying so.
printf '#!/bin/sh\n[ ! -e %s ] || { echo "account expired"; exit 1; }\n' "$work/expired" >"$work/account-open"
chmod 755 "$work/wait-while-held" "$work/account-open"
# Every password is due for change, which unlocks all the same; setcred's flags are written down.
due=$build/tests/pam_password_due.so
{
  echo "auth optional $due log=$work/setcred"
  echo "auth optional $pam_lib/security/pam_echo.so file=$work/pam-words"
  echo "auth optional $pam_lib/security/pam_exec.so stdout $work/wait-while-held"
  echo "account requisite $pam_lib/security/pam_exec.so stdout $work/account-open"
  echo "account required $due"
  for kind in auth account; do echo "$kind required $pam_lib/pam_wrapper/pam_matrix.so passdb=$work/passdb"; done
} >"$work/pam.d/aurilo-wayland"
cp "$work/pam.d/aurilo-wayland" "$work/pam.d/other" # PAM reads its fallback too; pam_matrix checks the service
# A second factor: after the password, pam_oath asks for a one-time code as a second hidden question.
otp_secret=00112233445566778899
mkdir "$work/pam-otp.d"
{
  echo "auth optional $pam_lib/security/pam_exec.so $work/wait-while-held" # its words not passed on
  echo "auth requisite $pam_lib/pam_wrapper/pam_matrix.so passdb=$work/passdb"
  echo "auth required $pam_lib/security/pam_oath.so usersfile=$work/oath-users window=5 digits=6"
  echo "auth optional $pam_lib/security/pam_exec.so $work/wait-while-held" # and after the code
  echo "account required $pam_lib/pam_wrapper/pam_matrix.so passdb=$work/passdb"
} | tee "$work/pam-otp.d/aurilo-wayland" >"$work/pam-otp.d/other"
with_otp=(env PAM_WRAPPER=1 PAM_WRAPPER_SERVICE_DIR="$work/pam-otp.d" LD_PRELOAD="$pam_lib/libpam_wrapper.so")
password='pässwördé'
echo "$(id -un):$password:aurilo-wayland" >"$work/passdb"
with_pam=(env PAM_WRAPPER=1 PAM_WRAPPER_SERVICE_DIR="$work/pam.d" LD_PRELOAD="$pam_lib/libpam_wrapper.so")
# -lock wants PAM's real file for its service before it locks: put there as the .deb puts it, for this run.
if [ ! -e /etc/pam.d/aurilo-wayland ] && [ ! -e /usr/lib/pam.d/aurilo-wayland ]; then
  timeout 30 "${with_pam[@]}" "$client" -lock 2>"$work/err"
  expect "-lock without PAM's file for it: exit 1, one line naming it" bash -c "[ $? -eq 1 ] \
    && [ \$(wc -l <'$work/err') -eq 1 ] && grep -q 'PAM has no file for aurilo-wayland in /etc/pam.d' '$work/err'"
  install -m 644 "$(dirname "$0")/../../wayland/aurilo-wayland.pam" /etc/pam.d/aurilo-wayland \
    && pam_file_put=/etc/pam.d/aurilo-wayland
else
  echo "PAM's file for aurilo-wayland is installed here: its absence is not tried"
fi
locker() { # options
  stop "$client_pid"
  in_background "$work/client.err" "${with_pam[@]}" "$client" -lock "$@"
  client_pid=$!
}
# wtype needs a UTF-8 locale for the ä and ö, and its pause, or the first key is lost.
type_line() { LANG=C.UTF-8 wtype -s 100 "$1" -k Return; }
# What the session shows, told from a capture of its middle and of the whole: the compositors log the lock differently or not at all.
looks() { # what: desktop (swaybg's green), red or black (all of it: a lock whose locker is gone)
  local test
  case $1 in
    desktop) test='p{960,540}.g > 0.3 && p{960,540}.r < 0.2 && p{960,540}.b < 0.2' ;;
    red) test='minima.r == 1 && maxima.g == 0 && maxima.b == 0' ;;
    black) test='maxima.r == 0 && maxima.g == 0 && maxima.b == 0' ;;
  esac
  grim -o HEADLESS-1 -t ppm - 2>/dev/null | convert ppm:- "${cursor_corner[@]}" "$work/look.ppm" || return 2
  [ "$(convert "$work/look.ppm" -format "%[fx:$test]" info:)" = 1 ]
}
# Only a capture taken and unlike it: a failed capture (2) proves nothing.
looks_not() {
  looks "$1"
  [ $? -eq 1 ]
}
# No core file, and its memory closed to a process with the same rights, which can read a dumpable one's.
kept_from_dumps() { # pid of a process run with "${fewer_rights[@]}"
  local dumpable kept
  "${fewer_rights[@]}" sleep 10 &
  dumpable=$!
  grep -q '^Max core file size *0 *0 ' "/proc/$1/limits" && "${fewer_rights[@]}" dd if="/proc/$dumpable/mem" count=0 status=none \
    && ! "${fewer_rights[@]}" dd if="/proc/$1/mem" count=0 status=none 2>/dev/null
  kept=$?
  stop "$dumpable"
  return "$kept"
}
at_least_locked() { # pid, kB
  awk -v kB="$2" '/^VmLck:/ { found = $2 >= kB } END { exit !found }' "/proc/$1/status"
}
locked_in_ram() { # the locker's pid: the password's page; in its checking child, PAM's answer's too
  local child
  child=$(pgrep -P "$1") && at_least_locked "$1" 4 && at_least_locked "$child" 8
}
refusals() { [ "$(grep -c 'the password was refused' "$work/client.err")" -eq "$1" ]; }
ended_and_looks() { # status, the status expected, what the session then looks like
  [ "$1" -eq "$2" ] && wait_until 10 looks "$3"
}
# The prompt's two lines, read by OCR from its box at the middle of a 1920x1080 capture.
prompt_words() { convert "$1" -crop 300x76+810+502 -channel G -separate -negate pgm:- | tesseract - - --psm 6 2>/dev/null; }
pixel_at() { # XWD file, X, Y: R,G,B from 0 to 255
  convert "$1" -format "%[fx:round(255*p{$2,$3}.r)],%[fx:round(255*p{$2,$3}.g)],%[fx:round(255*p{$2,$3}.b)]" info:
}
prompt_says() { # XWD file, the two lines (patterns)
  local words
  words=$(prompt_words "$1")
  # shellcheck disable=SC2053
  [[ $words == $2$'\n'$3 ]] || { echo "the prompt reads: ${words//$'\n'/ | }"; return 1; }
}
frame_shows() {
  capture HEADLESS-1 "$work/capture.xwd" && "$compare" "$work/capture.xwd" "$frame" 3 320 60 1280 960 >/dev/null
}
# The whole sequence, on a compositor already started on one 1920x1080 output.
lock_sequence() { # the compositor's name, the colour of a session whose locker is gone
  local on=$1 gone=$2
  echo "HOTP $(id -un) - $otp_secret" >"$work/oath-users" # its counter from 0 again
  in_background "$work/desktop.log" swaybg -c '#00ff00'
  desktop_pid=$!
  wait_until 10 looks desktop
  locker -ticks "$ticks"
  wait_until 30 grep -q "drew 6 frames" "$work/client.err"
  shows_the_frame "$on: -lock locks, and the lock surface shows the frame x2, exact" HEADLESS-1 320 60 1280 960
  expect "... the password's memory locked in RAM: its page in the locker, the password's and PAM's answer's in its checking child" \
    locked_in_ram "$client_pid"
  if [ "${on%% *}" = sway ]; then
    swaymsg create_output >/dev/null
    sleep 1
    shows_the_frame "... an output added while locked shows the frame too" HEADLESS-2 320 60 1280 960
    swaymsg output HEADLESS-2 unplug >/dev/null
  fi
  timeout 30 "${with_pam[@]}" "$client" -lock 2>"$work/err"
  expect "a second locker: exit 1, one line, the first one holds" bash -c "[ $? -eq 1 ] && [ \$(wc -l <'$work/err') -eq 1 ] \
    && grep -qx 'aurilo-wayland: the compositor would not lock the session: another locker may hold it' '$work/err' \
    && kill -0 $client_pid"
  timeout 30 "${with_pam[@]}" "$client" -lock -daemonize 2>"$work/err2"
  expect "... with -daemonize: exit 1 and the same one line" bash -c "[ $? -eq 1 ] && cmp -s '$work/err' '$work/err2'"
  # Return held past the refusal: a key held before a check repeats no more after it.
  LANG=C.UTF-8 wtype -s 100 "passwörd" -P Return -s 2000 -p Return
  expect "a wrong password, Return held 2 s: refused once, still locked, PAM's words shown" bash -c "kill -0 $client_pid \
    && [ \$(grep -c 'the password was refused' '$work/client.err') -eq 1 ] && ! grep -q 'cannot draw' '$work/client.err'"
  expect "... the desktop unseen" looks_not desktop
  touch "$work/expired"
  type_line "$password"
  expect "the right password, the account's rules shutting it: refused, still locked" wait_until 10 refusals 2
  expect "... the desktop unseen" looks_not desktop
  rm "$work/expired"
  mv "$work/passdb" "$work/passdb.away"
  type_line "$password"
  expect "the right password, PAM's password file gone: refused, still locked" wait_until 10 refusals 3
  mv "$work/passdb.away" "$work/passdb"
  touch "$work/hold"
  type_line "held"
  sleep 1
  capture HEADLESS-1 "$work/checking.xwd"
  sleep 10
  capture HEADLESS-1 "$work/still-checking.xwd"
  expect "a check out for 10 s says so on the prompt" bash -c "! cmp -s '$work/checking.xwd' '$work/still-checking.xwd'"
  expect "... at first in PAM's words, not 'checking', under the count the check wiped" \
    prompt_says "$work/checking.xwd" "Password: 0 characters" "Touch the reader"
  expect "... then 'still checking: Escape cancels'" \
    prompt_says "$work/still-checking.xwd" "Password: 0 characters" "still checking: Escape cancels"
  wtype -s 100 -k Escape
  expect "Escape cancels a check that does not answer, at once (within 2 s)" \
    wait_until 2 grep -q 'the password check was cancelled' "$work/client.err"
  expect "... its checking process ended and reaped: no zombie left" bash -c "! ps -o stat= --ppid $client_pid | grep -q Z"
  type_line "wrong"
  type_line "$password"
  rm "$work/hold"
  expect "... the password typed first is checked and refused" wait_until 10 refusals 4
  sleep 2
  expect "keys typed while a check is out are no second password: the first refused, still locked" kill -0 "$client_pid"
  # What was typed goes when the prompt hides after 10 s.
  typed_xx() { LANG=C.UTF-8 wtype -s 100 "xx" && sleep 0.5 && capture HEADLESS-1 "$work/$1"; }
  typed_xx typing.xwd
  sleep 12 # the prompt hides 10 s after the last key: 2 s for a loaded machine
  shows_the_frame "... the prompt gone 10 s after the last key, the image is exact again" HEADLESS-1 320 60 1280 960
  typed_xx typing-later.xwd
  expect "... typed again long after the check, the prompt says typing as before" cmp -s "$work/typing.xwd" "$work/typing-later.xwd"
  expect "... 'Password: 2 characters' and 'typing'" prompt_says "$work/typing.xwd" "Password: 2 characters" typing
  expect "... in its box's colours: the border (0.55, 0.8, 0.75), the fill (0.08, 0.1, 0.14)" \
    test "$(pixel_at "$work/typing.xwd" 810 540) $(pixel_at "$work/typing.xwd" 812 540)" = "140,204,191 20,25,35"
  # At 25 a second after 600 ms, a second's hold deletes some 11; none once let go.
  LANG=C.UTF-8 wtype -s 100 "$(printf 'z%.0s' {1..40})" -P BackSpace -s 1000 -p BackSpace -s 1500 && capture HEADLESS-1 "$work/let-go.xwd"
  expect "... 40 z's, then Backspace held a second and let go: some of them left" \
    prompt_says "$work/let-go.xwd" "Password: [1-3][0-9] characters" typing
  LANG=C.UTF-8 wtype -s 100 "yy" -M ctrl u -m ctrl && sleep 0.5 && capture HEADLESS-1 "$work/cleared.xwd"
  expect "... yy, then Ctrl+U: no character" prompt_says "$work/cleared.xwd" "Password: 0 characters" typing
  # Backspace held deletes the z's at the compositor's repeat rate, and only they come before the password; the é comes through the dead key.
  LANG=C.UTF-8 wtype -s 100 "zzzzzzzzzzzz" -P BackSpace -s 2000 -p BackSpace "pässwörd" -k dead_acute -k e -k Return
  status_within 10 "$client_pid"
  expect "the right one, with ä, ö and a dead key's é, after 12 z's and Backspace held, after keys the prompt dropped as it hid, by a new checking child: exit 0, unlocked" \
    ended_and_looks $? 0 desktop
  expect "... the password due for change, and PAM's credentials refreshed" test "$(sort -u "$work/setcred")" = 0x10
  expect "... no password on stderr" bash -c "! grep -q 'sswörd' '$work/client.err'"
  client_pid=
  locker -ticks "$ticks"
  wait_until 30 grep -q "drew 6 frames" "$work/client.err"
  kill "$client_pid"
  status_within 10 "$client_pid"
  expect "SIGTERM: exit 1, and the session stays locked, $gone" ended_and_looks $? 1 "$gone"
  locker -ticks "$ticks"
  expect "another locker takes it over, showing the frame x2, exact" wait_until 30 frame_shows
  kill -KILL "$(pgrep -P "$client_pid")"
  status_within 10 "$client_pid"
  expect "... its checking child killed: exit 1" test "$?" -eq 1
  expect "... saying so" grep -qx "aurilo-wayland: the password check's process ended" "$work/client.err"
  expect "... and the session stays locked, $gone" wait_until 10 looks "$gone"
  locker -ticks "$ticks"
  expect "another locker takes it over again" wait_until 30 frame_shows
  checker_pid=$(pgrep -P "$client_pid")
  kill -KILL "$client_pid"
  wait "$client_pid" 2>/dev/null
  client_pid=
  expect "... killed: still locked, $gone" wait_until 10 looks "$gone"
  expect "... and its checking child, its line closed, ends" wait_until 5 gone "$checker_pid"
  # A new checking child that cannot lock its memory: root's rights to lock any amount and to read any
  # process's memory dropped, then the limit.
  fewer_rights=()
  [ "$(id -u)" -ne 0 ] || fewer_rights=(setpriv "--bounding-set=-ipc_lock,-sys_ptrace")
  in_background "$work/client.err" "${fewer_rights[@]}" "${with_pam[@]}" "$client" -lock -ticks "$ticks"
  client_pid=$!
  expect "a third locker takes it over" wait_until 30 frame_shows
  expect "... kept from core files, and its memory from a process with the same rights" kept_from_dumps "$client_pid"
  touch "$work/hold"
  type_line "held"
  prlimit --pid "$client_pid" --memlock=0:0
  wtype -s 100 -k Escape
  status_within 10 "$client_pid"
  expect "... a check cancelled when the new checking child cannot lock its memory: exit 1, saying why" bash -c "[ $? -eq 1 ] \
    && grep -qx \"aurilo-wayland: cannot start a new password check's process: PAM cannot check passwords for service aurilo-wayland: cannot lock the password's memory in RAM\" '$work/client.err'"
  rm "$work/hold"
  client_pid=
  # Its stderr's reader gone: the refusal's line must not end the lock with SIGPIPE.
  timeout 30 "${with_otp[@]}" "$client" -lock -daemonize -ticks "$ticks" 2>&1 | true
  first_status=${PIPESTATUS[0]}
  expect "-daemonize: another locker takes over, and the first process ends with 0 once locked" test "$first_status" -eq 0
  expect "... showing the frame x2, exact" wait_until 10 frame_shows
  # The wrong one longer than the right one: what it leaves in the checking child's page must not count.
  touch "$work/hold"
  LANG=C.UTF-8 wtype -s 300 "zz" -k Escape "yyyyyyyyyyyyyyyy" -k Return
  sleep 1
  capture HEADLESS-1 "$work/checking-quietly.xwd"
  rm "$work/hold"
  sleep 2
  capture HEADLESS-1 "$work/wrong.xwd"
  LANG=C.UTF-8 wtype -s 300 "$password" -k Return
  sleep 12 # a question is no slow check
  capture HEADLESS-1 "$work/asked.xwd"
  touch "$work/hold"
  LANG=C.UTF-8 wtype -s 300 "$(oathtool --hotp "$otp_secret")" -k Return "zz"
  capture HEADLESS-1 "$work/answered.xwd"
  rm "$work/hold"
  expect "... with stderr's reader gone, a wrong password, then the right one after Escape and the one-time code PAM asked for unlock it" \
    wait_until 10 looks desktop
  expect "... keys typed while the code's check is out dropped" prompt_says "$work/answered.xwd" "Password: 0 characters" checking
  expect "... the prompt saying 'checking' while PAM says nothing" \
    prompt_says "$work/checking-quietly.xwd" "Password: 0 characters" checking
  expect "... then 'wrong'" prompt_says "$work/wrong.xwd" "Password: 0 characters" wrong
  expect "... and asking in PAM's words, still after 10 s" prompt_says "$work/asked.xwd" "Password: 0 characters" "One-time password (OATH) for *$(id -un)*"
  stop "$desktop_pid"
  desktop_pid=
}
# labwc as nobody, headless, its first output made 1920x1080; it says it is ready with a file.
start_labwc() {
  rm -rf "$runtime"
  mkdir -m 700 "$runtime"
  [ ${#as_user[@]} -gt 0 ] && chown nobody:nogroup "$runtime"
  in_background "$work/labwc.log" "${as_user[@]}" env -i HOME="$work/home" XDG_RUNTIME_DIR="$runtime" \
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 labwc -V -s "touch $runtime/ready"
  labwc_pid=$!
  export XDG_RUNTIME_DIR=$runtime
  if wait_until 30 test -e "$runtime/ready"; then
    WAYLAND_DISPLAY=$(basename "$(compgen -G "$runtime/wayland-[0-9]")")
    export WAYLAND_DISPLAY
    wlr-randr --output HEADLESS-1 --custom-mode 1920x1080 && return 0
  fi
  fail "labwc did not start: $(tail -1 "$work/labwc.log")"
  return 1
}
if ! sway_from_1_8; then
  echo "sway $sway_version has no ext-session-lock-v1 and cannot unplug an output: the lock sequence and the unplugged output run under sway 1.10, in CI's Debian 13 root"
elif start_sway 1 "output HEADLESS-1 mode 1920x1080 scale 1"; then
  lock_sequence "sway $sway_version" red
  if [ -n "$sanitized" ]; then # pam_wrapper, preloaded ahead of the sanitizer's runtime, must not load PAM with RTLD_DEEPBIND
    echo "leak:libfontconfig.so" >"$work/leaks-not-ours" # cairo's fonts, cached for the life of the process
    in_background "$work/client.err" "${with_pam[@]}" ASAN_OPTIONS=verify_asan_link_order=0 PAM_WRAPPER_DISABLE_DEEPBIND=1 \
      LSAN_OPTIONS=suppressions="$work/leaks-not-ours" "$sanitized" -lock -ticks "$ticks"
    client_pid=$!
    wait_until 60 grep -q "drew 6 frames" "$work/client.err" && type_line wrong && wait_until 10 refusals 1 && type_line "$password"
    status_within 30 "$client_pid"
    expect "the sanitizer build's lock, each key through a new keymap: a wrong password, the right one, exit 0 and no leak" test $? -eq 0
    client_pid=
  fi
  stop "$sway_pid"
  sway_pid=
fi
if ! command -v labwc >/dev/null; then
  echo "no labwc in this release: the lock and the wallpaper run under labwc in CI's Debian 13 root"
elif start_labwc; then
  cursor_corner=(-fill black -draw 'rectangle 0,0 191,191')
  lock_sequence "labwc $(labwc --version | awk '{ print $2 }')" black
  start_client -background -ticks "$ticks"
  wait_until 30 grep -q "drew 6 frames" "$work/client.err"
  shows_the_frame "labwc: -background shows the frame x2, exact" HEADLESS-1 320 60 1280 960
  stop "$client_pid"
  client_pid=
  stop "$labwc_pid"
  labwc_pid=
  cursor_corner=()
fi

echo "-- GNOME: headless mutter"
remote=(/usr/bin/python3 "$(cd "$(dirname "$0")" && pwd)/mutter_remote.py")
grab_mutter() { "${remote[@]}" capture Meta-0 "$1"; }
gnome_job() { # log name, then the command: in the session, its pid kept
  in_background "$work/$1.log" env HOME="$work/home" "${@:2}"
  gnome_pids+=($!)
}
start_gnome() {
  rm -rf "$runtime"
  mkdir -m 700 "$runtime"
  export XDG_RUNTIME_DIR=$runtime DBUS_SESSION_BUS_ADDRESS=unix:path=$runtime/bus
  unset WAYLAND_DISPLAY SWAYSOCK
  gnome_job bus dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS"
  wait_until 30 test -S "$runtime/bus" || { fail "the session bus did not start: $(tail -1 "$work/bus.log")"; return 1; }
  gnome_job pipewire pipewire
  # WirePlumber gives up when PipeWire is not there yet.
  wait_until 30 test -S "$runtime/pipewire-0" || { fail "PipeWire did not start: $(tail -1 "$work/pipewire.log")"; return 1; }
  gnome_job wireplumber wireplumber
  gnome_job mutter mutter --headless --wayland --no-x11 --virtual-monitor 1920x1080 --virtual-monitor 1280x720
  gnome_job session-manager "${remote[@]}" session-manager
  if wait_until 30 compgen -G "$runtime/wayland-[0-9]" >/dev/null && wait_until 30 grep -qx serving "$work/session-manager.log"; then
    WAYLAND_DISPLAY=$(basename "$(compgen -G "$runtime/wayland-[0-9]")")
    export WAYLAND_DISPLAY
    "${remote[@]}" pointer </dev/null # into the corner
    return 0
  fi
  fail "headless mutter did not start: $(tail -1 "$work/mutter.log")"
  return 1
}
if start_gnome; then
  start_client -ticks "$ticks"
  wait_until 30 grep -q "drew 6 frames" "$work/client.err"
  # mutter may say a frame is done before the window is on the monitor: once shown, the frame stays.
  gnome_shows_frame() {
    grab_mutter "$work/gnome.ppm" && convert "$work/gnome.ppm" xwd:"$work/capture.xwd" \
      && "$compare" "$work/capture.xwd" "$frame" 3 320 60 1280 960 >"$work/compared"
  }
  expect "1920x1080 through ScreenCast: x2 at 320,60" wait_until 30 gnome_shows_frame
  cat "$work/compared" 2>/dev/null
  stop "$client_pid"
  # The pointer moved through RemoteDesktop, from the top-left corner, once the
  # client shows: Meta-0 has the image at 320,60; Meta-1 lies to its right.
  point_at() { echo "$1" >&"${pointer[1]}" && read -r -t 10 -u "${pointer[0]}" _; }
  after_pointer() { # open or closed, description, points
    start_client -ticks "$ticks"
    wait_until 30 gnome_shows_frame
    coproc pointer { "${remote[@]}" pointer; }
    for point in "${@:3}"; do point_at "$point"; done
    if [ "$1" = open ]; then expect "$2" kill -0 "$client_pid"; else expect "$2" wait_until 2 gone "$client_pid"; fi
    stop "$client_pid"
    exec {pointer[1]}>&-
    wait "$pointer_PID"
  }
  after_pointer open "the pointer 3 pixels across the image: open" 1000,500 1003,500
  after_pointer closed "... 5: closed" 1000,500 1005,500
  after_pointer open "3 across the black: open" 100,500 100,503
  after_pointer closed "... 5: closed" 100,500 100,505
  after_pointer open "3 from the image onto the black above it: open" 1000,61 1000,58
  after_pointer closed "onto the other monitor, at the same place in it: closed" 1,500 1921,500
  "$client" -background 2>"$work/err"
  expect "-background without a layer shell: exit 1, one line naming it" bash -c "[ $? -eq 1 ] \
    && [ \$(wc -l <'$work/err') -eq 1 ] \
    && grep -qx 'aurilo-wayland: -background needs zwlr_layer_shell_v1, which this compositor lacks' '$work/err'"
  grab=grab_mutter
  # Idle longer than -idle before it starts: mutter answers the first watch at once.
  sleep 3
  start_client -idle 2
  expect "started in a session idle for 3 s, -idle 2 shows the saver" wait_until 10 saver_shown
  stop "$client_pid"
  inhibitor=("${remote[@]}" inhibit)
  type_key=("${remote[@]}" key)
  idle_cycle "a session inhibitor"
  coproc pointer { "${remote[@]}" pointer; }
  point_at 1000,500
  point_at 1005,500
  expect "... and the pointer 5 pixels across it hides it too" within_a_second saver_hidden
  point_at 600,300 # hidden: travel that no view sees, and from which travel counts anew
  expect "... idle again, it shows under the pointer that moved while hidden" wait_until 30 saver_shown
  # Shown under a still pointer, mutter may say it entered where it never was: travel counts its relative motion.
  point_at 601,300
  sleep 1
  expect "... a pixel's move under it keeps it" saver_shown
  # mutter may give it the pointer only with that first move, whose pixel it then never sees as motion.
  point_at 606,300
  expect "... a 5-pixel move then hides it" within_a_second saver_hidden
  exec {pointer[1]}>&-
  wait "$pointer_PID"
  expect "SIGTERM ends it with 0" ended_by_sigterm
fi
stop_gnome
grab=grab_sway

echo "-- failure words"
WAYLAND_DISPLAY=aurilo-nowhere "$client" 2>"$work/err"
expect "no compositor: exit 1, 'cannot connect to a Wayland compositor'" bash -c \
  "[ $? -eq 1 ] && grep -qx 'aurilo-wayland: cannot connect to a Wayland compositor (WAYLAND_DISPLAY=aurilo-nowhere)' '$work/err'"
env -u XDG_RUNTIME_DIR "$client" 2>"$work/err"
expect "... nor XDG_RUNTIME_DIR: exit 1, one line" bash -c "[ $? -eq 1 ] \
  && [ \"\$(cat '$work/err')\" = 'aurilo-wayland: cannot connect to a Wayland compositor: XDG_RUNTIME_DIR is not set to an absolute path' ]"
(ulimit -n 4 && exec "$client" -lock -daemonize) 2>"$work/err"
expect "-lock -daemonize with one descriptor free: exit 1, 'cannot make a pipe'" bash -c \
  "[ $? -eq 1 ] && grep -qx 'aurilo-wayland: cannot make a pipe for -daemonize' '$work/err'"
# From here on PAM's file is where the distribution's own are, if it is ours to move.
pam_folder=/etc/pam.d
if [ -n "$pam_file_put" ] && [ -d /usr/lib/pam.d ]; then
  mv "$pam_file_put" /usr/lib/pam.d/ && pam_file_put=/usr/lib/pam.d/aurilo-wayland && pam_folder=/usr/lib/pam.d
fi
(ulimit -n 4 && exec "$client" -lock) 2>"$work/err"
expect "... -lock, PAM's file in $pam_folder: exit 1, 'cannot start the password check's process'" bash -c \
  "[ $? -eq 1 ] && grep -qx \"aurilo-wayland: cannot start the password check's process\" '$work/err'"
refusing() { # system calls the kernel refuses (EAGAIN, as when it has no room), then the command
  timeout 10 /usr/bin/python3 -c 'import errno, os, seccomp, sys
refuse = seccomp.SyscallFilter(seccomp.ALLOW)
for call in sys.argv[1].split(","): refuse.add_rule(seccomp.ERRNO(errno.EAGAIN), call)
refuse.load()
os.execv(sys.argv[2], sys.argv[2:])' "$@" </dev/null
}
said_only() { # status, the status expected, the line
  [ "$1" -eq "$2" ] && [ "$(cat "$work/err")" = "aurilo-wayland: $3" ]
}
refusing clone,clone3 "$client" -lock -daemonize 2>"$work/err"
expect "-lock -daemonize, fork refused: exit 1, 'cannot fork'" said_only $? 1 "cannot fork for -daemonize"
refusing clone,clone3 "$client" -lock 2>"$work/err"
expect "-lock, fork refused: exit 1, 'cannot start the password check's process'" \
  said_only $? 1 "cannot start the password check's process"
refusing prctl "$client" -lock 2>"$work/err"
expect "-lock, prctl refused: exit 1, 'cannot keep the password out of core files'" \
  said_only $? 1 "cannot keep the password out of core files"
rm -rf "$runtime"
mkdir -m 700 "$runtime"
# The bare compositor in one of its modes, in place of the one before; its socket's name in $bare_socket.
start_bare() {
  stop "$bare_pid"
  in_background "$work/bare.out" env XDG_RUNTIME_DIR="$runtime" "$bare" "$@"
  bare_pid=$!
  wait_until 30 grep -q . "$work/bare.out" || { fail "the bare compositor $* did not start"; return 1; }
  bare_socket=$(head -1 "$work/bare.out")
}
if start_bare; then
  env -u XDG_RUNTIME_DIR WAYLAND_DISPLAY="$runtime/$bare_socket" "$client" 2>"$work/err"
  expect "a compositor with shared memory alone, its socket named by its path: exit 1, naming what it lacks" bash -c "[ $? -eq 1 ] && grep -qx \
    'aurilo-wayland: the compositor does not offer wl_compositor, wl_subcompositor, xdg_wm_base, wp_viewporter' '$work/err'"
  DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus WAYLAND_DISPLAY=$bare_socket "$client" -idle 2 2>"$work/err"
  expect "-idle with no idle source: exit 1, one line naming all three" bash -c "[ $? -eq 1 ] && [ \$(wc -l <'$work/err') -eq 1 ] \
    && grep -qx 'aurilo-wayland: -idle needs ext_idle_notifier_v1, org_kde_kwin_idle or org.gnome.Mutter.IdleMonitor, which this session lacks' '$work/err'"
fi
# A new mode and scale with the same logical size, told by the output alone:
# the client lays the image out again, x4 in buffers of 2560x1920.
if start_bare --output; then
  WAYLAND_DISPLAY=$bare_socket WAYLAND_DEBUG=client start_client -ticks "$ticks"
  wait_until 30 grep -q "drew 6 frames" "$work/client.err"
  kill -USR1 "$bare_pid"
  expect "a new mode from the output alone, 3840x2160 at scale 2: laid out again, x4" \
    wait_until 10 grep -q 'create_buffer(new id wl_buffer[@#][0-9]*, 0, 2560, 1920,' "$work/client.err"
  # Live, the frame callback comes before a buffer is free: the release must bring the next frame.
  WAYLAND_DISPLAY=$bare_socket start_client -fps
  rates_told() { [ "$(grep -c 'frames per second' "$work/client.err")" -ge 2 ]; }
  wait_until 30 rates_told
  rate=$(tail -1 "$work/client.err" | awk '{ print int($2) }')
  expect "buffers released 20 ms after each frame: it goes on, $rate a second" test "${rate:-0}" -ge 10
  stop "$client_pid"
  WAYLAND_DISPLAY=$bare_socket timeout 30 "${with_pam[@]}" "$client" -lock 2>"$work/err"
  expect "-lock without ext-session-lock-v1: exit 1, one line naming it" bash -c "[ $? -eq 1 ] && [ \$(wc -l <'$work/err') -eq 1 ] \
    && grep -qx 'aurilo-wayland: -lock needs ext_session_lock_manager_v1, which this compositor lacks' '$work/err'"
fi
if start_bare --lock-then-finish; then
  WAYLAND_DISPLAY=$bare_socket WAYLAND_DEBUG=client "${with_pam[@]}" "$client" -lock 2>"$work/err"
  expect "-lock ended by the compositor once locked: exit 1, one line, no unlock sent" bash -c "[ $? -eq 1 ] \
    && [ \$(grep -c '^aurilo-wayland' '$work/err') -eq 1 ] && ! grep -q unlock_and_destroy '$work/err' \
    && grep -qx 'aurilo-wayland: the compositor ended the lock by its own means' '$work/err'"
fi
# -daemonize's first process waiting for a lock never answered: SIGTERM ends it with its one line.
if start_bare --lock-never; then
  in_background "$work/err" env WAYLAND_DISPLAY="$bare_socket" "${with_pam[@]}" "$client" -lock -daemonize
  first_pid=$!
  sleep 1
  kill "$first_pid"
  status_within 5 "$first_pid"
  expect "-daemonize never locked, its first process stopped: exit 1, 'the session was not locked'" bash -c "[ $? -eq 1 ] \
    && grep -qx 'aurilo-wayland: the session was not locked' '$work/err'"
fi
one_layer_closed() { # the client keeps running and drawing the other output after the closed one's view goes
  kill -0 "$client_pid" && grep -q 'zwlr_layer_surface_v1[@#][0-9]*\.closed()' "$work/client.err" \
    && [ "$(grep -c -- '-> zwlr_layer_surface_v1[@#][0-9]*\.destroy()' "$work/client.err")" -eq 1 ] \
    && sed -n '/\.closed()/,$p' "$work/client.err" | grep -q -- '-> wl_surface[@#][0-9]*\.commit()'
}
if start_bare --layers; then
  WAYLAND_DISPLAY=$bare_socket WAYLAND_DEBUG=client start_client -background
  sleep 3
  expect "-background on two outputs, one layer closed by the compositor: that view goes, the other stays" one_layer_closed
  stop "$client_pid"
  client_pid=
fi
if start_bare --garbled-keymap; then
  WAYLAND_DISPLAY=$bare_socket timeout 30 "${with_pam[@]}" "$client" -lock 2>"$work/err"
  expect "-lock given a keymap that is none: exit 1, saying so" bash -c "[ $? -eq 1 ] \
    && grep -qx \"aurilo-wayland: cannot read the compositor's keymap\" '$work/err'"
fi
# A user id with no name: PAM cannot start for it, and that is said before any compositor is asked.
if [ "$(id -u)" -eq 0 ]; then
  cp "$client" "$work/client-for-anyone"
  setpriv --reuid=54321 --regid=54321 --clear-groups "${with_pam[@]}" "$work/client-for-anyone" -lock 2>"$work/err"
  expect "-lock as a user id with no name: exit 1 with PAM's words" bash -c "[ $? -eq 1 ] \
    && grep -qx 'aurilo-wayland: PAM cannot check passwords for service aurilo-wayland: no user name for this user id' '$work/err'"
fi
# "secret" and Return, typed before the lock is said to be locked and again after.
typed_around_locked() { # the name of the PAM environment's array
  local -n pam=$1
  start_bare --keys-before-locked || return 2
  WAYLAND_DISPLAY=$bare_socket WAYLAND_DEBUG=client PAM_WRAPPER_DEBUGLEVEL=3 "${pam[@]}" "$client" -lock 2>"$work/err"
  [ $? -eq 1 ] && [ "$(grep -c 'wl_keyboard[@#][0-9]*\.key(' "$work/err")" -eq 28 ] \
    && [ "$(grep -c 'the password was refused' "$work/err")" -eq 1 ] && ! grep -q unlock_and_destroy "$work/err" \
    && [ "$(grep -c 'pam_start service=' "$work/err")" -eq "$(grep -c 'pam_end status=' "$work/err")" ]
}
expect "-lock: a password typed before locked is not checked, after it is with a key held where repeat is off: refused, then ended with 1, no unlock sent, every pam_start ended" \
  typed_around_locked with_pam
# A question with visible echo before the password is PAM's, and "secret" the right password.
mkdir "$work/pam-visible.d"
echo "$(id -un):secret:aurilo-wayland" >"$work/passdb-secret"
{
  echo "auth requisite $due ask_visible log=$work/visible.log"
  for kind in auth account; do echo "$kind required $pam_lib/pam_wrapper/pam_matrix.so passdb=$work/passdb-secret"; done
} | tee "$work/pam-visible.d/aurilo-wayland" >"$work/pam-visible.d/other"
with_visible=(env PAM_WRAPPER=1 PAM_WRAPPER_SERVICE_DIR="$work/pam-visible.d" LD_PRELOAD="$pam_lib/libpam_wrapper.so")
typed_around_locked with_visible
expect "... PAM asking a question with visible echo: not answered, and the right password refused" \
  bash -c "[ $? -eq 0 ] && [ \"\$(cat '$work/visible.log')\" = asked ]"
sed -i /ask_visible/d "$work/pam-visible.d/aurilo-wayland" "$work/pam-visible.d/other"
start_bare --keys-before-locked && WAYLAND_DISPLAY=$bare_socket "${with_visible[@]}" "$client" -lock 2>"$work/err"
expect "... without it, the right password, and the compositor gone as it unlocks: exit 1, saying the session may still be locked" \
  bash -c "[ $? -eq 1 ] && grep -qx 'aurilo-wayland: lost the connection to the compositor as it unlocked: the session may still be locked' '$work/err'"
sed -i "1i auth optional $due garble=3" "$work/pam-visible.d/aurilo-wayland" "$work/pam-visible.d/other"
start_bare --keys-before-locked && WAYLAND_DISPLAY=$bare_socket "${with_visible[@]}" "$client" -lock 2>"$work/err"
expect "... a PAM module writing on the check's line: exit 1, saying so" bash -c "[ $? -eq 1 ] \
  && grep -qx \"aurilo-wayland: the password check's process answered what no answer begins with\" '$work/err'"
for arguments in "-bogus" "-scale 0" "-ticks 5,4" "-idle 0" "--idle 86401" "-idle 2 -window" "-ticks 5 --idle 2" \
  "-lock -window" "-daemonize" "-lock -daemonize -idle 2" "-background -lock"; do
  # shellcheck disable=SC2086
  "$client" $arguments >/dev/null 2>"$work/err"
  expect "refused with 2 and a usage line: $arguments" bash -c "[ $? -eq 2 ] && grep -q '^usage: aurilo-wayland' '$work/err'"
done
"$client" -lock -bogus -h >"$work/out" 2>&1
expect "-h anywhere on the line: the usage and a line for every option, -ticks too, exit 0" bash -c "[ $? -eq 0 ] \
  && grep -q '^usage: aurilo-wayland ' '$work/out' && [ \$(grep -c '^  -' '$work/out') -eq 9 ] && grep -q -- '-ticks T1' '$work/out'"

# Reported, not asserted: the client's CPU at the compositor's rate on a
# 3840x2160 output, blown up x4 and kept x1, by itself and by the compositor;
# per frame, as sway's software renderer shows x4 at a lower rate.
cpu_per_frame() { # options: prints milliseconds of CPU a frame
  local before after
  # shellcheck disable=SC2086
  start_client -fps $1
  wait_until 30 grep -q 'frames per second' "$work/client.err"
  before=$(cpu_ticks "$client_pid")
  : >"$work/client.err"
  sleep 8
  after=$(cpu_ticks "$client_pid")
  stop "$client_pid"
  client_pid=
  awk -v ticks=$((after - before)) -v hz="$(getconf CLK_TCK)" '{ rate += $2; n++ }
    END { printf "%.3f %.1f %d", ticks * 1000 / hz / (rate / n * 8), rate / n, ticks * 100 / hz / 8 }' \
    <(sed -n 's/^aurilo-wayland: \([0-9.]*\) frames per second/x \1/p' "$work/client.err")
}
if start_sway 1 "output HEADLESS-1 mode 3840x2160 scale 1"; then
  for way in "" "-compositor-scaling "; do
    read -r x4 x4_rate x4_share < <(cpu_per_frame "$way")
    read -r x1 x1_rate x1_share < <(cpu_per_frame "${way}-scale 1")
    echo "3840x2160 ${way:-blown up by the client }x4: $x4 ms CPU a frame at $x4_rate a second ($x4_share% of a core);" \
      "x1: $x1 ms at $x1_rate ($x1_share%); x4 costs $(awk -v a="$x4" -v b="$x1" 'BEGIN { printf "%.2f", a / b }') times x1"
  done
fi

finish_checks
