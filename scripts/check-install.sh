#!/usr/bin/env bash
# Installs a build into a temporary prefix (with a blank in its name, as people's folders have)
# and checks the result: the program folder and the desktop files are laid out, the bench tools
# are not installed, every installed desktop file validates, the shell extension is registered
# with the program folder recorded, and the installed program starts, loads the Tea plug-in
# from its folder and writes its start-up lines.
set -euo pipefail
build=${1:-build}
tmp=$(mktemp -d)
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "check-install: $*" >&2; exit 1; }

# Settings, menu entries and task folders of this check stay in the temporary folder.
export KESTRELBINDER_REGISTRY="$tmp/registry" XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config"
unset KESTRELBINDER_HOME
prefix="$tmp/pre fix"
cmake --install "$build" --prefix "$prefix" >/dev/null
folder="$prefix/lib/kestrelbinder"

for f in "$folder/Kestrelbinder" "$folder/kestrelbinder-shell" "$folder/KestrelbinderShellExt.so" \
         "$folder/Plugins/libTea.so" "$folder/Plugins/Plugins.lst" "$folder/Help/index.html" \
         "$prefix/bin/kestrelbinder" "$prefix/share/applications/kestrelbinder.desktop" \
         "$prefix/share/icons/hicolor/scalable/apps/kestrelbinder.svg"; do
  [ -e "$f" ] || fail "missing $f"
done
[ -d "$folder/Unfinished Tasks" ] || fail "missing $folder/Unfinished Tasks"
[ "$(readlink -f "$prefix/bin/kestrelbinder")" = "$(readlink -f "$folder/Kestrelbinder")" ] ||
  fail "bin/kestrelbinder does not lead to the program"
grep -q "^1$folder/Plugins/libTea.so"$'\r'"\$" "$folder/Plugins/Plugins.lst" || fail "Tea is not listed"
if find "$prefix" -name 'kbengine*' -o -name 'tea_bench*' | grep -q .; then fail "a bench tool was installed"; fi

find "$prefix/share/applications" -name '*.desktop' -print0 | xargs -0 -n1 desktop-file-validate

grep -qF "\"InstallationDir\" = sz \"$folder\"" "$KESTRELBINDER_REGISTRY/HKEY_LOCAL_MACHINE.txt" ||
  fail "the program folder was not recorded"
grep -qF "$folder/KestrelbinderShellExt.so" "$KESTRELBINDER_REGISTRY/HKEY_CLASSES_ROOT.txt" ||
  fail "the shell extension was not registered"
[ -x "$XDG_DATA_HOME/nautilus/scripts/Split" ] || fail "no Files script"
[ -x "$XDG_DATA_HOME/kio/servicemenus/kestrelbinder-split.desktop" ] || fail "no Dolphin service menu"

# The installed program, started through its link, runs from the program folder.
QT_QPA_PLATFORM=offscreen "$prefix/bin/kestrelbinder" -debuglog >/dev/null 2>&1 &
program_pid=$!
log="$folder/KxDebugLog.txt"
for _ in $(seq 1 300); do
  grep -q "Main() finished successfully" "$log" 2>/dev/null && break
  kill -0 "$program_pid" 2>/dev/null || fail "the installed program ended at start"
  sleep 0.1
done
grep -q "^Running from: $folder"$'\r'"\$" "$log" || fail "no start-up lines in $log"
grep -q "Main() finished successfully" "$log" || fail "the installed program did not finish starting"
grep -qF "$folder/Plugins/libTea.so" "/proc/$program_pid/maps" || fail "the Tea plug-in was not loaded"
echo "check-install: the installed program folder, desktop files and shell extension are in order"
