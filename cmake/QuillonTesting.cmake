# quillon_add_gtest(NAME SOURCES ... [LIBS ...] [TIMEOUT seconds])
# One GoogleTest program, registered with ctest as one test. In the Windows
# build it is linked statically and ctest runs it under Wine.
function(quillon_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest gmock gtest_main)
  if(WIN32)
    target_link_options(${name} PRIVATE -static)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    TIMEOUT ${ARG_TIMEOUT})
endfunction()
