# korvid_test(<folder> SOURCES ... LIBS ... [GUI] [CORE])
# One GoogleTest executable per folder; GUI tests run on the offscreen platform. A CORE program
# gets a test main without Qt Gui, and links only what its code uses, so its dynamic
# dependencies show which parts of Qt the code under test needs.
function(korvid_test folder)
  cmake_parse_arguments(ARG "GUI;CORE" "" "SOURCES;LIBS" ${ARGN})
  set(target ${folder}_tests)
  add_executable(${target} ${ARG_SOURCES})
  if(ARG_CORE)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} korvid_testsupport_core GTest::gtest)
    target_link_options(${target} PRIVATE LINKER:--as-needed)
  else()
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} korvid_testsupport GTest::gtest)
  endif()
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
