#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/, and runs each target for its share of a fixed
# time budget (KB_FUZZ_SECONDS, default 50, at least 5 seconds a target), starting from its
# seed inputs in fuzz/corpus/<target>/. New inputs the fuzzer finds go to
# build-fuzz/corpus/<target>/, never into the source tree. Fails when a target crashes, leaks,
# hangs or runs out of memory; the input that did it is left in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

mkdir -p build-fuzz
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > build-fuzz/configure.log 2>&1 \
  || { cat build-fuzz/configure.log; exit 1; }
cmake --build build-fuzz -j "$(nproc)" > build-fuzz/build.log 2>&1 \
  || { cat build-fuzz/build.log; exit 1; }

targets=()
for src in fuzz/*.cpp; do
  [ -e "$src" ] && targets+=("$(basename "$src" .cpp)")
done
[ ${#targets[@]} -eq 0 ] && { echo "fuzz: no targets"; exit 0; }

budget=${KB_FUZZ_SECONDS:-50}
share=$(( budget / ${#targets[@]} ))
[ "$share" -lt 5 ] && share=5
mkdir -p build-fuzz/artifacts
failed=0
for t in "${targets[@]}"; do
  mkdir -p "build-fuzz/corpus/$t" "fuzz/corpus/$t"
  log="build-fuzz/$t.log"
  if build-fuzz/bin/"$t" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="build-fuzz/artifacts/$t-" \
       "build-fuzz/corpus/$t" "fuzz/corpus/$t" > "$log" 2>&1; then
    echo "fuzz: $t ran ${share}s without a crash ($(grep -o 'Done [0-9]* runs' "$log" | tail -1 || true))"
  else
    echo "fuzz: $t FAILED; last lines of $log:"
    tail -40 "$log"
    failed=1
  fi
done
exit $failed
