# The device file transfer: whole-file copies to and from the handheld.
list(APPEND BACKUP_SOURCES ${CMAKE_CURRENT_LIST_DIR}/transfer.cpp)
list(APPEND BACKUP_LIBS pelrudo_rapi pelrudo_fs)
