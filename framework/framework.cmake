# The framework's services: base object and error texts, log file and language packs (no window
# layer needed), and the application class over the window layer's CWinApp.
pelrudo_add_component(pelrudo_framework
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/CBaseObj.cpp
            ${CMAKE_CURRENT_LIST_DIR}/CErrorCode.cpp
            ${CMAKE_CURRENT_LIST_DIR}/CLogFile.cpp
            ${CMAKE_CURRENT_LIST_DIR}/CLangPack.cpp
            ${CMAKE_CURRENT_LIST_DIR}/detail/RunningApp.h
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/CBaseObj.h
            ${CMAKE_CURRENT_LIST_DIR}/CErrorCode.h
            ${CMAKE_CURRENT_LIST_DIR}/CLogFile.h
            ${CMAKE_CURRENT_LIST_DIR}/CLangPack.h
    DEPENDS pelrudo_afx pelrudo_cfile pelrudo_core pelrudo_ini pelrudo_files
    # The language pack search uses the finder, which is itself a CBaseObj.
    PRIVATE_DEPENDS pelrudo_finder)

# CKelApp needs the window layer's CWinApp; without the window layer there is no application object,
# and CBaseObj then behaves as in a program without a CKelApp.
if(TARGET pelrudo_window)
    pelrudo_add_component(pelrudo_kelapp
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/CKelApp.cpp
                ${CMAKE_CURRENT_LIST_DIR}/detail/RunningKelApp.h
        HEADERS ${CMAKE_CURRENT_LIST_DIR}/CKelApp.h
        DEPENDS pelrudo_framework pelrudo_window pelrudo_core pelrudo_paths pelrudo_resource)
endif()
