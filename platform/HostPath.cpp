// The prefix and its drives, and the mapping between Windows paths and host paths.
#include "platform/HostPath.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "platform/Text.h"
#include "platform/detail/WindowsPath.h"

namespace {

constexpr std::size_t kMaxComponentBytes = 255;

struct Drive {
    char16_t letter;
    std::string folder;     // as the prefix names it
    std::string canonical;  // with links resolved
};

struct Machine {
    std::mutex lock;
    std::string prefix;
    std::optional<std::vector<Drive>> drives;
};

Machine& TheMachine()
{
    static auto* machine = new Machine;  // never destroyed: paths are mapped during static destruction too
    return *machine;
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::string Join(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string CurrentHostFolder()
{
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

// Makes each missing folder of an absolute path with the given mode; existing ones are left alone.
void MakeFolders(const std::string& path, mode_t mode)
{
    for (std::size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), mode);
        if (slash == std::string::npos) return;
    }
}

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "/";
}

std::string ChoosePrefix()
{
    std::string prefix;
    if (const char* env = std::getenv("PELRUDO_PREFIX"); env && *env)
        prefix = env;
    else if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        prefix = Join(data, "pelrudo");
    else
        prefix = Join(HomeFolder(), ".local/share/pelrudo");
    if (prefix.front() != '/') prefix = Join(CurrentHostFolder(), prefix);
    while (prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
    return prefix;
}

// Drive C is the real folder <prefix>/drive_c; every drive, C included, is the link
// <prefix>/dosdevices/<letter>: to its folder, so a user adds drives with ln -s.
void MakeMachine(const std::string& prefix)
{
    MakeFolders(prefix, 0700);
    mkdir(Join(prefix, "drive_c").c_str(), 0755);
    mkdir(Join(prefix, "dosdevices").c_str(), 0755);
    symlink("../drive_c", Join(prefix, "dosdevices/c:").c_str());
}

std::string Canonical(const std::string& path)
{
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

std::vector<std::string> SplitHost(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(std::move(part));
        }
        start = end + 1;
    }
    return parts;
}

std::string JoinHost(const std::vector<std::string>& parts, std::size_t count)
{
    std::string path;
    for (std::size_t i = 0; i < count; ++i) path += "/" + parts[i];
    return path.empty() ? "/" : path;
}

// The path with links resolved in its longest existing leading part.
std::string CanonicalPrefixed(const std::vector<std::string>& parts)
{
    for (std::size_t n = parts.size(); ; --n) {
        std::string head = Canonical(JoinHost(parts, n));
        if (!head.empty()) {
            for (std::size_t i = n; i < parts.size(); ++i) head = Join(head, parts[i]);
            return head;
        }
        if (n == 0) return JoinHost(parts, parts.size());
    }
}

// Where the rest of path starts when folder holds it (folder itself included), or npos.
std::size_t Inside(const std::string& path, const std::string& folder)
{
    if (folder.empty() || path.compare(0, folder.size(), folder) != 0) return std::string::npos;
    if (path.size() == folder.size()) return path.size();
    return path[folder.size()] == '/' ? folder.size() + 1 : std::string::npos;
}

// Drives are looked up once per prefix: a drive linked later shows after ResetPrefix.
std::vector<Drive> KnownDrives()
{
    Machine& machine = TheMachine();
    {
        std::lock_guard guard(machine.lock);
        if (machine.drives) return *machine.drives;
    }
    std::vector<Drive> drives;
    for (char16_t letter = u'A'; letter < u'Z'; ++letter) {
        std::string folder = GetDriveFolder(letter);
        if (!folder.empty()) drives.push_back({letter, folder, Canonical(folder)});
    }
    std::lock_guard guard(machine.lock);
    if (!machine.drives) machine.drives = std::move(drives);
    return *machine.drives;
}

std::u16string Upper(std::u16string_view text)
{
    CStringW upper{text};
    upper.MakeUpper();
    return upper.Str();
}

// Is the host name equal to key (upper case) but for case? ASCII is compared in place, as most
// names are; the first byte beyond ASCII hands the whole name to the full mapping.
bool SameNoCase(const char* name, const std::u16string& key)
{
    std::size_t i = 0;
    for (; name[i]; ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80) return Upper(Utf8ToUtf16(name)) == key;
        const char16_t upper = c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
        if (i >= key.size() || upper != key[i]) return false;
    }
    return i == key.size();
}

