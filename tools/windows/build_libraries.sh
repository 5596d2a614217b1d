#!/usr/bin/env bash
# Builds the libraries that veskop.exe links statically, from Debian's source packages, for 64-bit
# Windows (mingw-w64, posix threads): libpng and libopenmpt. zlib is Debian's own mingw-w64 build
# (libz-mingw-w64-dev).
#
# Usage: tools/windows/build_libraries.sh CACHE
#
# Each library is kept in CACHE/<source package>-<version>/ (include/, lib/, lib/pkgconfig/, and
# its licence under share/licenses/), built once (tools/source_libraries.sh). Prints the folders
# of the libraries, one a line, on standard output; everything else goes to standard error.
set -euo pipefail
shopt -s inherit_errexit

# The versions the program is built and tested with, from Debian 12's main archive (the security
# archive keeps no sources).
readonly LIBPNG_PACKAGE=libpng1.6 LIBPNG_VERSION=1.6.39-2+deb12u5
readonly OPENMPT_PACKAGE=libopenmpt OPENMPT_VERSION=0.6.9-1

readonly HOST=x86_64-w64-mingw32
readonly TOOLCHAIN="$(cd "$(dirname "$0")" && pwd)/mingw-w64-x86_64.cmake"

if [ $# -ne 1 ]; then
    echo "usage: $0 CACHE" >&2
    exit 2
fi

# shellcheck source=tools/source_libraries.sh
source "$(dirname "$0")/../source_libraries.sh"
begin_source_libraries "$1" veskop-windows-libraries

build_libpng() {
    local source="$1" prefix="$2" stage="$3"
    local build="$WORK/build-libpng"
    run_logged "$WORK/libpng.log" cmake -S "$source" -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
    run_logged "$WORK/libpng.log" nice cmake --build "$build" -j"$(nproc)"
    DESTDIR="$stage" run_logged "$WORK/libpng.log" cmake --install "$build"
    install -D -m 644 "$source/LICENSE" "$stage$prefix/share/licenses/libpng.txt"
}

build_libopenmpt() {
    local source="$1" prefix="$2" stage="$3"
    local build="$WORK/build-libopenmpt"
    mkdir -p "$build"
    # Only what playing a module file needs: no player, no examples, no codecs for samples
    # inside modules, no audio output of its own.
    (cd "$build" && run_logged "$WORK/libopenmpt.log" "$source/configure" \
        --host="$HOST" --prefix="$prefix" --disable-shared --enable-static \
        --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
        --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile \
        --without-portaudio --without-portaudiocpp --without-pulseaudio --without-sndfile \
        --without-flac \
        CC="$HOST-gcc-posix" CXX="$HOST-g++-posix" CFLAGS=-O2 CXXFLAGS=-O2 \
        PKG_CONFIG_LIBDIR="/usr/$HOST/lib/pkgconfig")
    run_logged "$WORK/libopenmpt.log" nice make -C "$build" -j"$(nproc)"
    run_logged "$WORK/libopenmpt.log" make -C "$build" install DESTDIR="$stage"
    install -D -m 644 "$source/LICENSE" "$stage$prefix/share/licenses/libopenmpt.txt"
}

cached_library "$LIBPNG_PACKAGE" "$LIBPNG_VERSION" libpng
cached_library "$OPENMPT_PACKAGE" "$OPENMPT_VERSION" libopenmpt
