# Tests of the backup index.
pelrudo_add_test(backup_index_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/BackupIndexTest.cpp LIBS pelrudo_backup)
