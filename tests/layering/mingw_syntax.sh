#!/usr/bin/env bash
# mingw_syntax.sh CXX ROOT SOURCE...: every source compiles (syntax only) for
# Windows with MinGW's g++; prints each failure and fails when any did.
set -u
cxx=$1 root=$2
shift 2
failed=0
for source in "$@"; do
  if ! out=$("$cxx" -std=c++20 -fsyntax-only -Wall -Wextra -I "$root" "$source" 2>&1); then
    echo "FAIL: $source"
    echo "$out" | head -20
    failed=1
  elif [ -n "$out" ]; then
    echo "WARN: $source"
    echo "$out" | head -20
    failed=1
  fi
done
[ $failed = 0 ] && echo "$# sources compile for Windows"
exit $failed
