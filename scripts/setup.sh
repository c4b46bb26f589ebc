#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Kestro need.
# Does nothing when they are all present; never asks a question.
# `setup.sh fuzz` also installs what `make fuzz` needs: clang and its libFuzzer;
# `setup.sh windows` what cross-building Qt and Kestro for Windows and running them needs.
set -euo pipefail

packages=(
    build-essential cmake make
    qt6-base-dev qt6-base-dev-tools libgl-dev
    xvfb xauth x11-apps imagemagick fonts-dejavu-core
    e2fsprogs
    dpkg-dev file # make package: dpkg-shlibdeps finds the libraries the program needs
    lintian appstream desktop-file-utils # and the package's checkers
)
case "${1:-}" in
fuzz) packages+=(clang libclang-rt-14-dev) ;;
windows)
    packages+=(
        g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 # compilers, windres
        ninja-build perl                                     # Qt's build (syncqt is perl)
        wine wine64 zip                                      # run tests, package zips
        locales                                              # the Japanese locale of a test
    )
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