// The one name in folder equal to wanted but for case; none when there is none or several.
std::optional<std::string> MatchNoCase(const std::string& folder, const std::u16string& wanted)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> match;
    bool ambiguous = false;
    const std::u16string key = Upper(wanted);
    while (const dirent* entry = readdir(dir)) {
        if (!SameNoCase(entry->d_name, key)) continue;
        ambiguous = match.has_value();
        if (ambiguous) break;
        match = entry->d_name;
    }
    closedir(dir);
    if (ambiguous) return std::nullopt;
    return match;
}

bool Nameable(const std::u16string& part)
{
    return part.find_first_of(u"*?\"<>|") == std::u16string::npos;
}

DWORD CheckCharacters(std::u16string_view path)
{
    for (char16_t c : path)
        if (c < 0x20 || c == 0x7F) return ERROR_INVALID_NAME;
    return ERROR_SUCCESS;
}

DWORD ApplyComponents(std::u16string_view rest, WindowsPath& out)
{
    std::size_t start = 0;
    while (start < rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        std::u16string_view part = rest.substr(start, end - start);
        if (part == u"..") {
            if (!out.parts.empty()) out.parts.pop_back();
        } else if (!part.empty() && part != u".") {
            if (Utf8Size(part) > kMaxComponentBytes) return ERROR_FILENAME_EXCED_RANGE;
            out.parts.emplace_back(part);
        }
        start = end + 1;
    }
    out.trailingSeparator = !rest.empty() && IsSeparator(rest.back()) && !out.parts.empty();
    return ERROR_SUCCESS;
}

DWORD CurrentFolder(WindowsPath& out)
{
    std::string host = CurrentHostFolder();
    if (host.empty()) return ERROR_PATH_NOT_FOUND;
    CStringW current = ToWindowsPath(host);
    out = WindowsPath{current[0], {}, false, false};
    return ApplyComponents(current.View().substr(3), out);
}

// The host folder a drive letter names, whether it is mapped or not; empty for no letter.
std::string DriveLink(char16_t letter)
{
    if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - u'a' + u'A');
    if (letter == u'Z') return "/";
    if (letter < u'A' || letter > u'Z') return {};
    return GetPrefix() + "/dosdevices/" + static_cast<char>(letter - u'A' + 'a') + ":";
}

}  // namespace

std::string GetPrefix()
{
    Machine& machine = TheMachine();
    std::lock_guard guard(machine.lock);
    if (machine.prefix.empty()) {
        machine.prefix = ChoosePrefix();
        MakeMachine(machine.prefix);
    }
    return machine.prefix;
}

void ResetPrefix()
{
    Machine& machine = TheMachine();
    std::lock_guard guard(machine.lock);
    machine.prefix.clear();
    machine.drives.reset();
}

std::string GetDriveFolder(char16_t letter)
{
    std::string folder = DriveLink(letter);
    if (folder.empty() || folder == "/") return folder;
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
    return folder;
}

DWORD ResolveWindowsPath(std::u16string_view path, WindowsPath& out)
{
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    if (DWORD error = CheckCharacters(path)) return error;
    out = WindowsPath{};
    if (path[0] == u'/') {
        out.drive = u'Z';
        out.hostForm = true;
        return ApplyComponents(path.substr(1), out);
    }
    if (path.size() >= 2 && path[1] == u':') {
        char16_t letter = Upper(path.substr(0, 1))[0];
        if (letter < u'A' || letter > u'Z') return ERROR_INVALID_NAME;
        bool absolute = path.size() > 2 && IsSeparator(path[2]);
        // A drive-relative path ("C:x") continues the current folder only when it is on that drive.
        if (!absolute && CurrentFolder(out) == ERROR_SUCCESS && out.drive == letter)
            return ApplyComponents(path.substr(2), out);
        out = WindowsPath{letter, {}, false, false};
        return ApplyComponents(path.substr(2), out);
    }
    if (IsSeparator(path[0])) {
        if (path.size() > 1 && IsSeparator(path[1])) return ERROR_BAD_PATHNAME;
        if (DWORD error = CurrentFolder(out)) return error;
        out.parts.clear();
        return ApplyComponents(path.substr(1), out);
    }
    if (DWORD error = CurrentFolder(out)) return error;
    return ApplyComponents(path, out);
}

