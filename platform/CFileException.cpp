// CFileException: construction, throwing and the mapping from the platform's error numbers to causes.
#include "platform/CFileException.h"

namespace {

// Error numbers of the platform that the mapping knows beyond those of WinTypes.h.
constexpr LONG kErrorInvalidDrive = 15;
constexpr LONG kErrorCurrentDirectory = 16;
constexpr LONG kErrorNegativeSeek = 131;
constexpr LONG kErrorSeekOnDevice = 132;
constexpr LONG kErrorSeek = 25;
constexpr LONG kErrorEndOfMedia = 1100;

struct CauseOf {
    LONG osError;
    int cause;
};

constexpr CauseOf kCauses[] = {
    {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
    {ERROR_PATH_NOT_FOUND, CFileException::badPath},
    {ERROR_INVALID_NAME, CFileException::badPath},
    {ERROR_BAD_PATHNAME, CFileException::badPath},
    {ERROR_FILENAME_EXCED_RANGE, CFileException::badPath},
    {kErrorInvalidDrive, CFileException::badPath},
    {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
    {ERROR_ACCESS_DENIED, CFileException::accessDenied},
    {ERROR_FILE_EXISTS, CFileException::accessDenied},
    {ERROR_ALREADY_EXISTS, CFileException::accessDenied},
    {ERROR_CANNOT_MAKE, CFileException::directoryFull},
    {ERROR_INVALID_HANDLE, CFileException::invalidFile},
    {kErrorCurrentDirectory, CFileException::removeCurrentDir},
    {ERROR_DIR_NOT_EMPTY, CFileException::removeCurrentDir},
    {kErrorNegativeSeek, CFileException::badSeek},
    {kErrorSeekOnDevice, CFileException::badSeek},
    {kErrorSeek, CFileException::badSeek},
    {ERROR_WRITE_FAULT, CFileException::hardIO},
    {ERROR_READ_FAULT, CFileException::hardIO},
    {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
    {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
    {ERROR_HANDLE_DISK_FULL, CFileException::diskFull},
    {ERROR_DISK_FULL, CFileException::diskFull},
    {ERROR_HANDLE_EOF, CFileException::endOfFile},
    {kErrorEndOfMedia, CFileException::endOfFile},
};

}  // namespace

CFileException::CFileException(int cause, LONG lOsError, LPCWSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName)
{
}

int CFileException::OsErrorToException(LONG lOsError)
{
    for (const CauseOf& entry : kCauses) {
        if (entry.osError == lOsError) return entry.cause;
    }
    return lOsError == ERROR_SUCCESS ? none : generic;
}

void CFileException::ThrowOsError(LONG lOsError, LPCWSTR lpszFileName)
{
    Throw(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void CFileException::Throw(int cause, LONG lOsError, LPCWSTR lpszFileName)
{
    throw new CFileException(cause, lOsError, lpszFileName);
}
