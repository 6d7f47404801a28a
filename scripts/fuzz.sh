#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, build-fuzz/) and runs them over their
# seed corpus.
#   scripts/fuzz.sh [TARGET|all] [SECONDS]   each target in turn (the suite's short run)
#   scripts/fuzz.sh campaign SECONDS [--runs N] [--fast] [TARGET...]
#       every target (or those named) at once, one process each under nice,
#       for SECONDS or until it ran N inputs, then the grown corpus of each
#       merged and minimised into fuzz/corpus/TARGET (commit what changed
#       there). Prints inputs per second and in total. --fast runs the inputs
#       in a build without AddressSanitizer (build-fuzz-fast/, about twice
#       the inputs a second); the merge runs in the checked build, so every
#       input that joins the seeds has run under AddressSanitizer too.
# New inputs go to build-fuzz/corpus/TARGET, a crashing one to
# build-fuzz/findings/. Exits non-zero when any target fails.
set -euo pipefail
cd "$(dirname "$0")/.."
all_targets=(hex srec cap package ini frame lang langfile csv devini)
mode=${1:-all}
if ! command -v clang++ >/dev/null; then
  echo "fuzz: skipped, clang++ not found"
  exit 0
fi
if [ "$mode" = campaign ]; then
  seconds=${2:?"usage: scripts/fuzz.sh campaign SECONDS [--runs N] [--fast] [TARGET...]"}
  shift 2
  runs=0 fast=0
  while [ $# -gt 0 ]; do
    case $1 in
      --runs) runs=${2:?"--runs needs a count"}; shift 2 ;;
      --fast) fast=1; shift ;;
      *) break ;;
    esac
  done
  targets=("${all_targets[@]}")
  [ $# -eq 0 ] || targets=("$@")
else
  seconds=${2:-10}
  targets=("${all_targets[@]}")
  [ "$mode" = all ] || targets=("$mode")
fi
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTQPROG_FUZZ=ON -DTQPROG_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null
runner=build-fuzz
if [ "${fast:-0}" = 1 ]; then
  runner=build-fuzz-fast
  cmake -S . -B "$runner" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTQPROG_FUZZ=ON -DTQPROG_FUZZ_SANITIZERS=undefined -DTQPROG_TESTS=OFF >/dev/null
  cmake --build "$runner" -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null
fi
mkdir -p build-fuzz/findings
# Inputs up to 8 KiB; a target that holds an input for 10 s or takes 2 GiB fails.
options=(-max_len=8192 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1)
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1

# One run of target $1 for $2 seconds, started through the command words
# after them (env, or nice -n 19); its log is build-fuzz/fuzz-$1.log.
run_target() {
  local t=$1 time=$2 work=build-fuzz/corpus/$1
  shift 2
  mkdir -p "$work"
  # CPU seconds too: under nice on a busy machine the wall-clock rate says little.
  local timed=()
  [ -x /usr/bin/time ] && timed=(/usr/bin/time -f '%U %S' -o build-fuzz/time-"$t")
  # The committed seeds are read, never written: new inputs land in $work.
  local limit=()
  [ "${runs:-0}" -gt 0 ] && limit=(-runs="$runs")
  "$@" "${timed[@]}" "$runner"/bin/fuzz_"$t" -max_total_time="$time" "${limit[@]}" "${options[@]}" \
    -artifact_prefix=build-fuzz/findings/"$t"- "$work" fuzz/corpus/"$t" >build-fuzz/fuzz-"$t".log 2>&1
}

# The summary line of target $1 from its log; verdict $2.
summary_line() {
  local log=build-fuzz/fuzz-$1.log runs rate cpu
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  cpu=$(awk -v runs="${runs:-0}" 'NF == 2 && $1 + $2 > 0 { printf "%d", runs / ($1 + $2) }' build-fuzz/time-"$1" 2>/dev/null)
  printf 'fuzz: %-8s %10s runs %7s exec/s %7s per CPU second  %s' "$1" "${runs:-?}" "${rate:-?}" "${cpu:-?}" "$2"
}

passed=0 failed=0 summary=()
if [ "$mode" = campaign ]; then
  declare -A pids
  for t in "${targets[@]}"; do
    run_target "$t" "$seconds" nice -n 19 &
    pids[$t]=$!
  done
  for t in "${targets[@]}"; do
    if wait "${pids[$t]}"; then verdict=ok; passed=$((passed + 1))
    else verdict="FAILED (see build-fuzz/fuzz-$t.log and build-fuzz/findings/)"; failed=$((failed + 1)); fi
    summary+=("$(summary_line "$t" "$verdict")")
    # Only grown inputs that reach code the seeds do not join the seeds.
    before=$(find fuzz/corpus/"$t" -type f | wc -l)
    nice -n 19 build-fuzz/bin/fuzz_"$t" -merge=1 "${options[@]}" fuzz/corpus/"$t" build-fuzz/corpus/"$t" \
      >build-fuzz/merge-"$t".log 2>&1 || summary+=("fuzz: $t: merge failed, see build-fuzz/merge-$t.log")
    summary+=("fuzz: $t: seeds $before -> $(find fuzz/corpus/"$t" -type f | wc -l)")
  done
else
  for t in "${targets[@]}"; do
    if run_target "$t" "$seconds" env; then
      passed=$((passed + 1)) verdict=ok
    else
      failed=$((failed + 1)) verdict="FAILED (see build-fuzz/fuzz-$t.log and build-fuzz/findings/)"
      tail -n 30 build-fuzz/fuzz-"$t".log
    fi
    summary+=("$(summary_line "$t" "$verdict")")
  done
fi
printf '%s\n' "${summary[@]}"
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
