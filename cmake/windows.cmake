# Windows side: the display windows, the program, and the tests that run it
# under Wine, each on a private X server of its own.
add_library(lumivane_windows STATIC
  src/windows/window_class.cpp
  src/windows/deep_colour_window.cpp
  src/windows/window_proc.cpp
  src/windows/win32_check.cpp
  src/windows/dxgi_swap_chain.cpp
  src/windows/dxgi_present.cpp
  src/windows/full_screen.cpp)
target_link_libraries(lumivane_windows PUBLIC lumivane_core opengl32 glu32 gdi32 user32)

set(LUMIVANE_ICON_DIR "" CACHE PATH "Folder holding the generated lumivane.ico")
set(program_sources src/windows/main.cpp src/windows/win32_startup.cpp)
if(LUMIVANE_ICON_DIR)
  list(APPEND program_sources resources/lumivane.rc)
  set_source_files_properties(resources/lumivane.rc PROPERTIES
    OBJECT_DEPENDS "${LUMIVANE_ICON_DIR}/lumivane.ico;${CMAKE_SOURCE_DIR}/resources/lumivane.manifest")
  set(CMAKE_RC_FLAGS
    "${CMAKE_RC_FLAGS} -I \"${LUMIVANE_ICON_DIR}\" -I \"${CMAKE_SOURCE_DIR}/resources\"")
  enable_language(RC)
endif()
add_executable(lumivane ${program_sources})
target_link_libraries(lumivane PRIVATE lumivane_windows)

# GoogleTest from the distribution's source, built with the cross compiler.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(cmake/wine.cmake)

# Each executable is one Wine process: windows are slow to destroy under Wine,
# so a process builds its windows once and its tests share them.
add_executable(windows_tests tests/windows/display_windows_test.cpp)
target_link_libraries(windows_tests PRIVATE lumivane_windows gtest)
if(LUMIVANE_ICON_DIR)
  target_sources(windows_tests PRIVATE tests/windows/resources_test.cpp)
  target_link_libraries(windows_tests PRIVATE version)
  add_dependencies(windows_tests lumivane)
endif()
add_wine_test(windows_deep_colour_screen
  ${with_x_server} 30 ${wine_run} $<TARGET_FILE:windows_tests>)

add_executable(windows_shallow_tests tests/windows/no_deep_colour_test.cpp)
target_link_libraries(windows_shallow_tests PRIVATE lumivane_windows gtest)
add_wine_test(windows_screen_without_deep_colour
  ${with_x_server} 24 ${wine_run} $<TARGET_FILE:windows_shallow_tests>)

# The whole program driven from outside by the native end-to-end runner
# (build/native's e2e_tests), which starts its own X servers.
set(LUMIVANE_E2E_RUNNER "" CACHE FILEPATH "The native end-to-end test runner (e2e_tests)")
if(LUMIVANE_E2E_RUNNER)
  add_wine_test(windows_program_end_to_end
    ${LUMIVANE_E2E_RUNNER} --front-end=windows -- ${wine_run} $<TARGET_FILE:lumivane>)
  set_tests_properties(windows_program_end_to_end PROPERTIES TIMEOUT 600)
  # The same program presenting through DXGI swap chains.
  add_wine_test(windows_dxgi_end_to_end
    ${LUMIVANE_E2E_RUNNER} --front-end=windows-dxgi -- ${wine_run} $<TARGET_FILE:lumivane> --dxgi)
  set_tests_properties(windows_dxgi_end_to_end PROPERTIES TIMEOUT 600)
endif()
