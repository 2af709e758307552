# pelrudo-rc: the resource compiler used by pelrudo_add_resources.
add_executable(pelrudo-rc
    ${CMAKE_CURRENT_LIST_DIR}/rc/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rc/RcLexer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/rc/RcCompiler.cpp)
target_link_libraries(pelrudo-rc PRIVATE pelrudo_resource pelrudo_text)
