# Builds the Debian package in a scratch folder and checks that it holds exactly what it should,
# that lintian finds nothing to say, and that the desktop entry and the AppStream metadata pass
# their validators (each tool where it is installed). Run as a test: cmake -DBUILD=<build dir> -P checkpackage.cmake
set(scratch ${BUILD}/package-check)
file(REMOVE_RECURSE ${scratch})
execute_process(COMMAND cpack --config ${BUILD}/CPackConfig.cmake -B ${scratch}
                RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(failed)
    message(FATAL_ERROR "cpack failed:\n${output}")
endif()
file(GLOB debs ${scratch}/*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package, found: ${debs}")
endif()
execute_process(COMMAND dpkg-deb --contents ${debs} OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND dpkg-deb --field ${debs} Depends OUTPUT_VARIABLE depends COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "\\./usr/[^\n]*[^/\n]\n" files "${listing}")
string(REPLACE "\n" ";" files "${files}")
list(FILTER files EXCLUDE REGEX "^$")
list(SORT files)
set(expected ./usr/bin/kestro ./usr/share/applications/kestro.desktop
    ./usr/share/doc/kestro/changelog.gz ./usr/share/doc/kestro/copyright
    ./usr/share/icons/hicolor/32x32/apps/kestro.png ./usr/share/man/man1/kestro.1.gz
    ./usr/share/metainfo/org.kestro.kestro.metainfo.xml)
if(NOT files STREQUAL expected)
    message(FATAL_ERROR "the package holds:\n${files}\nexpected:\n${expected}")
endif()
if(NOT depends MATCHES "libqt6widgets6")
    message(FATAL_ERROR "the package does not depend on Qt's widgets: ${depends}")
endif()

# Each checker runs on the files as the package holds them.
function(check tool)
    find_program(found ${tool})
    if(NOT found)
        message(STATUS "${tool} is not installed: not run")
        return()
    endif()
    execute_process(COMMAND ${found} ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE said
                    ERROR_VARIABLE said)
    # lintian says nothing at all of a clean package but for its note about running as root.
    string(REGEX REPLACE "running with root privileges is not recommended!\n" "" said "${said}")
    if(failed OR (tool STREQUAL lintian AND NOT said STREQUAL ""))
        message(FATAL_ERROR "${tool} ${ARGN}:\n${said}")
    endif()
    unset(found CACHE)
endfunction()
execute_process(COMMAND dpkg-deb --extract ${debs} ${scratch}/root COMMAND_ERROR_IS_FATAL ANY)
check(lintian --tag-display-limit 0 ${debs})
check(desktop-file-validate ${scratch}/root/usr/share/applications/kestro.desktop)
check(appstreamcli validate --no-net
      ${scratch}/root/usr/share/metainfo/org.kestro.kestro.metainfo.xml)

file(REMOVE_RECURSE ${scratch})
message(STATUS "package files: ${files}")
