#!/usr/bin/env bash
# Builds veskop for 64-bit Windows on Debian 12: installs what the cross build needs (as root,
# with apt-get), builds the libraries it links (once; kept in VESKOP_WINDOWS_CACHE, by default
# /var/cache/veskop-windows), and leaves build-windows/veskop.exe and
# build-windows/veskop-windows.zip. Run it from the repository root; running it again rebuilds
# only what changed.
set -euo pipefail
cd "$(dirname "$0")/../.."

readonly PACKAGES="cmake make pkg-config dpkg-dev xz-utils g++-mingw-w64-x86-64 libz-mingw-w64-dev"
readonly CACHE="${VESKOP_WINDOWS_CACHE:-/var/cache/veskop-windows}"
readonly BUILD=build-windows

# Installs only when something is missing, so that a rerun needs no network.
# shellcheck disable=SC2086
installed=$(dpkg-query -W -f='${Status}\n' $PACKAGES 2>/dev/null |
    grep -c '^install ok installed$' || true)
if [ "$installed" -ne "$(wc -w <<<"$PACKAGES")" ]; then
    apt-get update
    apt-get install -y --no-install-recommends $PACKAGES
fi

libraries=$(tools/windows/build_libraries.sh "$CACHE" | paste -sd ';')

# The toolchain is chosen once, when the build folder is made.
toolchain=()
[ -f "$BUILD/CMakeCache.txt" ] ||
    toolchain=(-DCMAKE_TOOLCHAIN_FILE=tools/windows/mingw-w64-x86_64.cmake)
cmake -S . -B "$BUILD" "${toolchain[@]}" -DCMAKE_BUILD_TYPE=Release \
    "-DVESKOP_WINDOWS_LIBRARIES=$libraries"
cmake --build "$BUILD" -j"$(nproc)"
echo "built $BUILD/veskop.exe and $BUILD/veskop-windows.zip"
