# Installing Kestro on Linux: the program, its icon and a desktop entry; `make package` wraps
# them in a Debian package.
include(GNUInstallDirs)
install(TARGETS kestro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/kestro.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/kestro.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestro)
set(CPACK_PACKAGE_VENDOR Kestro)
set(CPACK_PACKAGE_CONTACT "Kestro developers <kestro@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Installs and uninstalls add-on folders for the game EAW")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The Qt libraries it links, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

if(BUILD_TESTING)
    add_test(NAME package_files
             COMMAND ${CMAKE_COMMAND} -DBUILD=${PROJECT_BINARY_DIR}
                     -P ${PROJECT_SOURCE_DIR}/cmake/checkpackage.cmake)
endif()
