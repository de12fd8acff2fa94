# add_unit_test(NAME SOURCES... LIBS...): a GoogleTest program of the portable
# core, run natively and, in the cross build, under Wine.
function(add_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES TIMEOUT 120)
endfunction()

# add_window_test(NAME SOURCES... LIBS... [TIMEOUT SECONDS] [PROPERTIES...]):
# a GoogleTest program that creates real windows in-process under Wine, each
# test allowed 120 s unless TIMEOUT says otherwise. They share one X display,
# so they never run in parallel with each other. PROPERTIES are further test
# properties for every test of the program.
function(add_window_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE analyser_win32 ${T_LIBS} GTest::gtest
                        winmm gdi32 user32 comctl32 shell32)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       PROPERTIES TIMEOUT ${T_TIMEOUT} RESOURCE_LOCK display ${T_PROPERTIES})
endfunction()
