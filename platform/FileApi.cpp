// The platform's file calls: Windows paths mapped to the host, share modes as open-file-description locks.
#include "platform/FileApi.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/HostPath.h"
#include "platform/Text.h"
#include "platform/WinBase.h"
#include "platform/detail/HostFile.h"
#include "platform/detail/HostFolder.h"
#include "platform/detail/KernelObject.h"
#include "platform/detail/WindowsPath.h"

using pelrudo::detail::IsHostFolder;
using pelrudo::detail::ParentFolder;

namespace {

constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY;
constexpr int kCreateAttempts = 8;  // a name that keeps appearing and vanishing between our calls
constexpr ULONGLONG kEpochDifference = 11644473600ull;  // seconds from 1601 to 1970

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

// The platform's error for a failed host call on path: a missing file whose folder exists is
// ERROR_FILE_NOT_FOUND, a missing folder ERROR_PATH_NOT_FOUND.
DWORD HostError(int err, const std::string& path)
{
    switch (err) {
    case ENOENT: return IsHostFolder(ParentFolder(path)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EISDIR: return ERROR_ACCESS_DENIED;
    default: return ErrnoToWin32(err);
    }
}

bool HasControlCharacter(std::u16string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char16_t c) { return c < 0x20 || c == 0x7F; });
}

std::u16string Wide(LPCSTR text) { return AnsiToUtf16(text); }

// Share modes are locks on two ranges of the file: the data range, write-locked by an open without
// FILE_SHARE_READ or FILE_SHARE_WRITE and read-locked by any other; and a guard byte past it,
// read-locked by an open without FILE_SHARE_DELETE, which DeleteFile tests. A descriptor that cannot
// carry the lock asked for takes the one it can: a file only readable by us gets a read lock even
// when exclusive, one only writable by us none when shared.
constexpr off_t kDeleteGuard = off_t(1) << 62;

bool LockRange(int fd, short type, off_t start, off_t length)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    if (fcntl(fd, F_OFD_SETLK, &lock) == 0) return true;
    return errno != EAGAIN && errno != EACCES;  // a file system without such locks shares freely
}

// mode is the descriptor's access (O_RDONLY, O_WRONLY or O_RDWR).
bool LockShare(int fd, int mode, DWORD share)
{
    const bool exclusive = (share & (FILE_SHARE_READ | FILE_SHARE_WRITE)) == 0;
    const short type = exclusive && mode != O_RDONLY ? F_WRLCK : F_RDLCK;
    if (type == F_RDLCK && mode == O_WRONLY) return true;
    if (!LockRange(fd, type, 0, kDeleteGuard)) return false;
    if (!(share & FILE_SHARE_DELETE)) LockRange(fd, F_RDLCK, kDeleteGuard, 1);
    return true;
}

