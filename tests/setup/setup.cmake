# Tests of Setup and of the shell's program start, with a recording stand-in for the Application Manager.
add_executable(setup-record-args ${CMAKE_CURRENT_LIST_DIR}/RecordArgs.cpp)

pelrudo_add_test(ShellApiTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ShellApiTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SetupMachine.h
    LIBS pelrudo_shell pelrudo_registry pelrudo_fs pelrudo_text)
target_compile_definitions(ShellApiTest PRIVATE SETUP_RECORDER="$<TARGET_FILE:setup-record-args>")
add_dependencies(ShellApiTest setup-record-args)

if(TARGET setup)
    find_package(Qt6 REQUIRED COMPONENTS Widgets)
    pelrudo_add_test(SetupTest
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/SetupTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SetupMachine.h
        LIBS pelrudo_registry pelrudo_fs pelrudo_text
        ENV "QT_QPA_PLATFORM=offscreen")
    target_compile_definitions(SetupTest PRIVATE SETUP_RECORDER="$<TARGET_FILE:setup-record-args>"
                                                 SETUP_PROGRAM="$<TARGET_FILE:setup>"
                                                 SETUP_LSAN_SUPPRESSIONS="${CMAKE_CURRENT_LIST_DIR}/lsan.supp")
    add_dependencies(SetupTest setup setup-record-args)

    pelrudo_add_test(CSetupDlgTest
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/CSetupDlgTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SetupMachine.h
                ${PROJECT_SOURCE_DIR}/tests/platform/ui/LsanSuppressions.cpp
        LIBS pelrudo_setup pelrudo_registry Qt6::Widgets
        ENV "QT_QPA_PLATFORM=offscreen")
    pelrudo_add_resources(CSetupDlgTest ${PROJECT_SOURCE_DIR}/setup/res/setup.rc)
    target_compile_definitions(CSetupDlgTest PRIVATE SETUP_RECORDER="$<TARGET_FILE:setup-record-args>")
    add_dependencies(CSetupDlgTest setup-record-args)
endif()

pelrudo_add_test(SetupIniFileTest
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/SetupIniFileTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SetupMachine.h
    LIBS pelrudo_appmgr pelrudo_registry)
target_compile_definitions(SetupIniFileTest PRIVATE SETUP_RECORDER="$<TARGET_FILE:setup-record-args>")
