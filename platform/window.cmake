# pelrudo_resource: resources compiled into modules, icons and image lists (no window system needed).
pelrudo_add_component(pelrudo_resource
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ResourceApi.cpp
            ${CMAKE_CURRENT_LIST_DIR}/IconApi.cpp
            ${CMAKE_CURRENT_LIST_DIR}/CImageList.cpp
            ${CMAKE_CURRENT_LIST_DIR}/DialogTemplate.cpp
            ${CMAKE_CURRENT_LIST_DIR}/detail/ResourceTable.h
            ${CMAKE_CURRENT_LIST_DIR}/detail/IconData.h
            ${CMAKE_CURRENT_LIST_DIR}/detail/DialogTemplate.h
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/WinUser.h
            ${CMAKE_CURRENT_LIST_DIR}/ResourceApi.h
            ${CMAKE_CURRENT_LIST_DIR}/IconApi.h
            ${CMAKE_CURRENT_LIST_DIR}/CImageList.h
    DEPENDS pelrudo_fs pelrudo_text)

