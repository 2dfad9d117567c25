#!/usr/bin/env bash
# Join benchmark: in one run and on the same file, times alternately
#   kbengine assemble of an own-format series (CRC-32 checked on every piece),
#   kbengine assemble of a bare series,
#   cat of the bare pieces into one file (copied in the kernel),
#   dd of the bare pieces in 256 KiB blocks into one file (copied through user memory),
#   7z x of store volumes of the file,
# all with 100 MiB pieces, for at least 3 rounds, and prints the medians and the ratios of
# the rates against cat and 7-Zip, plus kbengine's peak memory for two file sizes.
#
#   bash bench/join_bench.sh [FILE] [--rounds N] [--size-mib N] [--work DIR] [--drop-caches]
#
# Without FILE a file of random bytes (default 2048 MiB) is made once in the work folder.
# --drop-caches also times every join with the page cache dropped first (needs root; skipped
# when the system refuses).
set -euo pipefail
cd "$(dirname "$0")/.."

file=""
rounds=3
size_mib=2048
work="${TMPDIR:-/tmp}/kb-join-bench"
drop=0
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --size-mib) size_mib=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --drop-caches) drop=1; shift ;;
    *) file=$1; shift ;;
  esac
done
engine=${KBENGINE:-build/bin/kbengine}
[ -x "$engine" ] || { echo "build kbengine first (bash setup.sh)"; exit 1; }
command -v 7z > /dev/null || { echo "7z missing (Debian package p7zip-full)"; exit 1; }

mkdir -p "$work"
made=0
cleanup() {
  rm -rf "$work/f0" "$work/f1" "$work/7z" "$work/out" "$work/fs" "$work/small.bin" "$work/last.log" "$work/mem.txt"
  [ "$made" = 1 ] && rm -f "$work/source.bin"
  return 0
}
trap cleanup EXIT
if [ -z "$file" ]; then
  made=1
  file="$work/source.bin"
  want=$(( size_mib * 1048576 ))
  if [ ! -f "$file" ] || [ "$(stat -c %s "$file")" -ne "$want" ]; then
    echo "making $size_mib MiB of random data in $file"
    head -c "$want" /dev/urandom > "$file"
  fi
fi
bytes=$(stat -c %s "$file")
piece=104857600
name=$(basename "$file")
base=${name%.*}

rm -rf "$work/f0" "$work/f1" "$work/7z" "$work/out"
mkdir -p "$work/f0" "$work/f1" "$work/7z" "$work/out"
echo "preparing the series ($bytes bytes, pieces of $piece bytes)"
"$engine" split "$file" "$work/f0" --format 0 --size "$piece" > /dev/null
"$engine" split "$file" "$work/f1" --format 1 --size "$piece" > /dev/null
(cd "$work/7z" && 7z a -mx0 -v100m vol.7z "$file" > /dev/null)
first0="$work/f0/$base.001"
first1="$work/f1/$base.001"

can_drop=0
if [ "$drop" = 1 ] && sync && echo 3 2> /dev/null > /proc/sys/vm/drop_caches; then can_drop=1; fi

now() { date +%s.%N; }
# time_one JOIN: runs one of the joins below into an empty folder and prints its seconds.
time_one() {
  local t0 t1
  rm -rf "$work/out"; mkdir -p "$work/out"
  sync
  [ "$cold" = 1 ] && echo 3 > /proc/sys/vm/drop_caches
  t0=$(now)
  "$1" > "$work/last.log" 2>&1 || { echo "failed: $1"; cat "$work/last.log"; exit 1; }
  t1=$(now)
  echo "$t0 $t1" | awk '{printf "%.3f", $2 - $1}'
}
join0() { "$engine" assemble "$first0" "$work/out"; }
join1() { "$engine" assemble "$first1" "$work/out"; }
joincat() { cat "$work"/f1/"$base".[0-9][0-9][0-9] > "$work/out/$name"; }
joindd() {
  local p
  for p in "$work"/f1/"$base".[0-9][0-9][0-9]; do dd if="$p" bs=256K status=none; done > "$work/out/$name"
}
join7z() { 7z x -y -o"$work/out" "$work/7z/vol.7z.001"; }

