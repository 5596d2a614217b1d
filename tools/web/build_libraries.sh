#!/usr/bin/env bash
# Builds the libraries that the web page links, for WebAssembly with Debian's Emscripten, from
# Debian's source packages: zlib, libpng and libopenmpt, static, without threads.
#
# Usage: tools/web/build_libraries.sh CACHE
#
# Each library is kept in CACHE/<source package>-<version>/ (include/, lib/, lib/pkgconfig/, and
# its licence under share/licenses/), built once (tools/source_libraries.sh). Prints the folders
# of the libraries, one a line, on standard output; everything else goes to standard error.
# Needs emscripten, cmake, make, pkg-config and dpkg-dev installed.
set -euo pipefail
shopt -s inherit_errexit

# The versions the page is built and tested with, from Debian 12's main archive; libpng and
# libopenmpt are those of the Windows build.
readonly ZLIB_PACKAGE=zlib ZLIB_VERSION=1:1.2.13.dfsg-1
readonly LIBPNG_PACKAGE=libpng1.6 LIBPNG_VERSION=1.6.39-2+deb12u5
readonly OPENMPT_PACKAGE=libopenmpt OPENMPT_VERSION=0.6.9-1

TOOLCHAIN="$(cd "$(dirname "$0")" && pwd)/emscripten.cmake"
readonly TOOLCHAIN
# Emscripten's JavaScript tools need Debian's node modules (acorn).
export NODE_PATH=/usr/share/nodejs

if [ $# -ne 1 ]; then
    echo "usage: $0 CACHE" >&2
    exit 2
fi

# shellcheck source=tools/source_libraries.sh
source "$(dirname "$0")/../source_libraries.sh"
begin_source_libraries "$1" veskop-web-libraries

# Size matters more than speed in a page that is downloaded: every library is built with -Os.
readonly OPTIMISE=-Os

build_zlib() {
    local source="$1" prefix="$2" stage="$3"
    (cd "$source" && CFLAGS="$OPTIMISE" run_logged "$WORK/zlib.log" emconfigure ./configure \
        --static --prefix="$prefix")
    run_logged "$WORK/zlib.log" nice emmake make -C "$source" -j"$(nproc)" libz.a
    run_logged "$WORK/zlib.log" emmake make -C "$source" install DESTDIR="$stage"
    install -D -m 644 "$source/LICENSE" "$stage$prefix/share/licenses/zlib.txt"
}

build_libpng() {
    local source="$1" prefix="$2" stage="$3" zlib="$4"
    local build="$WORK/build-libpng"
    # x86 is what Emscripten's toolchain calls its processor: libpng's SSE code stays out.
    run_logged "$WORK/libpng.log" cmake -S "$source" -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DVESKOP_WEB_LIBRARIES="$zlib" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DPNG_HARDWARE_OPTIMIZATIONS=OFF -DZLIB_ROOT="$zlib" -Wno-dev
    run_logged "$WORK/libpng.log" nice cmake --build "$build" -j"$(nproc)"
    DESTDIR="$stage" run_logged "$WORK/libpng.log" cmake --install "$build"
    install -D -m 644 "$source/LICENSE" "$stage$prefix/share/licenses/libpng.txt"
}

build_libopenmpt() {
    local source="$1" prefix="$2" stage="$3"
    local build="$WORK/build-libopenmpt"
    mkdir -p "$build"
    # Only what playing a module file needs: no player, no examples, no codecs for samples
    # inside modules, no audio output of its own. wasm32-unknown-none is the host name its
    # configure knows; Emscripten's compilers come from emconfigure.
    (cd "$build" && run_logged "$WORK/libopenmpt.log" emconfigure "$source/configure" \
        --host=wasm32-unknown-none --prefix="$prefix" --disable-shared --enable-static \
        --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
        --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile \
        --without-portaudio --without-portaudiocpp --without-pulseaudio --without-sndfile \
        --without-flac --without-sdl2 \
        CFLAGS="$OPTIMISE" CXXFLAGS="$OPTIMISE" PKG_CONFIG_LIBDIR=/nonexistent)
    run_logged "$WORK/libopenmpt.log" nice emmake make -C "$build" -j"$(nproc)"
    run_logged "$WORK/libopenmpt.log" emmake make -C "$build" install DESTDIR="$stage"
    install -D -m 644 "$source/LICENSE" "$stage$prefix/share/licenses/libopenmpt.txt"
}

zlib=$(cached_library "$ZLIB_PACKAGE" "$ZLIB_VERSION" zlib)
echo "$zlib"
# libpng is built against the zlib above: a recipe of its own that knows where that is.
build_libpng_on_zlib() { build_libpng "$@" "$zlib"; }
cached_library "$LIBPNG_PACKAGE" "$LIBPNG_VERSION" libpng_on_zlib
cached_library "$OPENMPT_PACKAGE" "$OPENMPT_VERSION" libopenmpt
