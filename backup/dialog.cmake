# The backup dialog on the window layer: start-up, load, list, figures, the notice dialog and the apply step.
list(APPEND BACKUP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/apply.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CWaitDlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CBackupApp.cpp)
list(APPEND BACKUP_LIBS pelrudo_window pelrudo_resource pelrudo_rapi)
