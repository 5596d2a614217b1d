#!/usr/bin/env bash
# Builds the libraries that veskop.exe links statically, from Debian's source packages, for 64-bit
# Windows (mingw-w64, posix threads): libpng and libopenmpt. zlib is Debian's own mingw-w64 build
# (libz-mingw-w64-dev).
#
# Usage: tools/windows/build_libraries.sh CACHE
#
# Each library is kept in CACHE/<source package>-<version>/ (include/, lib/, lib/pkgconfig/, and
# its licence under share/licenses/), and built only when that folder is missing, so a second
# build takes no time and a new version builds beside the old one. A build runs in a temporary
# folder and its result is moved into place whole, so an interrupted run leaves nothing half
# made. Prints the folders of the libraries, one a line, on standard output; everything else goes
# to standard error.
#
# Sources come through apt from a deb-src entry of our own, kept with its package lists in a
# temporary folder: the system's apt configuration is neither read for sources nor changed.
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
mkdir -p "$1"
CACHE=$(cd "$1" && pwd)
readonly CACHE

log() { echo "build_libraries: $*" >&2; }

# A working folder for this run, removed at the end whatever happens.
WORK=$(mktemp -d "${TMPDIR:-/tmp}/veskop-windows-libraries.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# Runs a long build step with its output in a log file, showing the log's end when it fails.
run_logged() {
    local logfile="$1"
    shift
    if ! "$@" >>"$logfile" 2>&1; then
        log "failed: $*"
        tail -n 40 "$logfile" >&2
        return 1
    fi
}

apt_private() {
    apt-get -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$WORK/apt/sources" \
        -o Dir::State::Lists="$WORK/apt/lists" -o Dir::Cache="$WORK/apt/cache" \
        -o APT::Sandbox::User=root "$@"
}

# The deb-src entry of Debian's main archive (through the mirror this machine uses for it, if
# any) and its package lists, in this run's working folder.
APT_READY=0
prepare_apt() {
    [ "$APT_READY" = 1 ] && return
    mkdir -p "$WORK/apt/sources" "$WORK/apt/lists/partial" "$WORK/apt/cache"
    local uris
    uris=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources \
        2>/dev/null || true)
    cat >"$WORK/apt/sources/debian-sources.sources" <<EOF
Types: deb-src
URIs: ${uris:-http://deb.debian.org/debian}
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    run_logged "$WORK/apt.log" apt_private update
    APT_READY=1
}

# Unpacks source package $1 at version $2 into $WORK/src and prints its folder.
fetch_source() {
    local package="$1" version="$2"
    mkdir -p "$WORK/download/$package" "$WORK/src"
    if ! (cd "$WORK/download/$package" && apt_private source --download-only "$package=$version") \
        >>"$WORK/apt.log" 2>&1; then
        log "cannot download the source of $package $version; the archive has:"
        apt-cache -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$WORK/apt/sources" \
            -o Dir::State::Lists="$WORK/apt/lists" showsrc "$package" 2>/dev/null |
            awk '/^Version:/ { print "  " $2 }' >&2
        tail -n 5 "$WORK/apt.log" >&2
        return 1
    fi
    local dsc
    dsc=$(ls "$WORK/download/$package"/*.dsc)
    run_logged "$WORK/apt.log" dpkg-source --no-check -x "$dsc" "$WORK/src/$package"
    echo "$WORK/src/$package"
}

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

# Prints the cache folder of source package $1 at version $2, building it with build_$3 first
# when it is not there yet.
cached_library() {
    local package="$1" version="$2" recipe="$3"
    local prefix="$CACHE/$package-$version"
    if [ ! -d "$prefix" ]; then
        log "building $package $version (once; kept in $prefix)"
        local started=$SECONDS
        local source stage="$WORK/stage-$package"
        prepare_apt
        source=$(fetch_source "$package" "$version")
        "build_$recipe" "$source" "$prefix" "$stage"
        mv "$stage$prefix" "$prefix.new.$$"
        mv -T "$prefix.new.$$" "$prefix"
        log "built $package $version in $((SECONDS - started)) s"
    fi
    echo "$prefix"
}

# One build at a time per cache: a second run waits, then finds the libraries made.
exec 9>"$CACHE/.lock"
flock 9
rm -rf "$CACHE"/*.new.*  # left by a run that was killed while moving its result in

cached_library "$LIBPNG_PACKAGE" "$LIBPNG_VERSION" libpng
cached_library "$OPENMPT_PACKAGE" "$OPENMPT_VERSION" libopenmpt
