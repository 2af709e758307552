# Tests of the window layer: CListCtrl headless, and the real widgets under Qt's offscreen platform.
if(PELRUDO_UI)
    find_package(Qt6 REQUIRED COMPONENTS Widgets Test)

    pelrudo_add_test(ListCtrlTest
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui/ListCtrlTest.cpp
        LIBS pelrudo_window Qt6::Core
        ENV "QT_QPA_PLATFORM=")

    pelrudo_add_test(WindowTest
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui/WindowTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ui/LsanSuppressions.cpp
        LIBS pelrudo_window Qt6::Widgets Qt6::Test
        ENV "QT_QPA_PLATFORM=offscreen")
    pelrudo_add_resources(WindowTest ${CMAKE_CURRENT_LIST_DIR}/window/test.rc)
    target_compile_definitions(WindowTest PRIVATE PELRUDO_TEST_SOURCE="${CMAKE_CURRENT_LIST_DIR}/window")

    pelrudo_add_test(NarrowWindowTest
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/ui/NarrowWindowTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ui/LsanSuppressions.cpp
        LIBS pelrudo_window_narrow Qt6::Widgets
        ENV "QT_QPA_PLATFORM=offscreen")
    pelrudo_add_resources(NarrowWindowTest ${CMAKE_CURRENT_LIST_DIR}/window/test.rc)
endif()
