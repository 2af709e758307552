# Tests of the remote API: the wire codec, and the client against a real emulator process.
pelrudo_add_test(pelrudo_rapi_tests
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/WireCodecTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/RapiTest.cpp
        ${PROJECT_SOURCE_DIR}/tests/device/EmulatorProcess.cpp
    LIBS pelrudo_rapi pelrudo_rapiwire)
target_include_directories(pelrudo_rapi_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/device)
add_dependencies(pelrudo_rapi_tests pelrudo-device)
