# HelloKel with the example plug-ins, which are built against the installed SDK (needs the whole build:
# the test installs it first).
if(TARGET pelrudo_kelapp)
    add_test(NAME HelloKel.ExamplePlugins
             COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/RunExamplePlugins.sh ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR}
                     $<TARGET_FILE:HelloKel>)
    set_tests_properties(HelloKel.ExamplePlugins PROPERTIES TIMEOUT 600)
endif()
