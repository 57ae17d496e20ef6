#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short time.
#   scripts/fuzz.sh [seconds-per-target]      (default 20)
# A crash, a sanitizer report or a leak fails the run; the offending input is kept in
# build/fuzz/artifacts/. So does a run in which a target of fuzz/ was not built.
set -euo pipefail
seconds="${1:-20}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" fuzz
cd "$root/build/fuzz"
mkdir -p artifacts

# One program per source file of fuzz/: none may be missing, or the run would pass on less.
targets=()
for source in "$root"/fuzz/*.cpp; do
    [[ -e "$source" ]] || continue
    name="$(basename "$source" .cpp)"
    if [[ ! -x "fuzz/fuzz_$name" ]]; then
        echo "fuzz target fuzz_$name was not built (build/fuzz/fuzz/fuzz_$name)" >&2
        exit 1
    fi
    targets+=("fuzz/fuzz_$name")
done
if ((${#targets[@]} == 0)); then
    echo "no fuzz targets in $root/fuzz" >&2
    exit 1
fi

# The targets run side by side, one per processor; each leaves "<name>.failed" when it fails.
rm -f artifacts/*.failed
fuzz_one()
{
    local target="$1" name="$2" seeds="$3"
    if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix=artifacts/"$name"- "corpus/$name" "$seeds" >"artifacts/$name.log" 2>&1; then
        echo "== $name: $(grep -E '^Done' "artifacts/$name.log" | tail -n 1)"
    else
        touch "artifacts/$name.failed"
        {
            echo "== fuzz target $name failed:"
            tail -n 40 "artifacts/$name.log"
        } >&2
    fi
}

status=0
parallel="$(nproc)"
echo "== fuzzing ${#targets[@]} targets for ${seconds}s each, $parallel at a time"
for target in "${targets[@]}"; do
    name="$(basename "$target")"
    name="${name#fuzz_}"
    mkdir -p "corpus/$name"
    seeds="$root/fuzz/corpus/$name"
    if [[ -z "$(ls -A "$seeds" 2>/dev/null)" ]]; then
        echo "fuzz target $name has no seeds in fuzz/corpus/$name" >&2
        status=1
        continue
    fi
    while (($(jobs -rp | wc -l) >= parallel)); do
        wait -n || true
    done
    fuzz_one "$target" "$name" "$seeds" &
done
wait
if compgen -G "artifacts/*.failed" >/dev/null; then
    status=1
fi
exit $status
