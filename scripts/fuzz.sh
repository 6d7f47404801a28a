#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, build-fuzz/) and runs them over their
# seed corpus: scripts/fuzz.sh [TARGET|all] [SECONDS], TARGET one of
# hex srec cap package ini frame. New inputs go to build-fuzz/corpus/TARGET, a
# crashing one to build-fuzz/findings/. Exits non-zero when any target fails.
set -euo pipefail
cd "$(dirname "$0")/.."
targets=(hex srec cap package ini frame)
which=${1:-all}
seconds=${2:-10}
[ "$which" = all ] || targets=("$which")
if ! command -v clang++ >/dev/null; then
  echo "fuzz: skipped, clang++ not found"
  exit 0
fi
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTQPROG_FUZZ=ON -DTQPROG_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null
mkdir -p build-fuzz/findings
passed=0 failed=0 summary=()
for t in "${targets[@]}"; do
  work=build-fuzz/corpus/$t log=build-fuzz/fuzz-$t.log
  mkdir -p "$work"
  # The committed seeds are read, never written: new inputs land in $work.
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 build-fuzz/bin/fuzz_"$t" \
      -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix=build-fuzz/findings/"$t"- "$work" fuzz/corpus/"$t" >"$log" 2>&1; then
    passed=$((passed + 1)) verdict=ok
  else
    failed=$((failed + 1)) verdict="FAILED (see $log and build-fuzz/findings/)"
    tail -n 30 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  summary+=("$(printf 'fuzz: %-8s %10s runs %7s exec/s  %s' "$t" "${runs:-?}" "${rate:-?}" "$verdict")")
done
printf '%s\n' "${summary[@]}"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
