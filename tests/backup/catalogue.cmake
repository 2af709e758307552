# Tests of the catalogue part of CBackupDlg.
pelrudo_add_test(CatalogueTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CatalogueTest.cpp LIBS pelrudo_backup pelrudo_fs)
