# The native Linux program's X11 front end with GLX, the program itself
# (both Linux front ends, written to build/linux/lumivane), and the X11 tests:
# the pure choices natively, and the real executable driven from outside on
# private Xvfb servers that the end-to-end tests start themselves.
find_package(X11 REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS GLX)

add_library(lumivane_linux STATIC
  src/linux/x11_window.cpp
  src/linux/glx_context.cpp
  src/linux/x11_events.cpp
  src/linux/x11_startup.cpp
  src/linux/x11_check.cpp
  src/linux/x11_full_screen.cpp)
target_link_libraries(lumivane_linux PUBLIC lumivane_core lumivane_glyphs OpenGL::GLX X11::X11
  X11::Xrandr)
# The windows' _NET_WM_ICON images, drawn by make_icon (cmake/icon.cmake).
target_include_directories(lumivane_linux PRIVATE ${LUMIVANE_ICON_DIR})
add_dependencies(lumivane_linux lumivane_icon)

# One program for both Linux display systems: it chooses X11 or Wayland at
# start (cmake/wayland.cmake builds the Wayland front end).
add_executable(lumivane src/linux_program/main.cpp src/linux_program/display_system.cpp)
target_link_libraries(lumivane PRIVATE lumivane_linux lumivane_wayland)
# scripts/build puts the program in build/linux; a build of its own keeps it
# in its own tree.
set(LUMIVANE_LINUX_PROGRAM_DIR ${CMAKE_BINARY_DIR} CACHE PATH "Where build/linux/lumivane goes")
set_target_properties(lumivane PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${LUMIVANE_LINUX_PROGRAM_DIR})

add_executable(linux_tests
  tests/linux/keysym_test.cpp)
target_link_libraries(linux_tests PRIVATE lumivane_linux GTest::gtest_main)
gtest_discover_tests(linux_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "MESA_SHADER_CACHE_DIR=${CMAKE_BINARY_DIR}/mesa-cache")

add_test(NAME linux_program_end_to_end
  COMMAND e2e_tests --front-end=linux -- $<TARGET_FILE:lumivane>)
set_tests_properties(linux_program_end_to_end PROPERTIES TIMEOUT 300
  ENVIRONMENT "MESA_SHADER_CACHE_DIR=${CMAKE_BINARY_DIR}/mesa-cache")

# What a whole tick of the native front end costs, beside two bare windows
# (scripts/bench runs it on a private Xvfb).
add_executable(tick_bench bench/tick_bench.cpp)
target_link_libraries(tick_bench PRIVATE lumivane_linux)
target_include_directories(tick_bench PRIVATE bench)
