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
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
endfunction()
