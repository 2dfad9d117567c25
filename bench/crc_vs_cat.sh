#!/usr/bin/env bash
# Times `kbengine crc` against `cat FILE > /dev/null` on the same warm file, alternating the
# two, and prints the medians and their ratio. The CRC must never be what limits the engine:
# the goal is a ratio of at most 1.6.
#   bash bench/crc_vs_cat.sh [ROUNDS] [SIZE_MIB]     (defaults: 5 rounds, 1024 MiB)
# The file is made in $TMPDIR (else /tmp) and removed at the end; build/ must hold kbengine.
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-5}
size_mib=${2:-1024}
engine=build/bin/kbengine
[ -x "$engine" ] || { echo "build first: $engine is missing" >&2; exit 1; }

file=$(mktemp "${TMPDIR:-/tmp}/kbbench-XXXXXX")
trap 'rm -f "$file"' EXIT
head -c $((size_mib * 1048576)) /dev/urandom > "$file"
cat "$file" > /dev/null  # warm the page cache
"$engine" crc "$file" > /dev/null

now() { date +%s%N; }
engine_ns=()
cat_ns=()
for ((i = 1; i <= rounds; i++)); do
  t0=$(now); "$engine" crc "$file" > /dev/null; t1=$(now)
  cat "$file" > /dev/null; t2=$(now)
  engine_ns+=($((t1 - t0)))
  cat_ns+=($((t2 - t1)))
  printf 'round %d: kbengine crc %d ms, cat %d ms\n' "$i" $(((t1 - t0) / 1000000)) $(((t2 - t1) / 1000000))
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
me=$(median "${engine_ns[@]}")
mc=$(median "${cat_ns[@]}")
awk -v e="$me" -v c="$mc" -v s="$size_mib" 'BEGIN {
  printf "file %d MiB, medians: kbengine crc %.1f ms, cat %.1f ms; ratio %.2f (goal <= 1.6)\n", s, e / 1e6, c / 1e6, e / c }'
