#!/usr/bin/env bash
# Includes run one way only. platform/ knows nothing of app/; app/core/ stands on platform/;
# app/pluginhost/ on app/core/; app/ui/ on all three. Inside app/ui/, shell/ (main window,
# start-up, command line, front page) stands over the pages (splitter/, assembler/, options/),
# over dialogs/, over common/: a file there includes headers of its own folder or of a layer
# below it, never of one above it or of another folder of its own layer. A plug-in includes
# only the plug-in interface header, the shell extension nothing of app/. Tests may also use
# the scripted stand-ins of app/core/testing/, and the plug-in's tests the host that loads it.
# bench/ and fuzz/ stand on top and may include anything.
# Prints each include that breaks this and fails if any does. Every file is read once, by one
# grep; the rest is the shell's own matching. Checks the tree the script lies in, or the one
# given as its argument.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A ui_layer=([shell]=4 [splitter]=3 [assembler]=3 [options]=3 [dialogs]=2 [common]=1)

# Sets `pattern` to the include paths a file of folder $1 may use, as an extended pattern
# (no subshell: this runs for every include line).
set_allowed() {
  case $1 in
    platform) pattern='platform/*' ;;
    app/core) pattern='@(platform|app/core)/*' ;;
    app/pluginhost) pattern='@(platform|app/core|app/pluginhost)/*' ;;
    app/ui) pattern='@(platform|app/core|app/pluginhost|app/ui)/*' ;;
    plugins/*) pattern="@($1/*|app/pluginhost/include/kb_plugin.h)" ;;
    shellext) pattern='@(platform|shellext)/*' ;;
    *) pattern='*' ;;
  esac
}

# The window code's own layers: `file` under app/ui/ may include app/ui header `inc`.
ui_layers_allow() {
  local own=${1#app/ui/} dir=${2#app/ui/}
  own=${own%%/*} dir=${dir%%/*}
  [[ -n ${ui_layer[$own]:-} && -n ${ui_layer[$dir]:-} ]] || return 1
  [[ $dir == "$own" || ${ui_layer[$dir]} -lt ${ui_layer[$own]} ]]
}

shopt -s extglob
bad=0
while IFS=: read -r file line text; do
  [[ $text =~ \#include\ \"([^\"]+)\" ]] || continue
  inc=${BASH_REMATCH[1]}
  [[ $inc == */* ]] || continue  # a header beside the file
  case $file in
    app/*) top=${file#app/}; top=app/${top%%/*} ;;
    plugins/*) top=${file#plugins/}; top=plugins/${top%%/*} ;;
    *) top=${file%%/*} ;;
  esac
  set_allowed "$top"
  ok=0
  # shellcheck disable=SC2053  # the pattern is meant to match
  if [[ $inc == $pattern ]]; then
    ok=1
    if [[ $top == app/ui && $inc == app/ui/* && $file != app/ui/tests/* ]]; then
      ui_layers_allow "$file" "$inc" || ok=0
    fi
  elif [[ $file == */tests/* ]]; then
    [[ $inc == app/core/testing/* ]] && ok=1
    [[ $top == plugins/* && $inc == app/pluginhost/* ]] && ok=1
  fi
  if [[ $ok == 0 ]]; then
    echo "$file:$line: $text"
    bad=1
  fi
done < <(grep -rn --include='*.h' --include='*.cpp' --include='*.c' '^[[:space:]]*#include "' \
           platform app plugins shellext)
exit $bad
