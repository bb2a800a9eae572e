# korvid_model_program(<model target>)
# A test program holding every object of a model library and the test that it loads no Qt
# Widgets; its tests are named after the library.
function(korvid_model_program model)
  korvid_test(${model} CORE
    SOURCES ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/ModelProgramTest.cpp
    LIBS "$<LINK_LIBRARY:WHOLE_ARCHIVE,${model}>"
    TEST_PREFIX "${model}.")
endfunction()
