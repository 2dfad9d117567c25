#!/usr/bin/env bash
# Runs the whole test suite: a normal build and a build with AddressSanitizer and
# UndefinedBehaviorSanitizer, each tested through ctest; in between, an installation into a
# temporary prefix is checked and the fuzz targets run. Last, what an installation ships is
# built in the Release configuration, whose optimiser finds warnings the other builds do not.
# The project's own builds treat warnings as errors.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKB_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
bash scripts/check-install.sh build

bash scripts/run-fuzz.sh

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKB_SANITIZE=ON -DKB_WERROR=ON
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

# What an installation ships, built as users build it, with warnings as errors.
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKB_WERROR=ON
cmake --build build-release -j "$jobs" --target Kestrelbinder Tea KestrelbinderShellExt kestrelbinder-shell