# Check once that every join gives the file back.
joins=(join0 join1 joincat joindd join7z)
for j in "${joins[@]}"; do
  rm -rf "$work/out"; mkdir -p "$work/out"
  $j > /dev/null 2>&1
  out=$(ls "$work/out")
  cmp -s "$file" "$work/out/$out" || { echo "$j did not give the file back"; exit 1; }
done

median() { sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.3f", m}'; }

report() {
  local label=$1
  declare -A times=()
  local n=${#joins[@]} i j
  for ((r = 1; r <= rounds; r++)); do
    # Each round starts one join further on: no join always follows the same one.
    for ((i = 0; i < n; i++)); do
      j=${joins[$(((i + r) % n))]}
      times[$j]+="$(time_one "$j") "
    done
  done
  echo "== $label ($rounds rounds, medians)"
  local t0 t1 tc td t7
  td=$(echo ${times[joindd]} | tr ' ' '\n' | median)
  t0=$(echo ${times[join0]} | tr ' ' '\n' | median)
  t1=$(echo ${times[join1]} | tr ' ' '\n' | median)
  tc=$(echo ${times[joincat]} | tr ' ' '\n' | median)
  t7=$(echo ${times[join7z]} | tr ' ' '\n' | median)
  awk -v b="$bytes" -v t0="$t0" -v t1="$t1" -v tc="$tc" -v td="$td" -v t7="$t7" 'BEGIN {
    r0 = b / t0 / 1e6; r1 = b / t1 / 1e6; rc = b / tc / 1e6; rd = b / td / 1e6; r7 = b / t7 / 1e6;
    printf "kbengine assemble, format 0 (CRC): %7.3f s  %8.1f MB/s\n", t0, r0;
    printf "kbengine assemble, format 1:       %7.3f s  %8.1f MB/s\n", t1, r1;
    printf "cat pieces > out:                  %7.3f s  %8.1f MB/s\n", tc, rc;
    printf "dd bs=256K of the pieces > out:    %7.3f s  %8.1f MB/s\n", td, rd;
    printf "7z x store volumes:                %7.3f s  %8.1f MB/s\n", t7, r7;
    printf "format 0 rate / cat rate %.2f (goal >= 1.0): %s\n", r0 / rc, (r0 / rc >= 1.0 ? "met" : "NOT met");
    printf "format 0 rate / 7z rate  %.2f (goal >= 1.25): %s\n", r0 / r7, (r0 / r7 >= 1.25 ? "met" : "NOT met");
    printf "format 1 rate / cat rate %.2f; format 1 rate / 7z rate %.2f\n", r1 / rc, r1 / r7;
    printf "time / cat time: format 0 %.2f, format 1 %.2f, dd %.2f; format 0 time / dd time %.2f\n",
      t0 / tc, t1 / tc, td / tc, t0 / td;
  }'
}

cold=0
report "warm page cache"
if [ "$can_drop" = 1 ]; then
  cold=1
  report "page cache dropped before every join"
  cold=0
elif [ "$drop" = 1 ]; then
  echo "(the page cache cannot be dropped here; cold runs skipped)"
fi

# Peak memory of the format 0 join for the whole file and for a quarter of it: flat in the size.
echo "== peak memory of kbengine assemble (format 0, segment 262144)"
small="$work/small.bin"
head -c $(( bytes / 4 )) "$file" > "$small"
rm -rf "$work/fs"; mkdir -p "$work/fs"
"$engine" split "$small" "$work/fs" --format 0 --size "$piece" > /dev/null
for first in "$work/fs/small.001" "$first0"; do
  rm -rf "$work/out"; mkdir -p "$work/out"
  /usr/bin/time -f "%M" -o "$work/mem.txt" "$engine" assemble "$first" "$work/out" > /dev/null 2>&1
  kib=$(tail -1 "$work/mem.txt")
  echo "$(stat -c %s "$(ls -d "$work"/out/*)") bytes joined: peak resident $kib KiB"
done
