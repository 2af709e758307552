# Tests of the remote API: the wire codec, and the client against a real emulator process.
include(${PROJECT_SOURCE_DIR}/tests/backup/DeviceEmulator.cmake)
pelrudo_add_device_test(pelrudo_rapi_tests
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/WireCodecTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/RapiTest.cpp
    LIBS pelrudo_rapi pelrudo_rapiwire)
