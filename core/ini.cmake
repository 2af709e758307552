# The INI stream.
pelrudo_add_component(pelrudo_ini
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CIniStream.cpp
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/CIniStream.h
    DEPENDS pelrudo_files)
