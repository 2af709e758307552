# Tests of the registry store and the Reg... calls.
pelrudo_add_test(registry_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/RegStoreTest.cpp ${CMAKE_CURRENT_LIST_DIR}/RegistryApiTest.cpp
    LIBS pelrudo_registry)
