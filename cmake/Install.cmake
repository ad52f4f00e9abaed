# cmake --install: the program and what a desktop needs to list, start and describe it, in
# the standard places under the prefix. The default pick lists, the report definitions and
# the help document are built into the program (data/numarok.qrc), which writes them into
# the user's program directory when they are missing, so the installed program needs
# nothing from the build tree.
include(GNUInstallDirs)

install(TARGETS numarok RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/numarok.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/numarok.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/org.numarok.Numarok.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The man page is installed compressed, as Debian's policy asks.
find_program(GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/numarok.1.gz
                   COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/data/man/numarok.1 > ${PROJECT_BINARY_DIR}/numarok.1.gz
                   DEPENDS ${PROJECT_SOURCE_DIR}/data/man/numarok.1
                   COMMENT "Compressing the man page")
add_custom_target(manpage ALL DEPENDS ${PROJECT_BINARY_DIR}/numarok.1.gz)
install(FILES ${PROJECT_BINARY_DIR}/numarok.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# cpack -G DEB (run in the build folder): a Debian package installing under /usr. The
# libraries' packages come from dpkg-shlibdeps; the rest is what the program relies on at
# run time without linking it: the X11/Wayland platform plugins, the SVG icon engine, the
# fonts metric-compatible with Arial (the default font of the grid, editor and reports) and
# the icon theme of the toolbar buttons.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME numarok)
set(CPACK_PACKAGE_VENDOR "The Numarok developers")
set(CPACK_PACKAGE_CONTACT "The Numarok developers <developers@numarok.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "coin collection catalogue")
set(CPACK_PACKAGE_DESCRIPTION
    "Numarok keeps a coin collector's catalogue in dBase tables: a grid of the whole\n collection, an input window for one coin, finding, reports, import and export.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libqt6svg6, fonts-liberation2, breeze-icon-theme, hicolor-icon-theme")
include(CPack)
