# The Wayland front end, linked into build/linux/lumivane beside the X11 one,
# and its tests: the pure choices natively, and the real executable driven
# from outside on private headless compositors (sway for the picture, Weston
# without a renderer for a compositor that offers no 10-bit buffers).
#
# The protocol glue is generated at build time by wayland-scanner from the
# protocol descriptions: xdg-shell, xdg-decoration, xdg-output and
# presentation-time from wayland-protocols, plasma-shell from
# plasma-wayland-protocols, and wlroots' screen-copy protocol, through which
# the check and the tests read the screen, whose description lives in
# src/wayland/protocols (no Debian package ships it); for the tests alone,
# KWin's fake input and window management from plasma-wayland-protocols,
# through which they drive KWin.
enable_language(C)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND REQUIRED IMPORTED_TARGET wayland-client wayland-egl xkbcommon
  libdecor-0)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)

set(LUMIVANE_PROTOCOL_DIR ${CMAKE_BINARY_DIR}/wayland-protocols)
file(MAKE_DIRECTORY ${LUMIVANE_PROTOCOL_DIR})

# lumivane_wayland_protocol(NAME XML): NAME-client-protocol.h and NAME-protocol.c
# in the build tree; the .c file goes into the list VARIABLE_sources.
function(lumivane_wayland_protocol name xml)
  set(header ${LUMIVANE_PROTOCOL_DIR}/${name}-client-protocol.h)
  set(code ${LUMIVANE_PROTOCOL_DIR}/${name}-protocol.c)
  add_custom_command(OUTPUT ${header} ${code}
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header}
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code}
    DEPENDS ${xml} VERBATIM)
  set(${name}_sources ${header} ${code} PARENT_SCOPE)
endfunction()

lumivane_wayland_protocol(xdg-shell ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml)
lumivane_wayland_protocol(xdg-decoration-unstable-v1
  ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-decoration/xdg-decoration-unstable-v1.xml)
lumivane_wayland_protocol(xdg-output-unstable-v1
  ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-output/xdg-output-unstable-v1.xml)
lumivane_wayland_protocol(presentation-time
  ${WAYLAND_PROTOCOLS_DIR}/stable/presentation-time/presentation-time.xml)
# KWin's plasma-shell: the one way a client may place its windows there.
find_package(PlasmaWaylandProtocols REQUIRED)
lumivane_wayland_protocol(plasma-shell ${PLASMA_WAYLAND_PROTOCOLS_DIR}/plasma-shell.xml)
lumivane_wayland_protocol(wlr-screencopy-unstable-v1
  ${CMAKE_SOURCE_DIR}/src/wayland/protocols/wlr-screencopy-unstable-v1.xml)
lumivane_wayland_protocol(fake-input ${PLASMA_WAYLAND_PROTOCOLS_DIR}/fake-input.xml)
lumivane_wayland_protocol(plasma-window-management
  ${PLASMA_WAYLAND_PROTOCOLS_DIR}/plasma-window-management.xml)

add_library(lumivane_wayland STATIC
  ${xdg-shell_sources}
  ${xdg-decoration-unstable-v1_sources}
  ${xdg-output-unstable-v1_sources}
  ${presentation-time_sources}
  ${wlr-screencopy-unstable-v1_sources}
  ${plasma-shell_sources}
  src/wayland/buffer_scale.cpp
  src/wayland/wayland_output.cpp
  src/wayland/wayland_window.cpp
  src/wayland/egl_context.cpp
  src/wayland/wayland_input.cpp
  src/wayland/wayland_events.cpp
  src/wayland/wayland_check.cpp
  src/wayland/wayland_full_screen.cpp
  src/wayland/wayland_screen_copy.cpp
  src/wayland/wayland_startup.cpp)
target_include_directories(lumivane_wayland PUBLIC ${LUMIVANE_PROTOCOL_DIR})
# EGL's own headers would otherwise pull in Xlib for their native types.
target_compile_definitions(lumivane_wayland PUBLIC EGL_NO_X11)
target_link_libraries(lumivane_wayland PUBLIC lumivane_core lumivane_glyphs lumivane_posix lumivane_drm OpenGL::EGL
  PkgConfig::WAYLAND)

add_executable(wayland_tests
  tests/wayland/keymap_test.cpp
  tests/wayland/buffer_scale_test.cpp)
target_link_libraries(wayland_tests PRIVATE lumivane_wayland GTest::gtest_main)
gtest_discover_tests(wayland_tests)

# The tests' screen reader: the compositor's output at its own depth, read
# through the screen-copy protocol (also a small tool for scripts/run).
add_library(wayland_screen STATIC ${wlr-screencopy-unstable-v1_sources}
  tests/e2e/wayland_screen.cpp tests/e2e/private_compositor.cpp)
target_include_directories(wayland_screen PUBLIC ${LUMIVANE_PROTOCOL_DIR})
target_link_libraries(wayland_screen PUBLIC e2e_support PkgConfig::WAYLAND)
target_link_libraries(e2e_tests PRIVATE wayland_screen)

# Keys (and KWin's windows) on Mutter and KWin: the tool each private Mutter
# or KWin runs beside it, as its own user, talking D-Bus through sd-bus.
pkg_check_modules(SYSTEMD REQUIRED IMPORTED_TARGET libsystemd)
add_executable(compositor_driver tests/e2e/compositor_driver.cpp ${fake-input_sources}
  ${plasma-window-management_sources})
target_include_directories(compositor_driver PRIVATE ${LUMIVANE_PROTOCOL_DIR})
target_link_libraries(compositor_driver PRIVATE PkgConfig::WAYLAND PkgConfig::SYSTEMD)
target_compile_definitions(wayland_screen PRIVATE
  LUMIVANE_COMPOSITOR_DRIVER="$<TARGET_FILE:compositor_driver>")
add_dependencies(wayland_screen compositor_driver)

add_executable(wayland_screenshot tests/e2e/wayland_screenshot.cpp)
target_link_libraries(wayland_screenshot PRIVATE wayland_screen)

add_test(NAME wayland_program_end_to_end
  COMMAND e2e_tests --front-end=wayland -- $<TARGET_FILE:lumivane>)
set_tests_properties(wayland_program_end_to_end PROPERTIES TIMEOUT 300
  ENVIRONMENT "MESA_SHADER_CACHE_DIR=${CMAKE_BINARY_DIR}/mesa-cache")

# The same program on headless Mutter and KWin: the suites that concern the
# compositor (its windows, closing one, full screen, the report, the blind
# test, SIGTERM);
# what a compositor cannot show is skipped with the reason. The rest (start-up
# failures, the usage, sway's own scale and workspaces) does not depend on it.
foreach(compositor mutter kwin)
  add_test(NAME wayland_${compositor}_end_to_end
    COMMAND e2e_tests --front-end=wayland --compositor=${compositor}
      --gtest_filter=CompositorTest.*:ClosingAWindowTest.*:FullScreenTest.*:BlindTest.*:CheckTest.Reports*
      -- $<TARGET_FILE:lumivane>)
  set_tests_properties(wayland_${compositor}_end_to_end PROPERTIES TIMEOUT 300
    ENVIRONMENT "MESA_SHADER_CACHE_DIR=${CMAKE_BINARY_DIR}/mesa-cache")
endforeach()

# The Wayland front end's tick beside two bare windows (scripts/bench runs it
# on a private headless sway).
add_executable(wayland_tick_bench bench/wayland_tick_bench.cpp)
target_include_directories(wayland_tick_bench PRIVATE bench)
target_link_libraries(wayland_tick_bench PRIVATE lumivane_wayland)
