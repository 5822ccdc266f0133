#!/usr/bin/env bash
# Checks that the C++ sources keep the house style of .clang-format: clang-format 14's dry run,
# failing on any difference. Another major version formats some constructs differently, so only
# 14 is used. To apply the style: scripts/check-format.sh --fix
# Run from anywhere: scripts/check-format.sh [--fix] [source-dir]
set -euo pipefail

fix=0
if [ "${1:-}" = "--fix" ]; then fix=1; shift; fi
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}

formatter=""
for candidate in clang-format-14 clang-format; do
  if command -v "$candidate" >/dev/null && "$candidate" --version | grep -q 'version 14\.'; then
    formatter=$candidate
    break
  fi
done
if [ -z "$formatter" ]; then
  echo "clang-format 14 is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi

cd "$root"
mapfile -t files < <(find src tests tools bench -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
if [ ${#files[@]} -eq 0 ]; then
  echo "no sources found under $root" >&2
  exit 1
fi
if [ $fix -eq 1 ]; then
  "$formatter" -i "${files[@]}"
  exit 0
fi
if ! "$formatter" --dry-run --Werror "${files[@]}"; then
  echo "Some files differ from .clang-format's style; scripts/check-format.sh --fix applies it." >&2
  exit 1
fi
echo "${#files[@]} files keep the house style"
