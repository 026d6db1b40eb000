#!/usr/bin/env bash
# aurilo.scr's shell under Wine: the about dialog of configure mode, the
# Windows 9x password check and change beside stand-ins for the system's
# libraries, and the exception guard, shown with a test build that faults
# inside a message handler.
#   shell_wine_test.sh WINDOWS-BUILD [SCENARIO...]
set -u
windows=$(realpath "$1")
# shellcheck source=wine_test_lib.sh
source "$(dirname "$0")/wine_test_lib.sh"

# Windows 98 is reported to the saver copies named aurilo98*.scr only.
nt=$work/nt
w98=$work/w98
mkdir -p "$nt" "$w98"
cp "$windows/aurilo.scr" "$windows/tests/stand-ins/MPR.DLL" "$nt/"
cp "$windows/tests/stand-ins/PASSWORD.CPL" "$windows/tests/stand-ins/MPR.DLL" "$w98/"
cp "$windows/aurilo.scr" "$w98/aurilo98.scr"
cp "$windows/tests/aurilo-fault.scr" "$w98/aurilo98fault.scr"
export AURILO_FAKE_LOG="Z:$work/stand-in.log" AURILO_URL_LOG="Z:$work/urls.log"
export WINEDLLOVERRIDES="mscoree,mshtml=;mpr=n,b" LC_ALL=ja_JP.UTF-8

prepare_prefix() {
  start_screen 24 || return 1
  local name
  for name in aurilo98.scr aurilo98fault.scr; do
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$name" /v Version /d win98 /f >/dev/null 2>&1
  done
  # No debugger for a fault: the system's filter then lets the program handle it.
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d 'no-debugger.exe %ld %ld' /f >/dev/null 2>&1
  # Web addresses go to a logger instead of a browser.
  wine reg add 'HKCR\http\shell\open\command' /ve /d "\"Z:$windows/tests/url-logger.exe\" \"%1\"" /f >/dev/null 2>&1
  wineserver -w
}

set_password_value() { # absent | DWORD value | binary:HEX
  wine reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /f >/dev/null 2>&1
  case $1 in
    absent) ;;
    binary:*) wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_BINARY /d "${1#binary:}" /f >/dev/null 2>&1 ;;
    *) wine reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ;;
  esac
  wineserver -w
}

# Runs a saver in the background with Wine's trace of system parameters.
start_traced() { # launcher arguments
  : >"$work/stand-in.log"
  : >"$work/out"
  WINEDEBUG=-all,+system wine "$launcher" "$@" 2>"$work/trace" | sed -u 's/\r$//' >"$work/out" &
  saver_job=$!
}

saver_running_switches() { # the values the saver gave SPI_SCREENSAVERRUNNING, in order
  sed -n 's/.*NtUserSystemParametersInfo (97, \([01]\),.*/\1/p' "$work/trace" | tr -d '\n'
}

verify_calls() { grep -c '^verify' "$work/stand-in.log"; }

# The about dialog -------------------------------------------------------

caption_pellucine='0050.0065.006C.006C.0075.0063.0069.006E.0065.30FB' # "Pellucine・"

# Template rectangles in dialog units, in control order, and what each control must be.
expected_controls=(
  "1 Button 0x50010001 121 116 46 14"
  "-1 Static 0x5000080E 7 6 =160 =120"
  "-1 Static 0x50000003 7 111 =32 =32"
  "1003 Button 0x50010000 252 76 33 14"
  "-1 Static 0x50020001 123 31 154 22"
  "-1 Static 0x50020201 123 75 125 13"
  "-1 Static 0x50020001 7 98 278 14"
)

# Dialog units to pixels as the dialog manager maps them (rounded).
to_pixels() { # units base divisor
  echo $(( ($1 * $2 * 2 + $3) / ($3 * 2) ))
}

controls_match_template() {
  local lines ok_rect bx by
  mapfile -t lines < <(grep '^control' "$work/out")
  [ "${#lines[@]}" -eq 7 ] || { echo "found ${#lines[@]} controls"; return 1; }
  # The font's base units, from the OK button's size (46 x 14 units).
  ok_rect=$(sed 's/.* rect=//' <<<"${lines[0]}")
  IFS=, read -r left top right bottom <<<"$ok_rect"
  bx=$(( ((right - left) * 4 + 23) / 46 ))
  by=$(( ((bottom - top) * 8 + 7) / 14 ))
  local i id class style x y w h expected_rect
  for i in "${!expected_controls[@]}"; do
    read -r id class style x y w h <<<"${expected_controls[$i]}"
    x=$(to_pixels "$x" "$bx" 4) y=$(to_pixels "$y" "$by" 8)
    if [ "${w:0:1}" = = ]; then
      # Bitmap and icon statics take their image's own size in pixels.
      expected_rect="$x,$y,$((x + ${w#=})),$((y + ${h#=}))"
    else
      expected_rect="$x,$y,$((x + $(to_pixels "$w" "$bx" 4))),$((y + $(to_pixels "$h" "$by" 8)))"
    fi
    if ! grep -q "^control id=$id class=$class text=.* style=$style exstyle=.* rect=$expected_rect$" <<<"${lines[$i]}"; then
      echo "control $((i + 1)) is: ${lines[$i]} (expected id=$id class=$class style=$style rect=$expected_rect)"
      return 1
    fi
  done
}

