#!/usr/bin/env bash
# Prepares a run of the wine tests in RUN: brings the Windows build in BUILD up to date, its zip
# included, unpacks the zip into RUN/unpacked as a user would, and makes a new Wine prefix.
# Usage: prepare_run.sh BUILD RUN
set -euo pipefail
build="$1" run="$2"
here="$(cd "$(dirname "$0")" && pwd)"
if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "no Windows build in $build: make it with tools/windows/build.sh" >&2
    exit 1
fi
cmake --build "$build"
if [ -d "$run/prefix" ]; then "$here/run_wine.sh" "$run" 30 wineserver -k || true; fi
rm -rf "$run"
mkdir -p "$run/home"
unzip -q "$build/veskop-windows.zip" -d "$run/unpacked"
# Without a display: nothing of the prefix's making may wait for an answer.
unset DISPLAY WAYLAND_DISPLAY
"$here/run_wine.sh" "$run" 120 wineboot --init
"$here/run_wine.sh" "$run" 60 wineserver --wait
