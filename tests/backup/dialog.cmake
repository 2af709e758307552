# Tests of Pelrudo's dialog (real widgets, offscreen) and of its text twin, against a running emulator.
if(TARGET pelrudo_window)
    include(${CMAKE_CURRENT_LIST_DIR}/DeviceEmulator.cmake)
    find_package(Qt6 REQUIRED COMPONENTS Widgets)

    pelrudo_add_device_test(BackupDialogTest
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/BackupDialogTest.cpp ${CMAKE_CURRENT_LIST_DIR}/BackupScene.cpp
                ${PROJECT_SOURCE_DIR}/tests/platform/ui/LsanSuppressions.cpp
        LIBS pelrudo_backup pelrudo_rapi Qt6::Widgets)
    pelrudo_add_resources(BackupDialogTest ${PROJECT_SOURCE_DIR}/backup/res/pelrudo.rc)
    target_compile_definitions(BackupDialogTest PRIVATE PELRUDO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

    pelrudo_add_device_test(BackupTwinTest
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/BackupTwinTest.cpp ${CMAKE_CURRENT_LIST_DIR}/BackupScene.cpp
        LIBS pelrudo_backup pelrudo_rapi)
    target_compile_definitions(BackupTwinTest PRIVATE PELRUDO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    add_dependencies(BackupTwinTest pelrudo-backup)
endif()
