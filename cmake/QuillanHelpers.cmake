# Declarative helpers so that every target of the project is declared the same way.
# Unknown arguments are an error, not silently ignored.

# The folders of the logic, in dependency order: standard C++ only, no Qt, no OS headers.
set(QUILLAN_LOGIC_FOLDERS text ui document settings codegen wintools help)

# The layers of the Qt user interface, lowest first: a layer may depend on the ones below it
# and on anything outside the user interface, never on one above it.
set(QUILLAN_GUI_LAYERS gui_widgets gui_windows gui_commands gui_app)

# quillan_add_library(NAME <name> [FOLDER <folder under src>] [SOURCES ...] [DEPENDS ...] [QT])
# Without sources the library is header-only. A logic folder (see QUILLAN_LOGIC_FOLDERS) may
# not use Qt and may depend only on other logic folders; a GUI layer only on layers below it.
#
# The library's include root (in the build folder) holds one link: to its own folder, under
# the path the code includes it by ("text/code_buffer.h", "gui/widgets/code_editor.h"). A
# library therefore sees its own headers and those of the libraries it depends on, and no
# other header of src/: a logic library cannot even include a GUI header.
function(quillan_add_library)
  cmake_parse_arguments(ARG "QT" "NAME;FOLDER" "SOURCES;DEPENDS" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quillan_add_library: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT ARG_FOLDER)
    set(ARG_FOLDER ${ARG_NAME})
  endif()
  set(target quillan_${ARG_NAME})
  if(ARG_SOURCES)
    add_library(${target} STATIC ${ARG_SOURCES})
    set(scope PUBLIC)
  else()
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  get_filename_component(link_folder ${root}/${ARG_FOLDER} DIRECTORY)
  file(MAKE_DIRECTORY ${link_folder})
  file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${ARG_FOLDER} ${root}/${ARG_FOLDER} SYMBOLIC)
  target_include_directories(${target} ${scope} ${root})
  target_include_directories(${target} ${scope} ${CMAKE_BINARY_DIR}/generated)
  list(FIND QUILLAN_GUI_LAYERS ${ARG_NAME} layer)
  if(layer GREATER_EQUAL 0)
    foreach(dep IN LISTS ARG_DEPENDS)
      string(REGEX REPLACE "^quillan_" "" dep_name "${dep}")
      list(FIND QUILLAN_GUI_LAYERS "${dep_name}" dep_layer)
      if(dep_layer GREATER_EQUAL layer)
        message(FATAL_ERROR "quillan_add_library: ${ARG_NAME} may not depend on ${dep}, a layer "
                            "at or above it")
      endif()
    endforeach()
  endif()
  if(ARG_NAME IN_LIST QUILLAN_LOGIC_FOLDERS)
    if(ARG_QT)
      message(FATAL_ERROR "quillan_add_library: logic folder ${ARG_NAME} may not use Qt")
    endif()
    set(allowed ${QUILLAN_LOGIC_FOLDERS})
    list(TRANSFORM allowed PREPEND quillan_)
    foreach(dep IN LISTS ARG_DEPENDS)
      if(NOT dep IN_LIST allowed)
        message(FATAL_ERROR "quillan_add_library: logic folder ${ARG_NAME} may only depend on "
                            "other logic folders, not ${dep}")
      endif()
    endforeach()
  endif()
  if(ARG_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
  endif()
  target_link_libraries(${target} ${scope} ${ARG_DEPENDS})
endfunction()

# The environment of every GUI or X11 test: a home of its own in the build folder, so that
# a plain ctest never touches the user's settings or desktop files, and parallel tests never
# share them.
function(quillan_test_home name out)
  set(home ${CMAKE_BINARY_DIR}/test-home/${name})
  set(${out} "HOME=${home};XDG_CONFIG_HOME=${home}/.config;XDG_DATA_HOME=${home}/.local/share;XDG_STATE_HOME=${home}/.local/state"
      PARENT_SCOPE)
endfunction()

# quillan_add_test(NAME <name> SOURCES ... [DEPENDS ...] [GUI] [LABELS ...])
# GUI tests link Qt Test and run on the offscreen platform.
function(quillan_add_test)
  cmake_parse_arguments(ARG "GUI" "NAME" "SOURCES;DEPENDS;LABELS" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quillan_add_test: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  set(target test_${ARG_NAME})
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS})
  # Shared fakes and recorders live in tests/support.
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME ${ARG_NAME} COMMAND ${target})
  if(ARG_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
    target_link_libraries(${target} PRIVATE Qt6::Test)
    quillan_test_home(${ARG_NAME} home_env)
    set_tests_properties(${ARG_NAME} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${home_env}" LABELS "gui;${ARG_LABELS}")
  else()
    target_link_libraries(${target} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
    set_tests_properties(${ARG_NAME} PROPERTIES LABELS "logic;${ARG_LABELS}")
  endif()
endfunction()

# quillan_add_script_test(NAME <name> SCRIPT <file> [ARGS ...] [LABELS ...])
# A test that a shell script runs, for what only a whole program under a real X server and
# window manager shows. The script starts its own Xvfb.
function(quillan_add_script_test)
  cmake_parse_arguments(ARG "" "NAME;SCRIPT" "ARGS;LABELS" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS OR NOT ARG_SCRIPT)
    message(FATAL_ERROR "quillan_add_script_test: unknown or missing arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  add_test(NAME ${ARG_NAME} COMMAND bash ${ARG_SCRIPT} ${ARG_ARGS})
  quillan_test_home(${ARG_NAME} home_env)
  set_tests_properties(${ARG_NAME} PROPERTIES ENVIRONMENT "${home_env}"
                       LABELS "x11;${ARG_LABELS}")
endfunction()

# quillan_add_bench(NAME <name> SOURCES ... [DEPENDS ...] [QT])
# A Google Benchmark program; `make bench` runs every one of them. QT benchmarks run inside a
# QApplication on the offscreen platform (bench/qt_bench_main.cpp).
function(quillan_add_bench)
  cmake_parse_arguments(ARG "QT" "NAME" "SOURCES;DEPENDS" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quillan_add_bench: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(ARG_QT)
    list(APPEND ARG_SOURCES ${CMAKE_SOURCE_DIR}/bench/qt_bench_main.cpp)
    list(APPEND ARG_DEPENDS Qt6::Widgets)
  endif()
  add_executable(bench_${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(bench_${ARG_NAME} PRIVATE ${ARG_DEPENDS} benchmark::benchmark)
endfunction()

# quillan_add_fuzz(NAME <name> CORPUS <folder under fuzz/corpus> DEPENDS ...)
# A libFuzzer entry point <name>_fuzz.cpp. Built with clang and QUILLAN_FUZZ=ON it links
# libFuzzer (make fuzz); otherwise a standalone driver runs the seed corpus and generated
# inputs, and the run is a test.
function(quillan_add_fuzz)
  cmake_parse_arguments(ARG "" "NAME;CORPUS" "DEPENDS" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS OR NOT ARG_NAME OR NOT ARG_CORPUS)
    message(FATAL_ERROR "quillan_add_fuzz: unknown or missing arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  set(target fuzz_${ARG_NAME})
  set(source ${CMAKE_SOURCE_DIR}/fuzz/${ARG_NAME}_fuzz.cpp)
  if(QUILLAN_FUZZ)
    add_executable(${target} ${source})
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  else()
    add_executable(${target} ${source} ${CMAKE_SOURCE_DIR}/fuzz/standalone_main.cpp)
    if(QUILLAN_BUILD_TESTS)
      add_test(NAME ${target} COMMAND ${target} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${ARG_CORPUS})
      set_tests_properties(${target} PROPERTIES LABELS "fuzz")
    endif()
  endif()
  target_link_libraries(${target} PRIVATE ${ARG_DEPENDS})
endfunction()
