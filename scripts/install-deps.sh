#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need (only what is missing).
set -euo pipefail
packages=(build-essential cmake pkg-config libsqlite3-dev zlib1g-dev libssl-dev libcli11-dev
          libpq-dev postgresql  # the production ledger on a shared server, and its test server
          libgtest-dev libgmock-dev libbenchmark-dev binutils
          qt6-base-dev qt6-svg-dev fonts-noto-cjk  # the desktop program and its CJK font
          fonts-dejavu-core  # letters the CJK font lacks (Polish, Ukrainian) for the further languages
          libfuse3-dev fuse3  # tqprog-simdrive: the simulated programmer as a mounted drive
          srecord lintian appstream desktop-file-utils  # HEX/S-record conformance; the package's checks
          clang libclang-rt-14-dev)  # the fuzz targets: clang and its libFuzzer runtime
packages+=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev tcl wine wine64 zip nsis)  # the Windows build, its tests under Wine, its zip and installer
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi
