#!/usr/bin/env bash
# Checks the sources: clang-format style (.clang-format) and the clang-tidy checks
# (.clang-tidy) on every source file of src/. Exits non-zero on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
RANQUILL_PACKAGES+=(clang-format clang-tidy)
ensure_packages

build=${LINT_BUILD_DIR:-build}
status=0

echo "clang-format …"
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'fuzz/*.cpp' 'fuzz/*.h')
if ! clang-format --dry-run -Werror "${files[@]}"; then
    echo "Format: run clang-format -i on the files above."
    status=1
fi

echo "clang-tidy …"
[ -f "$build/compile_commands.json" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
if ! run-clang-tidy -p "$build" -quiet -j "$(nproc)" "$PWD/src/.*\.cpp" > "$build/clang-tidy.log" 2>&1; then
    grep -E 'warning:|error:' "$build/clang-tidy.log" | sort -u || tail -20 "$build/clang-tidy.log"
    status=1
fi
[ $status -eq 0 ] && echo "lint: no findings"
exit $status
