# The registry's benchmark: the catalogue's read pattern over large stores.
if(benchmark_FOUND)
    add_executable(RegistryBench ${CMAKE_CURRENT_LIST_DIR}/RegistryBench.cpp)
    target_link_libraries(RegistryBench PRIVATE pelrudo_registry benchmark::benchmark)
endif()
