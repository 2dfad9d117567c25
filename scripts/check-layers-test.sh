#!/usr/bin/env bash
# The layer check itself: a small tree whose includes keep the rule passes, and each include
# that breaks it, planted alone, makes the check fail.
set -euo pipefail
check="$(cd "$(dirname "$0")" && pwd)/check-layers.sh"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

write() { mkdir -p "$tree/$(dirname "$1")"; printf '#include "%s"\n' "$2" >"$tree/$1"; }
write platform/a.cpp platform/b.h
write app/core/a.cpp platform/b.h
write app/core/tests/a_test.cpp app/core/testing/fake.h
write app/pluginhost/a.cpp app/core/b.h
write app/ui/shell/a.cpp app/ui/splitter/b.h
write app/ui/splitter/a.cpp app/pluginhost/b.h
write plugins/tea/a.cpp app/pluginhost/include/kb_plugin.h
write plugins/tea/tests/a_test.cpp app/pluginhost/kbplugin.h
write shellext/a.cpp platform/registry.h
bash "$check" "$tree" || { echo "a tree that keeps the rule was refused"; exit 1; }

failed=0
while read -r file inc; do
  write "$file" "$inc"
  if bash "$check" "$tree" >/dev/null; then
    echo "not caught: $file including $inc"
    failed=1
  fi
  rm "$tree/$file"
done <<'PLANTED'
platform/up.cpp app/core/kb_error.h
app/core/up.cpp app/pluginhost/kbplugin.h
app/core/up.cpp app/ui/common/icons.h
app/core/tests/up_test.cpp app/ui/common/icons.h
app/pluginhost/up.cpp app/ui/common/icons.h
app/ui/common/up.cpp app/ui/dialogs/frm_disk_dialog.h
app/ui/splitter/up.cpp app/ui/assembler/assembler_flow.h
plugins/tea/up.cpp app/core/kb_error.h
plugins/tea/up.cpp app/pluginhost/kbplugin.h
shellext/up.cpp app/core/kb_error.h
PLANTED
exit $failed
