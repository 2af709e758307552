# The device link: session start, processor type and the start of the agent Info.
list(APPEND BACKUP_SOURCES ${CMAKE_CURRENT_LIST_DIR}/device.cpp)
list(APPEND BACKUP_LIBS pelrudo_rapireg pelrudo_rapi pelrudo_fs)
