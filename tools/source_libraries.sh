# shellcheck shell=bash
# Building libraries from Debian's source packages into a cache kept by package version: what the
# Windows and the web builds share. Sourced by tools/windows/build_libraries.sh and
# tools/web/build_libraries.sh, which give each library its recipe.
#
# The sourcing script calls begin_source_libraries with its cache folder and a name for its
# temporary folder, then cached_library once per library. Each library is kept in
# CACHE/<source package>-<version>/ (the version without its epoch) and built only when that
# folder is missing, so a second build takes no time and a new version builds beside the old one.
# A build runs in a temporary folder and its result is moved into place whole, so an interrupted
# run leaves nothing half made.
#
# Sources come through apt from a deb-src entry of our own, kept with its package lists in the
# temporary folder: the system's apt configuration is neither read for sources nor changed.

log() { echo "build_libraries: $*" >&2; }

# Makes CACHE ($1) and this run's working folder WORK (named after $2), removed at the end
# whatever happens, and waits for any other build into the same cache: a second run then finds
# the libraries made.
begin_source_libraries() {
    mkdir -p "$1"
    CACHE=$(cd "$1" && pwd)
    readonly CACHE
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/$2.XXXXXX")
    readonly WORK
    trap 'rm -rf "$WORK"' EXIT
    exec 9>"$CACHE/.lock"
    flock 9
    rm -rf "$CACHE"/*.new.*  # left by a run that was killed while moving its result in
}

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

# Prints the cache folder of source package $1 at version $2, building it with
# build_$3 SOURCE PREFIX STAGE first when it is not there yet. The recipe installs into
# STAGE/PREFIX (DESTDIR-style), and that folder becomes the cache folder.
cached_library() {
    local package="$1" version="$2" recipe="$3"
    # Without the epoch: a colon would split the folder in PATH-like lists (pkg-config's).
    local prefix="$CACHE/$package-${version#*:}"
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
