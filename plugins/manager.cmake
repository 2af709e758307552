# The plug-in manager: plug-ins of "Plugin\*.bsp", their file types and icon lists.
pelrudo_add_component(pelrudo_pluginmgr
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CPluginMgr.cpp
            ${CMAKE_CURRENT_LIST_DIR}/CPluginInfo.cpp
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/CPluginMgr.h
            ${CMAKE_CURRENT_LIST_DIR}/CPluginInfo.h
            ${CMAKE_CURRENT_LIST_DIR}/CFileTypeInfo.h
    DEPENDS pelrudo_files pelrudo_finder pelrudo_core pelrudo_afx pelrudo_module pelrudo_resource)
