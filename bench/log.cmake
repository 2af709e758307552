# The log file's benchmark: idle processor time, caller cost and writer lag in a burst.
add_executable(LogBench ${CMAKE_CURRENT_LIST_DIR}/LogBench.cpp)
target_link_libraries(LogBench PRIVATE pelrudo_framework pelrudo_finder)
