#!/usr/bin/env bash
# Starts Kestro in a scratch copy of the demo start directory, so that running it never
# changes the repository. Without a display it runs on a virtual one and saves a screenshot.
set -euo pipefail

build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$root" && mkdir -p "$build" && cd "$build" && pwd)
start="$build/demo-run"

if [ ! -d "$start" ]; then
    cp -a "$root/demo" "$start"
    echo "Copied the demo start directory to $start"
fi
cd "$start"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/kestro"
fi

shot="$build/kestro.png"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1" & app=$!
    sleep 3
    /usr/bin/import -window root "$2"
    kill $app
    wait $app 2>/dev/null || true
' run "$build/kestro" "$shot"
echo "No display: ran Kestro on a virtual display and saved a screenshot to $shot"
