# Tests of CFunction and of the three builds of CRegistry (one test source, compiled per build).
set(_core_tests ${CMAKE_CURRENT_LIST_DIR})
pelrudo_add_test(CFunctionTest SOURCES ${_core_tests}/CFunctionTest.cpp LIBS pelrudo_core)
pelrudo_add_test(CRegistryTest
    SOURCES ${_core_tests}/CRegistryTest.cpp ${_core_tests}/CRegistryWideTest.cpp
    LIBS pelrudo_core)
pelrudo_add_test(CRegistryNarrowTest
    SOURCES ${_core_tests}/CRegistryTest.cpp ${_core_tests}/CRegistryNarrowTest.cpp
    LIBS pelrudo_registry_narrow pelrudo_fs)
pelrudo_add_test(CRegistryHandheldTest
    SOURCES ${_core_tests}/CRegistryTest.cpp ${_core_tests}/CRegistryWideTest.cpp
    LIBS pelrudo_registry_ce pelrudo_fs)
