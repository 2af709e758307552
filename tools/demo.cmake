# pelrudo-demo: the kit's pieces run on a demo desktop; each command is one source under demo/.
add_executable(pelrudo-demo
    ${CMAKE_CURRENT_LIST_DIR}/demo/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/demo/TextTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/demo/DemoDesktop.cpp
    ${CMAKE_CURRENT_LIST_DIR}/demo/CatalogueCommand.cpp
    ${CMAKE_CURRENT_LIST_DIR}/demo/HandheldCommand.cpp
    ${CMAKE_CURRENT_LIST_DIR}/demo/SetupCommand.cpp)
target_link_libraries(pelrudo-demo PRIVATE pelrudo_backup pelrudo_core pelrudo_fs)
# The setup command starts these programs.
add_dependencies(pelrudo-demo pelrudo-appmgr)
if(TARGET setup)
    add_dependencies(pelrudo-demo setup)
endif()
install(TARGETS pelrudo-demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
