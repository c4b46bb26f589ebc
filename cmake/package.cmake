# Installing Kestro on Linux: the program, its icon, a desktop entry, its AppStream metadata, a
# manual page and the documents Debian asks of every package; `make package` wraps them in a
# Debian package.
include(GNUInstallDirs)

# The version is the project's: the manual page, the changelog and the metadata take it from
# there. Debian wants the manual page and the changelog compressed the same way on every build.
set(docs ${PROJECT_BINARY_DIR}/docs)
foreach(template kestro.1 changelog org.kestro.kestro.metainfo.xml)
    configure_file(${PROJECT_SOURCE_DIR}/resources/${template}.in ${docs}/${template} @ONLY)
endforeach()
foreach(document kestro.1 changelog)
    add_custom_command(OUTPUT ${docs}/${document}.gz
                       COMMAND gzip -9nc ${docs}/${document} > ${docs}/${document}.gz
                       DEPENDS ${docs}/${document})
endforeach()
add_custom_target(kestro_docs ALL DEPENDS ${docs}/kestro.1.gz ${docs}/changelog.gz)

install(TARGETS kestro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/kestro.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/kestro.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
install(FILES ${docs}/org.kestro.kestro.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${docs}/kestro.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${docs}/changelog.gz ${PROJECT_SOURCE_DIR}/resources/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestro)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestro)
set(CPACK_PACKAGE_VENDOR Kestro)
set(CPACK_PACKAGE_CONTACT "Kestro developers <developers@kestro.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "install and uninstall add-on folders for the game EAW")
# Debian shows the description as it is written: lines of less than 80 characters.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Kestro copies add-on folders into the directory of the game EAW and deletes"
    "them from it again. Point it at the game directory, pick an add-on folder,"
    "look at its picture and description, and press Load; click the folder in the"
    "list of loaded folders to delete its files from the game again. It works in"
    "the directory it is started from, where it keeps the list of loaded folders"
    "in FoldersLoaded.txt.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A tool beside the game rather than a game: Debian keeps games in /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# The Qt libraries it links, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

if(BUILD_TESTING)
    add_test(NAME package_files
             COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR}
                     -P ${PROJECT_SOURCE_DIR}/cmake/checkpackage.cmake)
endif()
