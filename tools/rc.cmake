# pelrudo-rc: the resource compiler used by pelrudo_add_resources.
add_executable(pelrudo-rc
    ${CMAKE_CURRENT_LIST_DIR}/rc/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rc/RcLexer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rc/RcCompiler.cpp)
target_link_libraries(pelrudo-rc PRIVATE pelrudo_resource pelrudo_text)
# Part of the SDK, for plug-in authors: the compiler and the resource table layout its output includes.
install(TARGETS pelrudo-rc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/platform/detail/ResourceTable.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/pelrudo/platform/detail)
