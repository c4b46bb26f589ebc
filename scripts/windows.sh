#!/usr/bin/env bash
# Builds Kestro for 64-bit Windows here, against the Qt that build-qt-windows.sh cross-builds,
# and either packages it or runs its tests under Wine.
#
#   scripts/windows.sh package   kestro.exe and kestro-windows-x64.zip (unzip on Windows, run)
#   scripts/windows.sh test      every test, each run under wine
#
# Environment: WINDOWS_BUILD (default build-windows), JOBS (default: the number of cores).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${WINDOWS_BUILD:-$repo/build-windows}
jobs=${JOBS:-$(nproc)}
what=${1:-package}

# Qt for Windows: built once into the cache (its own output goes to the log, not here).
bash "$repo/scripts/build-qt-windows.sh" >&2
qt=$(bash "$repo/scripts/build-qt-windows.sh" --print-prefix)

testing=OFF
[ "$what" = test ] && testing=ON
"$qt/bin/qt-cmake" -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKESTRO_WERROR=ON -DBUILD_TESTING=$testing -DCMAKE_CROSSCOMPILING_EMULATOR=wine >/dev/null
cmake --build "$build" -j "$jobs"

# What a program needs beside it: Qt's libraries and plugins, and MinGW's runtime.
stage() {
    local dir=$1
    shift
    mkdir -p "$dir/platforms" "$dir/imageformats" "$dir/styles"
    for lib in "$@"; do cp -u "$qt/bin/$lib.dll" "$dir/"; done
    for lib in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        if [ ! -f "$dir/$lib" ]; then
            cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$lib)" "$dir/"
            x86_64-w64-mingw32-strip --strip-unneeded "$dir/$lib"
        fi
    done
    cp -u "$qt/plugins/platforms/qwindows.dll" "$qt/plugins/platforms/qoffscreen.dll" \
        "$dir/platforms/"
    cp -u "$qt/plugins/imageformats/"q{jpeg,gif,ico}.dll "$dir/imageformats/"
    cp -u "$qt/plugins/styles/qwindowsvistastyle.dll" "$dir/styles/"
}

case "$what" in
package)
    package=$build/kestro
    rm -rf "$package"
    mkdir -p "$package"
    cp "$build/kestro.exe" "$package/"
    stage "$package" Qt6Core Qt6Gui Qt6Widgets
    (cd "$build" && rm -f kestro-windows-x64.zip && zip -qr kestro-windows-x64.zip kestro)
    cp -u "$package"/*.dll "$build/"
    cp -ru "$package"/{platforms,imageformats,styles} "$build/"
    echo "$build/kestro.exe"
    echo "$build/kestro-windows-x64.zip"
    ;;
test)
    # The Wine prefix lives in the build folder this script has just made; a prefix that cannot
    # be made stops here with Wine's own words rather than failing every test.
    export WINEPREFIX=$build/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        if ! wineboot -i >"$build/wineboot.log" 2>&1 </dev/null; then
            echo "wineboot could not make the Wine prefix $WINEPREFIX:" >&2
            cat "$build/wineboot.log" >&2
            exit 1
        fi
        wineserver -w
    fi
    stage "$build" Qt6Core Qt6Gui Qt6Widgets Qt6Test
    # The offscreen platform of the tests draws text with a font from beside the program.
    mkdir -p "$build/lib/fonts"
    cp -u /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$build/lib/fonts/"
    cd "$build"
    ctest --output-on-failure -j "$jobs"
    wineserver -k || true
    ;;
*)
    echo "usage: $0 package|test" >&2
    exit 2
    ;;
esac
