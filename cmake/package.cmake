# The Debian package of the Linux program, made by CPack's DEB generator
# (scripts/package runs cpack in build/native): the program, its manual page,
# desktop entry, AppStream metadata, hicolor icons (drawn by make_icon,
# cmake/icon.cmake), copyright and changelog. Only what is installed here
# goes into the package; the tests are never installed.
set(package_dir ${CMAKE_BINARY_DIR}/packaging)
configure_file(packaging/lumivane.desktop.in ${package_dir}/${LUMIVANE_APP_ID}.desktop @ONLY)
configure_file(packaging/lumivane.metainfo.xml.in ${package_dir}/${LUMIVANE_APP_ID}.metainfo.xml
  @ONLY)

# Manual page and changelog are installed compressed, without a time stamp.
set(compressed)
foreach(file lumivane.1 changelog)
  add_custom_command(OUTPUT ${package_dir}/${file}.gz
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/${file} > ${package_dir}/${file}.gz
    DEPENDS packaging/${file} VERBATIM)
  list(APPEND compressed ${package_dir}/${file}.gz)
endforeach()
add_custom_target(lumivane_package_files ALL DEPENDS ${compressed})

install(TARGETS lumivane RUNTIME DESTINATION bin)
install(FILES ${package_dir}/lumivane.1.gz DESTINATION share/man/man1)
install(FILES ${package_dir}/${LUMIVANE_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${package_dir}/${LUMIVANE_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY ${LUMIVANE_HICOLOR_DIR}/ DESTINATION share/icons/hicolor)
install(FILES packaging/copyright ${package_dir}/changelog.gz DESTINATION share/doc/lumivane)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumivane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # lumivane_1.0.0.1_amd64.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Lumivane developers <lumivane@users.noreply.github.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/lumivane/lumivane)
# The libraries the program links, as dpkg-shlibdeps finds them; the logo's
# font and libdecor's title bars (on desktops without server-side
# decorations) are loaded at run time and the program goes on without them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, libdecor-0-plugin-1-cairo")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "test whether a display chain carries 10 bits per colour
Lumivane opens two OpenGL windows side by side and draws the same animated,
lit scene in both: the right one with 10 bits per colour, the left one with
8. On a display chain that really carries 10 bits, the left window shows
bands in the grey gradients where the right one is smooth.

With --check it measures what each window holds, what reaches the screen,
and what the display output and the monitor declare, and names the weakest
link. It runs on X11 (at depth 30) and natively on Wayland.")
include(CPack)
