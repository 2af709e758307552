# The catalogue part of CBackupDlg, with the dialog's construction and the freeing of its records.
list(APPEND BACKUP_SOURCES ${CMAKE_CURRENT_LIST_DIR}/CBackupDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/catalogue.cpp)
list(APPEND BACKUP_LIBS pelrudo_core)
