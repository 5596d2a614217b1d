#!/usr/bin/env bash
# Serves the web build (build-web/, from tools/web/build.sh) on 127.0.0.1 and prints the page's
# address; Ctrl+C stops it. Any static file server will do as well: the page needs no special
# headers. Usage: tools/web/serve.sh [PORT] (default 8000)
set -euo pipefail
cd "$(dirname "$0")/../.."
readonly PORT="${1:-8000}"
if [ ! -f build-web/index.html ]; then
    echo "no web build in build-web: make it with tools/web/build.sh" >&2
    exit 1
fi
echo "veskop: http://127.0.0.1:$PORT/ (add ?log for the show's log)"
exec python3 -m http.server "$PORT" --bind 127.0.0.1 --directory build-web
