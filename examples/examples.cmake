# HelloKel: a CKelApp with a log file and language packs in two languages (needs the window layer's CWinApp).
if(TARGET pelrudo_kelapp)
    add_executable(HelloKel ${CMAKE_CURRENT_LIST_DIR}/hellokel/HelloKel.cpp)
    target_link_libraries(HelloKel PRIVATE pelrudo_kelapp pelrudo_winmain)
    # The packs lie in "Lang" beside the program, where the application looks for them.
    add_custom_command(TARGET HelloKel POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_CURRENT_LIST_DIR}/hellokel/Lang $<TARGET_FILE_DIR:HelloKel>/Lang
        VERBATIM)
endif()
