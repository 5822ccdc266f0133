#!/usr/bin/env bash
# Static analysis of the system's own code (src/ and tools/): clang-tidy with the checks in
# .clang-tidy, then cppcheck. Each runs only when installed; any finding fails the script.
#   scripts/static-analysis.sh <build folder with compile_commands.json>
# The clang build folder has no Qt layer, so src/app and src/platform/qt are left to the compilers.
set -euo pipefail
build=${1:-build-clang}
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-$(nproc)}
status=0

if command -v run-clang-tidy >/dev/null && [ -f "$build/compile_commands.json" ]; then
    echo "clang-tidy over src/ and tools/ ($jobs jobs)"
    run-clang-tidy -quiet -p "$build" -j "$jobs" "$root/(src|tools)/" >"$build/clang-tidy.log" 2>&1 || status=1
    if grep -qE "(warning|error):" "$build/clang-tidy.log"; then
        grep -E -A3 "(warning|error):" "$build/clang-tidy.log"
        status=1
    fi
else
    echo "clang-tidy not installed or no $build/compile_commands.json: skipped"
fi

if command -v cppcheck >/dev/null; then
    echo "cppcheck over src/ and tools/"
    cppcheck --quiet --std=c++20 --language=c++ --enable=warning,performance,portability --inline-suppr \
        --error-exitcode=1 -j "$jobs" -I "$root/src" -I "$root/tools" \
        --suppress=missingIncludeSystem -i "$root/src/app" -i "$root/src/platform/qt" \
        "$root/src" "$root/tools" || status=1
else
    echo "cppcheck not installed: skipped"
fi
exit $status
