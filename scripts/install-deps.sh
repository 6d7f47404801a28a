#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need (only what is missing).
set -euo pipefail
packages=(build-essential cmake pkg-config libsqlite3-dev zlib1g-dev libssl-dev libcli11-dev
          libpq-dev postgresql  # the production ledger on a shared server, and its test server
          libgtest-dev libgmock-dev libbenchmark-dev binutils
          qt6-base-dev qt6-svg-dev fonts-noto-cjk  # the desktop program and its CJK font
          fonts-dejavu-core  # letters the CJK font lacks (Polish, Ukrainian) for the further languages
          libfuse3-dev fuse3  # tqprog-simdrive: the simulated programmer as a mounted drive
          clang libclang-rt-14-dev)  # the fuzz targets: clang and its libFuzzer runtime
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
