# The application shell and the parameters: CKelApp's start-up, exit, language choice and product
# version, and CAppParam, which finds its folder through the running CKelApp.
if(TARGET pelrudo_kelapp)
    target_sources(pelrudo_kelapp PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/CKelAppShell.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CAppParam.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CAppParam.h)
    set_property(GLOBAL APPEND PROPERTY PELRUDO_SDK_HEADERS ${CMAKE_CURRENT_LIST_DIR}/CAppParam.h)
    target_link_libraries(pelrudo_kelapp PUBLIC pelrudo_pluginmgr)
endif()
