# The Wine helper, quillan-wine-helper.exe: a Windows program that answers the window tools
# from inside a Wine prefix. It is cross-built with mingw-w64 from this same source tree (the
# logic and the Win32 backend, without Qt), placed beside the `quillan` program and installed
# to lib/quillan. Builds with tests or benchmarks also make the window maker, the Windows
# program that makes windows for the helper's test and benchmark, and the finder runner,
# which runs the Code Generator's code inside a prefix for the window tools' test.
#
# Sets QUILLAN_WINE_HELPER_EXE, and with tests or benchmarks QUILLAN_WINDOW_MAKER_EXE and
# QUILLAN_FINDER_RUNNER_EXE.
option(QUILLAN_WINE_HELPER "Cross-build the Wine helper with mingw-w64" ON)
if(NOT QUILLAN_WINE_HELPER)
  return()
endif()

set(QUILLAN_MINGW_TOOLCHAIN ${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake)
find_program(QUILLAN_MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(NOT QUILLAN_MINGW_CXX)
  message(FATAL_ERROR "The Wine helper is built with x86_64-w64-mingw32-g++-posix (Debian's "
                      "g++-mingw-w64-x86-64-posix; `make deps` installs it). Configure with "
                      "-DQUILLAN_WINE_HELPER=OFF to build without it.")
endif()

include(ExternalProject)
set(helper_dir ${CMAKE_BINARY_DIR}/wine-helper)
set(helper_targets quillan-wine-helper)
set(helper_tests OFF)
if(QUILLAN_BUILD_TESTS OR QUILLAN_BUILD_BENCH)
  list(APPEND helper_targets quillan-window-maker quillan-finder-runner)
  set(helper_tests ON)
  set(QUILLAN_WINDOW_MAKER_EXE ${helper_dir}/tests/platform/quillan-window-maker.exe)
  set(QUILLAN_FINDER_RUNNER_EXE ${helper_dir}/tests/platform/quillan-finder-runner.exe)
endif()
set(QUILLAN_WINE_HELPER_EXE $<TARGET_FILE_DIR:quillan>/quillan-wine-helper.exe)
set(launcher)
if(CMAKE_CXX_COMPILER_LAUNCHER)
  set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER})
endif()
# Statically linked and stripped: the one file runs in any prefix, with no DLL of mingw's.
# The flags of the native build (sanitizers, the distribution's hardening) are not the
# cross-compiler's to take.
ExternalProject_Add(quillan_wine_helper
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${helper_dir}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${QUILLAN_MINGW_TOOLCHAIN} -DQUILLAN_WITHOUT_QT=ON
             -DQUILLAN_BUILD_TESTS=${helper_tests} -DCMAKE_BUILD_TYPE=MinSizeRel
             "-DCMAKE_CXX_FLAGS=" "-DCMAKE_EXE_LINKER_FLAGS=-static -static-libgcc -static-libstdc++ -s"
             ${launcher}
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${helper_dir} --target ${helper_targets}
  INSTALL_COMMAND ${CMAKE_COMMAND} -E copy_if_different
                  ${helper_dir}/src/platform/quillan-wine-helper.exe $<TARGET_FILE_DIR:quillan>
  BUILD_ALWAYS ON)
add_dependencies(quillan quillan_wine_helper)
install(FILES ${CMAKE_BINARY_DIR}/src/quillan-wine-helper.exe DESTINATION lib/quillan)
