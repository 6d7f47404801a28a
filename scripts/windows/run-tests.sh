#!/usr/bin/env bash
# Runs the Windows test suite (tqtests.exe from scripts/build-windows.sh) under
# Wine, in the build folder's own Wine prefix.
#   scripts/windows/run-tests.sh BUILD-FOLDER [gtest options...]
set -euo pipefail
build=$(realpath "$1"); shift
bin="$build/cmake/bin"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_cmd=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
# The tests that need what Windows has not: processes started with fork,
# POSIX signals and file modes, flock and the Linux mount table.
filter=$( (grep -v -e "^#" -e "^$" "$(dirname "$0")/posix-only-tests.txt" || true) | paste -sd: -)
cd "$bin"
"$wine_cmd" tqtests.exe --gtest_filter="-$filter" "$@" 2>&1 | tr -d '\r' | tee "$build/tqtests-wine.log" | grep -E '^\[  (FAILED|PASSED|SKIPPED) |^\[==========\]|FAILED TEST' || true
passed=$(grep -c '^\[       OK \]' "$build/tqtests-wine.log" || true)
failed=$(grep -c '^\[  FAILED  \] .*(' "$build/tqtests-wine.log" || true)
skipped=$(grep -c '^\[  SKIPPED \] .*(' "$build/tqtests-wine.log" || true)
echo "windows suite under wine: $passed passed, $failed failed, $skipped skipped"
[ "$failed" = 0 ] && grep -q '^\[  PASSED  \]' "$build/tqtests-wine.log"
