# The helpers and the registry class: the SDK's wide build, plus Setup's narrow and the handheld's builds.
pelrudo_add_component(pelrudo_core
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CFunction.cpp ${CMAKE_CURRENT_LIST_DIR}/CRegistry.cpp
        ${CMAKE_CURRENT_LIST_DIR}/detail/RegistryKey.h
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/CFunction.h ${CMAKE_CURRENT_LIST_DIR}/CRegistry.h
    DEPENDS pelrudo_text pelrudo_fs pelrudo_registry)

# The same registry source compiled for Setup's 8-bit text ...
pelrudo_add_component(pelrudo_registry_narrow INTERNAL
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CRegistry.cpp
    DEPENDS pelrudo_text pelrudo_registry)
target_compile_definitions(pelrudo_registry_narrow PUBLIC PELRUDO_NARROW)

# ... and for the handheld agent.
pelrudo_add_component(pelrudo_registry_ce INTERNAL
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CRegistry.cpp
    DEPENDS pelrudo_text pelrudo_registry)
target_compile_definitions(pelrudo_registry_ce PUBLIC PELRUDO_HANDHELD)
