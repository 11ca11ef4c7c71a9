# The native Linux program: one program for both Linux display systems
# (cmake/x11.cmake and cmake/wayland.cmake build the front ends), which
# chooses X11 or Wayland at start, written to build/linux/lumivane; its
# display-system test and its X11 run driven from outside on private Xvfb
# servers that the end-to-end tests start themselves.
add_executable(lumivane src/linux/main.cpp src/linux/display_system.cpp)
target_link_libraries(lumivane PRIVATE lumivane_x11 lumivane_wayland)
# scripts/build puts the program in build/linux; a build of its own keeps it
# in its own tree.
set(LUMIVANE_LINUX_PROGRAM_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Where build/linux/lumivane goes")
set_target_properties(lumivane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${LUMIVANE_LINUX_PROGRAM_DIR})

add_executable(linux_tests tests/linux/display_system_test.cpp src/linux/display_system.cpp
  tests/drm/connector_edid_test.cpp)
target_include_directories(linux_tests PRIVATE src)
target_link_libraries(linux_tests PRIVATE lumivane_drm GTest::gtest_main)
gtest_discover_tests(linux_tests)

add_test(NAME linux_program_end_to_end
  COMMAND e2e_tests --front-end=linux -- $<TARGET_FILE:lumivane>)
set_tests_properties(linux_program_end_to_end PROPERTIES TIMEOUT 300
  ENVIRONMENT "MESA_SHADER_CACHE_DIR=${CMAKE_BINARY_DIR}/mesa-cache")
