#!/usr/bin/env bash
# Installs what the program needs, builds it into build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build

# The build folder's bin/ is a ready program folder (Plugins/ with the Tea plug-in listed,
# Unfinished Tasks/). Start the program when there is a screen to show it on.
program="$PWD/build/bin/Kestrelbinder"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$program" "$@"
else
  echo "Built. No display here; on a desktop, start the program with: $program"
fi
