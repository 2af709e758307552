# pelrudo_add_device_test(<name> SOURCES ... LIBS ...): a test run against pelrudo-device and the agent Info.
include_guard(GLOBAL)
function(pelrudo_add_device_test name)
    cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
    pelrudo_add_test(${name} SOURCES ${A_SOURCES} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/DeviceEmulator.cpp
                     LIBS ${A_LIBS} pelrudo_fs)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
    # The programs are started by path, so they must be built before the test runs.
    foreach(program pelrudo-device pelrudo-info)
        if(TARGET ${program})
            add_dependencies(${name} ${program})
        endif()
    endforeach()
endfunction()