std::u16string FormatWindowsPath(const WindowsPath& path, bool keepTrailingSeparator)
{
    std::u16string text{path.drive, u':', u'\\'};
    for (std::size_t i = 0; i < path.parts.size(); ++i) {
        if (i) text += u'\\';
        text += path.parts[i];
    }
    if (keepTrailingSeparator && path.trailingSeparator) text += u'\\';
    return text;
}

std::string ExactHostPath(const WindowsPath& path)
{
    if (!std::all_of(path.parts.begin(), path.parts.end(), Nameable)) return {};
    std::string folder = DriveLink(path.drive);
    if (folder.empty()) return folder;
    for (const std::u16string& part : path.parts) {
        if (folder.back() != '/') folder += '/';
        folder += Utf16ToUtf8(part);
    }
    return folder;
}

DWORD MapToHost(const WindowsPath& path, std::string& host)
{
    // Most paths name what is there by its exact name: then one look at the whole path settles it,
    // since it resolves only through a mapped drive and existing components. Anything else is
    // walked component by component.
    if (!path.parts.empty()) {
        std::string exact = ExactHostPath(path);
        struct stat info {};
        if (!exact.empty() && lstat(exact.c_str(), &info) == 0) {
            host = std::move(exact);
            return ERROR_SUCCESS;
        }
    }
    std::string folder = GetDriveFolder(path.drive);
    if (folder.empty()) return ERROR_PATH_NOT_FOUND;
    bool matching = true;  // once a component is missing, nothing below it can be matched
    for (const std::u16string& part : path.parts) {
        if (!Nameable(part)) return ERROR_INVALID_NAME;
        std::string next = Join(folder, Utf16ToUtf8(part));
        struct stat info {};
        if (matching && lstat(next.c_str(), &info) != 0) {
            std::optional<std::string> match = MatchNoCase(folder, part);
            matching = match.has_value();
            if (matching) next = Join(folder, *match);
        }
        folder = std::move(next);
    }
    host = std::move(folder);
    return ERROR_SUCCESS;
}

DWORD MapWindowsPath(std::u16string_view path, std::string& host)
{
    WindowsPath resolved;
    if (DWORD error = ResolveWindowsPath(path, resolved)) return error;
    return MapToHost(resolved, host);
}

std::string ToHostPath(const CStringW& path)
{
    std::string host;
    return MapWindowsPath(path.View(), host) == ERROR_SUCCESS ? host : std::string();
}

std::string ToHostPath(const CStringA& path)
{
    return ToHostPath(CStringW(std::u16string_view(AnsiToUtf16(path.View()))));
}

CStringW ToWindowsPath(const std::string& hostPath)
{
    std::string absolute = !hostPath.empty() && hostPath[0] == '/' ? hostPath : Join(CurrentHostFolder(), hostPath);
    std::vector<std::string> parts = SplitHost(absolute);
    const std::string forms[] = {JoinHost(parts, parts.size()), CanonicalPrefixed(parts)};

    char16_t letter = u'Z';
    std::string rest = forms[0].substr(1);
    std::size_t deepest = 0;
    for (const Drive& drive : KnownDrives()) {
        for (const std::string* folder : {&drive.folder, &drive.canonical}) {
            for (const std::string& form : forms) {
                std::size_t at = Inside(form, *folder);
                if (at == std::string::npos || folder->size() <= deepest) continue;
                deepest = folder->size();
                letter = drive.letter;
                rest = form.substr(at);
            }
        }
    }
    std::u16string text = std::u16string{letter, u':', u'\\'} + Utf8ToUtf16(rest);
    for (char16_t& c : text)
        if (c == u'/') c = u'\\';
    return CStringW(std::u16string_view(text));
}
