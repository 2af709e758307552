# Tests of the platform's threads and CWinThread (also under ThreadSanitizer) and of CTime.
pelrudo_add_test(CWinThreadTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CWinThreadTest.cpp LIBS pelrudo_afx LABELS threads)
pelrudo_add_test(CTimeTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CTimeTest.cpp LIBS pelrudo_afx)