control_text() { # control number (1-7)
  sed -n "$1p" < <(grep '^control' "$work/out") | sed 's/.* text=\([^ ]*\) .*/\1/'
}

has_exstyle_bit() { # control number, bit
  local exstyle
  exstyle=$(sed -n "$1p" < <(grep '^control' "$work/out") | sed 's/.* exstyle=\([^ ]*\) .*/\1/')
  (( (exstyle & $2) != 0 ))
}

dialog_line() { grep '^dialog ' "$work/out"; }

wait_dialog() { wait_until 10 grep -q '^dialog ' "$work/out"; }

about_dialog() {
  start_saver --inspect-dialog --timeout 30000 "$nt/aurilo.scr" "aurilo.scr"
  expect "an empty command line shows the about dialog" wait_dialog
  sleep 1
  expect "... with the caption exactly 'Pellucine・'" grep -q "^dialog caption=$caption_pellucine owner=0 " "$work/out"
  expect "... without an owner" grep -q '^dialog .* owner=0 ' "$work/out"
  expect "... with the template's style" bash -c "(( ($(dialog_line | sed 's/.* style=\([^ ]*\) .*/\1/') & 0x80C808C0) == 0x80C808C0 ))"
  expect "... and its seven controls in order, with their ids, classes, styles and rectangles" controls_match_template
  expect "... OK reads 'OK'" test "$(control_text 1)" = 004F.004B
  expect "... the connect button reads '接続'" test "$(control_text 4)" = 63A5.7D9A
  expect "... the title reads 'Pellucine', a line break, 'Aurilo ver1.1'" \
    test "$(control_text 5)" = 0050.0065.006C.006C.0075.0063.0069.006E.0065.000A.0041.0075.0072.0069.006C.006F.0020.0076.0065.0072.0031.002E.0031
  expect "... the picture has a modal frame, the address a static edge" bash -c "$(declare -f has_exstyle_bit); work=$work; has_exstyle_bit 2 1 && has_exstyle_bit 6 0x20000"
  xdotool key Return
  expect "Enter ends it with 1" test "$(wait_exit 10)" = 0x00000001
  finish_saver

  start_saver --inspect-dialog --timeout 30000 "$nt/aurilo.scr" "aurilo.scr /c"
  wait_dialog && sleep 1
  xdotool key Escape
  expect "Escape ends it with 2" test "$(wait_exit 10)" = 0x00000002
  finish_saver

  start_saver --close-dialog --timeout 30000 "$nt/aurilo.scr" "aurilo.scr /c"
  expect "the close box ends it with 2" test "$(wait_exit 15)" = 0x00000002
  finish_saver

  : >"$work/urls.log"
  start_saver --click-connect 3 --close-dialog --timeout 30000 "$nt/aurilo.scr" "aurilo.scr /c"
  wait_exit 20 >/dev/null
  expect "pressing 接続 three times leaves the dialog open" grep -q '^dialog-open-after-connect yes' "$work/out"
  expect "... until it is closed (2)" test "$(wait_exit 15)" = 0x00000002
  opened_three_times() { test "$(grep -cx 'open http://pellucine.example.jp/' "$work/urls.log")" -eq 3; }
  expect "... and opens the web address each time" wait_until 10 opened_three_times
  finish_saver

  local line owner
  for line in "aurilo.scr /c" "aurilo.scr /c 1234" "aurilo.scr /c:4294967295"; do
    start_saver --foreground-window --inspect-dialog --close-dialog --timeout 30000 "$nt/aurilo.scr" "$line"
    wait_exit 15 >/dev/null
    owner=$(sed -n 's/^foreground=//p' "$work/out")
    expect "[$line] is owned by the foreground window" grep -q "^dialog .* owner=$owner " "$work/out"
    finish_saver
  done
  start_saver --parent 100x100 --foreground-window --inspect-dialog --close-dialog --timeout 30000 "$nt/aurilo.scr" "aurilo.scr /c:%P"
  wait_exit 15 >/dev/null
  owner=$(sed -n 's/^parent=//p' "$work/out")
  expect "[/c:N] is owned by window N" grep -q "^dialog .* owner=$owner " "$work/out"
  finish_saver
}

# The Windows 9x password ------------------------------------------------

