# Tests of the window layer's data side: resources compiled by pelrudo-rc, icons and image lists.
pelrudo_add_test(ResourceApiTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/window/ResourceApiTest.cpp
    LIBS pelrudo_resource pelrudo_text)
pelrudo_add_resources(ResourceApiTest ${CMAKE_CURRENT_LIST_DIR}/window/test.rc)
add_dependencies(ResourceApiTest pelrudo-rc)

pelrudo_add_test(IconApiTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/window/IconApiTest.cpp
    LIBS pelrudo_resource pelrudo_fs pelrudo_text)
pelrudo_add_resources(IconApiTest ${CMAKE_CURRENT_LIST_DIR}/window/test.rc)
target_compile_definitions(IconApiTest PRIVATE PELRUDO_TEST_SOURCE="${CMAKE_CURRENT_LIST_DIR}/window")

# A shared module with its own resources, loaded by ResourceApiTest.
add_library(ResourceModule MODULE)
pelrudo_add_resources(ResourceModule ${CMAKE_CURRENT_LIST_DIR}/window/module.rc)
set_target_properties(ResourceModule PROPERTIES PREFIX "" SUFFIX ".bsp" LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
add_dependencies(ResourceApiTest ResourceModule)
