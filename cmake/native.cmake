# Native (Linux) side: tests of the portable core drawing into offscreen
# framebuffers through EGL on Mesa, and the frame-time benchmark.
find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
find_package(GTest REQUIRED)
find_library(GLU_LIBRARY GLU REQUIRED)
target_link_libraries(lumivane_core PUBLIC OpenGL::GL ${GLU_LIBRARY})

include(GoogleTest)

# Headless OpenGL for tests and benchmark: a surfaceless EGL context drawing
# into 8-bit or 10-bit framebuffer objects.
add_library(offscreen_gl STATIC tests/support/offscreen_gl.cpp)
target_include_directories(offscreen_gl PUBLIC tests/support)
target_link_libraries(offscreen_gl PUBLIC lumivane_core OpenGL::EGL OpenGL::OpenGL)

add_executable(core_tests
  tests/viewer_state_test.cpp
  tests/key_commands_test.cpp
  tests/keysym_test.cpp
  tests/size_rule_test.cpp
  tests/extension_list_test.cpp
  tests/startup_test.cpp
  tests/pixel_format_choice_test.cpp
  tests/display_check_test.cpp
  tests/edid_test.cpp
  tests/blind_rounds_test.cpp)
target_include_directories(core_tests PRIVATE tests)
target_link_libraries(core_tests PRIVATE lumivane_core GTest::gtest_main)
gtest_discover_tests(core_tests)

add_executable(render_tests tests/render_test.cpp tests/split_view_test.cpp tests/level_count_test.cpp)
target_link_libraries(render_tests PRIVATE offscreen_gl GTest::gtest_main)
gtest_discover_tests(render_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "MESA_SHADER_CACHE_DIR=${CMAKE_BINARY_DIR}/mesa-cache")

find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_executable(render_bench bench/render_bench.cpp)
  target_link_libraries(render_bench PRIVATE offscreen_gl benchmark::benchmark)
endif()

include(cmake/icon.cmake)

# The real programs driven from outside: one runner for every front end,
# told how to start its program (linux.cmake registers the native program;
# each Windows build registers its own program with this runner's path).
# Each suite starts its own private X servers.
find_package(X11 REQUIRED)
add_library(e2e_support STATIC tests/e2e/x_screen.cpp tests/e2e/child_process.cpp
  tests/e2e/private_x_server.cpp tests/e2e/window_manager.cpp)
target_include_directories(e2e_support PUBLIC tests/e2e tests src)
target_link_libraries(e2e_support PUBLIC X11::X11 X11::Xrandr)

add_executable(e2e_support_tests tests/e2e/child_process_test.cpp)
target_link_libraries(e2e_support_tests PRIVATE e2e_support GTest::gtest_main)
gtest_discover_tests(e2e_support_tests)

# One process per front end: one file per suite, their shared desktop,
# program and picture helpers in e2e.cpp (which holds main).
add_executable(e2e_tests tests/e2e/e2e.cpp tests/e2e/running_program_test.cpp
  tests/e2e/closing_test.cpp tests/e2e/startup_failure_test.cpp tests/e2e/check_test.cpp
  tests/e2e/window_manager_test.cpp tests/e2e/hidden_window_test.cpp
  tests/e2e/full_screen_test.cpp tests/e2e/compositor_test.cpp)
target_link_libraries(e2e_tests PRIVATE e2e_support GTest::gtest)
target_compile_definitions(e2e_tests PRIVATE LUMIVANE_APP_ID="${LUMIVANE_APP_ID}")

# What both Linux front ends share and neither owns: SIGINT and SIGTERM
# (POSIX only), the kernel's connectors, and the logo's glyph outlines from
# FreeType.
add_library(lumivane_posix STATIC src/posix/ending_signal.cpp)
target_include_directories(lumivane_posix PUBLIC src)

# The kernel's view of the display connectors (Linux only): the monitor's
# EDID by the connector's name, for both Linux front ends.
add_library(lumivane_drm STATIC src/drm/connector_edid.cpp)
target_include_directories(lumivane_drm PUBLIC src)

find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
add_library(lumivane_glyphs STATIC src/freetype/glyph_outlines.cpp)
target_link_libraries(lumivane_glyphs PUBLIC lumivane_core Freetype::Freetype
  Fontconfig::Fontconfig)
add_executable(glyph_outline_tests tests/freetype/glyph_outlines_test.cpp)
target_link_libraries(glyph_outline_tests PRIVATE lumivane_glyphs offscreen_gl GTest::gtest_main)
gtest_discover_tests(glyph_outline_tests DISCOVERY_MODE PRE_TEST
  PROPERTIES ENVIRONMENT "MESA_SHADER_CACHE_DIR=${CMAKE_BINARY_DIR}/mesa-cache")

include(cmake/x11.cmake)
include(cmake/wayland.cmake)
include(cmake/linux.cmake)
include(cmake/package.cmake)
