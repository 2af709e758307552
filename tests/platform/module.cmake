# Tests of LoadLibrary, GetProcAddress and FreeLibrary, with a tiny library to load.
add_library(pelrudo_module_testlib MODULE ${CMAKE_CURRENT_LIST_DIR}/ModuleTestLib.cpp)
pelrudo_add_test(module_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/ModuleApiTest.cpp LIBS pelrudo_module)
target_compile_definitions(module_test PRIVATE PELRUDO_TEST_MODULE="$<TARGET_FILE:pelrudo_module_testlib>")
add_dependencies(module_test pelrudo_module_testlib)
