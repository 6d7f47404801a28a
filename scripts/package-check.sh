#!/bin/bash
# Builds the Debian package, installs it on this machine, runs both programs
# from it briefly as a user who never ran them, and removes it again.
# Run by hand, as root:  bash scripts/package-check.sh [BUILD_DIR]
# (default build folder: build-package/, configured for a release build).
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$source_dir/build-package}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQPROG_TESTS=OFF
fi
cmake --build "$build" -j2
rm -f "$build"/tqprog_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/tqprog_*.deb)

echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends
dpkg -c "$deb" | tee "$build/package-contents.txt"

apt-get install -y --no-install-recommends "$deb"
trap 'apt-get remove -y tqprog >/dev/null' EXIT

# A user who never ran the program: fresh home, no XDG variables.
home=$(mktemp -d)
run() { env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }

echo "== installed files"
command -v tqprog tqprog-cli
man -w tqprog-cli
echo "== tqprog-cli --version"
run tqprog-cli --version
echo "== tqprog-cli --simulator info"
run tqprog-cli --simulator info
echo "== tqprog-cli --simulator -c GD25Q64 --sim-erase-ms 0 auto (a 64 KiB image)"
head -c 65536 /dev/urandom > "$home/image.bin"
run tqprog-cli --simulator -c GD25Q64 --sim-erase-ms 0 auto "$home/image.bin"
echo "== the user's folders after the first runs"
(cd "$home" && find . -path ./image.bin -prune -o -type f -print | sort)
echo "== tqprog --simulator on the offscreen platform for 5 seconds"
status=0
run QT_QPA_PLATFORM=offscreen timeout 5 tqprog --simulator || status=$?
[ "$status" = 124 ] && echo "tqprog was still running after 5 s: stopped it"
[ "$status" = 124 ] || { echo "tqprog ended early with status $status"; exit 1; }
if command -v desktop-file-validate >/dev/null; then desktop-file-validate /usr/share/applications/tqprog.desktop; fi
appstreamcli validate --no-net /usr/share/metainfo/tqprog.metainfo.xml || true
rm -rf "$home"
echo "== removing the package"
