# korvid_model_program(<model target> SOURCES ...)
# A test program holding every object of a model library, so that what it needs at load time is
# what the whole model needs; tests of its libraries read that back.
function(korvid_model_program model)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  korvid_test(${model} CORE
    SOURCES ${ARG_SOURCES} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/ProgramLibraries.cpp
    LIBS "$<LINK_LIBRARY:WHOLE_ARCHIVE,${model}>")
endfunction()
