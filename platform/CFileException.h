// CFileException: the failure of a CFile operation, with its cause, the system's error number and the file.
#pragma once

#include "platform/CObject.h"
#include "platform/CStringT.h"

// Thrown as a pointer allocated with new; the catcher calls Delete().
class CFileException : public CObject {
public:
    enum {
        none = 0,
        generic,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    explicit CFileException(int cause = none, LONG lOsError = -1, LPCWSTR lpszFileName = nullptr);

    void Delete() { delete this; }

    // The cause that the platform's error number stands for; generic when it has no closer one.
    static int OsErrorToException(LONG lOsError);
    [[noreturn]] static void ThrowOsError(LONG lOsError, LPCWSTR lpszFileName = nullptr);
    [[noreturn]] static void Throw(int cause, LONG lOsError, LPCWSTR lpszFileName = nullptr);

    int m_cause;
    LONG m_lOsError;
    CStringW m_strFileName;
};
