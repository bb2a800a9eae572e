# korvid_test(<folder> SOURCES ... LIBS ... [GUI])
# One GoogleTest executable per folder; GUI tests run on the offscreen platform.
function(korvid_test folder)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  set(target ${folder}_tests)
  add_executable(${target} ${ARG_SOURCES})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} korvid_testsupport GTest::gtest)
  set(env "QT_QPA_PLATFORM=offscreen")
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${env}"
    DISCOVERY_MODE PRE_TEST)
endfunction()

# korvid_benchmark(<name> SOURCES ... LIBS ...)
function(korvid_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()
