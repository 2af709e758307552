# The framework's file object and its exception.
pelrudo_add_component(pelrudo_cfile
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CFile.cpp ${CMAKE_CURRENT_LIST_DIR}/CFileException.cpp
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/CFile.h ${CMAKE_CURRENT_LIST_DIR}/CFileException.h
    DEPENDS pelrudo_fs)
