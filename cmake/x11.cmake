# The native Linux program's X11 front end with GLX (the real executable is
# driven from outside by cmake/linux.cmake's end-to-end entry; its keysym
# table is the portable one, tested with the core).
find_package(X11 REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS GLX)

add_library(lumivane_x11 STATIC
  src/x11/x11_window.cpp
  src/x11/glx_context.cpp
  src/x11/x11_events.cpp
  src/x11/x11_startup.cpp
  src/x11/x11_check.cpp
  src/x11/x11_full_screen.cpp)
target_link_libraries(lumivane_x11 PUBLIC lumivane_core lumivane_glyphs lumivane_posix lumivane_drm
  OpenGL::GLX X11::X11
  X11::Xrandr)
# The windows' _NET_WM_ICON images, drawn by make_icon (cmake/icon.cmake).
target_include_directories(lumivane_x11 PRIVATE ${LUMIVANE_ICON_DIR})
add_dependencies(lumivane_x11 lumivane_icon)

# What a whole tick of the X11 front end costs, beside two bare windows
# (scripts/bench runs it on a private Xvfb).
add_executable(tick_bench bench/tick_bench.cpp)
target_link_libraries(tick_bench PRIVATE lumivane_x11)
target_include_directories(tick_bench PRIVATE bench)
