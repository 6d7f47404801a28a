#!/usr/bin/env bash
# Builds and runs the whole test suite twice: a normal build, then one under
# AddressSanitizer and UndefinedBehaviorSanitizer so memory faults fail too.
# Between the two, a short run of each fuzz target over its seed corpus (the
# sanitizer suite's summary stays the last line printed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")
bash scripts/fuzz.sh all 5
# The Debian package made from that build, checked as distributions check it.
bash scripts/package-check.sh build
# The Windows build (MinGW) and its tests under Wine, through a Wine drive too.
bash scripts/windows/ci-step.sh
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTQPROG_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs")
