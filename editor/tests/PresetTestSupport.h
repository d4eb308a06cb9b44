#pragma once

// Helpers of the preset tests: a process locale with a decimal comma, and folder listings.

#include <clocale>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <locale>
#include <set>
#include <sstream>
#include <string>

#include <sys/resource.h>

namespace TarnwellPlugin::testing {

// Switches the C and the C++ global locale to a German one for its lifetime; `active` is false
// when the system has none (then nothing changes).
class GermanLocale {
public:
    GermanLocale() {
        previousC = std::setlocale(LC_ALL, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "de_DE@euro", "German"}) {
            if (!std::setlocale(LC_ALL, name)) continue;
            char text[16];
            std::snprintf(text, sizeof text, "%.1f", 0.5);
            if (std::string(text) != "0,5") continue;
            try {
                previousCpp = std::locale::global(std::locale(name));
            } catch (const std::exception&) {
                continue;
            }
            active = true;
            return;
        }
        std::setlocale(LC_ALL, previousC.c_str());
    }
    ~GermanLocale() {
        if (!active) return;
        std::locale::global(previousCpp);
        std::setlocale(LC_ALL, previousC.c_str());
    }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

    bool active = false;

private:
    std::string previousC;
    std::locale previousCpp;
};

// A limit on the size of files written while it lives; unlike permissions it binds root as well,
// so writes fail part way. The signal such a write raises is ignored meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        active = getrlimit(RLIMIT_FSIZE, &previous) == 0;
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = previous;
        small.rlim_cur = bytes;
        active = active && setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        if (active) setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool active = false;

private:
    rlimit previous{};
    void (*oldHandler)(int) = SIG_DFL;
};

// The names in a folder (every kind of entry, hidden ones included).
inline std::set<std::string> entriesOf(const std::filesystem::path& folder) {
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& e : std::filesystem::directory_iterator(folder, ignored)) names.insert(e.path().filename().string());
    return names;
}

inline std::string contentOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

} // namespace TarnwellPlugin::testing
