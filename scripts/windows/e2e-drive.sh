#!/usr/bin/env bash
# The Windows transfer path end to end: a simulated programmer mounted as a
# real 4608-byte volume (tqprog-simdrive, FUSE), given a Wine drive letter
# marked removable, and tqprog-cli.exe finding it through GetLogicalDrives,
# GetDriveType and the volume size, then info, write, verify and read
# through the unbuffered Write.Temp where the drive shows its true size
# (Wine shows 4096 bytes: see the case below).
#   scripts/windows/e2e-drive.sh WINDOWS-BUILD-FOLDER [HOST-BIN-FOLDER]
# HOST-BIN-FOLDER holds a native tqprog-simdrive and login.dat (default build/bin).
# Exits 0 with one line saying why when Wine or FUSE is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "$1")
host_bin=$(realpath "${2:-$root/build/bin}")
win_bin="$build/cmake/bin"
skip() { echo "windows e2e skipped: $*"; exit 0; }

wine_cmd=$(command -v wine64 || command -v wine || true)
[ -n "$wine_cmd" ] || skip "Wine is not installed"
[ -x "$host_bin/tqprog-simdrive" ] || skip "no native tqprog-simdrive in $host_bin (libfuse3-dev missing?)"
[ -r /dev/fuse ] && [ -w /dev/fuse ] || skip "/dev/fuse is missing or not usable"
command -v fusermount3 >/dev/null || skip "fusermount3 is not installed"
[ -f "$win_bin/tqvolumes.exe" ] || skip "no tqprog-cli.exe or tqvolumes.exe in $win_bin (run scripts/build-windows.sh with its tests)"

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d "$build/e2e.XXXXXX")
mnt="$work/drive"
letter=t
simdrive_pid=
finish() {
  [ -n "$simdrive_pid" ] && kill "$simdrive_pid" 2>/dev/null && wait "$simdrive_pid" 2>/dev/null
  mountpoint -q "$mnt" 2>/dev/null && fusermount3 -u "$mnt"
  rm -f "$WINEPREFIX/dosdevices/$letter:"
  rm -rf "$work"
}
trap finish EXIT

mkdir -p "$mnt"
"$host_bin/tqprog-simdrive" "$mnt" --program-dir "$host_bin" --sim-chip W25X10 >"$work/simdrive.log" 2>&1 &
simdrive_pid=$!
for _ in $(seq 100); do mountpoint -q "$mnt" && break; sleep 0.1; done
mountpoint -q "$mnt" || { cat "$work/simdrive.log"; echo "windows e2e: tqprog-simdrive did not mount" >&2; exit 1; }

# The drive letter, and Wine's drive setting that makes GetDriveType say removable.
ln -sfn "$mnt" "$WINEPREFIX/dosdevices/$letter:"
"$wine_cmd" reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d floppy /f >/dev/null 2>&1
"$(dirname "$wine_cmd")/wineserver" -k 2>/dev/null || wineserver -k 2>/dev/null || true  # reread the drives

# A portable program folder of its own, so the run leaves the build's alone.
prog="$work/program"
mkdir -p "$prog"
cp "$win_bin/tqprog-cli.exe" "$win_bin/login.dat" "$win_bin"/*.ini "$prog/"
head -c 131072 /dev/urandom >"$work/image.bin"  # the whole W25X10
cli() { (cd "$prog" && "$wine_cmd" ./tqprog-cli.exe --lang 2 "$@" 2>&1 | tr -d '\r'); }

status=0
step() {
  local name=$1; shift
  if out=$(cli "$@"); then echo "windows e2e: $name ok"; else echo "windows e2e: $name FAILED"; status=1; fi
  printf '%s\n' "$out" >"$work/$name.log"
  [ $status = 0 ] || sed 's/^/    /' "$work/$name.log"
}


win() { echo "Z:${1//\//\\}"; }  # Wine maps Z: to /

# What the Windows discovery sees of the drive: GetLogicalDrives, GetDriveType,
# GetVolumeInformation, GetDiskFreeSpace.
seen=$(cd "$win_bin" && "$wine_cmd" ./tqvolumes.exe 2>/dev/null | tr -d '\r' | grep -i "^$letter:" || true)
echo "windows e2e: discovery sees ${seen:-no drive $letter:}"
echo "$seen" >"$build/e2e-discovery.txt"
case "$seen" in
  *" removable readable 4608 bytes") ;;
  *" removable readable 4096 bytes")
    # Wine counts disk space in allocation units of 8 x 512 bytes whatever the
    # filesystem says, so a 4608-byte volume shows as 4096 and the size rule
    # rightly refuses it: the commands must say no programmer (status 3).
    info_status=0
    cli info >"$work/info.log" 2>&1 || info_status=$?
    if [ "$info_status" = 3 ]; then
      echo "windows e2e: info refuses the drive as it must (Wine reports 4096 bytes: it counts in 4096-byte units); write, verify and read need a Windows that reports 4608"
      exit 0
    fi
    echo "windows e2e: info accepted a 4096-byte drive (status $info_status)"; exit 1 ;;
  *) echo "windows e2e: drive $letter: is not seen as a removable readable volume"; exit 1 ;;
esac
step info --trace info
step write -c W25X10 write "$(win "$work/image.bin")"
step verify -c W25X10 verify "$(win "$work/image.bin")"
step read -c W25X10 read "$(win "$work/back.bin")"
if [ $status = 0 ] && cmp -s "$work/back.bin" "$work/image.bin"; then
  echo "windows e2e: read back equals the image written"
else
  echo "windows e2e: read back differs from the image written"; status=1
fi
# One exchange as the trace shows it, for the record.
grep -m1 -B2 -A6 -i "T:\\\\\|Write.Temp" "$work/info.log" | sed 's/^/    /' >"$build/e2e-trace.txt" || true
cp "$work/info.log" "$build/e2e-info.log"
[ $status = 0 ] && echo "windows e2e: passed (drive $letter: through Wine)"
exit $status
