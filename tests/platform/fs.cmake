# Tests of pelrudo_fs: path mapping, files, searches, folders, events.
pelrudo_add_test(fs_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileApiTest.cpp
    LIBS pelrudo_fs)
