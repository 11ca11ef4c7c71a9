# The native Linux program's X11 front end with GLX and its tests: the pure
# choices natively (the real executable is driven from outside by
# cmake/linux.cmake's end-to-end entry).
find_package(X11 REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS GLX)

add_library(lumivane_x11 STATIC
  src/x11/x11_window.cpp
  src/x11/glx_context.cpp
  src/x11/x11_events.cpp
  src/x11/x11_startup.cpp
  src/x11/x11_check.cpp
  src/x11/x11_full_screen.cpp)
target_link_libraries(lumivane_x11 PUBLIC lumivane_core lumivane_glyphs OpenGL::GLX X11::X11
  X11::Xrandr)
# The windows' _NET_WM_ICON images, drawn by make_icon (cmake/icon.cmake).
target_include_directories(lumivane_x11 PRIVATE ${LUMIVANE_ICON_DIR})
add_dependencies(lumivane_x11 lumivane_icon)

add_executable(x11_tests
  tests/x11/keysym_test.cpp)
target_link_libraries(x11_tests PRIVATE lumivane_x11 GTest::gtest_main)
gtest_discover_tests(x11_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "MESA_SHADER_CACHE_DIR=${CMAKE_BINARY_DIR}/mesa-cache")

# What a whole tick of the X11 front end costs, beside two bare windows
# (scripts/bench runs it on a private Xvfb).
add_executable(tick_bench bench/tick_bench.cpp)
target_link_libraries(tick_bench PRIVATE lumivane_x11)
target_include_directories(tick_bench PRIVATE bench)
