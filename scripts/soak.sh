#!/usr/bin/env bash
# The soak: three mounted simulated programmers with random faults each run
# the auto sequence CYCLES times (default 1000); then no false success, no
# growth of 1 MiB or more per drive process, no leaked files or threads.
#   scripts/soak.sh [CYCLES] [SEED] [RATE]
# RATE: random faults per million transfers (default 5000). Builds tqsoak,
# tqprog-cli and tqprog-simdrive in build/ first; needs /dev/fuse and
# fusermount3. Runs at the lowest priority.
set -euo pipefail
cd "$(dirname "$0")/.."
cycles=${1:-1000}
seed=${2:-$RANDOM}
rate=${3:-5000}
[ -d build ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target tqsoak >/dev/null
echo "soak: $cycles cycles per programmer, seed $seed, $rate faults per million transfers"
exec nice -n 19 build/bin/tqsoak --cycles "$cycles" --seed "$seed" --rate "$rate"
