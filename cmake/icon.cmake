# Application icon. The artwork lives in code: make_icon draws it and writes
# ${CMAKE_BINARY_DIR}/resources/lumivane.ico, the file that
# resources/lumivane.rc names as "lumivane.ico". The Windows build is given
# this folder as LUMIVANE_ICON_DIR and passes it to windres with -I.
add_executable(make_icon resources/make_icon.cpp)

set(LUMIVANE_ICON_DIR ${CMAKE_BINARY_DIR}/resources)
set(LUMIVANE_ICON ${LUMIVANE_ICON_DIR}/lumivane.ico)
add_custom_command(
  OUTPUT ${LUMIVANE_ICON}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LUMIVANE_ICON_DIR}
  COMMAND make_icon ${LUMIVANE_ICON}
  DEPENDS make_icon
  COMMENT "Drawing the application icon"
  VERBATIM)
add_custom_target(lumivane_icon ALL DEPENDS ${LUMIVANE_ICON})

# Checks of the generated icon's structure and artwork, and of the generator.
add_executable(icon_tests tests/icon_test.cpp)
target_compile_definitions(icon_tests PRIVATE
  LUMIVANE_ICON_PATH="${LUMIVANE_ICON}"
  LUMIVANE_MAKE_ICON="$<TARGET_FILE:make_icon>")
target_link_libraries(icon_tests PRIVATE GTest::gtest_main)
add_dependencies(icon_tests lumivane_icon)
gtest_discover_tests(icon_tests)
