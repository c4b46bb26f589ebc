#!/usr/bin/env bash
# Puts the licences of what kestro.exe holds beside it, as plain files (a folder would show up
# in Kestro's folder list): Kestro's own, Qt's with where its source comes from, the notices
# of the libraries Qt links in, and the MinGW runtime's.
#
#   scripts/licenses.sh <folder> <Qt prefix>
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
out=$1
qt=$2
cache=$(dirname "$qt")
deb_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
src=$cache/src/qt6-base-${deb_version%-*}

unix2dos() { sed 's/\r*$/\r/' "$@"; }

unix2dos "$repo/LICENSE" >"$out/LICENSE.txt"
{
    printf 'kestro.exe holds Qt %s (the qtbase module), linked statically.\n\n' "${deb_version%%+*}"
    printf 'Qt is licensed under the GNU Lesser General Public License version 3, whose text\n'
    printf 'follows. It was built, unchanged but for the configure options in Kestro'"'"'s\n'
    printf 'scripts/build-qt-windows.sh, from the source of Debian'"'"'s qt6-base package, version\n'
    printf '%s ("apt-get source qt6-base=%s" on Debian 12). Kestro'"'"'s whole\n' "$deb_version" "$deb_version"
    printf 'source is available under the GPL, so kestro.exe can be rebuilt against a changed Qt.\n\n'
    cat "$src/LICENSES/LGPL-3.0-only.txt"
    printf '\n\nThe GNU General Public License version 3 that the LGPL refers to is in LICENSE.txt.\n'
} | unix2dos >"$out/LICENSE-Qt.txt"
{
    printf 'Libraries that Qt builds into kestro.exe, with their notices.\n'
    for lib in zlib libpng libjpeg freetype harfbuzz-ng pcre2 double-conversion md4c; do
        for notice in "$src/src/3rdparty/$lib"/{LICENSE,LICENSE.md,LICENSE.txt,COPYRIGHT.txt,ijg-license.txt,COPYING,LICENCE,LICENCE-SLJIT,docs/FTL.TXT}; do
            [ -f "$notice" ] || continue
            printf '\n\n==== %s: %s ====\n\n' "$lib" "${notice#"$src/src/3rdparty/$lib/"}"
            cat "$notice"
        done
    done
} | unix2dos >"$out/LICENSE-libraries.txt"
{
    printf 'kestro.exe holds the MinGW-w64 runtime (the C runtime and winpthreads) and the GCC\n'
    printf 'runtime libraries (libgcc, libstdc++, under the GCC Runtime Library Exception), from\n'
    printf 'Debian'"'"'s packages. Their copyright files follow.\n\n==== mingw-w64 ====\n\n'
    cat /usr/share/doc/mingw-w64-common/copyright
    printf '\n\n==== GCC ====\n\n'
    cat /usr/share/doc/gcc-mingw-w64-base/copyright
} | unix2dos >"$out/LICENSE-MinGW.txt"
