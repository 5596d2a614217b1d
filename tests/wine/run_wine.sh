#!/usr/bin/env bash
# Runs a Wine program (wine, wineboot, wineserver, ...) for the wine tests, in the test run's own
# prefix, with Wine's home and caches in the run's folder and Wine's own messages off, and under
# a time limit, so that a box nobody answers cannot hold a test run up.
# Usage: run_wine.sh RUN SECONDS PROGRAM [ARGUMENTS...]
set -euo pipefail
run="$1" seconds="$2"
shift 2
export WINEPREFIX="$run/prefix"
export WINEDEBUG=-all
# No menu entries for the desktop, and no offer to install .NET or a browser engine.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
export HOME="$run/home"
export XDG_CACHE_HOME="$HOME/.cache" XDG_CONFIG_HOME="$HOME/.config"
export XDG_DATA_HOME="$HOME/.local/share"
export MESA_SHADER_CACHE_DISABLE=true
exec timeout --kill-after=5 "$seconds" "$@"
