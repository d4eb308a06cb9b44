#include "UserPresetFile.h"

#include <ctime>

namespace TarnwellPlugin {

std::string defaultPresetName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32] = {};
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d_%H-%M-%S", &local);
    return std::string("GRUNDMOOR-") + buffer;
}

} // namespace TarnwellPlugin
