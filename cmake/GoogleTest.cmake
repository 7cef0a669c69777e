# GoogleTest is built with the project from Debian's sources, for the native and the
# Windows toolchain alike, so both builds test with the same framework version.
set(TARNWICK_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
if(NOT EXISTS "${TARNWICK_GTEST_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "GoogleTest sources not found at ${TARNWICK_GTEST_SOURCE} (Debian package 'googletest')")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory("${TARNWICK_GTEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)

# tarnwick_add_test(name sources... LIBS libs...)
# One ctest test per executable: under Wine each start costs, so a test program runs its
# whole suite in one go. Each run leaves a JUnit-style report that the test script totals.
function(tarnwick_add_test name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  set(report "${CMAKE_BINARY_DIR}/test-reports/${name}.xml")
  if(WIN32)
    set(report "Z:${report}")  # under Wine the POSIX root is drive Z:
  endif()
  add_test(NAME ${name}
           COMMAND ${name} --gtest_output=xml:${report}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "TARNWICK_TESTDATA=${CMAKE_SOURCE_DIR}/testdata"
    TIMEOUT 600)
  if(WIN32)
    # Symbolic links cannot be made from inside Wine: they are made before the tests run.
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "TARNWICK_LINK_FIXTURE=${CMAKE_BINARY_DIR}/link-fixture")
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED unix_links)
  endif()
endfunction()

if(WIN32)
  add_test(NAME make_link_fixture COMMAND sh ${CMAKE_SOURCE_DIR}/tools/make-link-fixture.sh ${CMAKE_BINARY_DIR}/link-fixture)
  set_tests_properties(make_link_fixture PROPERTIES FIXTURES_SETUP unix_links)
endif()
