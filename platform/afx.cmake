# The framework's worker threads (with the platform's thread calls) and its time class.
pelrudo_add_component(pelrudo_afx
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ThreadApi.cpp
            ${CMAKE_CURRENT_LIST_DIR}/CWinThread.cpp
            ${CMAKE_CURRENT_LIST_DIR}/CTime.cpp
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/ThreadApi.h
            ${CMAKE_CURRENT_LIST_DIR}/CWinThread.h
            ${CMAKE_CURRENT_LIST_DIR}/CTime.h
    DEPENDS pelrudo_fs pelrudo_text)
