#!/usr/bin/env bash
# Installs what is missing, builds, and asks the built-in simulated programmer who it is.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
build/bin/tqprog-cli --simulator info
