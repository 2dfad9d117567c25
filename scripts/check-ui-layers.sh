#!/usr/bin/env bash
# The window code's folders form layers: shell/ (main window, start-up, command line, front
# page) over the pages (splitter/, assembler/, options/), over dialogs/, over common/. A file
# includes headers of its own folder or of a layer below it, never of one above it or of
# another folder of its own layer. Prints each include that breaks this and fails if any does.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A layer=([shell]=4 [splitter]=3 [assembler]=3 [options]=3 [dialogs]=2 [common]=1)
bad=0
while IFS=: read -r file line text; do
  own=${file#app/ui/}; own=${own%%/*}
  dir=$(sed -E 's|.*"app/ui/([^/"]+)/.*|\1|' <<<"$text")
  if [[ -z ${layer[$own]:-} || -z ${layer[$dir]:-} ]] ||
     [[ $dir != "$own" && ${layer[$dir]} -ge ${layer[$own]} ]]; then
    echo "$file:$line: $text"
    bad=1
  fi
done < <(grep -rn --include='*.h' --include='*.cpp' '#include "app/ui/' app/ui --exclude-dir=tests)
exit $bad
