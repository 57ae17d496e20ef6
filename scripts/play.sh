#!/usr/bin/env bash
# Sets everything up (packages, build, data) and starts the game.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" release
cd "$root/build/release/data"
exec ./orlo "$@"
