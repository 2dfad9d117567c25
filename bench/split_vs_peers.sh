#!/usr/bin/env bash
# Times splitting one file into 100 MiB pieces with kbengine (own format 0 and bare format 1)
# against its peers on the same file in the same run: coreutils split, a plain cat copy (in the
# kernel), a dd copy in 256 KiB blocks (through user memory) and 7-Zip store volumes. The tools
# take turns within each round, each round starting one tool further on; the script prints the
# medians, each rate as a ratio against cat and dd, and the goals:
#   format 0 split >= 0.95 x the cat copy rate, and >= 1.25 x the 7-Zip volume rate;
#   peak memory of the format 0 split below segment + 16 MiB, whatever the file size.
# Then, on the same file, the join half (bench/join_bench.sh): kbengine assemble of both
# formats against cat of the pieces and 7z x of the store volumes.
# Rounds run with a warm page cache, then (when this user may drop the cache) cold: the cache
# is dropped before every run.
#
#   bash bench/split_vs_peers.sh [--rounds N] [--size-mib N] [--file PATH] [--keep-file]
#
# Defaults: 3 rounds, a 2048 MiB file of random data made in $TMPDIR (else /tmp), removed at
# the end. Outputs are written beside the file and removed after every run. build/ must hold
# kbengine (bash setup.sh builds it).
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=3
size_mib=2048
file=""
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --size-mib) size_mib=$2; shift 2 ;;
    --file) file=$2; shift 2 ;;
    --keep-file) keep=1; shift ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done

engine=$PWD/build/bin/kbengine
[ -x "$engine" ] || { echo "build first: $engine is missing" >&2; exit 1; }
command -v 7z > /dev/null || { echo "7z is missing (bash scripts/install-deps.sh)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (bash scripts/install-deps.sh)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kbsplitbench-XXXXXX")
cleanup() {
  if [ "$keep" = 1 ] || [ -n "${given:-}" ]; then rm -rf "$work/out" "$work/join"; else rm -rf "$work"; fi
}
trap cleanup EXIT
if [ -z "$file" ]; then
  file=$work/source.bin
  echo "making $size_mib MiB of random data in $file"
  head -c $((size_mib * 1048576)) /dev/urandom > "$file"
else
  given=1
fi
bytes=$(stat -c %s "$file")
piece=104857600
segment=262144
out=$work/out

can_drop=0
if sync && (echo 3 > /proc/sys/vm/drop_caches) 2> /dev/null; then can_drop=1; fi

# ---- The tools. Each runs with the output folder $out made fresh and empty.
tool_names=(kb_format0 kb_format1 coreutils_split cat_copy dd_256k 7z_volumes)
run_tool() {
  case "$1" in
    kb_format0) "$engine" split "$file" "$out" --format 0 --size $piece --segment $segment > /dev/null ;;
    kb_format1) "$engine" split "$file" "$out" --format 1 --size $piece --segment $segment > /dev/null ;;
    coreutils_split) split -b 100M "$file" "$out/piece." ;;
    cat_copy) cat "$file" > "$out/copy" ;;
    dd_256k) dd if="$file" of="$out/copy" bs=256K status=none ;;
    7z_volumes) 7z a -mx0 -v100m "$out/archive.7z" "$file" > /dev/null ;;
  esac
}

now() { date +%s%N; }
declare -A warm cold
time_one() {  # name, cold (0/1) -> nanoseconds on stdout
  rm -rf "$out"; mkdir -p "$out"; sync
  if [ "$2" = 1 ]; then echo 3 > /proc/sys/vm/drop_caches; fi
  local t0 t1
  t0=$(now); run_tool "$1"; t1=$(now)
  rm -rf "$out"; sync
  echo $((t1 - t0))
}

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

measure() {  # cold (0/1)
  local mode=$1 label=warm
  [ "$mode" = 1 ] && label=cold
  cat "$file" > /dev/null
  local n=${#tool_names[@]}
  for ((r = 1; r <= rounds; r++)); do
    line="$label round $r:"
    # Each round starts one tool further on: no tool always follows the same one.
    for ((j = 0; j < n; j++)); do
      name=${tool_names[$(((j + r) % n))]}
      ns=$(time_one "$name" "$mode")
      if [ "$mode" = 1 ]; then cold[$name]+="$ns "; else warm[$name]+="$ns "; fi
      line+=" $name $((ns / 1000000)) ms;"
    done
    echo "$line"
  done
}

report() {  # label, then name=ns-list pairs read from the named array
  local label=$1; local -n times=$2
  echo
  echo "== $label cache: $(awk -v b="$bytes" 'BEGIN{printf "%.0f", b/1048576}') MiB, medians of $rounds rounds"
  local cat_med; cat_med=$(median ${times[cat_copy]})
  local z_med; z_med=$(median ${times[7z_volumes]})
  local d_med; d_med=$(median ${times[dd_256k]})
  for name in "${tool_names[@]}"; do
    local m; m=$(median ${times[$name]})
    awk -v n="$name" -v m="$m" -v b="$bytes" -v c="$cat_med" -v z="$z_med" -v d="$d_med" 'BEGIN {
      printf "  %-16s %8.1f ms %8.1f MB/s   rate x cat %.2f   x dd %.2f   x 7z %.2f   time / cat %.2f\n",
        n, m / 1e6, b / 1e6 / (m / 1e9), c / m, d / m, z / m, m / c }'
  done
  local f0; f0=$(median ${times[kb_format0]})
  awk -v f="$f0" -v c="$cat_med" -v z="$z_med" 'BEGIN {
    printf "  goals: format 0 rate / cat rate %.2f (goal >= 0.95): %s; format 0 rate / 7z rate %.2f (goal >= 1.25): %s\n",
      c / f, (c / f >= 0.95 ? "met" : "NOT met"), z / f, (z / f >= 1.25 ? "met" : "NOT met") }'
}

peak_kib() {  # file -> peak resident KiB of a format 0 split of it
  rm -rf "$out"; mkdir -p "$out"
  local k
  k=$( { /usr/bin/time -f '%M' "$engine" split "$1" "$out" --format 0 --size $piece --segment $segment > /dev/null; } 2>&1 | tail -1)
  rm -rf "$out"
  echo "$k"
}

echo "file $file, $bytes bytes; pieces of $piece bytes; segment $segment bytes"
measure 0
report warm warm
if [ "$can_drop" = 1 ]; then
  measure 1
  report cold cold
else
  echo
  echo "(the page cache cannot be dropped by this user: no cold rounds)"
fi

echo
small=$work/small.bin
head -c $((bytes / 8)) "$file" > "$small"
limit_kib=$(( (segment + 16 * 1048576) / 1024 ))
big_kib=$(peak_kib "$file")
small_kib=$(peak_kib "$small")
rm -f "$small"
echo "== peak memory of the format 0 split (limit segment + 16 MiB = $limit_kib KiB)"
echo "  $((bytes / 1048576)) MiB file: $big_kib KiB; $((bytes / 8 / 1048576)) MiB file: $small_kib KiB: $( [ "$big_kib" -lt "$limit_kib" ] && [ "$small_kib" -lt "$limit_kib" ] && echo met || echo NOT met)"

echo
echo "== joining the same file"
bash bench/join_bench.sh "$file" --rounds "$rounds" --work "$work/join" \
  $( [ "$can_drop" = 1 ] && echo --drop-caches )
