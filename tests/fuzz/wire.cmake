# Fuzzing the handheld emulator's frame decoder and request dispatcher.
add_executable(wire-fuzz ${CMAKE_CURRENT_LIST_DIR}/WireFuzz.cpp)
target_link_libraries(wire-fuzz PRIVATE pelrudo_device)
target_link_options(wire-fuzz PRIVATE -fsanitize=fuzzer)
add_dependencies(pelrudo_fuzzers wire-fuzz)
