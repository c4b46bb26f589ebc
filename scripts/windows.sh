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

case "$what" in
package)
    # Qt, its plug-ins and the MinGW runtime are linked in: the zip holds one program, what a
    # player reads first, and the licences.
    package=$build/kestro
    rm -rf "$package"
    mkdir -p "$package"
    x86_64-w64-mingw32-strip --strip-all -o "$package/kestro.exe" "$build/kestro.exe"
    bash "$repo/scripts/licenses.sh" "$package" "$qt"
    cp "$repo/resources/README.txt" "$package/"
    (cd "$build" && rm -f kestro-windows-x64.zip && zip -qr kestro-windows-x64.zip kestro)
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
    # A test runs Wine in Japanese, code page 932, too: Wine spells file names in the character set
    # of the locale it starts in, which is made here as the system may not have it.
    mkdir -p "$build/locale"
    [ -d "$build/locale/ja_JP.UTF-8" ] || localedef -i ja_JP -f UTF-8 "$build/locale/ja_JP.UTF-8"
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
