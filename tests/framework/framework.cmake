# Tests of the framework's services; the log's also run under ThreadSanitizer (label threads).
pelrudo_add_test(CLogFileTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CLogFileTest.cpp
    LIBS pelrudo_framework pelrudo_finder LABELS threads)
pelrudo_add_test(CLangPackTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CLangPackTest.cpp
    LIBS pelrudo_framework pelrudo_finder)
pelrudo_add_test(CBaseObjTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CBaseObjTest.cpp LIBS pelrudo_framework pelrudo_finder)
if(TARGET pelrudo_kelapp)
    pelrudo_add_test(CKelAppTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CKelAppTest.cpp LIBS pelrudo_kelapp pelrudo_finder)
    pelrudo_add_resources(CKelAppTest ${CMAKE_CURRENT_LIST_DIR}/kelapp.rc)
endif()
