#!/usr/bin/env bash
# Checks aurilo.scr as a file: what it imports, that no SSE2 (indeed no SSE)
# instruction is in it, the subsystem and OS versions Windows 95 and NT 4
# accept, its size, and its resources with their language.
#   binary_check.sh AURILO.SCR
set -u
scr=$1
objdump=i686-w64-mingw32-objdump
# shellcheck source=../../scripts/lib.sh
source "$(dirname "$0")/../../scripts/lib.sh"

headers=$($objdump -p "$scr")
libraries=$(sed -n 's/^\tDLL Name: //p' <<<"$headers" | tr '[:lower:]' '[:upper:]' | sort | tr '\n' ' ')
echo "imports: $libraries"
# No C runtime DLL: Windows 95 has none, and the saver brings its own routines.
allowed=" KERNEL32.DLL USER32.DLL GDI32.DLL ADVAPI32.DLL SHELL32.DLL DDRAW.DLL WINMM.DLL "
only_allowed() {
  local library
  for library in $libraries; do [[ $allowed == *" $library "* ]] || return 1; done
}
expect "imports only system libraries of Windows 95 and NT 4" only_allowed
expect "IMM32, PASSWORD.CPL and MPR are not imported" bash -c "! grep -qiE 'IMM32|PASSWORD|MPR' <<<'$libraries'"
# Imported names: the hint/name rows of the import tables, whose heading
# differs between binutils releases.
names=$(awk '/^\tvma: .*Member-Name/ { table = 1; next } /^$/ { table = 0 } table && NF >= 3 { print $NF }' <<<"$headers")
expect "imports the ANSI forms (no name ending in W)" bash -c "! grep -qE '[a-z]W$' <<<'$names'"
expect "DirectDrawCreate and timeSetEvent are imported" bash -c "grep -qx DirectDrawCreate <<<'$names' && grep -qx timeSetEvent <<<'$names'"

expect "no SSE or SSE2 instruction" bash -c "! $objdump -d '$scr' | grep -qE '%xmm[0-7]'"
expect "subsystem version 4.0" bash -c "grep -qP 'MajorSubsystemVersion\t4$' <<<'$headers' && grep -qP 'MinorSubsystemVersion\t0$' <<<'$headers'"
expect "OS version 4.0" bash -c "grep -qP 'MajorOSystemVersion\t4$' <<<'$headers' && grep -qP 'MinorOSystemVersion\t0$' <<<'$headers'"
expect "a Windows GUI program" grep -q 'Subsystem.*(Windows GUI)' <<<"$headers"
size=$(stat -c %s "$scr")
echo "size: $size bytes"
expect "no larger than 61,440 bytes" test "$size" -le 61440

# The resource tree as type/name/language triples.
resources=$(awk '
  /Resource Directory section/ { tree = 1 }
  tree && /Entry: ID:/ {
    indent = match($0, /Entry/); id = $4; sub(/,/, "", id)
    if (indent == 7) type = id; else if (indent == 9) name = id; else if (indent == 11) print type "/" name "/" id
  }' <<<"$headers")
echo "resources: $(tr '\n' ' ' <<<"$resources")"
expect "bitmap 103 in Japanese (1041)" grep -qx '0x000002/0x000067/0x000411' <<<"$resources"
expect "icon group 102 in Japanese" grep -qx '0x00000e/0x000066/0x000411' <<<"$resources"
expect "dialog 2003 in Japanese" grep -qx '0x000005/0x0007d3/0x000411' <<<"$resources"
expect "string 1, the saver's name, in Japanese" grep -qx '0x000006/0x000001/0x000411' <<<"$resources"
expect "an application manifest" grep -q '^0x000018/0x000001/' <<<"$resources"
expect "the manifest declares DPI awareness" grep -q '<dpiAware[^>]*>true</dpiAware>' "$scr"

finish_checks
