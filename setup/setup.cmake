# Setup: the launcher's classes (narrow, code page) and the program setup with its resources.
pelrudo_add_component(pelrudo_setup INTERNAL
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CSetupApp.cpp
            ${CMAKE_CURRENT_LIST_DIR}/CSetupDlg.cpp
            ${CMAKE_CURRENT_LIST_DIR}/CSetupApp.h
            ${CMAKE_CURRENT_LIST_DIR}/CSetupDlg.h
    DEPENDS pelrudo_window_narrow pelrudo_registry_narrow pelrudo_shell pelrudo_resource)

add_executable(setup ${CMAKE_CURRENT_LIST_DIR}/Setup.cpp)
target_link_libraries(setup PRIVATE pelrudo_setup pelrudo_winmain_narrow)
pelrudo_add_resources(setup ${CMAKE_CURRENT_LIST_DIR}/res/setup.rc)
install(TARGETS setup RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
