# GoogleTest: Debian's library for the plain native build, Debian's sources
# (package googletest) for the cross and sanitizer builds, so that the test
# framework is compiled with the same runtime and instrumentation as the code.
function(mox_find_gtest)
  if(TARGET GTest::gtest_main)
    return()
  endif()
  if(MOX_GTEST_FROM_SOURCE OR CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
    add_library(GTest::gmock ALIAS gmock)
  else()
    find_package(GTest REQUIRED)
  endif()
endfunction()

# mox_add_test_executable(NAME SOURCES... LIBS libs...)
# One executable per test group keeps the number of wine start-ups small.
function(mox_add_test_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  mox_find_gtest()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
