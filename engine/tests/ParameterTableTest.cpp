#include "ParameterTable.h"

#include <gtest/gtest.h>

#include <set>

using namespace TarnwellPlugin;

TEST(ParameterTable, HoldsEveryIdOnceInTheDocumentedRanges) {
    std::set<uint32_t> ids;
    for (const auto& p : kParameterTable) {
        const bool inRange = (p.id >= 100 && p.id <= 197) || (p.id >= 200 && p.id <= 215) ||
                             (p.id >= 300 && p.id <= 307) || (p.id >= 400 && p.id <= 417) ||
                             (p.id >= 420 && p.id <= 440);
        EXPECT_TRUE(inRange) << p.id;
        EXPECT_TRUE(ids.insert(p.id).second) << p.id;
        EXPECT_EQ(&p, findParameter(p.id));
    }
    EXPECT_EQ(ids.size(), 161u);
    EXPECT_EQ(findParameter(99), nullptr);
    EXPECT_EQ(findParameter(198), nullptr);
    EXPECT_EQ(findParameter(441), nullptr);
}

TEST(ParameterTable, LogCutoffMapping) {
    EXPECT_DOUBLE_EQ(logCutoffToPlain(0.0), 20.0);
    EXPECT_NEAR(logCutoffToPlain(1.0), 18000.0, 1e-9);
    EXPECT_NEAR(logCutoffToPlain(0.5), 600.0, 1e-9);
    EXPECT_NEAR(logCutoffToNormalized(12000.0), std::log(600.0) / std::log(900.0), 1e-15);
    EXPECT_DOUBLE_EQ(logCutoffToNormalized(5.0), 0.0);
    EXPECT_NEAR(logCutoffToNormalized(30000.0), 1.0, 1e-15);
    EXPECT_NEAR(defaultNormalized(*findParameter(kFilterCutoff)), 0.9403937698096758, 1e-15);
}
