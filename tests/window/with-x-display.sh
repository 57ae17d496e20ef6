#!/usr/bin/env bash
# Runs a test program with an X display: a virtual X server of 1280 x 1024 from xvfb-run (the
# Debian package xvfb, which scripts/setup.sh installs) with the openbox window manager when it
# is installed (full screen is the window manager's business on X); without xvfb-run, the
# display already in DISPLAY. With neither, the program runs without one and its tests say so.
#   tests/window/with-x-display.sh <program> [arguments]
set -u
if [[ "${1:-}" == --inside ]]; then
    shift
    manager=""
    if command -v openbox >/dev/null 2>&1; then
        openbox --sm-disable >/dev/null 2>&1 &
        manager=$!
        # openbox takes the screen within a moment; the test waits for the window itself.
        sleep 0.5
    fi
    "$@"
    status=$?
    [[ -z "$manager" ]] || kill "$manager" 2>/dev/null
    exit "$status"
fi
if command -v xvfb-run >/dev/null 2>&1; then
    exec timeout --kill-after=10 100 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$0" --inside "$@"
fi
if [[ -z "${DISPLAY:-}" ]]; then
    echo "with-x-display: no xvfb-run (Debian package xvfb) and no DISPLAY" >&2
fi
exec "$@"
