# Transfer benchmark: packages to the emulator and back against a plain local copy; prints its figures.
add_executable(pelrudo_transfer_bench ${CMAKE_CURRENT_LIST_DIR}/TransferBench.cpp
                                      ${PROJECT_SOURCE_DIR}/tests/backup/DeviceEmulator.cpp)
target_include_directories(pelrudo_transfer_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/backup)
target_compile_definitions(pelrudo_transfer_bench PRIVATE PELRUDO_BINARY_DIR="${PROJECT_BINARY_DIR}")
target_link_libraries(pelrudo_transfer_bench PRIVATE pelrudo_backup pelrudo_rapi pelrudo_fs)
if(TARGET pelrudo-device)
    add_dependencies(pelrudo_transfer_bench pelrudo-device)
endif()
