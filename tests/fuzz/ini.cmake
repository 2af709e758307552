# Fuzzing CIniStream's loading and saving.
add_executable(ini-fuzz ${CMAKE_CURRENT_LIST_DIR}/IniFuzz.cpp)
target_link_libraries(ini-fuzz PRIVATE pelrudo_ini)
target_link_options(ini-fuzz PRIVATE -fsanitize=fuzzer)
add_dependencies(pelrudo_fuzzers ini-fuzz)
