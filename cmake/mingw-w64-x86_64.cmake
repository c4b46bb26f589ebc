# CMake toolchain for building 64-bit Windows programs on Debian with MinGW-w64.
# Used both to cross-build Qt (scripts/build-qt-windows.sh) and, through the
# installed Qt's qt-cmake, to build Kestro for Windows.
#
# Why the -posix compilers: Debian ships a -win32 and a -posix thread model;
# only -posix gives std::thread/std::mutex, which C++20 code and Qt need.
# Why this file at all: Qt 6 ignores -device-option CROSS_COMPILE when picking
# compilers, so they must be named here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER  ${_mingw}-windres)
set(CMAKE_AR           ${_mingw}-ar     CACHE FILEPATH "")
set(CMAKE_RANLIB       ${_mingw}-ranlib CACHE FILEPATH "")

# Look for headers and libraries only in the MinGW sysroot (and in whatever
# CMAKE_FIND_ROOT_PATH a caller adds, such as the Qt prefix), but run
# programs (moc, rcc, uic...) from the build machine.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
