#!/usr/bin/env bash
# Installs what the program needs and builds it into build/. Until the user interface is
# ready, it then runs the engine driver on a sample file instead of starting the program.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build

echo
echo "Kestrelbinder's user interface comes later; for now the engine is checked with its"
echo "driver: the CRC-32 of README.md, read through the engine's large-file access:"
build/bin/kbengine crc README.md
