# Tests of the plug-in wrappers and the binary and Unicode files, with two small test plug-ins.
foreach(plugin TestPlugin BarePlugin)
    add_library(pelrudo_${plugin} MODULE ${CMAKE_CURRENT_LIST_DIR}/${plugin}.cpp)
    target_link_libraries(pelrudo_${plugin} PRIVATE pelrudo_text)
    set_target_properties(pelrudo_${plugin} PROPERTIES PREFIX "" SUFFIX ".bsp" OUTPUT_NAME ${plugin}
                          LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin/test-plugins)
endforeach()

pelrudo_add_test(files_test
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/CPluginImpTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CBinaryFileImpTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CUnicodeFileImpTest.cpp
    LIBS pelrudo_files)
target_compile_definitions(files_test PRIVATE
    PELRUDO_TEST_PLUGIN="$<TARGET_FILE:pelrudo_TestPlugin>"
    PELRUDO_BARE_PLUGIN="$<TARGET_FILE:pelrudo_BarePlugin>")
add_dependencies(files_test pelrudo_TestPlugin pelrudo_BarePlugin)
