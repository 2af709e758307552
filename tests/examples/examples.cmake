# HelloKel run in each of its languages: texts from the right pack, the log line in its log file.
# The examples folder comes after the tests, so test for what HelloKel is built from.
if(TARGET pelrudo_kelapp)
    add_test(NAME HelloKel.Chinese
             COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/RunHelloKel.sh $<TARGET_FILE:HelloKel> zh_CN.UTF-8
                     "框架向你问好" "没有连接设备" "中文")
    add_test(NAME HelloKel.English
             COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/RunHelloKel.sh $<TARGET_FILE:HelloKel> en_US.UTF-8
                     "Hello from the framework" "No device is connected" "English")
endif()
