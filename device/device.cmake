# pelrudo-device, the handheld emulator: its library (also fed to the fuzzer) and its program.
pelrudo_add_component(pelrudo_device INTERNAL
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/DevicePath.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DeviceSettings.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ShareTable.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DeviceImage.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DeviceSession.cpp
        ${CMAKE_CURRENT_LIST_DIR}/LinkMeter.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DeviceServer.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DevicePath.h
        ${CMAKE_CURRENT_LIST_DIR}/DeviceSettings.h
        ${CMAKE_CURRENT_LIST_DIR}/FileDescriptor.h
        ${CMAKE_CURRENT_LIST_DIR}/ShareTable.h
        ${CMAKE_CURRENT_LIST_DIR}/DeviceImage.h
        ${CMAKE_CURRENT_LIST_DIR}/DeviceSession.h
        ${CMAKE_CURRENT_LIST_DIR}/LinkMeter.h
        ${CMAKE_CURRENT_LIST_DIR}/DeviceServer.h
    DEPENDS pelrudo_rapiwire pelrudo_registry pelrudo_fs pelrudo_text)

if(NOT PELRUDO_FUZZ)
    add_executable(pelrudo-device ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
    target_link_libraries(pelrudo-device PRIVATE pelrudo_device)
    install(TARGETS pelrudo-device RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
