# Tests of the device file transfer against a running emulator.
include(${CMAKE_CURRENT_LIST_DIR}/DeviceEmulator.cmake)
pelrudo_add_device_test(pelrudo_transfer_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/DeviceTransferTest.cpp
    LIBS pelrudo_backup pelrudo_rapi)
