# The remote API: the wire codec shared with the emulator, and the client of the desktop link.
pelrudo_add_component(pelrudo_rapiwire INTERNAL
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/wire/FrameDecoder.cpp
        ${CMAKE_CURRENT_LIST_DIR}/wire/WireReader.cpp
        ${CMAKE_CURRENT_LIST_DIR}/wire/WireWriter.cpp
        ${CMAKE_CURRENT_LIST_DIR}/wire/FrameDecoder.h
        ${CMAKE_CURRENT_LIST_DIR}/wire/WireReader.h
        ${CMAKE_CURRENT_LIST_DIR}/wire/WireWriter.h
        ${CMAKE_CURRENT_LIST_DIR}/wire/RapiCommand.h)

pelrudo_add_component(pelrudo_rapi
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/Rapi.cpp
        ${CMAKE_CURRENT_LIST_DIR}/detail/RapiLink.cpp
        ${CMAKE_CURRENT_LIST_DIR}/detail/RapiLink.h
    HEADERS
        ${CMAKE_CURRENT_LIST_DIR}/Rapi.h
    DEPENDS pelrudo_text pelrudo_fs
    PRIVATE_DEPENDS pelrudo_rapiwire)
