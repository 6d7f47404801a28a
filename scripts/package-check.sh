#!/bin/bash
# Builds the Debian package and checks it with the tools packagers use:
# lintian on the .deb, appstreamcli on its metainfo, desktop-file-validate on
# its desktop entry. Fails when any of them reports an error or a warning; a
# check whose tool is missing is skipped, saying so.
#
#   bash scripts/package-check.sh [BUILD_DIR] [--install | --fresh-root]
#
# BUILD_DIR defaults to build-package/, configured for a release build.
# --install (as root) then installs the package on this machine, runs both
# programs from it as a user who never ran them, and removes it again.
# --fresh-root (as root) does the same in a new Debian 12 root made with
# debootstrap, so that only what the package declares is there.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$source_dir/build-package
mode=checks
for argument in "$@"; do
    case $argument in
        --install) mode=install ;;
        --fresh-root) mode=fresh-root ;;
        *) build=$argument ;;
    esac
done

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQPROG_TESTS=OFF
fi
cmake --build "$build" -j2 --target tqprog tqprog-cli manual_page
rm -f "$build"/tqprog_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tqprog_*.deb)
echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Maintainer Section Priority Depends

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
failed=0
if command -v lintian >/dev/null; then
    echo "== lintian"
    # Run as root the way packagers run it; lintian refuses nothing for that.
    lintian --allow-root --fail-on error,warning "$deb" || failed=1
else
    echo "== lintian: skipped, not installed (apt install lintian)"
fi
if command -v appstreamcli >/dev/null; then
    echo "== appstreamcli validate --no-net"
    appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml || failed=1
else
    echo "== appstreamcli: skipped, not installed (apt install appstream)"
fi
if command -v desktop-file-validate >/dev/null; then
    echo "== desktop-file-validate"
    # It says warnings and errors on its output, and fails only on errors.
    said=$(desktop-file-validate "$unpacked"/usr/share/applications/*.desktop 2>&1) || failed=1
    [ -z "$said" ] || { echo "$said"; failed=1; }
    [ "$failed" = 1 ] || echo "no issues"
else
    echo "== desktop-file-validate: skipped, not installed (apt install desktop-file-utils)"
fi
[ "$failed" = 0 ] || { echo "package-check: the package has issues (above)"; exit 1; }
echo "package-check: lintian, appstreamcli and desktop-file-validate found no issue"
[ "$mode" = checks ] && exit 0

# Runs both programs from the package as a user who never ran them: `run`
# runs a command in the root the package was installed into.
try_programs() {
    echo "== installed files"
    run sh -c 'command -v tqprog; command -v tqprog-cli; ls /usr/share/man/man1/tqprog*.1.gz /usr/share/doc/tqprog'
    echo "== tqprog-cli --version"
    run tqprog-cli --version
    echo "== tqprog --version"
    run tqprog --version
    echo "== tqprog-cli --simulator -c GD25Q64 --sim-erase-ms 0 auto (a 64 KiB image)"
    run sh -c 'head -c 65536 /dev/urandom > "$HOME/image.bin" && tqprog-cli --simulator -c GD25Q64 --sim-erase-ms 0 auto "$HOME/image.bin"'
    echo "== tqprog --simulator on the offscreen platform for 5 seconds"
    local status=0
    run env QT_QPA_PLATFORM=offscreen timeout 5 tqprog --simulator || status=$?
    [ "$status" = 124 ] || { echo "tqprog ended early with status $status"; exit 1; }
    echo "tqprog was still running after 5 s: stopped it"
}

if [ "$mode" = install ]; then
    apt-get install -y --no-install-recommends "$deb"
    trap 'rm -rf "$unpacked"; apt-get remove -y tqprog >/dev/null' EXIT
    home=$(mktemp -d)
    run() { env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }
    try_programs
    rm -rf "$home"
    exit 0
fi

command -v debootstrap >/dev/null || { echo "--fresh-root: debootstrap is not installed"; exit 1; }
root=$(mktemp -d /var/tmp/tqprog-root.XXXXXX)
chmod 755 "$root"  # the root folder of the new system: its user must get in
trap 'rm -rf "$unpacked"; umount "$root/proc" 2>/dev/null || true; rm -rf "$root" "$root.log"' EXIT
echo "== debootstrap --variant=minbase bookworm $root"
debootstrap --variant=minbase bookworm "$root" >"$root.log" 2>&1 || { tail -20 "$root.log"; exit 1; }
mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/"
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "/tmp/$(basename "$deb")" |
    tail -3
chroot "$root" useradd -m user
run() { chroot "$root" env -i HOME=/home/user PATH=/usr/bin:/bin LANG=C.UTF-8 setpriv --reuid=user --regid=user --init-groups "$@"; }
try_programs
