#!/usr/bin/env bash
# Runs a test program under a virtual X server of 1280 x 1024 (xvfb-run -a picks a free display
# number), with a time limit so that nothing can hang the test run.
#   tests/window/run-under-xvfb.sh <program> [arguments]
set -u
for tool in xvfb-run Xvfb xauth timeout; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "run-under-xvfb: '$tool' is missing; install the Debian packages of scripts/packages.txt (xvfb, xauth, coreutils)" >&2
        exit 1
    fi
done
exec timeout --kill-after=10 200 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$@"
