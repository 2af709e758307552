# Tests of pelrudo-device: its path rules, settings and share modes, and the emulator process itself.
add_executable(pelrudo-test-envrecorder ${CMAKE_CURRENT_LIST_DIR}/EnvRecorder.cpp)

include(${PROJECT_SOURCE_DIR}/tests/backup/DeviceEmulator.cmake)
pelrudo_add_device_test(pelrudo_device_tests
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/DevicePathTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/PelrudoDeviceTest.cpp
    LIBS pelrudo_device pelrudo_rapi pelrudo_rapiwire)
add_dependencies(pelrudo_device_tests pelrudo-test-envrecorder)
