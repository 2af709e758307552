# The framework's file object and its exception.
pelrudo_add_component(pelrudo_cfile
    SOURCES CFile.cpp CFileException.cpp
    HEADERS CFile.h CFileException.h
    DEPENDS pelrudo_fs)
