#!/usr/bin/env bash
# The desktop program for Windows: Debian ships no Qt built for MinGW, so this
# cross-builds the Qt modules tqprog uses (Core, Gui, Widgets; Svg) as static
# libraries from Debian's qt6-base and qt6-svg source packages, with the host
# tools (moc, rcc, uic) of Debian's own Qt of the same version, then
# tqprog.exe against them, and takes a screenshot of it under Wine.
#   scripts/windows/build-qt.sh WINDOWS-BUILD-FOLDER [LAST-STAGE]
# Stages: sources configure-qtbase build-qtbase install-qtbase qtsvg tqprog
# screenshot; LAST-STAGE stops after that one.
# Each stage's time goes to WINDOWS-BUILD-FOLDER/qt/stages.log. Slow: run it
# under nice, outside CI. A stage that finished is not run again.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "$1")
last=${2:-}
qt="$build/qt"
prefix="$qt/install"
jobs=${TQ_QT_JOBS:-1}
triple=x86_64-w64-mingw32
mkdir -p "$qt"
log="$qt/stages.log"
stage() {  # stage NAME COMMAND...: runs once, timed
  local name=$1; shift
  if [ -f "$qt/$name.done" ]; then [ "$name" != "$last" ] || exit 0; return 0; fi
  local start=$SECONDS
  echo "$(date -u +%H:%M:%S) $name: started" >>"$log"
  "$@"
  echo "$(date -u +%H:%M:%S) $name: done in $((SECONDS - start)) s" >>"$log"
  touch "$qt/$name.done"
  if [ "$name" = "$last" ]; then exit 0; fi
}
for need in /usr/lib/qt6/libexec/moc /usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo; do
  [ -e "$need" ] || { echo "build-qt: the host Qt tools are missing (qt6-base-dev, qt6-base-dev-tools)" >&2; exit 3; }
done
command -v ninja >/dev/null || { echo "build-qt: ninja is missing (ninja-build)" >&2; exit 3; }

apt_source() {  # apt_source PACKAGE FOLDER: Debian's source package, unpacked
  local apt="$build/deps/apt"  # the private apt state build-windows.sh set up
  local opts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt/sources"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "Debug::NoLocking=1"
              -o "APT::Sandbox::User=root")
  ls "$qt/$1"_*.orig.tar.* >/dev/null 2>&1 || (cd "$qt" && apt-get "${opts[@]}" -qq source --download-only "$1")
  rm -rf "$2" && mkdir -p "$2"
  tar -xf "$(ls "$qt/$1"_*.orig.tar.* | head -1)" -C "$2" --strip-components=1
}
fetch_qtbase() { apt_source qt6-base "$qt/qtbase"; }

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
configure_qtbase() {
  cmake -S "$qt/qtbase" -B "$qt/build-qtbase" -G Ninja "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_testlib=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_libpng=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_sql_sqlite=OFF -DFEATURE_icu=OFF >"$qt/configure-qtbase.log" 2>&1
}
build_qtbase() { nice -n 19 cmake --build "$qt/build-qtbase" -j"$jobs" >"$qt/build-qtbase.log" 2>&1; }
install_qtbase() { cmake --install "$qt/build-qtbase" >/dev/null; }
build_qtsvg() {
  apt_source qt6-svg "$qt/qtsvg"
  "$prefix/bin/qt-cmake" -S "$qt/qtsvg" -B "$qt/build-qtsvg" -G Ninja "${launcher[@]}" \
    -DQT_HOST_PATH=/usr -DCMAKE_BUILD_TYPE=Release >"$qt/configure-qtsvg.log" 2>&1
  nice -n 19 cmake --build "$qt/build-qtsvg" -j"$jobs" >"$qt/build-qtsvg.log" 2>&1
  cmake --install "$qt/build-qtsvg" >/dev/null
}
build_tqprog() {
  cmake -S "$root" -B "$build/cmake" -DCMAKE_PREFIX_PATH="$prefix" -DQt6_DIR="$prefix/lib/cmake/Qt6" \
    -DQT_HOST_PATH=/usr >/dev/null
  nice -n 19 cmake --build "$build/cmake" -j"$jobs" --target tqprog
}

stage sources fetch_qtbase
stage configure-qtbase configure_qtbase
stage build-qtbase build_qtbase
stage install-qtbase install_qtbase
stage qtsvg build_qtsvg
stage tqprog build_tqprog
echo "build-qt: $build/cmake/bin/tqprog.exe"
