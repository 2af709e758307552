# Tests of pelrudo-reg and its .reg file import and export.
pelrudo_add_test(regfile_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/RegFileTest.cpp
    LIBS pelrudo_regfile)
add_dependencies(regfile_test pelrudo-reg)
