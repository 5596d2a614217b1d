#!/usr/bin/env bash
# Brings the web build in BUILD up to date (its scene harness and the browser driver), for the
# web tests. Usage: prepare.sh BUILD
set -euo pipefail
build="$1"
if [ ! -f "$build/CMakeCache.txt" ] || [ ! -d "$build/node/node_modules/puppeteer-core" ]; then
    echo "no web build in $build: make it with tools/web/build.sh" >&2
    exit 1
fi
cmake --build "$build"
