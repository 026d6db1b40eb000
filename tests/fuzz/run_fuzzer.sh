#!/usr/bin/env bash
# Builds the command-line fuzzer with clang (libFuzzer, ASan, UBSan) and runs
# it for the given seconds (default 60). Any finding fails the run.
#   run_fuzzer.sh BUILD-FOLDER [SECONDS]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
seconds=${2:-60}
mkdir -p "$build/corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I"$source_dir" \
  "$source_dir/tests/fuzz/command_line_fuzzer.cpp" "$source_dir/windows/command_line.cpp" -o "$build/command-line-fuzzer"
# Seeds: the command lines the saver is started with.
printf '"C:\\Program Files\\aurilo.scr" /s' >"$build/corpus/quoted"
printf 'aurilo.scr /p 1234' >"$build/corpus/preview"
printf 'aurilo.scr /c:4294967296' >"$build/corpus/configure"
printf '\x95\x5c.scr -a 12ab' >"$build/corpus/cp932"
cd "$build"
./command-line-fuzzer -max_total_time="$seconds" -max_len=512 -print_final_stats=1 corpus 2>&1 | tail -n 12
