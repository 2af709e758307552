# The platform's dynamic libraries.
pelrudo_add_component(pelrudo_module
    SOURCES ModuleApi.cpp
    HEADERS ModuleApi.h
    DEPENDS pelrudo_fs)
