#!/usr/bin/env bash
# Times `tqprog-cli convert` against objcopy on a 64 MiB random image, every
# direction of Intel HEX and S-record, whole processes writing into a file
# that does not exist yet. Each round runs the two tools one right after the
# other on the same warm input (paired runs), so load from other work on the
# machine hits both alike; after the rounds it prints each tool's median wall
# time and the ratio objcopy / tqprog-cli (above 1: tqprog-cli is faster),
# then the same for CPU time (user + system), which a busy machine disturbs
# less than wall time.
#
# The outputs are checked too: each text file converts back to the image
# with the other tool, and each binary output equals the image.
#
#   bash bench/convert_vs_objcopy.sh [TQPROG_CLI] [ROUNDS] [MIB]
#
# TQPROG_CLI defaults to build-rel/bin/tqprog-cli (configure that folder with
# -DCMAKE_BUILD_TYPE=Release); ROUNDS to 5, MIB to 64.
set -euo pipefail

cli=${1:-build-rel/bin/tqprog-cli}
rounds=${2:-5}
mib=${3:-64}
[[ -x $cli ]] || { echo "no tqprog-cli at $cli (build it with -DCMAKE_BUILD_TYPE=Release)" >&2; exit 2; }
command -v objcopy >/dev/null || { echo "objcopy is not installed" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tqprog-convert-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
head -c $((mib << 20)) /dev/urandom >"$work/image.bin"
# Inputs made by objcopy: 16-byte records from address 0 (S3 records, as a
# 64 MiB image needs 32-bit addresses; ours picks S3 by the ".s37" extension).
objcopy -I binary -O ihex "$work/image.bin" "$work/in.hex"
objcopy -I binary -O srec --srec-forceS3 "$work/image.bin" "$work/in.s37"

seconds() {  # runs the command, prints its wall time and its CPU time in seconds
    local TIMEFORMAT='%R %U %S' times
    times=$({ time "$@" >/dev/null 2>&1; } 2>&1)
    read -r wall user system <<<"$times"
    echo "$wall $(echo "$user + $system" | bc -l)"
}

# The median of column $1 of the input.
median() { awk -v c="$1" '{ print $c }' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# name, objcopy arguments (input output appended), input, output extension
directions=(
    "binary->HEX|-I binary -O ihex|image.bin|hex"
    "HEX->binary|-I ihex -O binary|in.hex|bin"
    "binary->S-record|-I binary -O srec --srec-forceS3|image.bin|s37"
    "S-record->binary|-I srec -O binary|in.s37|bin"
)

status=0
printf '%-18s %10s %10s %7s   %10s %10s %7s  %s\n' direction "objcopy" "tqprog-cli" ratio "cpu objc." "cpu ours" ratio outputs
for direction in "${directions[@]}"; do
    IFS='|' read -r name objcopyArgs input extension <<<"$direction"
    : >"$work/objcopy.times"
    : >"$work/ours.times"
    for ((round = 0; round < rounds; ++round)); do
        rm -f "$work/theirs.$extension" "$work/ours.$extension"
        # Each run starts with nothing of the last one left to write back: on a
        # disk, that writeback would otherwise slow whichever tool runs next.
        sync
        # shellcheck disable=SC2086
        seconds objcopy $objcopyArgs "$work/$input" "$work/theirs.$extension" >>"$work/objcopy.times"
        sync
        seconds "$cli" convert "$work/$input" "$work/ours.$extension" >>"$work/ours.times"
    done
    theirs=$(median 1 <"$work/objcopy.times")
    ours=$(median 1 <"$work/ours.times")
    theirsCpu=$(median 2 <"$work/objcopy.times")
    oursCpu=$(median 2 <"$work/ours.times")
    # Correct output: a binary equals the image; a text file, read back by
    # the other tool, gives the image.
    if [[ $extension == bin ]]; then
        cmp -s "$work/ours.bin" "$work/image.bin" && cmp -s "$work/theirs.bin" "$work/image.bin" && check=same || check=DIFFER
    else
        bfd=$([[ $extension == hex ]] && echo ihex || echo srec)
        objcopy -I "$bfd" -O binary "$work/ours.$extension" "$work/back.bin"
        cmp -s "$work/back.bin" "$work/image.bin" && check=same || check=DIFFER
    fi
    [[ $check == same ]] || status=1
    printf '%-18s %9.3fs %9.3fs %6.1fx   %9.3fs %9.3fs %6.1fx  %s\n' "$name" "$theirs" "$ours" \
        "$(echo "$theirs / $ours" | bc -l)" "$theirsCpu" "$oursCpu" "$(echo "$theirsCpu / $oursCpu" | bc -l)" "$check"
done
exit $status
