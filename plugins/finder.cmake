# The library's file finder.
pelrudo_add_component(pelrudo_finder
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CKelFileFind.cpp
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/CKelFileFind.h
    DEPENDS pelrudo_framework pelrudo_afx pelrudo_fs)
