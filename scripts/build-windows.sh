#!/usr/bin/env bash
# Cross-builds the engine, tqprog-cli.exe, the simulator and the engine's
# tests for 64-bit Windows with MinGW-w64, and packs tqprog-cli.exe with the
# chip database and the language files into a zip (and an installer where
# makensis is installed).
#
#   scripts/build-windows.sh [--build-dir DIR] [--no-tests] [--test] [--e2e] [--gui]
#
#   --test   run the Windows test suite under Wine afterwards
#   --e2e    run the end-to-end check through a Wine drive letter (needs FUSE
#            and a native build of tqprog-simdrive in build/)
#   --gui    also cross-build Qt (Core, Gui, Widgets, Svg) from Debian's source
#            packages and tqprog.exe; slow, outside CI
#
# SQLite comes from Debian's source package, fetched with a private apt state
# under the build folder (the system's apt sources stay untouched); the
# unpacked source and the library stay there for the next run.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-windows"
run_tests=0 run_e2e=0 want_tests=1 want_gui=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build=$(realpath -m "$2"); shift ;;
    --no-tests) want_tests=0 ;;
    --test) run_tests=1 ;;
    --e2e) run_e2e=1 ;;
    --gui) want_gui=1 ;;
    *) echo "build-windows.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

triple=x86_64-w64-mingw32
deps="$build/deps"
jobs=${TQ_JOBS:-2}
# Optimisation of the Windows build; the test step asks for -O1, which
# compiles in about half the time.
opt=${TQ_WINDOWS_OPT:--O2}
say() { echo "build-windows: $*"; }

missing=()
command -v $triple-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
[ -f /usr/$triple/lib/libz.a ] || missing+=(libz-mingw-w64-dev)
[ -d /usr/include/CLI ] || missing+=(libcli11-dev)
[ $want_tests = 0 ] || [ -d /usr/src/googletest ] || missing+=(libgtest-dev)
command -v tclsh >/dev/null || missing+=(tcl)
if [ ${#missing[@]} -gt 0 ]; then
  say "missing Debian packages: ${missing[*]} (scripts/install-deps.sh installs them)" >&2
  exit 3
fi

# Where Wine keeps its state for this build; its first start takes a while.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine_cmd=$(command -v wine64 || command -v wine || true)
[ -n "$wine_cmd" ] || { [ -x /usr/lib/wine/wine64 ] && wine_cmd=/usr/lib/wine/wine64; }
start_wine() {
  [ -n "$wine_cmd" ] || return 1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "preparing the Wine prefix (once per build folder)"
    "$wine_cmd" wineboot -i >/dev/null 2>&1 || true
  fi
  "$wine_cmd" wineboot >/dev/null 2>&1 || true
}

# --- SQLite from Debian's source package -------------------------------------
sqlite_from_debian() {
  [ -f "$deps/lib/libsqlite3.a" ] && return 0
  local apt="$deps/apt" src="$deps/sqlite-src"
  mkdir -p "$apt/sources" "$apt/lists/partial" "$apt/cache/archives/partial" "$deps/include" "$deps/lib"
  local suite
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  cat > "$apt/sources/debian-src.sources" <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite ${suite}-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  local opts=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$apt/sources"
              -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o "Debug::NoLocking=1"
              -o "APT::Sandbox::User=root")
  if ! ls "$apt"/sqlite3_*.orig.tar.* >/dev/null 2>&1; then
    say "fetching Debian's sqlite3 source package"
    apt-get "${opts[@]}" -qq update
    (cd "$apt" && apt-get "${opts[@]}" -qq source --download-only sqlite3)
  fi
  rm -rf "$src" && mkdir -p "$src"
  tar -xf "$(ls "$apt"/sqlite3_*.orig.tar.* | grep -v www | head -1)" -C "$src" --strip-components=1
  say "making the SQLite amalgamation (host tools)"
  (cd "$src" && mkdir -p host && cd host && ../configure --disable-tcl >/dev/null && make -s sqlite3.c >/dev/null)
  say "compiling SQLite for Windows"
  $triple-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_DEFAULT_FOREIGN_KEYS=0 -DSQLITE_OMIT_LOAD_EXTENSION \
    -c "$src/host/sqlite3.c" -o "$deps/sqlite3.o"
  $triple-ar rcs "$deps/lib/libsqlite3.a" "$deps/sqlite3.o"
  cp "$src/host/sqlite3.h" "$src/host/sqlite3ext.h" "$deps/include/"
}

sqlite_from_debian
# CLI11 is headers only; copied so the host's /usr/include stays out of the build.
mkdir -p "$deps/include" && rm -rf "$deps/include/CLI" && cp -r /usr/include/CLI "$deps/include/CLI"

# --- the program and its tests -----------------------------------------------
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
tests_flag=ON
[ $want_tests = 1 ] || tests_flag=OFF
cmake -S "$root" -B "$build/cmake" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="$opt -DNDEBUG" -DTQ_WINDOWS_DEPS="$deps" -DTQPROG_TESTS=$tests_flag -DCMAKE_CROSSCOMPILING_EMULATOR="$wine_cmd" "${launcher[@]}" >/dev/null
targets=(tqprog-cli chip_database language_files)
[ $want_tests = 0 ] || targets+=(tqtests)
# login.dat is written by the generator, which runs under Wine.
start_wine || { say "Wine is needed to generate login.dat (apt-get install wine64)" >&2; exit 3; }
cmake --build "$build/cmake" -j"$jobs" --target "${targets[@]}"
bin="$build/cmake/bin"

# --- the package ---------------------------------------------------------------
version=$(sed -n 's/^project(tqprog .*VERSION \([0-9.]*\)).*/\1/p' "$root/CMakeLists.txt")
stage="$build/package/tqprog-$version-windows-x64"
rm -rf "$stage" && mkdir -p "$stage"
cp "$bin/tqprog-cli.exe" "$bin/login.dat" "$stage/"
cp "$root"/data/lang/*.ini "$stage/"
[ -f "$bin/tqprog.exe" ] && cp "$bin/tqprog.exe" "$stage/"
(cd "$build/package" && rm -f "tqprog-$version-windows-x64.zip" && zip -qr "tqprog-$version-windows-x64.zip" "$(basename "$stage")")
say "package: $build/package/tqprog-$version-windows-x64.zip"
if command -v makensis >/dev/null; then
  makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$build/package/tqprog-$version-windows-x64-setup.exe" \
    "$root/packaging/windows/tqprog.nsi" >/dev/null
  say "installer: $build/package/tqprog-$version-windows-x64-setup.exe"
fi

# --- runs under Wine ------------------------------------------------------------
if [ $run_tests = 1 ]; then
  "$root/scripts/windows/run-tests.sh" "$build"
fi
if [ $run_e2e = 1 ]; then
  "$root/scripts/windows/e2e-drive.sh" "$build"
fi
if [ $want_gui = 1 ]; then
  "$root/scripts/windows/build-qt.sh" "$build"
fi
