#!/usr/bin/env bash
# The assembler wizard against the engine and an outside tool, in one run on the same data,
# alternating, medians of at least 3 rounds:
#   a format 0 join through the wizard's page 3 (kbwizard assemble, headless) against
#   kbengine assemble of the same pieces (goal: at most 1.10 x the engine's time);
#   unpacking a gathered (stored) CAB archive the way the wizard does (kbwizard unpack: GCab on
#   a worker thread, the panel following every entry) against cabextract of the same archive
#   (goal: at most 1.25 x cabextract's time).
#
#   bash bench/wizard_vs_engine.sh [--rounds N] [--join-mib N] [--unpack-mib N] [--work DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=3
join_mib=1024
unpack_mib=512
work="${TMPDIR:-/tmp}/kb-wizard-bench"
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --join-mib) join_mib=$2; shift 2 ;;
    --unpack-mib) unpack_mib=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "unknown argument $1"; exit 2 ;;
  esac
done
engine=${KBENGINE:-build/bin/kbengine}
wizard=${KBWIZARD:-build/bin/kbwizard}
for tool in "$engine" "$wizard"; do
  [ -x "$tool" ] || { echo "build $tool first (bash setup.sh)"; exit 1; }
done
for tool in gcab cabextract; do
  command -v "$tool" > /dev/null || { echo "$tool missing (Debian package $tool)"; exit 1; }
done

rm -rf "$work"
mkdir -p "$work/pieces" "$work/tree" "$work/out"
trap 'rm -rf "$work"' EXIT
segment=262144

echo "making $join_mib MiB of random data and its format 0 series (pieces of 100 MiB)"
head -c $(( join_mib * 1048576 )) /dev/urandom > "$work/source.bin"
"$engine" split "$work/source.bin" "$work/pieces" --format 0 --size 104857600 > /dev/null
first="$work/pieces/source.001"

echo "making a $unpack_mib MiB tree and its stored CAB archive"
files=16
each=$(( unpack_mib * 1048576 / files ))
for ((i = 0; i < files; i++)); do
  mkdir -p "$work/tree/d$(( i % 4 ))"
  head -c "$each" /dev/urandom > "$work/tree/d$(( i % 4 ))/f$i.bin"
done
(cd "$work/tree" && gcab -c "$work/tree.cab" d0/* d1/* d2/* d3/*)
rm -rf "$work/tree"

now() { date +%s.%N; }
# time_one CMD...: runs the command into an empty out folder and prints its seconds.
time_one() {
  rm -rf "$work/out"; mkdir -p "$work/out"
  sync
  local t0 t1
  t0=$(now)
  "$@" > "$work/last.log" 2>&1 || { echo "failed: $*"; cat "$work/last.log"; exit 1; }
  t1=$(now)
  echo "$t0 $t1" | awk '{printf "%.3f", $2 - $1}'
}
median() { tr ' ' '\n' | grep . | sort -n | awk '{a[NR]=$1} END {m=(NR%2)?a[(NR+1)/2]:(a[NR/2]+a[NR/2+1])/2; printf "%.3f", m}'; }

# Both give the data back before anything is timed.
time_one "$wizard" assemble "$first" "$work/out" --segment $segment > /dev/null
cmp -s "$work/source.bin" "$work/out/source.bin" || { echo "the wizard's join differs"; exit 1; }
time_one "$wizard" unpack "$work/tree.cab" "$work/out" > /dev/null
[ "$(du -sb "$work/out" | cut -f1)" -ge $(( each * files )) ] || { echo "the wizard's unpacking is short"; exit 1; }

tw="" te="" uw="" uc=""
for ((r = 1; r <= rounds; r++)); do
  te+="$(time_one "$engine" assemble "$first" "$work/out" --segment $segment) "
  tw+="$(time_one "$wizard" assemble "$first" "$work/out" --segment $segment) "
  uc+="$(time_one cabextract -q -d "$work/out" "$work/tree.cab") "
  uw+="$(time_one "$wizard" unpack "$work/tree.cab" "$work/out") "
done
awk -v tw="$(echo $tw | median)" -v te="$(echo $te | median)" \
    -v uw="$(echo $uw | median)" -v uc="$(echo $uc | median)" -v r="$rounds" \
    -v jm="$join_mib" -v um="$unpack_mib" 'BEGIN {
  printf "== %d rounds, medians\n", r;
  printf "join %d MiB, format 0:  wizard %7.3f s   kbengine assemble %7.3f s   ratio %.2f (goal <= 1.10): %s\n",
         jm, tw, te, tw / te, (tw / te <= 1.10 ? "met" : "NOT met");
  printf "unpack %d MiB stored:  wizard %7.3f s   cabextract        %7.3f s   ratio %.2f (goal <= 1.25): %s\n",
         um, uw, uc, uw / uc, (uw / uc <= 1.25 ? "met" : "NOT met");
}'