// Does some open of the file refuse to share deletion?
bool DeletionRefused(const std::string& path)
{
    int fd = open(path.c_str(), kOpenFlags | O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = kDeleteGuard;
    probe.l_len = 1;
    const bool refused = fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    close(fd);
    return refused;
}

bool SameFile(int fd, const std::string& path)
{
    struct stat opened {}, named {};
    return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// Opens an existing file read-write when we may, so that either lock can be taken; narrower otherwise.
// mode is set to the access the descriptor got.
int OpenExisting(const std::string& path, DWORD access, int& mode)
{
    const int flags = kOpenFlags | O_NONBLOCK;  // never hang on a FIFO
    mode = O_RDWR;
    int fd = open(path.c_str(), flags | mode);
    if (fd < 0 && (errno == EACCES || errno == EROFS || errno == ETXTBSY || errno == EPERM)) {
        mode = !HostFile::Writes(access) ? O_RDONLY : !HostFile::Reads(access) ? O_WRONLY : O_RDWR;
        if (mode != O_RDWR) fd = open(path.c_str(), flags | mode);
    }
    // O_NONBLOCK is the only status flag it was opened with, so clearing all clears just that.
    if (fd >= 0) fcntl(fd, F_SETFL, 0);
    return fd;
}

// Makes a new file already locked: an unnamed file is locked and then linked under its name, so no
// other opener can see it unlocked. File systems without unnamed files create, then lock.
DWORD CreateLocked(const std::string& path, DWORD share, int& fd)
{
    fd = open(ParentFolder(path).c_str(), kOpenFlags | O_TMPFILE | O_RDWR, 0666);
    if (fd >= 0) {
        LockShare(fd, O_RDWR, share);
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        if (linkat(AT_FDCWD, self, AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return ERROR_SUCCESS;
        int err = errno;
        close(fd);
        fd = -1;
        return err == EEXIST ? ERROR_FILE_EXISTS : HostError(err, path);
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return HostError(errno, path);
    fd = open(path.c_str(), kOpenFlags | O_CREAT | O_EXCL | O_RDWR, 0666);
    if (fd < 0) return errno == EEXIST ? ERROR_FILE_EXISTS : HostError(errno, path);
    if (LockShare(fd, O_RDWR, share)) return ERROR_SUCCESS;
    if (SameFile(fd, path)) unlink(path.c_str());
    close(fd);
    fd = -1;
    return ERROR_SHARING_VIOLATION;
}

// Checks and locks an existing file, truncating it only once the lock is held. A file without any
// write permission is read-only for every writer, the superuser included, as on the platform.
// regular, when given, tells whether it is a regular file.
DWORD TakeExisting(int fd, int mode, DWORD share, bool writing, bool truncate, bool* regular)
{
    struct stat info {};
    if (fstat(fd, &info) != 0) return ErrnoToWin32(errno);
    if (regular) *regular = S_ISREG(info.st_mode);
    if (S_ISDIR(info.st_mode)) return ERROR_ACCESS_DENIED;
    if (writing && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0) return ERROR_ACCESS_DENIED;
    if (!LockShare(fd, mode, share)) return ERROR_SHARING_VIOLATION;
    if (truncate && ftruncate(fd, 0) != 0) return ErrnoToWin32(errno);
    return ERROR_SUCCESS;
}

// The open behind CreateFile and CopyFile. On success fd is set and the result is ERROR_SUCCESS, or
// ERROR_ALREADY_EXISTS when OPEN_ALWAYS or CREATE_ALWAYS found the file; on failure fd is -1.
// regular, when given, tells whether the file opened is a regular one (every file made here is).
DWORD OpenHostFile(const std::string& path, DWORD access, DWORD share, DWORD disposition, int& fd,
                   bool* regular = nullptr)
{
    fd = -1;
    if (regular) *regular = true;
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return ERROR_INVALID_PARAMETER;
    if (disposition == TRUNCATE_EXISTING && !HostFile::Writes(access)) return ERROR_INVALID_PARAMETER;
    if (disposition == CREATE_NEW) return CreateLocked(path, share, fd);

    const bool truncate = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
    const bool mayCreate = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    DWORD error = ERROR_FILE_NOT_FOUND;
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const DWORD needed = truncate ? access | GENERIC_WRITE : access;
        int mode = O_RDWR;
        fd = OpenExisting(path, needed, mode);
        if (fd >= 0) {
            error = TakeExisting(fd, mode, share, HostFile::Writes(needed), truncate, regular);
            if (error == ERROR_SUCCESS) return mayCreate ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
            close(fd);
            fd = -1;
            return error;
        }
        if (errno != ENOENT || !mayCreate) return HostError(errno, path);
        error = CreateLocked(path, share, fd);
        if (error != ERROR_FILE_EXISTS) return error;  // else someone made it meanwhile: open theirs
    }
    return error;
}

BOOL Transfer(HANDLE handle, bool writing, void* buffer, DWORD count, DWORD* done, void* overlapped)
{
    if (done) *done = 0;
    auto file = KernelObject::LookupAs<HostFile>(handle);
    if (!file) return FALSE;
    if (overlapped || (!buffer && count)) return Fail(ERROR_INVALID_PARAMETER);  // no handle here is overlapped
    if (writing ? !file->CanWrite() : !file->CanRead()) return Fail(ERROR_ACCESS_DENIED);
    return writing ? file->Write(buffer, count, done) : file->Read(buffer, count, done);
}

FILETIME ToFileTime(const statx_timestamp& time)
{
    LONGLONG seconds = time.tv_sec + static_cast<LONGLONG>(kEpochDifference);
    ULONGLONG ticks = seconds < 0 ? 0 : static_cast<ULONGLONG>(seconds) * 10000000ull + time.tv_nsec / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Looks at path (following links, or the link itself when it dangles); false when it is gone.
bool Examine(const std::string& path, struct statx& info)
{
    constexpr unsigned mask = STATX_BASIC_STATS | STATX_BTIME;
    return statx(AT_FDCWD, path.c_str(), 0, mask, &info) == 0 ||
           statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, mask, &info) == 0;
}

// Read-only: we may not write it, or nobody may (which the superuser would otherwise ignore).
bool IsReadOnly(const std::string& path, mode_t mode)
{
    return (mode & 0222) == 0 || faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

DWORD Attributes(const std::string& path, const std::string& name, const struct statx& info)
{
    DWORD attributes = S_ISDIR(info.stx_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (IsReadOnly(path, info.stx_mode)) attributes |= FILE_ATTRIBUTE_READONLY;
    if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
    return attributes;
}

std::string BaseName(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::u16string Upper(std::u16string_view text)
{
    CStringW upper{text};
    upper.MakeUpper();
    return upper.Str();
}

// '*' is any run and '?' any one character; a trailing ".*" also matches no extension at all, so
// "*.*" matches every name, as on the platform. Both sides come upper-cased.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view name)
{
    std::size_t p = 0, n = 0, star = std::u16string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = n;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    if (p == pattern.size()) return true;
    return pattern.substr(p) == u".*" || pattern.substr(p) == u".";
}

bool MatchesPattern(const std::u16string& upperPattern, const std::string& name)
{
    return WildcardMatch(upperPattern, Upper(Utf8ToUtf16(name)));
}

class FindSearch : public KernelObject {
public:
    FindSearch(std::string folder, std::vector<std::string> names) : m_folder(std::move(folder)), m_names(std::move(names)) {}

    // Fills data with the next entry still present; false when none is left.
    bool Next(WIN32_FIND_DATAW* data)
    {
        std::lock_guard guard(m_lock);
        while (m_next < m_names.size()) {
            const std::string& name = m_names[m_next++];
            std::string path = m_folder + (m_folder.back() == '/' ? "" : "/") + name;
            struct statx info {};
            if (!Examine(path, info)) continue;  // removed since the search began
            Fill(path, name, info, data);
            return true;
        }
        return false;
    }

private:
    static void Fill(const std::string& path, const std::string& name, const struct statx& info, WIN32_FIND_DATAW* data)
    {
        *data = WIN32_FIND_DATAW{};
        data->dwFileAttributes = Attributes(path, name, info);
        data->ftLastWriteTime = ToFileTime(info.stx_mtime);
        data->ftLastAccessTime = ToFileTime(info.stx_atime);
        data->ftCreationTime = (info.stx_mask & STATX_BTIME) ? ToFileTime(info.stx_btime) : data->ftLastWriteTime;
        if (!S_ISDIR(info.stx_mode)) {
            data->nFileSizeHigh = static_cast<DWORD>(info.stx_size >> 32);
            data->nFileSizeLow = static_cast<DWORD>(info.stx_size);
        }
        std::u16string wide = Utf8ToUtf16(name);
        wide.resize(std::min<std::size_t>(wide.size(), MAX_PATH - 1));
        std::copy(wide.begin(), wide.end(), data->cFileName);
    }

    std::mutex m_lock;
    const std::string m_folder;
    const std::vector<std::string> m_names;
    std::size_t m_next = 0;
};

// The names of folder matching pattern, in case-insensitive order, with "." and ".." first below a
// drive's root as the platform lists them.
DWORD ListMatches(const std::string& folder, const std::u16string& pattern, bool isRoot, std::vector<std::string>& names)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir) return errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrnoToWin32(errno);
    const std::u16string upper = Upper(pattern);
    std::vector<std::pair<std::u16string, std::string>> found;
    while (const dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::u16string key = Upper(Utf8ToUtf16(name));
        if (WildcardMatch(upper, key)) found.emplace_back(std::move(key), std::move(name));
    }
    closedir(dir);
    std::sort(found.begin(), found.end());
    names.clear();
    for (const char* dot : {".", ".."})
        if (!isRoot && MatchesPattern(upper, dot)) names.push_back(dot);
    for (auto& entry : found) names.push_back(std::move(entry.second));
    return names.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

// Text for a caller's buffer in the caller's encoding.
std::u16string Encoded(std::u16string_view text, char16_t*) { return std::u16string(text); }
std::string Encoded(std::u16string_view text, char*) { return Utf16ToAnsi(text); }

// The platform's folder-query rule: the length written without the terminator, or when the buffer
// is too small the size it needs with the terminator, the buffer left alone.
template <class Ch>
DWORD CopyOut(std::u16string_view text, Ch* buffer, DWORD size)
{
    auto encoded = Encoded(text, buffer);
    if (!buffer || size <= encoded.size()) return static_cast<DWORD>(encoded.size() + 1);
    std::copy(encoded.begin(), encoded.end(), buffer);
    buffer[encoded.size()] = 0;
    return static_cast<DWORD>(encoded.size());
}

// The module-name rule: a name that does not fit is cut to size - 1 characters and terminated, the
// result is size and the last error ERROR_INSUFFICIENT_BUFFER.
template <class Ch>
DWORD CopyTruncating(std::u16string_view text, Ch* buffer, DWORD size)
{
    auto encoded = Encoded(text, buffer);
    if (!buffer || size == 0) return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::size_t n = std::min<std::size_t>(encoded.size(), size - 1);
    std::copy_n(encoded.begin(), n, buffer);
    buffer[n] = 0;
    if (n == encoded.size()) {
        SetLastError(ERROR_SUCCESS);
        return static_cast<DWORD>(n);
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

// Makes a folder of drive C on demand; private folders are checked to be ours and closed to others.
bool EnsureFolder(const std::string& path, bool isPrivate)
{
    mkdir(path.c_str(), isPrivate ? 0700 : 0755);
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    if (!isPrivate) return true;
    if (info.st_uid != geteuid()) return false;
    return (info.st_mode & 077) == 0 || chmod(path.c_str(), 0700) == 0;
}

// The account's name as a folder name; one that could climb out of C:\users becomes "user".
std::string UserName()
{
    std::string name;
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name) name = entry->pw_name;
    if (const char* user = std::getenv("USER"); name.empty() && user) name = user;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return "user";
    return name;
}

std::string CurrentHostFolder()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

bool IsLoadedModule(HMODULE module)
{
    for (const link_map* map = _r_debug.r_map; map; map = map->l_next)
        if (static_cast<const void*>(map) == static_cast<const void*>(module)) return true;
    return false;
}

std::string ModuleHostPath(HMODULE module)
{
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string program = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string();
    if (!module) return program;
    // A made-up handle would crash dlinfo, so it is checked against the loaded modules first.
    link_map* map = nullptr;
    if (!IsLoadedModule(module) || dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) return {};
    return map->l_name && *map->l_name ? std::string(map->l_name) : program;
}

template <class Ch>
DWORD ModuleFileName(HMODULE module, Ch* buffer, DWORD size)
{
    std::string host = ModuleHostPath(module);
    if (host.empty()) return Fail(ERROR_MOD_NOT_FOUND);
    return CopyTruncating(ToWindowsPath(host).View(), buffer, size);
}

template <class Ch>
DWORD CurrentDirectory(DWORD size, Ch* buffer)
{
    std::string host = CurrentHostFolder();
    if (host.empty()) return Fail(ErrnoToWin32(errno));
    return CopyOut(ToWindowsPath(host).View(), buffer, size);
}

template <class Ch>
UINT WindowsDirectory(Ch* buffer, UINT size)
{
    std::string drive = GetDriveFolder(u'C');
    if (drive.empty() || !EnsureFolder(drive + "/windows", false)) return Fail(ERROR_PATH_NOT_FOUND);
    return CopyOut(u"C:\\windows", buffer, size);
}

// Maps name and opens it. A file that is never made here is first opened by its exact host path:
// such an open succeeds only when every component is there as named, which is the path the mapping
// gives then, so the mapping's own look at the disk is spared. Any failure goes the mapping's way.
DWORD MapAndOpen(LPCWSTR name, DWORD access, DWORD share, DWORD disposition, int& fd, bool& regular)
{
    fd = -1;
    WindowsPath path;
    if (DWORD error = name ? ResolveWindowsPath(name, path) : ERROR_PATH_NOT_FOUND) return error;
    if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) {
        const std::string exact = ExactHostPath(path);
        if (!exact.empty() && OpenHostFile(exact, access, share, disposition, fd, &regular) == ERROR_SUCCESS)
            return ERROR_SUCCESS;
    }
    std::string host;
    if (DWORD error = MapToHost(path, host)) return error;
    return OpenHostFile(host, access, share, disposition, fd, &regular);
}

}  // namespace

std::string pelrudo::detail::ParentFolder(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool pelrudo::detail::IsHostFolder(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

HANDLE CreateFile(LPCWSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES, DWORD disposition,
                  DWORD, HANDLE)  // attributes and templates are not kept by the host
{
    int fd = -1;
    bool regular = true;
    const DWORD error = MapAndOpen(name, access, shareMode, disposition, fd, regular);
    SetLastError(error);
    if (fd < 0) return INVALID_HANDLE_VALUE;
    return KernelObject::Register(std::make_shared<HostFile>(fd, access, shareMode, regular));
}

HANDLE CreateFile(LPCSTR name, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                  DWORD flagsAndAttributes, HANDLE templateFile)
{
    if (!name) return CreateFile(static_cast<LPCWSTR>(nullptr), access, shareMode, security, disposition, flagsAndAttributes, templateFile);
    return CreateFile(Wide(name).c_str(), access, shareMode, security, disposition, flagsAndAttributes, templateFile);
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, DWORD* read, void* overlapped)
{
    return Transfer(file, false, buffer, toRead, read, overlapped);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, DWORD* written, void* overlapped)
{
    return Transfer(file, true, const_cast<void*>(buffer), toWrite, written, overlapped);
}

BOOL FlushFileBuffers(HANDLE file)
{
    auto object = KernelObject::LookupAs<HostFile>(file);
    if (!object) return FALSE;
    HostFile::Direct direct(*object);
    if (!direct) return FALSE;
    if (fsync(direct.Fd()) != 0) return Fail(ErrnoToWin32(errno));
    return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method)
{
    auto object = KernelObject::LookupAs<HostFile>(file);
    if (!object) return INVALID_SET_FILE_POINTER;
    HostFile::Direct direct(*object, true);
    if (!direct) return INVALID_SET_FILE_POINTER;
    LONGLONG move = distanceHigh ? static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                                         static_cast<DWORD>(distance))
                                 : distance;
    LONGLONG base = 0;
    struct stat info {};
    if (method == FILE_CURRENT) {
        base = direct.Position();
    } else if (method == FILE_END) {
        base = fstat(direct.Fd(), &info) == 0 ? info.st_size : -1;
    } else if (method != FILE_BEGIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base < 0) {
        SetLastError(ErrnoToWin32(errno));
        return INVALID_SET_FILE_POINTER;
    }
    LONGLONG target = base + move;
    // Without a high word the new position must fit in 32 bits, as on the platform.
    DWORD error = target < 0 ? ERROR_NEGATIVE_SEEK
                  : !distanceHigh && target >= static_cast<LONGLONG>(INVALID_SET_FILE_POINTER) ? ERROR_INVALID_PARAMETER
                  : !direct.MoveTo(target) ? ErrnoToWin32(errno)
                  : ERROR_SUCCESS;
    SetLastError(error);
    if (error != ERROR_SUCCESS) return INVALID_SET_FILE_POINTER;
    if (distanceHigh) *distanceHigh = static_cast<LONG>(target >> 32);
    return static_cast<DWORD>(target);
}

BOOL SetEndOfFile(HANDLE file)
{
    auto object = KernelObject::LookupAs<HostFile>(file);
    if (!object) return FALSE;
    if (!object->CanWrite()) return Fail(ERROR_ACCESS_DENIED);
    HostFile::Direct direct(*object);
    if (!direct) return FALSE;
    off_t here = lseek(direct.Fd(), 0, SEEK_CUR);
    if (here < 0 || ftruncate(direct.Fd(), here) != 0) return Fail(ErrnoToWin32(errno));
    return TRUE;
}

DWORD GetFileSize(HANDLE file, DWORD* sizeHigh)
{
    auto object = KernelObject::LookupAs<HostFile>(file);
    if (!object) return INVALID_FILE_SIZE;
    HostFile::Direct direct(*object);
    if (!direct) return INVALID_FILE_SIZE;
    struct stat info {};
    if (fstat(direct.Fd(), &info) != 0) {
        SetLastError(ErrnoToWin32(errno));
        return INVALID_FILE_SIZE;
    }
    auto size = static_cast<ULONGLONG>(info.st_size);
    if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);  // so that a low word of 0xFFFFFFFF can be told from a failure
    return static_cast<DWORD>(size);
}

BOOL DeleteFile(LPCWSTR name)
{
    std::string host;
    if (DWORD error = name ? MapWindowsPath(name, host) : ERROR_PATH_NOT_FOUND) return Fail(error);
    struct stat info {};
    if (lstat(host.c_str(), &info) != 0) return Fail(HostError(errno, host));
    if (S_ISDIR(info.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (!S_ISLNK(info.st_mode) && IsReadOnly(host, info.st_mode)) return Fail(ERROR_ACCESS_DENIED);
    if (DeletionRefused(host)) return Fail(ERROR_SHARING_VIOLATION);
    if (unlink(host.c_str()) != 0) return Fail(HostError(errno, host));
    return TRUE;
}

BOOL DeleteFile(LPCSTR name)
{
    return name ? DeleteFile(Wide(name).c_str()) : DeleteFile(static_cast<LPCWSTR>(nullptr));
}

BOOL MoveFile(LPCWSTR from, LPCWSTR to)
{
    return MoveFileEx(from, to, 0);
}

BOOL MoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    std::string source, target;
    if (DWORD error = from ? MapWindowsPath(from, source) : ERROR_PATH_NOT_FOUND) return Fail(error);
    if (DWORD error = to ? MapWindowsPath(to, target) : ERROR_PATH_NOT_FOUND) return Fail(error);
    struct stat info {};
    if (lstat(source.c_str(), &info) != 0) return Fail(HostError(errno, source));
    const bool replace = flags & MOVEFILE_REPLACE_EXISTING;
    int done = renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), replace ? 0 : RENAME_NOREPLACE);
    if (done != 0 && errno == EINVAL && !replace) {
        // File systems without RENAME_NOREPLACE: check, then rename.
        if (lstat(target.c_str(), &info) == 0) return Fail(ERROR_ALREADY_EXISTS);
        done = rename(source.c_str(), target.c_str());
    }
    if (done == 0) return TRUE;
    if (errno == EEXIST || errno == ENOTEMPTY) return Fail(ERROR_ALREADY_EXISTS);
    return Fail(HostError(errno, target));
}

BOOL CopyFile(LPCWSTR from, LPCWSTR to, BOOL failIfExists)
{
    std::string source, target;
    if (DWORD error = from ? MapWindowsPath(from, source) : ERROR_PATH_NOT_FOUND) return Fail(error);
    if (DWORD error = to ? MapWindowsPath(to, target) : ERROR_PATH_NOT_FOUND) return Fail(error);
    int in = -1, out = -1;
    if (DWORD error = OpenHostFile(source, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, in); in < 0) return Fail(error);
    DWORD error = OpenHostFile(target, GENERIC_WRITE, 0, failIfExists ? CREATE_NEW : CREATE_ALWAYS, out);
    if (out < 0) {
        close(in);
        return Fail(error);
    }
    error = ERROR_SUCCESS;
    char block[65536];
    for (;;) {
        ssize_t n = read(in, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) error = ErrnoToWin32(errno);
            break;
        }
        for (ssize_t put = 0; put < n && error == ERROR_SUCCESS;) {
            ssize_t w = write(out, block + put, static_cast<std::size_t>(n - put));
            if (w < 0 && errno != EINTR) error = ErrnoToWin32(errno);
            if (w > 0) put += w;
        }
        if (error != ERROR_SUCCESS) break;
    }
    struct stat info {};
    if (error == ERROR_SUCCESS && fstat(in, &info) == 0) {
        // The copy keeps the source's permissions (its read-only attribute) and its last write time.
        const timespec times[2] = {info.st_atim, info.st_mtim};
        futimens(out, times);
        fchmod(out, info.st_mode & 07777);
    }
    if (error != ERROR_SUCCESS && SameFile(out, target)) unlink(target.c_str());  // no half copy is left
    close(in);
    close(out);
    if (error != ERROR_SUCCESS) return Fail(error);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL CreateDirectory(LPCWSTR name, LPSECURITY_ATTRIBUTES)
{
    std::string host;
    if (DWORD error = name ? MapWindowsPath(name, host) : ERROR_PATH_NOT_FOUND) return Fail(error);
    if (mkdir(host.c_str(), 0777) == 0) return TRUE;
    return Fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : HostError(errno, host));
}

BOOL CreateDirectory(LPCSTR name, LPSECURITY_ATTRIBUTES security)
{
    return name ? CreateDirectory(Wide(name).c_str(), security) : CreateDirectory(static_cast<LPCWSTR>(nullptr), security);
}

BOOL RemoveDirectory(LPCWSTR name)
{
    std::string host;
    if (DWORD error = name ? MapWindowsPath(name, host) : ERROR_PATH_NOT_FOUND) return Fail(error);
    if (rmdir(host.c_str()) == 0) return TRUE;
    if (errno == ENOTEMPTY || errno == EEXIST) return Fail(ERROR_DIR_NOT_EMPTY);
    if (errno == ENOTDIR && !IsHostFolder(host) && access(host.c_str(), F_OK) == 0) return Fail(ERROR_DIRECTORY);
    return Fail(HostError(errno, host));
}

DWORD GetFileAttributes(LPCWSTR name)
{
    std::string host;
    DWORD error = name ? MapWindowsPath(name, host) : ERROR_PATH_NOT_FOUND;
    struct statx info {};
    if (error == ERROR_SUCCESS && !Examine(host, info)) error = HostError(errno, host);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    return Attributes(host, BaseName(host), info);
}

HANDLE FindFirstFile(LPCWSTR pattern, WIN32_FIND_DATAW* data)
{
    std::u16string_view text = pattern ? pattern : u"";
    std::size_t split = text.find_last_of(u"\\/");
    // No separator: the folder is the current one, or the current one of a drive ("C:*.txt").
    std::size_t nameAt = split != std::u16string_view::npos ? split + 1 : (text.size() >= 2 && text[1] == u':' ? 2 : 0);
    std::u16string folderText(text.substr(0, nameAt));
    std::u16string name(text.substr(nameAt));
    if (folderText.empty()) folderText = u".";
    WindowsPath folder;
    std::string host;
    std::vector<std::string> names;
    DWORD error = name.empty() ? ERROR_FILE_NOT_FOUND : ResolveWindowsPath(folderText, folder);
    if (error == ERROR_SUCCESS) error = MapToHost(folder, host);
    if (error == ERROR_SUCCESS && HasControlCharacter(name)) error = ERROR_INVALID_NAME;
    if (error == ERROR_SUCCESS) error = ListMatches(host, name, folder.parts.empty(), names);
    auto search = error == ERROR_SUCCESS ? std::make_shared<FindSearch>(host, std::move(names)) : nullptr;
    if (search && !search->Next(data)) error = ERROR_FILE_NOT_FOUND;
    SetLastError(error);
    if (error != ERROR_SUCCESS) return INVALID_HANDLE_VALUE;
    return KernelObject::Register(std::move(search));
}

BOOL FindNextFile(HANDLE search, WIN32_FIND_DATAW* data)
{
    auto object = KernelObject::LookupAs<FindSearch>(search);
    if (!object) return FALSE;
    if (!object->Next(data)) return Fail(ERROR_NO_MORE_FILES);
    return TRUE;
}

BOOL FindClose(HANDLE search)
{
    if (!KernelObject::LookupAs<FindSearch>(search)) return FALSE;
    return KernelObject::Close(search);
}

DWORD GetTempPath(DWORD size, LPWSTR buffer)
{
    std::string drive = GetDriveFolder(u'C');
    if (drive.empty()) return Fail(ERROR_PATH_NOT_FOUND);
    const std::string user = UserName();
    const std::string home = drive + "/users/" + user;
    // Never a folder someone else made or can look into: it is the user's own, as on the platform.
    if (!EnsureFolder(drive + "/users", false) || !EnsureFolder(home, true) || !EnsureFolder(home + "/Temp", true))
        return Fail(ERROR_ACCESS_DENIED);
    return CopyOut(u"C:\\users\\" + Utf8ToUtf16(user) + u"\\Temp\\", buffer, size);
}

UINT GetWindowsDirectory(LPWSTR buffer, UINT size) { return WindowsDirectory(buffer, size); }
UINT GetWindowsDirectory(LPSTR buffer, UINT size) { return WindowsDirectory(buffer, size); }
DWORD GetCurrentDirectory(DWORD size, LPWSTR buffer) { return CurrentDirectory(size, buffer); }
DWORD GetCurrentDirectory(DWORD size, LPSTR buffer) { return CurrentDirectory(size, buffer); }

BOOL SetCurrentDirectory(LPCWSTR name)
{
    std::string host;
    if (DWORD error = name ? MapWindowsPath(name, host) : ERROR_PATH_NOT_FOUND) return Fail(error);
    if (chdir(host.c_str()) != 0) return Fail(HostError(errno, host));
    return TRUE;
}

DWORD GetFullPathName(LPCWSTR name, DWORD size, LPWSTR buffer, LPWSTR* filePart)
{
    WindowsPath path;
    if (DWORD error = name ? ResolveWindowsPath(name, path) : ERROR_INVALID_PARAMETER) return Fail(error);
    std::u16string text = FormatWindowsPath(path, true);
    if (path.hostForm) {
        std::string host;
        for (const std::u16string& part : path.parts) {
            host += '/';
            host += Utf16ToUtf8(part);
        }
        text = ToWindowsPath(host.empty() ? "/" : host).Str();
    }
    DWORD length = CopyOut(text, buffer, size);
    if (filePart && length < size) {
        std::size_t last = text.rfind(u'\\') + 1;
        *filePart = last < text.size() ? buffer + last : nullptr;
    }
    return length;
}

DWORD GetModuleFileName(HMODULE module, LPWSTR buffer, DWORD size) { return ModuleFileName(module, buffer, size); }
DWORD GetModuleFileName(HMODULE module, LPSTR buffer, DWORD size) { return ModuleFileName(module, buffer, size); }

BOOL GetDiskFreeSpaceEx(LPCWSTR folder, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total, ULARGE_INTEGER* totalFree)
{
    std::string host;
    if (DWORD error = MapWindowsPath(folder ? folder : u".", host)) return Fail(error);
    struct statvfs info {};
    if (statvfs(host.c_str(), &info) != 0) return Fail(HostError(errno, host));
    const ULONGLONG unit = info.f_frsize ? info.f_frsize : info.f_bsize;
    if (freeToCaller) freeToCaller->QuadPart = info.f_bavail * unit;
    if (total) total->QuadPart = info.f_blocks * unit;
    if (totalFree) totalFree->QuadPart = info.f_bfree * unit;
    return TRUE;
}
