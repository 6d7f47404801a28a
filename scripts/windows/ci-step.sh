#!/usr/bin/env bash
# The test command's Windows step: cross-build, the suite under Wine, the
# end-to-end run through a Wine drive letter. Skips with one line where the
# cross compiler or Wine is missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
command -v x86_64-w64-mingw32-g++-posix >/dev/null || { echo "windows: skipped (no MinGW-w64 cross compiler)"; exit 0; }
command -v wine64 >/dev/null || command -v wine >/dev/null || { echo "windows: skipped (Wine is not installed)"; exit 0; }
start=$SECONDS
TQ_WINDOWS_OPT=-O1 bash scripts/build-windows.sh --test --e2e
echo "windows: step took $((SECONDS - start)) s"
