# kb_library(NAME DEPS...): a static library of every .cpp/.c directly in the current folder.
function(kb_library name)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  add_library(${name} STATIC ${_src})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# kb_tests(NAME DEPS...): one GoogleTest executable of every .cpp in the folder's tests/,
# each test registered with ctest.
function(kb_tests name)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gmock GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
  # No test reads paths from its environment: gtest_discover_tests splits a list-valued
  # ENVIRONMENT into separate properties, so only its first entry would arrive. Tests that need
  # a path of the tree get it as a compile definition instead.
  kb_discover_tests(${name})
endfunction()

# Every test has a time limit: a fault that loops (a box answered Retry for ever) fails its own
# test instead of holding up the whole run. Most tests take well under a second; the slowest
# (every cipher path of the Tea plug-in, the signal tests that start the program) a few
# seconds on a busy machine.
set(KB_TEST_TIMEOUT 60)

# kb_discover_tests(TARGET [PROPERTY VALUE...]): registers each GoogleTest of TARGET with ctest,
# with the time limit and the given test properties.
function(kb_discover_tests target)
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT ${KB_TEST_TIMEOUT} ${ARGN})
endfunction()

# Tests registered with a plain add_test get the same limit as ctest's default (a TIMEOUT of
# their own still wins).
file(WRITE ${PROJECT_BINARY_DIR}/DartConfiguration.tcl "TimeOut: ${KB_TEST_TIMEOUT}\n")
