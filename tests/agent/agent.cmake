# Tests of the agent Info, run with a handheld's environment and on the emulator.
include(${PROJECT_SOURCE_DIR}/tests/backup/DeviceEmulator.cmake)
pelrudo_add_device_test(pelrudo_info_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/InfoTest.cpp
    LIBS pelrudo_rapi pelrudo_registry)
