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
