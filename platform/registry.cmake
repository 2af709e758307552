# The registry: the store (RegStore, kept out of the SDK headers) and the Reg... calls over it.
pelrudo_add_component(pelrudo_registry
    SOURCES RegStore.cpp RegStore.h RegistryApi.cpp
    HEADERS RegistryApi.h
    DEPENDS pelrudo_text pelrudo_fs
    PRIVATE_DEPENDS SQLite::SQLite3)
