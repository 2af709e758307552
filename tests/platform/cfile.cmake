# Tests of CFile and CFileException.
pelrudo_add_test(cfile_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/CFileTest.cpp LIBS pelrudo_cfile)
