# pelrudo-appmgr: the stand-in Application Manager that Setup starts on the demo desktop.
add_library(pelrudo_appmgr STATIC
    ${CMAKE_CURRENT_LIST_DIR}/appmgr/SetupIniFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/appmgr/SetupIniFile.h)
target_link_libraries(pelrudo_appmgr PUBLIC pelrudo_fs pelrudo_text)

add_executable(pelrudo-appmgr ${CMAKE_CURRENT_LIST_DIR}/appmgr/main.cpp)
target_link_libraries(pelrudo-appmgr PRIVATE pelrudo_appmgr)
install(TARGETS pelrudo-appmgr RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
