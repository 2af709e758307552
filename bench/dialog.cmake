# Dialog benchmark: Pelrudo's load with 1,000 listed applications against the emulator; prints its figures.
if(TARGET pelrudo_window)
    find_package(Qt6 REQUIRED COMPONENTS Widgets)
    add_executable(pelrudo_dialog_bench ${CMAKE_CURRENT_LIST_DIR}/DialogBench.cpp
                                        ${PROJECT_SOURCE_DIR}/tests/backup/DeviceEmulator.cpp)
    target_include_directories(pelrudo_dialog_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/backup)
    target_compile_definitions(pelrudo_dialog_bench PRIVATE PELRUDO_BINARY_DIR="${PROJECT_BINARY_DIR}"
                                                            PELRUDO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    target_link_libraries(pelrudo_dialog_bench PRIVATE pelrudo_backup pelrudo_rapi pelrudo_fs Qt6::Widgets)
    pelrudo_add_resources(pelrudo_dialog_bench ${PROJECT_SOURCE_DIR}/backup/res/pelrudo.rc)
    foreach(program pelrudo-device pelrudo-info)
        if(TARGET ${program})
            add_dependencies(pelrudo_dialog_bench ${program})
        endif()
    endforeach()
endif()
