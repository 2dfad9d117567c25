#!/usr/bin/env bash
# Times what the splitter wizard adds to the work it drives, in one run, the two sides taking
# turns within each round:
#   a format 0 split through the main window's SplitFromWizard (offscreen, boxes answered by
#   their default button) against kbengine split of the same file with the same piece size and
#   segment;
#   encrypting through the wizard's third stage (password window scripted, Tea chosen) against
#   the Tea plug-in's PluginMain called directly with a callback that does nothing.
# Prints the medians, the ratios wizard / peer, the goals (split <= 1.10 x, encryption <= 1.25 x)
# and the memory the wizard's split adds to the window's resident size (goal: below the
# segment + 32 MiB).
#
#   bash bench/split_wizard_vs_engine.sh [--rounds N] [--split-mib N] [--encrypt-mib N]
#
# Defaults: 5 rounds, a 1024 MiB file to split and a 256 MiB file to encrypt, made of random
# data in $TMPDIR (else /var/tmp) and removed at the end. build/ must hold kbengine and
# wizard_split.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=5
split_mib=1024
encrypt_mib=256
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --split-mib) split_mib=$2; shift 2 ;;
    --encrypt-mib) encrypt_mib=$2; shift 2 ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done

engine=$PWD/build/bin/kbengine
wizard=$PWD/build/bin/wizard_split
for tool in "$engine" "$wizard"; do
  [ -x "$tool" ] || { echo "build first: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/var/tmp}/kbwizbench-XXXXXX")
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
# The window's settings, task folder and temporary files stay inside the work folder.
export KESTRELBINDER_HOME=$work/home KESTRELBINDER_REGISTRY=$work/registry TMPDIR=$work/tmp
mkdir -p "$KESTRELBINDER_HOME" "$KESTRELBINDER_REGISTRY" "$TMPDIR"

echo "making $split_mib MiB and $encrypt_mib MiB of random data in $work"
head -c $((split_mib * 1048576)) /dev/urandom > "$work/split.bin"
head -c $((encrypt_mib * 1048576)) /dev/urandom > "$work/encrypt.bin"
piece=104857600
segment=262144
out=$work/out

seconds() { sed -n 's/.*"seconds": \([0-9.]*\).*/\1/p' | tail -1; }
field() { sed -n "s/.*\"$1\": \([0-9]*\).*/\1/p" | tail -1; }
median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }

# Each run starts with the output of the last one gone and written back, so that neither side
# pays for the other's writes.
fresh() { rm -rf "$out"; mkdir -p "$out"; sync; }
wizard_split() {
  fresh
  local line
  line=$("$wizard" split "$work/split.bin" "$out" $piece $segment 2> /dev/null | tail -1)
  wiz_split+=("$(echo "$line" | seconds)")
  growth+=($(( $(echo "$line" | field peak_kib) - $(echo "$line" | field rss_before_kib) )))
}
engine_split() {
  fresh
  eng_split+=("$("$engine" split "$work/split.bin" "$out" --format 0 --size $piece --segment $segment 2> /dev/null | seconds)")
}
wizard_encrypt() { fresh; wiz_enc+=("$("$wizard" encrypt "$work/encrypt.bin" 2> /dev/null | seconds)"); }
plugin_encrypt() { fresh; tea_enc+=("$("$wizard" tea "$work/encrypt.bin" 2> /dev/null | seconds)"); }

declare -a wiz_split eng_split wiz_enc tea_enc growth split_ratio enc_ratio
for r in $(seq 1 "$rounds"); do
  # The sides take turns at going first.
  if [ $((r % 2)) = 1 ]; then
    wizard_split; engine_split; wizard_encrypt; plugin_encrypt
  else
    engine_split; wizard_split; plugin_encrypt; wizard_encrypt
  fi
  split_ratio+=("$(awk -v a="${wiz_split[-1]}" -v b="${eng_split[-1]}" 'BEGIN {print a / b}')")
  enc_ratio+=("$(awk -v a="${wiz_enc[-1]}" -v b="${tea_enc[-1]}" 'BEGIN {print a / b}')")
  echo "round $r: split wizard ${wiz_split[-1]} s, engine ${eng_split[-1]} s; encrypt wizard ${wiz_enc[-1]} s, plug-in ${tea_enc[-1]} s; split memory +${growth[-1]} KiB"
done
rm -rf "$out"

ws=$(printf '%s\n' "${wiz_split[@]}" | median)
es=$(printf '%s\n' "${eng_split[@]}" | median)
we=$(printf '%s\n' "${wiz_enc[@]}" | median)
te=$(printf '%s\n' "${tea_enc[@]}" | median)
gm=$(printf '%s\n' "${growth[@]}" | median)
sr=$(printf '%s\n' "${split_ratio[@]}" | median)
er=$(printf '%s\n' "${enc_ratio[@]}" | median)
limit=$(( (segment + 32 * 1048576) / 1024 ))
echo
echo "medians over $rounds rounds"
awk -v w="$ws" -v e="$es" -v r="$sr" 'BEGIN {printf "split %d MiB:   wizard %.3f s, engine %.3f s, median round ratio %.3f (goal <= 1.10)\n", '"$split_mib"', w, e, r}'
awk -v w="$we" -v t="$te" -v r="$er" 'BEGIN {printf "encrypt %d MiB: wizard %.3f s, plug-in %.3f s, median round ratio %.3f (goal <= 1.25)\n", '"$encrypt_mib"', w, t, r}'
echo "split memory added to the window: $gm KiB (goal < $limit KiB)"
