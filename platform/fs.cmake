# pelrudo_fs: paths and drives, files and searches, kernel handles and events.
pelrudo_add_component(pelrudo_fs
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/HostPath.cpp
            ${CMAKE_CURRENT_LIST_DIR}/FileApi.cpp
            ${CMAKE_CURRENT_LIST_DIR}/SyncApi.cpp
            ${CMAKE_CURRENT_LIST_DIR}/KernelObject.cpp
            ${CMAKE_CURRENT_LIST_DIR}/HostFile.cpp
            ${CMAKE_CURRENT_LIST_DIR}/detail/HostFile.h
            ${CMAKE_CURRENT_LIST_DIR}/detail/HostFolder.h
            ${CMAKE_CURRENT_LIST_DIR}/detail/KernelObject.h
            ${CMAKE_CURRENT_LIST_DIR}/detail/WindowsPath.h
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/FileApi.h
            ${CMAKE_CURRENT_LIST_DIR}/HostPath.h
            ${CMAKE_CURRENT_LIST_DIR}/SyncApi.h
    DEPENDS pelrudo_text)
