# Running this build's Windows programs under Wine: which loader, whether
# this host can run it, and how a test is registered either way.
#
# Whether the host runs the loader is found out here, once per configure, by
# running it: a kernel without 32-bit support cannot run the 32-bit loader
# (Debian's `wine` wrapper would still pick it, so it is not used). Where the
# 32-bit loader cannot run, the 32-bit build's tests are registered as
# skipped with the reason; where the 64-bit one cannot, its tests fail with
# the reason. scripts/run and scripts/test read the result from the cache.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(wine_word_size 32)
else()
  set(wine_word_size 64)
endif()
# scripts/lib/wine.sh is the one place that names the loaders.
execute_process(
  COMMAND bash -c ". \"$0\" && wine_loader $1" ${CMAKE_SOURCE_DIR}/scripts/lib/wine.sh
    ${wine_word_size}
  OUTPUT_VARIABLE loader OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

if(NOT EXISTS ${loader})
  set(runs OFF)
  set(reason "Wine's ${wine_word_size}-bit loader ${loader} is not installed")
else()
  # Through bash: CMake itself would hand a program the kernel refuses to a
  # shell as a script.
  execute_process(COMMAND bash -c "exec \"$1\" --version" bash ${loader}
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE error TIMEOUT 60)
  if(result EQUAL 0)
    set(runs ON)
    set(reason "")
  else()
    set(runs OFF)
    # The first line says why: "...: cannot execute binary file: Exec format error".
    string(REGEX REPLACE "[\r\n].*" "" error "${error}")
    string(REGEX REPLACE "^bash: line [0-9]+: " "" error "${error}")
    set(reason "this host cannot run Wine's ${wine_word_size}-bit loader ${loader} (${error})")
  endif()
endif()
set(LUMIVANE_WINE_RUNS ${runs} CACHE INTERNAL "Whether this host runs the Wine loader")
set(LUMIVANE_WINE_WHY_NOT "${reason}" CACHE INTERNAL "Why this host cannot run the Wine loader")
set(LUMIVANE_WINE_WORD_SIZE ${wine_word_size} CACHE INTERNAL "32 or 64")
if(NOT runs)
  message(STATUS "Windows programs under Wine: ${reason}")
endif()

set(with_x_server ${CMAKE_SOURCE_DIR}/scripts/with-x-server)
# The prefix lives in this build tree, made by this build's loader.
set(wine_run ${CMAKE_SOURCE_DIR}/scripts/wine-run ${wine_word_size} ${CMAKE_BINARY_DIR}/wineprefix)

# add_wine_test(NAME COMMAND...): a test that runs Windows programs under Wine.
function(add_wine_test name)
  if(LUMIVANE_WINE_RUNS)
    add_test(NAME ${name} COMMAND ${ARGN})
  elseif(wine_word_size EQUAL 32)
    add_test(NAME ${name} COMMAND sh -c "echo \"Skipped: $1\"; exit 77" sh "${LUMIVANE_WINE_WHY_NOT}")
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
  else()
    add_test(NAME ${name} COMMAND sh -c "echo \"ERROR: $1\"; exit 1" sh "${LUMIVANE_WINE_WHY_NOT}")
  endif()
  set_tests_properties(${name} PROPERTIES LABELS wine
    ENVIRONMENT "MESA_SHADER_CACHE_DIR=${CMAKE_BINARY_DIR}/mesa-cache")
endfunction()
