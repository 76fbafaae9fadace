# GoogleTest: Debian's library for the plain native build, Debian's sources
# (package googletest) for the cross and sanitizer builds, so that the test
# framework is compiled with the same runtime and instrumentation as the code.
function(mox_find_gtest)
  if(TARGET mox_test_main)
    return()
  endif()
  if(MOX_GTEST_FROM_SOURCE OR CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    # Newer GoogleTest sources name their targets GTest::... themselves.
    foreach(name gtest gmock)
      if(NOT TARGET GTest::${name})
        add_library(GTest::${name} ALIAS ${name})
      endif()
    endforeach()
  else()
    find_package(GTest REQUIRED)
  endif()
  add_library(mox_test_main STATIC ${PROJECT_SOURCE_DIR}/tests/common/TestMain.cpp)
  target_link_libraries(mox_test_main PUBLIC GTest::gmock GTest::gtest)
  # GoogleTest's headers, most of a test file's compile time, are parsed once per build
  # here and reused by every test executable. A precompiled header must be built as its
  # users are: this library goes only into executables, so it is compiled as they are.
  set_target_properties(mox_test_main PROPERTIES POSITION_INDEPENDENT_CODE OFF)
  target_compile_options(mox_test_main PRIVATE ${CMAKE_CXX_COMPILE_OPTIONS_PIE})
  target_precompile_headers(mox_test_main PRIVATE <gmock/gmock.h> <gtest/gtest.h>)
endfunction()

# mox_add_test_executable(NAME [EMULATED [THREADED FILTER]] SOURCES... LIBS libs...)
# One executable per test group keeps the number of wine start-ups small.
# EMULATED marks a suite that also runs where 32-bit programs run only under
# user-mode emulation, where a second thread of a program breaks 32-bit wine:
# its test gets the label win32-emulated. THREADED (a GoogleTest filter) names
# the cases of such a suite that start threads; they run as the test
# NAME_threads without the label. The targets win32_emulated_tests and other_tests build
# the executables of each side.
function(mox_add_test_executable name)
  cmake_parse_arguments(ARG "EMULATED" "THREADED" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_SOURCES)
    return()
  endif()
  mox_find_gtest()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} mox_test_main)
  target_precompile_headers(${name} REUSE_FROM mox_test_main)
  if(NOT ARG_EMULATED)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    mox_test_group(other_tests ${name})
    return()
  endif()
  if(ARG_THREADED)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1 --gtest_filter=-${ARG_THREADED})
    add_test(NAME ${name}_threads COMMAND ${name} --gtest_brief=1 --gtest_filter=${ARG_THREADED})
    set_tests_properties(${name}_threads PROPERTIES TIMEOUT 600)
    mox_test_group(other_tests ${name})
  else()
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 LABELS win32-emulated)
  mox_test_group(win32_emulated_tests ${name})
endfunction()

# mox_test_group(GROUP TARGET...): GROUP builds the targets.
function(mox_test_group group)
  if(NOT TARGET ${group})
    add_custom_target(${group})
  endif()
  add_dependencies(${group} ${ARGN})
endfunction()
