// Saving and restoring the sound through the bundle, as a host stores it with a project.
#include "GoldenDefaultState.h"
#include "HostedSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::vector<char> asChars(const std::vector<uint8_t>& b) { return std::vector<char>(b.begin(), b.end()); }

// The bytes a controller's parameters stand for, in the stream's order.
std::vector<char> encodeController(IEditController* c) {
    std::vector<float> values;
    for (uint32_t id : GoldenState::streamOrder())
        values.push_back(id == 0 ? 3.0f : id == 128 ? 0.0f : static_cast<float>(c->getParamNormalized(id)));
    return Hosted::floatsToBytes(values);
}

std::vector<float> distinctValues() {
    std::vector<float> v(161);
    for (int i = 0; i < 161; ++i) v[i] = static_cast<float>((i + 1) / 200.0);
    v[105] = 3.0f;
    v[28] = 1.0f;
    return v;
}

} // namespace

TEST(HostedState, DefaultStateIsTheGoldenVector) {
    auto host = Hosted::load();
    const auto state = host->getState();
    ASSERT_EQ(state.size(), 644u);
    const auto got = Hosted::bytesToFloats(state);
    const auto want = Hosted::bytesToFloats(asChars(GoldenState::defaultStateBytes()));
    const auto order = GoldenState::streamOrder();
    for (size_t i = 0; i < 161; ++i) EXPECT_EQ(got[i], want[i]) << "index " << i << " id " << order[i];
    EXPECT_EQ(state, asChars(GoldenState::defaultStateBytes()));
}

TEST(HostedState, AutomationReachesTheStoredState) {
    auto host = Hosted::load();
    host->queueParameter(101, 0, 0.3);  // Volume
    host->queueParameter(200, 10, 0.5); // Step 1 half
    host->setParameter(122, 0.75);      // Long Reverb Space, as a generic editor would
    host->process(512);
    const auto v = Hosted::bytesToFloats(host->getState());
    EXPECT_EQ(v[1], 0.3f);
    EXPECT_EQ(v[61], 0.5f);
    EXPECT_EQ(v[22], 0.75f);
}

TEST(HostedState, RoundTripProcessorToProcessorAndToControllerIsByteIdentical) {
    auto a = Hosted::load();
    const ParamID ids[] = {101, 112, 118, 130, 163, 179, 180, 181, 204, 300, 411, 440};
    for (size_t i = 0; i < std::size(ids); ++i) a->queueParameter(ids[i], 0, 0.1 + 0.07 * double(i));
    a->process(1024);
    const auto saved = a->getState();
    ASSERT_EQ(saved.size(), 644u);
    a.reset(); // the restoring host may as well be a later session

    auto b = Hosted::load(48000.0, 256);
    ASSERT_EQ(b->setState(saved), kResultOk);
    EXPECT_EQ(b->getState(), saved);
    EXPECT_EQ(encodeController(b->controller()), saved);
    b->process(256); // the restored values take effect in the render
    EXPECT_EQ(b->getState(), saved);
}

TEST(HostedState, TruncatedStreams) {
    const auto all = distinctValues();
    const int counts[] = {0, 76, 77, 104, 105, 160};
    for (int n : counts) {
        SCOPED_TRACE(n);
        auto host = Hosted::load();
        const auto before = Hosted::bytesToFloats(host->getState());
        std::vector<float> part(all.begin(), all.begin() + n);
        const tresult r = host->setState(Hosted::floatsToBytes(part));
        EXPECT_EQ(r, n >= 77 ? kResultOk : kResultFalse);
        // The controller is handed the same bytes by hosts that do not look at the answer.
        host->controller()->setComponentState(Hosted::streamOf(Hosted::floatsToBytes(part)));

        const auto after = Hosted::bytesToFloats(host->getState());
        const auto fromController = Hosted::bytesToFloats(encodeController(host->controller()));
        for (int i = 0; i < 161; ++i) {
            float expected = before[i];
            if (n >= 77) {
                if (i < n) expected = all[i];
                if (i == 28) expected = 0.0f;
                if (i == 103 || i == 104) expected = n > 105 ? all[i] : 0.0f;
                if (i == 105) expected = 3.0f;
            }
            EXPECT_EQ(after[i], expected) << "processor, index " << i;
            EXPECT_EQ(fromController[i], expected) << "controller, index " << i;
        }
    }
}

TEST(HostedState, WaveLayerWaveformFromOlderListsIsMigrated) {
    const struct { float stored; float expected; } cases[] = {
        {float(3.0 / 7), float(3.0 / 23)}, {1.0f, 1.0f}, {float(7.0 / 15), float(7.0 / 23)}, {0.5f, 0.5f},
    };
    for (const auto& c : cases) {
        auto host = Hosted::load();
        auto v = distinctValues();
        v[102] = c.stored;
        ASSERT_EQ(host->setState(Hosted::floatsToBytes(v)), kResultOk);
        EXPECT_EQ(Hosted::bytesToFloats(host->getState())[102], c.expected);
        EXPECT_EQ(static_cast<float>(host->controller()->getParamNormalized(179)), c.expected);
    }
}

TEST(HostedState, RandomBytesNeverCrashTheInstrument) {
    auto host = Hosted::load();
    std::mt19937 rng(644);
    for (int round = 0; round < 300; ++round) {
        std::vector<char> bytes(rng() % 700);
        for (auto& b : bytes) b = static_cast<char>(rng());
        host->setState(bytes);
        host->controller()->setComponentState(Hosted::streamOf(bytes));
        if (round % 30 == 0) {
            host->addNoteOn(0, 36, 1.0f);
            EXPECT_TRUE(Hosted::allFinite(host->process(2048))) << round;
        }
    }
    for (int32 i = 0; i < host->controller()->getParameterCount(); ++i) {
        ParameterInfo info{};
        host->controller()->getParameterInfo(i, info);
        const double v = host->controller()->getParamNormalized(info.id);
        EXPECT_TRUE(v >= 0.0 && v <= 1.0) << info.id;
    }
}
