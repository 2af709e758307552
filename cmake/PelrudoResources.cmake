# pelrudo_add_resources(<target> <script.rc>): compiles the script with pelrudo-rc into a source of the
# target, whose module then answers FindResource, LoadIcon, LoadImage and LoadString from it. One
# function for the project's own build tree (the pelrudo-rc target, the pelrudo_resource component)
# and for programs and plug-ins built on the installed SDK (its pelrudo-rc, Pelrudo::pelrudo).
if(NOT PELRUDO_BUILD_TREE)
    get_filename_component(_pelrudo_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
    find_program(PELRUDO_RC pelrudo-rc HINTS "${_pelrudo_prefix}/bin" NO_DEFAULT_PATH REQUIRED)
endif()

function(pelrudo_add_resources target script)
    if(PELRUDO_BUILD_TREE)
        set(compiler pelrudo-rc)
        set(library pelrudo_resource)
    else()
        set(compiler "${PELRUDO_RC}")
        set(library Pelrudo::pelrudo)
    endif()
    get_filename_component(abs "${script}" ABSOLUTE)
    set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp")
    add_custom_command(OUTPUT "${out}"
        COMMAND "${compiler}" "${abs}" -o "${out}" -d "${out}.d"
        DEPENDS "${compiler}" "${abs}"
        DEPFILE "${out}.d"
        COMMENT "Compiling resources ${script}"
        VERBATIM)
    target_sources(${target} PRIVATE "${out}")
    target_link_libraries(${target} PRIVATE ${library})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        # The program's table must be visible to dlsym on the program's own handle.
        target_link_options(${target} PRIVATE "LINKER:--export-dynamic-symbol=pelrudo_resources")
    endif()
endfunction()
