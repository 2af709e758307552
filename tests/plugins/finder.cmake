# Tests of the file finder.
pelrudo_add_test(CKelFileFindTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CKelFileFindTest.cpp LIBS pelrudo_finder)
