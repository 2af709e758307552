# Tests of the parameters and of CKelApp's start-up and exit with every service.
if(TARGET pelrudo_kelapp)
    pelrudo_add_test(CAppParamTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CAppParamTest.cpp LIBS pelrudo_kelapp)
    pelrudo_add_test(CKelAppShellTest SOURCES ${CMAKE_CURRENT_LIST_DIR}/CKelAppShellTest.cpp LIBS pelrudo_kelapp)
    target_compile_definitions(CKelAppShellTest PRIVATE
        PELRUDO_MANAGER_PLUGIN="$<TARGET_FILE:pelrudo_ManagerPlugin>")
    add_dependencies(CKelAppShellTest pelrudo_ManagerPlugin)
endif()
