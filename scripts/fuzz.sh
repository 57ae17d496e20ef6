#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short time.
#   scripts/fuzz.sh [seconds-per-target]      (default 20)
# A crash, a sanitizer report or a leak fails the run; the offending input is kept in
# build/fuzz/artifacts/.
set -euo pipefail
seconds="${1:-20}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh" fuzz
cd "$root/build/fuzz"
mkdir -p artifacts
status=0
for target in fuzz/fuzz_*; do
    [[ -x "$target" ]] || continue
    name="$(basename "$target")"
    name="${name#fuzz_}"
    corpus="corpus/$name"
    mkdir -p "$corpus"
    seeds=()
    [[ -d "$root/fuzz/corpus/$name" ]] && seeds=("$root/fuzz/corpus/$name")
    echo "== fuzzing $name for ${seconds}s"
    if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix=artifacts/"$name"- "$corpus" "${seeds[@]}" >"artifacts/$name.log" 2>&1; then
        echo "fuzz target $name failed:"
        tail -n 40 "artifacts/$name.log"
        status=1
    else
        grep -E '^Done|stat::number_of_executed_units' "artifacts/$name.log" | tail -n 1 || true
    fi
done
exit $status
