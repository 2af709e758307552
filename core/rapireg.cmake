# CRapiRegistry: the handheld's registry keys over the remote API.
pelrudo_add_component(pelrudo_rapireg
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CRapiRegistry.cpp
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/CRapiRegistry.h
    DEPENDS pelrudo_rapi pelrudo_core)
