#!/usr/bin/env bash
# A fused multiply-add rounds once where the numeric rule rounds twice: the
# program may hold none (x86-64 FMA, arm64 fmadd, fmla and their kin), and the
# engine functions where compilers fuse must be in what was looked at.
#   fused_multiply_add_check.sh OBJDUMP PROGRAM
set -u
listing=$("$1" -d -C --no-show-raw-insn "$2") || { echo "$1 cannot disassemble $2" >&2; exit 1; }
status=0
for function in 'FillRamp(' 'WaveField::FillSineTable(' 'AdvanceScene(' 'void RotatingPicture::DrawPixels<'; do
  grep -qF "<$function" <<<"$listing" || { echo "$2: no $function in the disassembly" >&2; status=1; }
done
fused=$(awk -F'\t' '/^[0-9a-f]+ <.*>:$/ { name = $0 } $2 ~ /^(v?fn?m(add|sub)|fml[as])/ { print name }' <<<"$listing")
if [ -n "$fused" ]; then
  echo "$2: fused multiply-adds in" >&2
  uniq -c <<<"$fused" >&2
  status=1
fi
exit "$status"
