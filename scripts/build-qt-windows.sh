#!/usr/bin/env bash
# Cross-builds Qt (qtbase only) for 64-bit Windows from Debian's own qt6-base
# source package, with MinGW-w64, into a cache outside the repository.
#
#   scripts/build-qt-windows.sh                 install tools, build if needed, print prefix
#   scripts/build-qt-windows.sh --print-prefix  only print the prefix (no work)
#
# The result is <prefix>/bin/qt-cmake, used to build Kestro for Windows.
# A finished build leaves a stamp file; with it present this script does
# nothing. Environment: KESTRO_CACHE (default ~/.cache/kestro),
# JOBS (default 2). Takes 30-75 minutes on 2 cores (75 on a busy machine).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${KESTRO_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kestro}
jobs=${JOBS:-2}

print_only=no
[ "${1:-}" = --print-prefix ] && print_only=yes

# --- 1. Build machine packages (only what is missing, never asks) ----------
if [ "$print_only" = no ]; then
    bash "$repo/scripts/setup.sh" windows
fi

# The target Qt must be the same version as the host tools (moc, rcc, uic)
# that Debian's qt6-base-dev-tools provides, so key everything on it.
host_deb_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null || true)
if [ -z "$host_deb_version" ]; then
    echo "qt6-base-dev-tools is not installed: needed to find the Qt version" >&2
    exit 1
fi
qt_version=${host_deb_version%%+*}          # 6.4.2+dfsg-10 -> 6.4.2
prefix=$cache/qt-$qt_version-mingw64-static
stamp=$prefix/.kestro-build-complete

if [ "$print_only" = yes ]; then
    echo "$prefix"
    exit 0
fi

# Written only after a successful install: a build that stopped half way
# is redone from a clean build tree.
if [ -f "$stamp" ]; then
    echo "$prefix"
    exit 0
fi

# --- 2. Source, fetched through a private apt state ------------------------
# The system's apt sources carry no deb-src lines and must stay untouched, so
# a private directory holds a deb-src copy of the system's deb entries and
# its own lists and cache.
apt_dir=$cache/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
# Keep only Debian's own archive entries (third-party repositories rarely
# publish sources, and a missing index would fail the update).
shopt -s nullglob
awk 'BEGIN { RS = ""; ORS = "\n\n" }
     /URIs:[^\n]*\/debian/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
    /etc/apt/sources.list.d/*.sources </dev/null > "$apt_dir/sources.list.d/system-src.sources"
shopt -u nullglob
if [ -f /etc/apt/sources.list ]; then
    sed -n 's|^deb \(.*/debian.*\)|deb-src \1|p' /etc/apt/sources.list > "$apt_dir/sources.list"
else
    : > "$apt_dir/sources.list"
fi
# APT::Sandbox::User=root: the _apt user cannot write under root's home.
apt_opts=(
    -o APT::Sandbox::User=root
    -o Dir::Etc::SourceList="$apt_dir/sources.list"
    -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
    -o Dir::State::Lists="$apt_dir/lists"
    -o Dir::Cache="$apt_dir/cache"
)
src_parent=$cache/src
src=$src_parent/qt6-base-${host_deb_version%-*}   # qt6-base-6.4.2+dfsg
if [ ! -x "$src/configure" ]; then
    apt-get "${apt_opts[@]}" update -qq
    mkdir -p "$src_parent"
    (cd "$src_parent" && apt-get "${apt_opts[@]}" source -qq "qt6-base=$host_deb_version")
fi

# --- 3. Configure and build ------------------------------------------------
# Why each switch:
#  -release: on Windows the default is debug-and-release, twice the work.
#  -static -static-runtime: Kestro ships as one kestro.exe, with Qt, its
#      plug-ins and the MinGW runtime linked in.
#  -qt-host-path /usr + QT_HOST_PATH_CMAKE_DIR: Debian's host Qt keeps its
#      CMake packages under the multiarch libdir, not <host>/lib/cmake.
#  -qt-*: the mingw sysroot has none of these libraries; use the bundled ones.
#  -no-feature-tabletevent: Debian strips the wintab header (licence).
#  -no-feature-androiddeployqt: Debian's cross.patch would build it for Windows.
#  -no-opengl: the widgets and both platform plugins work without it.
#  direct2d stays on: without it qwindows fails to link
#      (QWindowsDirectWriteFontDatabase); direct2d1_1 only adds the extra
#      qdirect2d platform plugin, which Kestro does not need.
#  toolchain file: Qt 6 ignores -device-option CROSS_COMPILE for compilers.
build=$cache/build-qt-$qt_version-mingw64-static
rm -rf "$build"
# Qt records the toolchain file's path in its installed qt.toolchain.cmake
# and qt-cmake loads it from there, so give it a copy inside the prefix:
# the repository may later sit somewhere else (CI clones it anew).
toolchain=$prefix/lib/cmake/mingw-w64-x86_64.cmake
mkdir -p "$(dirname "$toolchain")"
cp "$repo/cmake/mingw-w64-x86_64.cmake" "$toolchain"
mkdir -p "$build"
cd "$build"
"$src/configure" \
    -prefix "$prefix" \
    -release -static -static-runtime \
    -xplatform win32-g++ \
    -qt-host-path /usr \
    -nomake examples -nomake tests \
    -no-pkg-config -no-icu -no-glib -no-dbus -no-opengl -no-feature-vulkan \
    -no-feature-network -no-feature-sql -no-feature-printsupport \
    -no-feature-concurrent -no-feature-xml \
    -no-feature-tabletevent -no-feature-direct2d1_1 \
    -no-feature-androiddeployqt -no-feature-windeployqt -no-feature-macdeployqt \
    -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre \
    -qt-doubleconversion \
    -gif -ico \
    -- \
    -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake

# nice 19: the machine is shared with other compiles.
nice -n 19 cmake --build . --parallel "$jobs"
cmake --install . --strip
touch "$stamp"
# The build tree (~0.9 GB) is not needed once installed.
cd "$cache" && rm -rf "$build"
echo "$prefix"
