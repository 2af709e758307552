# The backup index: reading and writing "Backup.ini".
list(APPEND BACKUP_SOURCES ${CMAKE_CURRENT_LIST_DIR}/index.cpp)
list(APPEND BACKUP_LIBS pelrudo_ini pelrudo_core pelrudo_fs)
