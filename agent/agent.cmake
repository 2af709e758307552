# Info: the handheld agent, built with the handheld's build of CRegistry.
add_executable(pelrudo-info ${CMAKE_CURRENT_LIST_DIR}/Info.cpp ${CMAKE_CURRENT_LIST_DIR}/CeLayer.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/CeLayer.h)
target_link_libraries(pelrudo-info PRIVATE pelrudo_registry_ce pelrudo_registry pelrudo_text)
install(TARGETS pelrudo-info RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
