# Plug-in wrappers and the library's own binary and Unicode files.
pelrudo_add_component(pelrudo_files
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/CPluginImp.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CFileImp.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CBinaryFileImp.cpp
        ${CMAKE_CURRENT_LIST_DIR}/CUnicodeFileImp.cpp
    HEADERS
        ${CMAKE_CURRENT_LIST_DIR}/CPluginImp.h
        ${CMAKE_CURRENT_LIST_DIR}/CFileImp.h
        ${CMAKE_CURRENT_LIST_DIR}/CBinaryFileImp.h
        ${CMAKE_CURRENT_LIST_DIR}/CUnicodeFileImp.h
    DEPENDS pelrudo_cfile pelrudo_module)