password_check() {
  set_password_value 1
  # The dialog stays up for 500 ms while the mouse travels 30 pixels.
  AURILO_FAKE_ANSWERS=0,1 AURILO_FAKE_SLOW=1 start_traced --timeout 60000 "$w98/aurilo98.scr" "aurilo98.scr /s"
  wait_lit
  expect "with a password the provider is loaded" grep -qx loaded "$work/stand-in.log"
  # The dialog's last key asks again within 200 ms of its end, long after its start.
  xdotool key a
  expect "a close request opens the password dialog, the saver running state TRUE" \
    wait_until 10 grep -qx 'verify 1 running=1' "$work/stand-in.log"
  sleep 1 # the slow dialog's own last key, which must open no second one
  expect "a request within 200 ms of the refusal opens no dialog" test "$(verify_calls)" -eq 1
  expect "a refusal keeps the saver running" test -z "$(exit_code)"
  xdotool mousemove_relative 2 0
  sleep 1
  expect "the cursor's place after a refusal is the new reference: a small move opens no dialog" test "$(verify_calls)" -eq 1
  xdotool key d
  expect "one later opens it again, and acceptance closes the saver with 0" test "$(wait_exit 10)" = 0x00000000
  expect "... after exactly two dialogs" test "$(verify_calls)" -eq 2
  expect "... and the running state went TRUE, then back to FALSE" test "$(saver_running_switches)" = 10
  finish_saver

  AURILO_FAKE_ANSWERS=1 AURILO_FAKE_REENTER=1 start_traced --timeout 60000 "$w98/aurilo98.scr" "aurilo98.scr /s"
  wait_lit
  xdotool key a
  expect "a WM_CLOSE while the dialog is up is answered 0" \
    wait_until 10 grep -qx 'close while asking answered 0' "$work/stand-in.log"
  expect "... and opens no second dialog" test "$(verify_calls)" -eq 1
  expect "... the accepted dialog closes the saver" test "$(wait_exit 10)" = 0x00000000
  finish_saver

  AURILO_FAKE_ANSWERS=0,1 start_traced --query-autoplay-after 3000 --timeout 60000 "$w98/aurilo98.scr" "aurilo98.scr /s"
  expect "the AutoPlay query is answered 1 with a password" wait_until 20 grep -qx 'autoplay-answer 1' "$work/out"
  expect "... and its close request leads to the dialog" grep -qx 'verify 1 running=1' "$work/stand-in.log"
  sleep 0.5
  xdotool key a
  wait_exit 10 >/dev/null
  finish_saver

  local value
  for value in absent 0 binary:0100000000; do
    set_password_value "$value"
    start_traced --query-autoplay-after 3000 --timeout 60000 "$w98/aurilo98.scr" "aurilo98.scr /s"
    expect "value $value: the AutoPlay query is answered 0 and closes the saver" \
      wait_until 20 grep -qx 'autoplay-answer 0' "$work/out"
    expect "... with 0" test "$(wait_exit 10)" = 0x00000000
    expect "... no library was loaded and the running state never switched" \
      bash -c "! grep -q loaded '$work/stand-in.log' && [ -z \"\$(sed -n 's/.*NtUserSystemParametersInfo (97,.*/x/p' '$work/trace')\" ]"
    finish_saver
  done
}

password_change() {
  start_traced --parent 100x100 --timeout 30000 "$w98/aurilo98.scr" "aurilo98.scr /a %P"
  local code parent
  code=$(wait_exit 15)
  parent=$(sed -n 's/^parent=//p' "$work/out")
  expect "/a N calls PwdChangePasswordA with SCRSAVE and window N" \
    grep -qx "PwdChangePasswordA provider=SCRSAVE owner=$parent flags=0 reserved=00000000" "$work/stand-in.log"
  expect "... and exits 0" test "$code" = 0x00000000
  finish_saver

  start_traced --timeout 30000 "$nt/aurilo.scr" "aurilo.scr /a 1234"
  expect "/a on the NT family exits -1" test "$(wait_exit 15)" = 0xFFFFFFFF
  expect "... and loads nothing" test ! -s "$work/stand-in.log"
  finish_saver
}

exception_guard() {
  set_password_value 1
  AURILO_FAKE_ANSWERS=1 start_traced --post-after 3000:32887 --timeout 30000 "$w98/aurilo98fault.scr" "aurilo98fault.scr /s"
  expect "a fault inside a message handler reaches the guard and ends the saver with its code" \
    test "$(wait_exit 20)" = 0xC0000005
  expect "... after the guard set the saver running state back to FALSE" test "$(saver_running_switches)" = 10
  finish_saver
}

prepare_prefix || { fail "Wine prefix and screen"; finish_checks; exit; }
shift
for scenario in "${@:-about_dialog password_check password_change exception_guard}"; do
  for step in $scenario; do "$step"; done
done
finish_checks
