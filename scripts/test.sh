#!/usr/bin/env bash
# Sets everything up (packages, build, data) and runs the whole test suite headless.
#   scripts/test.sh [preset [cmake options...]]      (default preset: release; also: debug, asan, tsan)
set -euo pipefail
preset="${1:-release}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" "$preset" "${@:2}"
cd "$root"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
ctest --preset "$preset" -j "$(nproc)"
