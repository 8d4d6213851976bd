#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 30)
# on a copy of its seed corpus in tests/data/fuzz/<target>. Every input kept
# there (seeds and the crashes found so far) runs first, so a fault fixed once
# stays fixed. A crash, leak, hang or sanitizer report fails the script; its
# input is left in build-fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
source scripts/deps.sh
RANQUILL_PACKAGES+=(clang-14 libclang-rt-14-dev)
ensure_packages

build=build-fuzz
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRANQUILL_FUZZ=ON \
      -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 > /dev/null
cmake --build "$build" -j2

mkdir -p "$build/artifacts"
# Qt's SQLite driver leaks nothing per input, but the process-wide objects live until exit.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
for target in interchange restore formula exchange texttable; do
    seeds="tests/data/fuzz/$target"
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    echo "== fuzz_$target: ${seconds}s"
    log="$build/fuzz_$target.log"
    set +e
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$corpus" "$seeds" > "$log" 2>&1
    status=$?
    set -e
    grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb)" "$log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 60 "$log" >&2
        echo "fuzz_$target failed (exit $status); the input is in $build/artifacts" >&2
        exit 1
    fi
done
echo "fuzz: no findings"
