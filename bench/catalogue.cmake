# The catalogue scan's benchmark.
if(benchmark_FOUND)
    add_executable(CatalogueBench ${CMAKE_CURRENT_LIST_DIR}/CatalogueBench.cpp)
    target_link_libraries(CatalogueBench PRIVATE pelrudo_backup pelrudo_core pelrudo_registry pelrudo_fs
                          benchmark::benchmark)
endif()
