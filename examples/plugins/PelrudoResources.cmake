# pelrudo_add_resources(<target> <script.rc>) for programs and plug-ins built on the installed SDK: the
# script is compiled by the SDK's pelrudo-rc into a source of the target, whose module then answers
# FindResource, LoadIcon, LoadImage and LoadString from it.
get_filename_component(_pelrudo_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
find_program(PELRUDO_RC pelrudo-rc HINTS "${_pelrudo_prefix}/bin" NO_DEFAULT_PATH REQUIRED)

function(pelrudo_add_resources target script)
    get_filename_component(abs "${script}" ABSOLUTE)
    set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp")
    add_custom_command(OUTPUT "${out}"
        COMMAND "${PELRUDO_RC}" "${abs}" -o "${out}" -d "${out}.d"
        DEPENDS "${abs}"
        DEPFILE "${out}.d"
        COMMENT "Compiling resources ${script}"
        VERBATIM)
    target_sources(${target} PRIVATE "${out}")
    target_link_libraries(${target} PRIVATE Pelrudo::pelrudo)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        # The program's table must be visible to dlsym on the program's own handle.
        target_link_options(${target} PRIVATE "LINKER:--export-dynamic-symbol=pelrudo_resources")
    endif()
endfunction()
