# The platform's dynamic libraries.
pelrudo_add_component(pelrudo_module
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ModuleApi.cpp
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/ModuleApi.h
    DEPENDS pelrudo_fs)
