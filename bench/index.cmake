# Backup index benchmark: writing and reading indexes of 10,000 and 20,000 entries.
if(benchmark_FOUND)
    add_executable(pelrudo_index_bench ${CMAKE_CURRENT_LIST_DIR}/IndexBench.cpp)
    target_link_libraries(pelrudo_index_bench PRIVATE pelrudo_backup benchmark::benchmark)
endif()
