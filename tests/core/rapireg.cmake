# Tests of CRapiRegistry against a running emulator.
include(${PROJECT_SOURCE_DIR}/tests/backup/DeviceEmulator.cmake)
pelrudo_add_device_test(pelrudo_rapireg_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CRapiRegistryTest.cpp
    LIBS pelrudo_rapireg pelrudo_rapi)
