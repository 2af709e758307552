# Tests of CIniStream.
pelrudo_add_test(ini_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/CIniStreamTest.cpp LIBS pelrudo_ini)
