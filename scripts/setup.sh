#!/usr/bin/env bash
# Prepares a Debian 12 machine for Orlo and builds it:
#   scripts/setup.sh [preset [cmake options...]]      (default preset: release)
# Installs whichever packages of scripts/packages.txt are missing, configures the CMake preset,
# builds the code, the tools and the publication's data. Safe to run again: it only does
# what is not done yet.
set -euo pipefail

preset="${1:-release}"
shift $(($# > 0 ? 1 : 0))
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

mapfile -t wanted < <(grep -v '^[[:space:]]*#' scripts/packages.txt | grep -v '^[[:space:]]*$')
missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if ((${#missing[@]})); then
    echo "Installing ${#missing[@]} Debian packages: ${missing[*]}"
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi

# ccache (when installed) names sources relative to the checkout, so another clone or preset
# folder reuses what was compiled here.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
cmake --preset "$preset" "$@"
cmake --build --preset "$preset"
