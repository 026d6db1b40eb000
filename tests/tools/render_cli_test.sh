#!/usr/bin/env bash
# aurilo-render from the outside: outputs of the right size and kind, refusals
# with exit code 2 and one line on stderr, and no partial file left behind.
set -u
render=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=../../scripts/lib.sh
source "$(dirname "$0")/../../scripts/lib.sh"

refused() { # render arguments that must be refused
  "$render" "$@" >"$work/out" 2>"$work/err"
  local code=$?
  [ "$code" -eq 2 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && [ ! -s "$work/out" ]
}

failed() { # render arguments whose output cannot be written: exit 1 and one line
  "$render" "$@" >"$work/out" 2>"$work/err"
  [ $? -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ]
}

no_leftovers() { [ -z "$(ls -A "$work/out-dir")" ]; }

for format in 8 15 16 24 32; do
  bytes=$(( format == 15 ? 2 : (format + 7) / 8 ))
  expect "raw frame in format $format is 640x480x$bytes bytes" \
    bash -c "'$render' --format $format --ticks 0,500 --raw '$work/f$format.raw' && [ \$(stat -c %s '$work/f$format.raw') -eq $((640 * 480 * bytes)) ]"
done

expect "png starts with the PNG signature" \
  bash -c "'$render' --ticks 1000 -o '$work/a.png' && head -c 8 '$work/a.png' | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a'"
# A frame's delay is the graphic control block's bytes 4 and 5 (21 F9 04 ...).
expect "a one-frame GIF shows its frame 1/10 s, as each frame of a 10 fps run" \
  bash -c "'$render' --ticks 0 --gif '$work/one.gif' && od -An -v -tx1 '$work/one.gif' | tr -d ' \n' | grep -q '21f904..0a00'"
expect "gif is an animated GIF89a" \
  bash -c "'$render' --fps 10 --seconds 1 --gif '$work/a.gif' && head -c 6 '$work/a.gif' | grep -q GIF89a && grep -q NETSCAPE2.0 '$work/a.gif'"
expect "picture is a 244x218 P4 PBM" \
  bash -c "'$render' --picture '$work/p.pbm' && head -c 11 '$work/p.pbm' | grep -q 'P4' && [ \$(stat -c %s '$work/p.pbm') -eq \$((11 + 6758)) ]"
expect "same ticks give the same bytes" \
  bash -c "'$render' --format 16 --ticks 0,500 --raw '$work/again.raw' && cmp -s '$work/f16.raw' '$work/again.raw'"
expect "other ticks give other bytes" \
  bash -c "'$render' --format 16 --ticks 0,600 --raw '$work/other.raw' && ! cmp -s '$work/f16.raw' '$work/other.raw'"

mkdir "$work/out-dir"
expect "--help anywhere on the line: the usage, exit 0, nothing written" bash -c "'$render' -o '$work/out-dir/x.png' --help \
  | grep -q '^usage: aurilo-render .*--picture' && [ \${PIPESTATUS[0]} -eq 0 ]"
expect "an unknown option is called unknown, whatever came before it" bash -c "'$render' -o '$work/out-dir/x.png' --bogus \
  2>&1 | grep -qx \"aurilo-render: unknown option '--bogus' (see --help)\""
expect "unknown option is refused" refused --colour 3 -o "$work/out-dir/x.png"
expect "bad format is refused" refused --format 4 -o "$work/out-dir/x.png"
expect "missing number is refused" refused -o "$work/out-dir/x.png" --ticks
expect "descending ticks are refused" refused --ticks 5,4 -o "$work/out-dir/x.png"
expect "nothing to write is refused" refused --ticks 5
expect "refusals leave no file" no_leftovers
expect "an output that cannot be written: exit 1" failed -o "$work/missing-dir/x.png"
chmod 500 "$work/out-dir"
if [ "$(id -u)" -ne 0 ]; then
  expect "read-only folder: exit 1" failed -o "$work/out-dir/x.png"
fi
chmod 700 "$work/out-dir"
expect "a failed second output leaves the first unwritten" failed -o "$work/out-dir/x.png" --gif "$work/missing-dir/x.gif"
expect "and no temporary file behind" no_leftovers
ln -s real.png "$work/link.png"
ln -s new.png "$work/new-link.png"
touch "$work/real.png"
chmod 600 "$work/real.png"
expect "links stay links, their targets, there or not, get the PNG, and a file replaced keeps its mode" bash -c \
  "'$render' --ticks 0 -o '$work/link.png' && [ \$(stat -c %a '$work/real.png') = 600 ] \
  && '$render' --ticks 0 -o '$work/new-link.png' && [ -L '$work/link.png' ] && [ -L '$work/new-link.png' ] \
  && cmp -s '$work/real.png' '$work/new.png' && head -c 8 '$work/real.png' | od -An -tx1 | grep -q '89 50 4e 47'"
expect "-o - streams the PNG" bash -c "'$render' --ticks 0 -o - | cmp -s - '$work/real.png'"
mkfifo "$work/fifo"
expect "a FIFO gets the raw frame as it is written" bash -c "timeout 10 cat '$work/fifo' >'$work/from-fifo' & \
  '$render' --format 8 --ticks 0,500 --raw '$work/fifo' && wait && cmp -s '$work/from-fifo' '$work/f8.raw' && [ -p '$work/fifo' ]"
expect "a write that fails (the file size limit): exit 1, saying why, nothing left" bash -c "trap '' XFSZ; ulimit -f 16; \
  '$render' --ticks 0 --raw '$work/out-dir/big.raw' 2>'$work/err'; [ \$? -eq 1 ] && grep -q 'File too large' '$work/err' \
  && [ -z \"\$(ls -A '$work/out-dir')\" ]"

finish_checks
