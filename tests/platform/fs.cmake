# Tests of pelrudo_fs: path mapping, files, searches, folders, events.
pelrudo_add_test(fs_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileApiTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/HostPathTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/FindFileTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/FolderApiTest.cpp
            ${CMAKE_CURRENT_LIST_DIR}/SyncApiTest.cpp
    LIBS pelrudo_fs)
