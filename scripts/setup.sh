#!/usr/bin/env bash
# Installs what is missing, builds, and shows the program on the built-in
# simulated programmer: the desktop window when a display is there, else the
# command line asking the simulated programmer who it is.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/bin/tqprog ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/bin/tqprog --simulator
fi
build/bin/tqprog-cli --simulator info
