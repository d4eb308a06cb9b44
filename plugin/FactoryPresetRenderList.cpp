#include "FactoryPresetRenderList.h"

namespace TarnwellPlugin {

std::vector<FactoryPresetRenderEntry> factoryPresetRenderList() {
    const FactoryPresetTable& table = factoryPresetTable();
    std::vector<FactoryPresetRenderEntry> list;
    list.reserve(table.size());
    for (std::size_t i = 0; i < table.size(); ++i)
        list.push_back({static_cast<int32_t>(i), table[i].name, effectivePresetValues(table[i])});
    return list;
}

} // namespace TarnwellPlugin
