#!/usr/bin/env bash
# Formats every C++ file of the project in place (scripts/format.sh), or only checks
# (scripts/format.sh --check), failing when a file is not formatted.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -v '^build/')
((${#files[@]})) || exit 0
if [[ "${1:-}" == "--check" ]]; then
    clang-format --dry-run --Werror "${files[@]}"
else
    clang-format -i "${files[@]}"
fi
