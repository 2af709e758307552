# Tests of the device link: session start, processor type and the start of the agent Info.
include(${CMAKE_CURRENT_LIST_DIR}/DeviceEmulator.cmake)
pelrudo_add_device_test(pelrudo_device_link_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/DeviceLinkTest.cpp
    LIBS pelrudo_backup pelrudo_rapi)
