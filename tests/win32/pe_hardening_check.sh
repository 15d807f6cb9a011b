#!/usr/bin/env bash
# The Windows programs carry the hardening of platform/win32/Windows.cmake:
# each shipped .exe may be moved anywhere in the 64-bit address space (the
# DYNAMIC_BASE and HIGH_ENTROPY_VA flags, and the .reloc section without
# which Windows cannot move it) and its data cannot be run (NX_COMPAT); the
# unstripped build links the stack protector's check.
#
# usage: pe_hardening_check.sh DIST_DIR BUILD_DIR   (dist/windows, build-windows)
# Exit 0 passed, 1 failed.
set -uo pipefail
dist=${1:?usage: pe_hardening_check.sh DIST_DIR BUILD_DIR}
build=${2:?usage: pe_hardening_check.sh DIST_DIR BUILD_DIR}
objdump=x86_64-w64-mingw32-objdump nm=x86_64-w64-mingw32-nm
status=0
for program in kesto wavemix; do
  headers=$("$objdump" -p -h "$dist/$program.exe") || { echo "FAIL: cannot read $dist/$program.exe"; exit 1; }
  for flag in DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT; do
    grep -qw "$flag" <<<"$headers" || { echo "FAIL: $program.exe lacks $flag"; status=1; }
  done
  grep -qE '^ +[0-9]+ +\.reloc ' <<<"$headers" || { echo "FAIL: $program.exe has no .reloc section"; status=1; }
  symbols=$("$nm" "$build/$program.exe") || { echo "FAIL: cannot read $build/$program.exe"; exit 1; }
  grep -qw __stack_chk_fail <<<"$symbols" || { echo "FAIL: $build/$program.exe has no stack protector"; status=1; }
done
((status == 0)) && echo "PASS: kesto.exe and wavemix.exe: ASLR (high entropy, relocatable), DEP, stack protector"
exit $status
