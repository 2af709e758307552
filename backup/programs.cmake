# The programs: pelrudo (the dialog) and pelrudo-backup (its text twin), both with Pelrudo's resources.
# The target is pelrudo-dialog because the SDK library holds the name pelrudo; the program is pelrudo.
add_executable(pelrudo-dialog ${CMAKE_CURRENT_LIST_DIR}/Pelrudo.cpp)
set_target_properties(pelrudo-dialog PROPERTIES OUTPUT_NAME pelrudo)
target_link_libraries(pelrudo-dialog PRIVATE pelrudo_backup pelrudo_winmain)
pelrudo_add_resources(pelrudo-dialog ${CMAKE_CURRENT_LIST_DIR}/res/pelrudo.rc)

add_executable(pelrudo-backup ${CMAKE_CURRENT_LIST_DIR}/BackupTwin.cpp)
target_link_libraries(pelrudo-backup PRIVATE pelrudo_backup)
pelrudo_add_resources(pelrudo-backup ${CMAKE_CURRENT_LIST_DIR}/res/pelrudo.rc)

install(TARGETS pelrudo-dialog pelrudo-backup RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/res/pelrudo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/res/pelrudo.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
