# Tests of CFunction's existence tests.
pelrudo_add_test(CFunctionPathsTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CFunctionPathsTest.cpp LIBS pelrudo_paths)
