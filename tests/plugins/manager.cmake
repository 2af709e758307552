# Tests of the plug-in manager, with a configurable file-type plug-in carrying an icon and a library
# that is no plug-in.
add_library(pelrudo_ManagerPlugin MODULE ${CMAKE_CURRENT_LIST_DIR}/ManagerPlugin.cpp)
target_link_libraries(pelrudo_ManagerPlugin PRIVATE pelrudo_text)
pelrudo_add_resources(pelrudo_ManagerPlugin ${CMAKE_CURRENT_LIST_DIR}/manager.rc)
add_library(pelrudo_NotAPlugin MODULE ${CMAKE_CURRENT_LIST_DIR}/NotAPlugin.cpp)
foreach(plugin ManagerPlugin NotAPlugin)
    set_target_properties(pelrudo_${plugin} PROPERTIES PREFIX "" SUFFIX ".bsp" OUTPUT_NAME ${plugin}
                          LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin/test-plugins)
endforeach()

pelrudo_add_test(CPluginMgrTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CPluginMgrTest.cpp LIBS pelrudo_pluginmgr)
target_compile_definitions(CPluginMgrTest PRIVATE
    PELRUDO_MANAGER_PLUGIN="$<TARGET_FILE:pelrudo_ManagerPlugin>"
    PELRUDO_NOT_A_PLUGIN="$<TARGET_FILE:pelrudo_NotAPlugin>")
add_dependencies(CPluginMgrTest pelrudo_ManagerPlugin pelrudo_NotAPlugin)
