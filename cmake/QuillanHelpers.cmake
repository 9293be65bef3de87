# Declarative helpers so that every target of the project is declared the same way.
# Unknown arguments are an error, not silently ignored.

set(QUILLAN_LOGIC_FOLDERS text document settings codegen wintools help)

# quillan_add_library(NAME <folder> SOURCES ... [DEPENDS ...] [QT])
# A logic folder (see QUILLAN_LOGIC_FOLDERS) may not link Qt or an OS library.
function(quillan_add_library)
  cmake_parse_arguments(ARG "QT" "NAME" "SOURCES;DEPENDS" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quillan_add_library: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  set(target quillan_${ARG_NAME})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  list(FIND QUILLAN_LOGIC_FOLDERS ${ARG_NAME} logic_index)
  if(NOT logic_index EQUAL -1)
    if(ARG_QT)
      message(FATAL_ERROR "quillan_add_library: logic folder ${ARG_NAME} may not use Qt")
    endif()
    foreach(dep IN LISTS ARG_DEPENDS)
      if(NOT dep MATCHES "^quillan_")
        message(FATAL_ERROR "quillan_add_library: logic folder ${ARG_NAME} may only depend on "
                            "other logic folders, not ${dep}")
      endif()
    endforeach()
  endif()
  if(ARG_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
  endif()
  target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
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
  if(ARG_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
    target_link_libraries(${target} PRIVATE Qt6::Test)
    add_test(NAME ${ARG_NAME} COMMAND ${target})
    # Each GUI test gets a home of its own in the build folder, so that a plain ctest never
    # touches the user's settings or desktop files, and parallel tests never share them.
    set(home ${CMAKE_BINARY_DIR}/test-home/${ARG_NAME})
    set_tests_properties(${ARG_NAME} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${home};XDG_CONFIG_HOME=${home}/.config;XDG_DATA_HOME=${home}/.local/share"
      LABELS "gui;${ARG_LABELS}")
  else()
    target_link_libraries(${target} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock)
    add_test(NAME ${ARG_NAME} COMMAND ${target})
    set_tests_properties(${ARG_NAME} PROPERTIES LABELS "logic;${ARG_LABELS}")
  endif()
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
