#!/usr/bin/env bash
# The monkey on the main window for HOURS (default 1) with a random seed
# (or SEED), printing its actions per second every minute. A failed run
# prints its seed and last actions; `build/bin/tqmonkey --seed N` runs it
# again (add --verbose to see every action).
#   scripts/monkey.sh [HOURS] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
hours=${1:-1}
seed=${2:-$RANDOM$RANDOM}
[ -d build ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target tqmonkey >/dev/null
seconds=$(awk "BEGIN { print $hours * 3600 }")
echo "monkey: $hours h, seed $seed"
QT_QPA_PLATFORM=offscreen exec nice -n 19 build/bin/tqmonkey --seed "$seed" --seconds "$seconds" --progress 60
