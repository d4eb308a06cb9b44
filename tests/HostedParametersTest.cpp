// The parameter list as a host sees it through the bundle.
#include "HostedSupport.h"

#include "ParameterTable.h"

#include "pluginterfaces/vst/ivstunits.h"

#include <gtest/gtest.h>

#include <string>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
std::string ascii(const TChar* s) {
    std::string out;
    for (; s && *s; ++s) out.push_back(static_cast<char>(*s));
    return out;
}
} // namespace

TEST(HostedParameters, ListMatchesTheTableInRegistrationOrder) {
    auto host = Hosted::load();
    IEditController* controller = host->controller();
    ASSERT_EQ(controller->getParameterCount(), 161);
    for (int32 i = 0; i < 161; ++i) {
        const auto& p = TarnwellPlugin::kParameterTable[i];
        ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(i, info), kResultOk);
        SCOPED_TRACE(p.title);
        EXPECT_EQ(info.id, p.id);
        EXPECT_EQ(ascii(info.title), p.title);
        EXPECT_EQ(ascii(info.units), p.unit);
        EXPECT_EQ(info.stepCount, p.stepCount());
        EXPECT_NEAR(info.defaultNormalizedValue, TarnwellPlugin::defaultNormalized(p), 1e-15);
        EXPECT_EQ(info.flags, p.flags);
        EXPECT_EQ(info.unitId, kRootUnitId);
    }
    ParameterInfo first{}, last{};
    controller->getParameterInfo(0, first);
    controller->getParameterInfo(160, last);
    EXPECT_EQ(ascii(first.title), "Frequency");
    EXPECT_EQ(ascii(last.title), "Step 16");
    ParameterInfo none{};
    EXPECT_NE(controller->getParameterInfo(161, none), kResultOk);
}

TEST(HostedParameters, CutoffMappingAndDisplayStrings) {
    auto host = Hosted::load();
    IEditController* c = host->controller();
    ParameterInfo cutoff{};
    ASSERT_EQ(c->getParameterInfo(41, cutoff), kResultOk);
    ASSERT_EQ(cutoff.id, 112u);
    EXPECT_NEAR(c->normalizedParamToPlain(112, cutoff.defaultNormalizedValue), 12000.0, 1e-9);
    EXPECT_NEAR(c->normalizedParamToPlain(112, 0.0), 20.0, 1e-12);
    EXPECT_NEAR(c->normalizedParamToPlain(112, 1.0), 18000.0, 1e-9);
    EXPECT_NEAR(c->normalizedParamToPlain(112, 0.5), 600.0, 1e-9);
    EXPECT_EQ(c->plainParamToNormalized(112, 5.0), 0.0);
    EXPECT_NEAR(c->plainParamToNormalized(112, 30000.0), 1.0, 1e-15);

    const struct { ParamID id; double normalized; const char* text; } strings[] = {
        {100, 40.0 / 180.0, "60.0"}, {112, cutoff.defaultNormalizedValue, "12000"}, {112, 0.0, "20"},
        {112, 1.0, "18000"},         {179, 7.0 / 23.0, "Classic 2"},                {179, 1.0, "Dark Boom"},
        {118, 0.25, "Studio"},       {116, 1.0, "95.0000"},
    };
    for (const auto& s : strings) {
        String128 text{};
        ASSERT_EQ(c->getParamStringByValue(s.id, s.normalized, text), kResultOk);
        EXPECT_EQ(ascii(text), s.text) << s.id;
    }
}
