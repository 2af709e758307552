# pelrudo_resource: resources compiled into modules, icons and image lists (no window system needed).
pelrudo_add_component(pelrudo_resource
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ResourceApi.cpp
            ${CMAKE_CURRENT_LIST_DIR}/IconApi.cpp
            ${CMAKE_CURRENT_LIST_DIR}/CImageList.cpp
            ${CMAKE_CURRENT_LIST_DIR}/DialogTemplate.cpp
            ${CMAKE_CURRENT_LIST_DIR}/detail/ResourceTable.h
            ${CMAKE_CURRENT_LIST_DIR}/detail/IconData.h
            ${CMAKE_CURRENT_LIST_DIR}/detail/DialogTemplate.h
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/WinUser.h
            ${CMAKE_CURRENT_LIST_DIR}/ResourceApi.h
            ${CMAKE_CURRENT_LIST_DIR}/IconApi.h
            ${CMAKE_CURRENT_LIST_DIR}/CImageList.h
    DEPENDS pelrudo_fs pelrudo_text)

# pelrudo_add_resources(<target> <script.rc>): compiles the script with pelrudo-rc into a source of the
# target; the target's module then answers FindResource, LoadIcon, LoadString ... from it.
function(pelrudo_add_resources target script)
    get_filename_component(abs "${script}" ABSOLUTE)
    set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp")
    add_custom_command(OUTPUT "${out}"
        COMMAND pelrudo-rc "${abs}" -o "${out}" -d "${out}.d"
        DEPENDS pelrudo-rc "${abs}"
        DEPFILE "${out}.d"
        COMMENT "Compiling resources ${script}"
        VERBATIM)
    target_sources(${target} PRIVATE "${out}")
    target_link_libraries(${target} PRIVATE pelrudo_resource)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        # The program's table must be visible to dlsym on the program's own handle.
        target_link_options(${target} PRIVATE "LINKER:--export-dynamic-symbol=pelrudo_resources")
    endif()
endfunction()
