# Tests of the platform's text, base calls, run-time classes and containers.
pelrudo_add_test(pelrudo_text_tests
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/CStringTTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TextTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WinBaseTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CObjectTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CObArrayTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CObListTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/NarrowBuildTest.cpp
    LIBS pelrudo_text)
