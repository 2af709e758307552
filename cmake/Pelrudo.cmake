# Helpers that build the class library from components and install it as the SDK.

# pelrudo_add_component(<name> SOURCES ... [HEADERS ...] [DEPENDS ...] [PRIVATE_DEPENDS ...] [INTERNAL])
# A static component of libpelrudo. HEADERS are public SDK headers; INTERNAL keeps the component out of
# the shared library (programs and tools link it directly).
function(pelrudo_add_component name)
    cmake_parse_arguments(A "INTERNAL" "" "SOURCES;HEADERS;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
    add_library(${name} STATIC ${A_SOURCES} ${A_HEADERS})
    target_link_libraries(${name} PUBLIC pelrudo_headers ${A_DEPENDS} PRIVATE ${A_PRIVATE_DEPENDS})
    if(NOT A_INTERNAL)
        set_property(GLOBAL APPEND PROPERTY PELRUDO_SDK_COMPONENTS ${name})
    endif()
    foreach(h IN LISTS A_HEADERS)
        get_filename_component(abs "${h}" ABSOLUTE)
        set_property(GLOBAL APPEND PROPERTY PELRUDO_SDK_HEADERS "${abs}")
    endforeach()
endfunction()

# pelrudo_add_test(<name> SOURCES ... LIBS ... [ENV ...] [LABELS ...]): one GoogleTest executable, its cases
# registered with CTest (LABELS threads: CI runs them under ThreadSanitizer too).
function(pelrudo_add_test name)
    cmake_parse_arguments(A "" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    target_compile_definitions(${name} PRIVATE PELRUDO_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
                                              PELRUDO_BINARY_DIR="${PROJECT_BINARY_DIR}")
    # The environment through `env` as the tests' launcher: discovery's property lists would split
    # several variables apart.
    if(A_ENV)
        set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR env ${A_ENV})
    endif()
    set(properties)
    if(A_LABELS)
        set(properties PROPERTIES LABELS "${A_LABELS}")
    endif()
    if("threads" IN_LIST A_LABELS)
        # One target builds every threaded test, for the ThreadSanitizer run.
        if(NOT TARGET pelrudo_threads_tests)
            add_custom_target(pelrudo_threads_tests)
        endif()
        add_dependencies(pelrudo_threads_tests ${name})
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 ${properties})
endfunction()

# libpelrudo: the shared class library made of every registered component.
function(pelrudo_add_sdk_library)
    get_property(components GLOBAL PROPERTY PELRUDO_SDK_COMPONENTS)
    add_library(pelrudo SHARED ${PROJECT_SOURCE_DIR}/cmake/sdk.cpp)
    add_library(Pelrudo::pelrudo ALIAS pelrudo)
    set_target_properties(pelrudo PROPERTIES VERSION ${PROJECT_VERSION} SOVERSION 1 EXPORT_NAME pelrudo)
    # Every component's archive whole, so that no exported class is dropped; the components' own
    # dependencies (SQLite, Qt, dl) come through the ordinary link below.
    target_link_libraries(pelrudo PUBLIC pelrudo_headers PRIVATE ${components})
    set(archives)
    foreach(c IN LISTS components)
        string(APPEND archives " $<TARGET_FILE:${c}>")
    endforeach()
    target_link_options(pelrudo PRIVATE "SHELL:-Wl,--whole-archive${archives} -Wl,--no-whole-archive")

    # The umbrella header brings every public header of the components.
    get_property(headers GLOBAL PROPERTY PELRUDO_SDK_HEADERS)
    set(body "// Every exported class of the Pelrudo class library and the platform types they use.\n#pragma once\n\n")
    foreach(h IN LISTS headers)
        file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}" "${h}")
        string(APPEND body "#include \"${rel}\"\n")
    endforeach()
    file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/include/pelrudo/pelrudo.h CONTENT "${body}")
endfunction()

function(pelrudo_install_sdk)
    include(CMakePackageConfigHelpers)
    get_property(headers GLOBAL PROPERTY PELRUDO_SDK_HEADERS)
    foreach(h IN LISTS headers)
        file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}" "${h}")
        get_filename_component(dir "${rel}" DIRECTORY)
        install(FILES "${h}" DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pelrudo/${dir})
    endforeach()
    install(FILES ${PROJECT_BINARY_DIR}/include/pelrudo/pelrudo.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pelrudo)
    install(TARGETS pelrudo pelrudo_headers EXPORT PelrudoTargets
            LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
            ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
            RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(EXPORT PelrudoTargets NAMESPACE Pelrudo:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Pelrudo)
    configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/PelrudoConfig.cmake.in
                                  ${PROJECT_BINARY_DIR}/PelrudoConfig.cmake
                                  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Pelrudo)
    write_basic_package_version_file(${PROJECT_BINARY_DIR}/PelrudoConfigVersion.cmake
                                     VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
    # pelrudo_add_resources, for consumers that compile resources with the installed pelrudo-rc.
    install(FILES ${PROJECT_BINARY_DIR}/PelrudoConfig.cmake ${PROJECT_BINARY_DIR}/PelrudoConfigVersion.cmake
                  ${PROJECT_SOURCE_DIR}/cmake/PelrudoResources.cmake
            DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Pelrudo)
endfunction()

# pelrudo_include_parts(<part> ...): a folder's CMake code in one file per part, <part>.cmake beside it,
# so that each part is kept by its own owner.
macro(pelrudo_include_parts)
    foreach(part ${ARGN})
        if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/${part}.cmake)
            include(${CMAKE_CURRENT_LIST_DIR}/${part}.cmake)
        endif()
    endforeach()
endmacro()
