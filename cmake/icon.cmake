# Application icon. The artwork lives in code: make_icon draws it and writes
# ${CMAKE_BINARY_DIR}/resources/lumivane.ico, the file that
# resources/lumivane.rc names as "lumivane.ico" (the Windows build is given
# this folder as LUMIVANE_ICON_DIR and passes it to windres with -I), the
# desktop's hicolor PNG icons under resources/hicolor (installed by the
# package), and lumivane_icon_argb.h, the X11 front end's _NET_WM_ICON images.
add_executable(make_icon resources/make_icon.cpp)
target_compile_definitions(make_icon PRIVATE LUMIVANE_APP_ID="${LUMIVANE_APP_ID}")

set(LUMIVANE_ICON_DIR ${CMAKE_BINARY_DIR}/resources)
set(LUMIVANE_ICON ${LUMIVANE_ICON_DIR}/lumivane.ico)
set(LUMIVANE_HICOLOR_DIR ${LUMIVANE_ICON_DIR}/hicolor)
set(LUMIVANE_ICON_ARGB ${LUMIVANE_ICON_DIR}/lumivane_icon_argb.h)
set(LUMIVANE_ICON_SIZES 16 32 48 64 128 256)
set(icon_outputs ${LUMIVANE_ICON} ${LUMIVANE_ICON_ARGB})
set(icon_folders)
foreach(size ${LUMIVANE_ICON_SIZES})
  list(APPEND icon_folders ${LUMIVANE_HICOLOR_DIR}/${size}x${size}/apps)
  list(APPEND icon_outputs
    ${LUMIVANE_HICOLOR_DIR}/${size}x${size}/apps/${LUMIVANE_APP_ID}.png)
endforeach()
add_custom_command(
  OUTPUT ${icon_outputs}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMIVANE_ICON_DIR} ${icon_folders}
  COMMAND make_icon ${LUMIVANE_ICON} ${LUMIVANE_HICOLOR_DIR} ${LUMIVANE_ICON_ARGB}
  DEPENDS make_icon
  COMMENT "Drawing the application icon"
  VERBATIM)
add_custom_target(lumivane_icon ALL DEPENDS ${icon_outputs})

# Checks of the generated icon's structure and artwork, and of the generator.
add_executable(icon_tests tests/icon_test.cpp tests/desktop_icon_test.cpp)
target_compile_definitions(icon_tests PRIVATE
  LUMIVANE_ICON_PATH="${LUMIVANE_ICON}"
  LUMIVANE_HICOLOR_DIR="${LUMIVANE_HICOLOR_DIR}"
  LUMIVANE_APP_ID="${LUMIVANE_APP_ID}"
  LUMIVANE_MAKE_ICON="$<TARGET_FILE:make_icon>")
target_include_directories(icon_tests PRIVATE ${LUMIVANE_ICON_DIR} tests)
target_link_libraries(icon_tests PRIVATE GTest::gtest_main)
add_dependencies(icon_tests lumivane_icon)
gtest_discover_tests(icon_tests)
