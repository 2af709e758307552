# CFunction's existence tests, over the file finder (kept apart so that the helpers need no finder).
pelrudo_add_component(pelrudo_paths
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CFunctionPaths.cpp
    DEPENDS pelrudo_core pelrudo_finder)
