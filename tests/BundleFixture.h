#pragma once

// Where the built bundle is, as the build tells the tests.

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace BundleFixture {

inline std::filesystem::path bundlePath() { return GRUNDMOOR_TEST_BUNDLE_DIR; }
inline std::filesystem::path modulePath() { return GRUNDMOOR_TEST_MODULE_FILE; }

// Runs a command through the shell; its standard output and exit status.
inline std::string run(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return out;
    }
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    status = pclose(pipe);
    return out;
}

inline std::string quoted(const std::filesystem::path& p) {
    std::string q(1, '\'');
    q += p.string();
    q += '\'';
    return q;
}

} // namespace BundleFixture
