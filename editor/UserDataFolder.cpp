#include "UserDataFolder.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace TarnwellPlugin {
namespace {

constexpr const char* kMakerFolder = "TarnwellPlugin";
constexpr const char* kProductFolder = "Grundmoor";

std::string nonEmptyEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : std::string();
}

std::string homeFolder() {
    std::string home = nonEmptyEnvironment("HOME");
    if (!home.empty()) return home;
    // A host started without HOME (a service, some launchers) still belongs to a user.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        *found->pw_dir)
        return found->pw_dir;
    return {};
}

// The data home that holds the maker's folder.
std::string dataHome() {
    // A relative XDG_DATA_HOME is invalid and ignored, as the base-directory rules say.
    std::string xdg = nonEmptyEnvironment("XDG_DATA_HOME");
    if (!xdg.empty() && xdg.front() == '/') return xdg;
    const std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.local/share";
}

// Creates every missing folder along the path, each with mode 0755.
void makeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    mkdir(path.c_str(), 0755);
}

} // namespace

std::string userDataFolderPath() {
    const std::string base = dataHome();
    if (base.empty()) return {};
    return base + "/" + kMakerFolder + "/" + kProductFolder;
}

std::string createUserDataFolder() {
    const std::string base = dataHome();
    if (base.empty()) return {};
    const std::string folder = base + "/" + kMakerFolder + "/" + kProductFolder;
    makeFolders(folder); // the data home itself may not exist yet
    return folder;
}

} // namespace TarnwellPlugin
