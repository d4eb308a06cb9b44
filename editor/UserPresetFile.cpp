#include "UserPresetFile.h"

#include "UserDataFolder.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace TarnwellPlugin {
namespace {

constexpr size_t kExtensionLength = 4; // ".thd"

bool isAsciiNameByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// White space as the C locale knows it, whatever the process locale says.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The next white-space separated token, or an empty view at the end.
std::string_view nextToken(std::string_view& text) {
    size_t begin = 0;
    while (begin < text.size() && isSpace(text[begin])) ++begin;
    size_t end = begin;
    while (end < text.size() && !isSpace(text[end])) ++end;
    const std::string_view token = text.substr(begin, end - begin);
    text.remove_prefix(end);
    return token;
}

bool parseId(std::string_view token, uint32_t& id) {
    const char* end = token.data() + token.size();
    const auto result = std::from_chars(token.data(), end, id);
    return !token.empty() && result.ec == std::errc() && result.ptr == end;
}

bool parseValue(std::string_view token, double& value) {
    if (!token.empty() && token.front() == '+') token.remove_prefix(1); // as a stream reads it
    const char* end = token.data() + token.size();
    const auto result = std::from_chars(token.data(), end, value, std::chars_format::general);
    return !token.empty() && result.ec == std::errc() && result.ptr == end;
}

bool entryExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string presetLabel(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    std::string label = slash == std::string::npos ? path : path.substr(slash + 1);
    if (label.size() >= 5) label.resize(label.size() - 4);
    return label;
}

std::string defaultPresetName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32] = {};
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d_%H-%M-%S", &local);
    return std::string("GRUNDMOOR-") + buffer;
}

bool moveWithoutReplacing(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return false;
#endif
    // File systems without the atomic no-replace rename: a hard link fails on an existing name too.
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return false;
    // Neither is available (some network and FAT file systems): check, then rename.
    if (entryExists(to)) {
        errno = EEXIST;
        return false;
    }
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::string userPresetFolder() { return createUserDataFolder(); }

std::string sanitizePresetName(const std::string& name) {
    std::string result = name;
    for (char& c : result)
        if (!isAsciiNameByte(static_cast<unsigned char>(c))) c = '-';
    if (result.empty() || result == "-") return defaultPresetName();
    return result;
}

std::string formatPresetValue(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

std::string presetFileText(const std::vector<PresetFileEntry>& entries) {
    std::string text;
    text.reserve(entries.size() * 28);
    for (const PresetFileEntry& e : entries) {
        text += std::to_string(e.id);
        text += ' ';
        text += formatPresetValue(e.value);
        text += '\n';
    }
    return text;
}

std::vector<PresetFileEntry> parsePresetFileText(std::string_view text) {
    std::vector<PresetFileEntry> entries;
    for (;;) {
        PresetFileEntry e{};
        if (!parseId(nextToken(text), e.id) || !parseValue(nextToken(text), e.value)) break;
        entries.push_back(e);
    }
    return entries;
}

std::vector<std::string> listUserPresetFiles(const std::string& folder) {
    std::vector<std::string> paths;
    if (folder.empty()) return paths;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return paths;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() <= kExtensionLength) continue;
        if (name.compare(name.size() - kExtensionLength, kExtensionLength, kUserPresetExtension) != 0) continue;
        if (name.size() == kExtensionLength + 1 && name[0] == '-') continue;
        std::string path = folder + "/" + name;
        if (isRegularFile(path)) paths.push_back(std::move(path));
    }
    closedir(dir);
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::string freePresetPath(const std::string& folder, const std::string& name) {
    std::string path = folder + "/" + name + kUserPresetExtension;
    for (unsigned n = 2; entryExists(path); ++n)
        path = folder + "/" + name + "_" + std::to_string(n) + kUserPresetExtension;
    return path;
}

bool writeNewPresetFile(const std::string& folder, const std::string& name, const std::string& text,
                        std::string& path) {
    path = freePresetPath(folder, name);
    // Hidden and without the extension: never listed while it is being written.
    std::string temporary = folder + "/.preset-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return false;
    fchmod(fd, 0644); // as any file the user makes, not the temporary file's 0600
    bool ok = writeAll(fd, text);
    ok = ok && (fsync(fd) == 0 || errno == EINVAL);
    ok = (::close(fd) == 0) && ok;
    for (int attempt = 0; ok && attempt < 1000; ++attempt) {
        if (moveWithoutReplacing(temporary, path)) return true;
        if (errno != EEXIST) break;
        path = freePresetPath(folder, name); // another instance took the name meanwhile
    }
    unlink(temporary.c_str());
    return false;
}

bool readPresetFile(const std::string& path, std::string& text) {
    text.clear();
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[4096];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    if (!ok) text.clear();
    return ok;
}

bool removePresetFile(const std::string& path) { return isRegularFile(path) && unlink(path.c_str()) == 0; }

} // namespace TarnwellPlugin
