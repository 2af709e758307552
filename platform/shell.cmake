# The shell's program start: ShellExecute over a detached host process.
pelrudo_add_component(pelrudo_shell
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ShellApi.cpp
            ${CMAKE_CURRENT_LIST_DIR}/detail/CommandLine.h
    HEADERS ${CMAKE_CURRENT_LIST_DIR}/ShellApi.h
    DEPENDS pelrudo_fs pelrudo_text)
