#!/usr/bin/env bash
# Times this tree's PSD reader against the one of an earlier revision in the same
# run: builds that revision's bench_psd in a worktree of its own, then runs the
# two benches in turn on the same files, ROUNDS times each, and prints each
# file's median load time for both and their ratio (this tree / the revision).
# The default revision is the reader before it streamed its image data.
# Usage: bench/psd/against-revision.sh BUILD_DIR [REVISION] [ROUNDS] [FILTER]
set -euo pipefail
build="$(cd "${1:?usage: $0 BUILD_DIR [REVISION] [ROUNDS] [FILTER]}" && pwd)"
rev="${2:-7faa33d^}"
rounds="${3:-3}"
only="${4:-}"
src="$(cd "$(dirname "$0")/../.." && pwd)"
ours="$build/bench/psd/bench_psd"
data="$build/bench/psd/data"
[ -x "$ours" ] || { echo "build bench_psd first (ninja -C $build bench_psd)"; exit 1; }

work="$build/bench/psd/revision"
if [ ! -x "$work/build/bench/psd/bench_psd" ] ||
    [ "$(cat "$work/rev" 2>/dev/null)" != "$(git -C "$src" rev-parse "$rev")" ]; then
    rm -rf "$work"
    git -C "$src" worktree prune
    git -C "$src" worktree add --detach "$work/tree" "$rev" >/dev/null
    git -C "$src" rev-parse "$rev" >"$work/rev"
    cmake -S "$work/tree" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    ninja -C "$work/build" bench_psd >/dev/null
fi
theirs="$work/build/bench/psd/bench_psd"

# One line per file and run: "NAME MS" from a bench's table (second column).
times() { "$1" "$data" 3 "$only" | awk '$2 ~ /^[0-9.]+$/ && $1 ~ /_(raw|rle)$/ {print $1, $2}'; }
: >"$work/ours.txt"
: >"$work/theirs.txt"
for round in $(seq "$rounds"); do
    echo "round $round of $rounds"
    times "$ours" >>"$work/ours.txt"
    times "$theirs" >>"$work/theirs.txt"
done

median() { # FILE NAME
    awk -v n="$2" '$1 == n {print $2}' "$1" | sort -g |
        awk '{v[NR] = $1} END {if (NR) print v[int((NR + 1) / 2)]}'
}
echo
echo "PSD load, median of $rounds rounds (each a median of 3 loads), same run"
printf "%-10s %12s %12s %8s\n" file "this tree ms" "$(git -C "$src" rev-parse --short "$rev") ms" ratio
for name in $(awk '{print $1}' "$work/ours.txt" | sort -u); do
    a=$(median "$work/ours.txt" "$name")
    b=$(median "$work/theirs.txt" "$name")
    [ -n "$b" ] || continue
    awk -v n="$name" -v a="$a" -v b="$b" 'BEGIN {printf "%-10s %12.1f %12.1f %7.2fx\n", n, a, b, a / b}'
done
