#!/usr/bin/env bash
# Builds veskop for the web on Debian 12: installs what the build and its browser tests need (as
# root, with apt-get), builds the libraries it links for WebAssembly (once; kept in
# VESKOP_WEB_CACHE, by default /var/cache/veskop-web), installs the tests' browser driver from
# npm, and builds into build-web/. Run it from the repository root; running it again rebuilds
# only what changed.
set -euo pipefail
cd "$(dirname "$0")/../.."

# Emscripten and the tools that build the libraries; Chromium and npm for the browser tests.
readonly PACKAGES="emscripten cmake make pkg-config dpkg-dev chromium"
readonly CACHE="${VESKOP_WEB_CACHE:-/var/cache/veskop-web}"
readonly BUILD=build-web

# Installs only when something is missing, so that a rerun needs no network.
# shellcheck disable=SC2086
installed=$(dpkg-query -W -f='${Status}\n' $PACKAGES 2>/dev/null |
    grep -c '^install ok installed$' || true)
missing=()
[ "$installed" -eq "$(wc -w <<<"$PACKAGES")" ] || read -r -a missing <<<"$PACKAGES"
# npm may come with a Node.js from elsewhere; Debian's is installed only where there is none.
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
fi

libraries=$(tools/web/build_libraries.sh "$CACHE" | paste -sd ';')

# The toolchain is chosen once, when the build folder is made.
toolchain=()
[ -f "$BUILD/CMakeCache.txt" ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=tools/web/emscripten.cmake)
cmake -S . -B "$BUILD" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release \
    "-DVESKOP_WEB_LIBRARIES=$libraries"
cmake --build "$BUILD" -j"$(nproc)"

# The browser tests' driver, at the versions of tests/web/package-lock.json.
mkdir -p "$BUILD/node"
cp tests/web/package.json tests/web/package-lock.json "$BUILD/node/"
if ! cmp -s tests/web/package-lock.json "$BUILD/node/node_modules/.installed-lock.json"; then
    (cd "$BUILD/node" && npm ci --no-audit --no-fund --loglevel=error)
    cp tests/web/package-lock.json "$BUILD/node/node_modules/.installed-lock.json"
fi
echo "built $BUILD"
