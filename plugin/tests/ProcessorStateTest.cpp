#include "ParameterTable.h"
#include "ProcessorState.h"
#include "SoundEngine.h"
#include "SoundEngineImpl.h"
#include "StreamHelpers.h"
#include "ThudderController.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>

using namespace TarnwellPlugin;
using namespace TarnwellPlugin::TestSupport;
using Steinberg::kResultFalse;
using Steinberg::kResultOk;

namespace {

// A stream whose every value is distinct and off the old waveform grids, marker in place.
std::vector<float> distinctStateValues() {
    std::vector<float> v(kStateValueCount);
    for (int i = 0; i < kStateValueCount; ++i) v[i] = static_cast<float>((i + 1) / 200.0);
    v[kStateMarkerIndex] = 3.0f;
    v[kStateRenderWavIndex] = 1.0f; // a stored "Render WAV" press must never come back
    return v;
}

std::map<uint32_t, double> engineValues(const SoundEngine& e) {
    std::map<uint32_t, double> m;
    for (const auto& p : kParameterTable)
        if (ParameterBlock::holds(p.id)) m[p.id] = e.parameters().raw(p.id);
    return m;
}

struct ControllerFixture {
    Steinberg::IPtr<ThudderController> controller = Steinberg::owned(new ThudderController);
    ControllerFixture() { EXPECT_EQ(controller->initialize(nullptr), kResultOk); }
    ~ControllerFixture() { controller->terminate(); }
    std::map<uint32_t, double> values() const {
        std::map<uint32_t, double> m;
        for (const auto& p : kParameterTable)
            if (p.id != kSaveCurrentPreset) m[p.id] = controller->getParamNormalized(p.id);
        return m;
    }
};

// What a reader must hold after reading the first n values of distinctStateValues().
std::map<uint32_t, double> expectedAfter(int n, const std::map<uint32_t, double>& before) {
    if (n < kMandatoryStateValues) return before; // a refused stream changes nothing
    const std::vector<float> v = distinctStateValues();
    std::map<uint32_t, double> m = before;
    for (int i = 0; i < kStateValueCount && i < n; ++i)
        if (i != kStateMarkerIndex) m[kStateOrder[i]] = v[i];
    m[kRenderWAV] = 0.0;
    const bool marker = n > kStateMarkerIndex;
    m[kWaveLayerDelay] = marker ? double(v[103]) : 0.0;
    m[kOscLayerDelay] = marker ? double(v[104]) : 0.0;
    return m;
}

} // namespace

TEST(ProcessorStateOrder, CoversEveryStoredParameterOnceAroundTheMarker) {
    std::map<uint32_t, int> seen;
    for (int i = 0; i < kStateValueCount; ++i) seen[kStateOrder[i]]++;
    EXPECT_EQ(seen[kStateMarkerSlot], 1);
    for (const auto& p : kParameterTable) EXPECT_EQ(seen[p.id], p.id == kSaveCurrentPreset ? 0 : 1) << p.id;
    // Spot checks of the leading block, which is not sorted by id.
    EXPECT_EQ(kStateOrder[39], 139u);
    EXPECT_EQ(kStateOrder[40], 143u);
    EXPECT_EQ(kStateOrder[44], 140u);
    EXPECT_EQ(kStateOrder[47], 147u);
    EXPECT_EQ(kStateOrder[53], 300u);
    EXPECT_EQ(kStateOrder[61], 200u);
    EXPECT_EQ(kStateOrder[77], 154u);
    EXPECT_EQ(kStateOrder[78], 155u);
    EXPECT_EQ(kStateOrder[106], 182u);
    EXPECT_EQ(kStateOrder[133], 411u);
    EXPECT_EQ(kStateOrder[134], 412u);
    EXPECT_EQ(kStateOrder[140], 420u);
    EXPECT_EQ(kStateOrder[156], 436u);
}

TEST(ProcessorState, WriterGives644BytesWithRenderWavZeroAndMarker) {
    SoundEngine engine;
    engine.parameters().store(kRenderWAV, 1.0);
    auto stream = Steinberg::owned(new Steinberg::MemoryStream);
    ASSERT_EQ(engine.writeState(stream), kResultOk);
    const auto values = floatsFromLittleEndian(contentsOf(*stream));
    ASSERT_EQ(contentsOf(*stream).size(), 644u);
    EXPECT_EQ(values[28], 0.0f);
    EXPECT_EQ(values[105], 3.0f);
    for (int i = 0; i < kStateValueCount; ++i) {
        if (i != 28 && i != 105) {
            EXPECT_EQ(values[i], float(engine.parameters().raw(kStateOrder[i]))) << i;
        }
    }
}

TEST(ProcessorState, WriterReportsAStreamThatTakesTooLittle) {
    SoundEngine engine;
    auto shortStream = Steinberg::owned(new ShortStream(100));
    EXPECT_EQ(engine.writeState(shortStream), kResultFalse);
    EXPECT_EQ(engine.writeState(nullptr), kResultFalse);
}

TEST(ProcessorState, NullStreamIsRefusedByBothReaders) {
    SoundEngine engine;
    EXPECT_EQ(engine.readState(nullptr), kResultFalse);
    ControllerFixture c;
    EXPECT_EQ(c.controller->setComponentState(nullptr), kResultFalse);
}

TEST(ProcessorState, TruncatedStreamsInTheEngine) {
    const struct { int values; Steinberg::tresult result; } cases[] = {
        {0, kResultFalse}, {1, kResultFalse}, {76, kResultFalse}, {77, kResultOk}, {104, kResultOk},
        {105, kResultOk},  {106, kResultOk},  {160, kResultOk},   {161, kResultOk},
    };
    const auto all = distinctStateValues();
    for (const auto& c : cases) {
        SoundEngine engine;
        engine.parameters().store(kRenderWAV, 1.0);
        engine.parameters().store(kWaveLayerDelay, 0.75);
        const auto before = engineValues(engine);
        std::vector<float> part(all.begin(), all.begin() + c.values);
        EXPECT_EQ(engine.readState(streamOf(littleEndianFloats(part))), c.result) << c.values;
        const auto expected = expectedAfter(c.values, before);
        for (const auto& [id, value] : engineValues(engine))
            EXPECT_EQ(value, expected.at(id)) << "values " << c.values << " id " << id;
    }
}

TEST(ProcessorState, TruncatedStreamsInTheController) {
    const int counts[] = {0, 76, 77, 104, 105, 106, 160, 161};
    const auto all = distinctStateValues();
    for (int n : counts) {
        ControllerFixture c;
        c.controller->setParamNormalized(kWaveLayerDelay, 0.75);
        const auto before = c.values();
        std::vector<float> part(all.begin(), all.begin() + n);
        EXPECT_EQ(c.controller->setComponentState(streamOf(littleEndianFloats(part))),
                  n >= 77 ? kResultOk : kResultFalse);
        const auto expected = expectedAfter(n, before);
        for (const auto& [id, value] : c.values()) EXPECT_EQ(value, expected.at(id)) << "values " << n << " id " << id;
    }
}

TEST(ProcessorState, StreamHandedOutInSmallPiecesReadsLikeOneBlock) {
    SoundEngine engine;
    auto stream = Steinberg::owned(new TricklingStream(littleEndianFloats(distinctStateValues())));
    ASSERT_EQ(engine.readState(stream), kResultOk);
    const auto expected = expectedAfter(161, engineValues(engine));
    for (const auto& [id, value] : engineValues(engine)) EXPECT_EQ(value, expected.at(id)) << id;
}

TEST(ProcessorState, MarkerMustBeExactlyThree) {
    const struct { float marker; bool taken; } cases[] = {
        {3.0f, true}, {2.0f, false}, {std::nextafter(3.0f, 4.0f), false}, {0.0f, false},
        {std::numeric_limits<float>::quiet_NaN(), false},
    };
    for (const auto& c : cases) {
        auto v = distinctStateValues();
        v[kStateMarkerIndex] = c.marker;
        SoundEngine engine;
        ASSERT_EQ(engine.readState(streamOf(littleEndianFloats(v))), kResultOk);
        EXPECT_EQ(engine.parameters().raw(kWaveLayerDelay), c.taken ? double(v[103]) : 0.0) << c.marker;
        EXPECT_EQ(engine.parameters().raw(kOscLayerDelay), c.taken ? double(v[104]) : 0.0) << c.marker;
        ControllerFixture ctl;
        ASSERT_EQ(ctl.controller->setComponentState(streamOf(littleEndianFloats(v))), kResultOk);
        EXPECT_EQ(ctl.controller->getParamNormalized(kWaveLayerDelay), c.taken ? double(v[103]) : 0.0);
        EXPECT_EQ(ctl.controller->getParamNormalized(kOscLayerDelay), c.taken ? double(v[104]) : 0.0);
    }
}

TEST(ProcessorState, NonFiniteValuesBecomeTheParameterDefault) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct { int index; float stored; double expected; } cases[] = {
        {1, nan, 0.8},                  // Volume 80 %
        {12, inf, 0.9403937698096758},  // Filter Cutoff 12 kHz on the log scale
        {12, -inf, 0.9403937698096758},
        {102, nan, 0.0},                // Wave Layer Waveform: its default, not the migration's NaN answer
        {103, nan, 0.0},                // Wave Layer Delay (marker present)
        {160, nan, 1.0},                // Sequencer Enabled on
    };
    for (const auto& c : cases) {
        auto v = distinctStateValues();
        v[c.index] = c.stored;
        SoundEngine engine;
        ASSERT_EQ(engine.readState(streamOf(littleEndianFloats(v))), kResultOk);
        EXPECT_NEAR(engine.parameters().raw(kStateOrder[c.index]), c.expected, 1e-15) << c.index;
        ControllerFixture ctl;
        ASSERT_EQ(ctl.controller->setComponentState(streamOf(littleEndianFloats(v))), kResultOk);
        EXPECT_NEAR(ctl.controller->getParamNormalized(kStateOrder[c.index]), c.expected, 1e-15) << c.index;
    }
}

TEST(ProcessorState, WaveLayerWaveformMigratesThroughBothReaders) {
    const struct { double stored; double expected; } cases[] = {
        {3.0 / 7, 3.0 / 23}, {1.0, 1.0}, {7.0 / 15, 7.0 / 23}, {15.0 / 15, 1.0}, {0.5, 0.5}, {1.0 / 7, 1.0 / 23},
        {6.0 / 7, 6.0 / 23}, {14.0 / 15, 14.0 / 23}, {0.0, 0.0}, {7.0 / 23, 7.0 / 23},
    };
    for (const auto& c : cases) {
        auto v = distinctStateValues();
        v[102] = static_cast<float>(c.stored);
        SoundEngine engine;
        ASSERT_EQ(engine.readState(streamOf(littleEndianFloats(v))), kResultOk);
        // The migration works on the stored float, so a value left alone stays that float.
        const double want = c.expected == c.stored ? double(float(c.stored)) : c.expected;
        EXPECT_NEAR(engine.parameters().raw(kWaveLayerWaveform), want, 1e-12) << c.stored;
        ControllerFixture ctl;
        ASSERT_EQ(ctl.controller->setComponentState(streamOf(littleEndianFloats(v))), kResultOk);
        EXPECT_NEAR(ctl.controller->getParamNormalized(kWaveLayerWaveform), want, 1e-12) << c.stored;
    }
}

TEST(WaveLayerWaveformMigration, Table) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct { double in; double out; } cases[] = {
        {3.0 / 7, 3.0 / 23},   {1.0, 1.0},  {7.0 / 15, 7.0 / 23}, {15.0 / 15, 1.0}, {0.5, 0.5},
        {0.0, 0.0},            {2.0 / 7, 2.0 / 23}, {4.0 / 15, 4.0 / 23}, {1.0 / 15, 1.0 / 23},
        {3.0 / 7 + 5e-7, 3.0 / 23}, {3.0 / 7 + 2e-6, 3.0 / 7 + 2e-6},
        {-0.5, 0.0},           {1.5, 1.0},  {nan, 1.0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(migrateWaveLayerWaveformValue(c.in), c.out) << c.in;
    // Current values k/23 are not on either older grid (but 0 and 1) and pass unchanged.
    for (int k = 0; k <= 23; ++k) EXPECT_DOUBLE_EQ(migrateWaveLayerWaveformValue(k / 23.0), k / 23.0) << k;
}

TEST(ProcessorState, RoundTripEngineToEngineAndToControllerIsByteIdentical) {
    SoundEngine first;
    ASSERT_EQ(first.readState(streamOf(littleEndianFloats(distinctStateValues()))), kResultOk);
    auto saved = Steinberg::owned(new Steinberg::MemoryStream);
    ASSERT_EQ(first.writeState(saved), kResultOk);
    const auto bytes = contentsOf(*saved);

    SoundEngine second;
    ASSERT_EQ(second.readState(streamOf(bytes)), kResultOk);
    auto again = Steinberg::owned(new Steinberg::MemoryStream);
    ASSERT_EQ(second.writeState(again), kResultOk);
    EXPECT_EQ(contentsOf(*again), bytes);

    ControllerFixture ctl;
    ASSERT_EQ(ctl.controller->setComponentState(streamOf(bytes)), kResultOk);
    auto fromController = Steinberg::owned(new Steinberg::MemoryStream);
    ASSERT_EQ(encodeProcessorState(fromController, [&](uint32_t id) { return ctl.controller->getParamNormalized(id); }),
              kResultOk);
    EXPECT_EQ(contentsOf(*fromController), bytes);
}

TEST(ProcessorState, RandomBytesNeverCrashAndLeaveValuesFinite) {
    std::mt19937 rng(20261210);
    ControllerFixture ctl;
    SoundEngine engine;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes(rng() % 700);
        for (auto& b : bytes) b = static_cast<uint8_t>(rng());
        const auto r = engine.readState(streamOf(bytes));
        EXPECT_EQ(r, bytes.size() >= 308 ? kResultOk : kResultFalse);
        ctl.controller->setComponentState(streamOf(bytes));
    }
    for (const auto& [id, value] : engineValues(engine)) EXPECT_TRUE(std::isfinite(value)) << id;
    for (const auto& [id, value] : ctl.values()) {
        EXPECT_GE(value, 0.0) << id;
        EXPECT_LE(value, 1.0) << id;
    }
    EXPECT_EQ(engine.parameters().raw(kRenderWAV), 0.0);
}

#include "../../tests/GoldenDefaultState.h"

TEST(ProcessorState, FreshEngineWritesTheGoldenDefaultState) {
    const auto golden = GoldenState::defaultStateBytes();
    ASSERT_EQ(golden.size(), 644u);
    SoundEngine engine;
    auto stream = Steinberg::owned(new Steinberg::MemoryStream);
    ASSERT_EQ(engine.writeState(stream), kResultOk);
    const auto bytes = contentsOf(*stream);
    ASSERT_EQ(bytes.size(), 644u);
    const auto got = floatsFromLittleEndian(bytes);
    const auto want = floatsFromLittleEndian(golden);
    for (int i = 0; i < kStateValueCount; ++i) EXPECT_EQ(got[i], want[i]) << "index " << i << " id " << kStateOrder[i];
    EXPECT_EQ(bytes, golden);
}

TEST(ProcessorState, RestoringAnotherSoundFadesOverLikeAPresetWhileItSoundsAndAppliesAtOnceInSilence) {
    auto renderBlock = [](SoundEngine& engine) {
        float l[64], r[64];
        float* channels[2] = {l, r};
        Steinberg::Vst::AudioBusBuffers bus{};
        bus.numChannels = 2;
        bus.channelBuffers32 = channels;
        Steinberg::Vst::ProcessData data{};
        data.numSamples = 64;
        data.numOutputs = 1;
        data.outputs = &bus;
        engine.process(data);
    };
    SoundEngine engine;
    engine.prepare(44100.0);
    engine.reset();
    renderBlock(engine);
    auto same = Steinberg::owned(new Steinberg::MemoryStream);
    ASSERT_EQ(engine.writeState(same), kResultOk);
    ASSERT_EQ(engine.readState(streamOf(contentsOf(*same))), kResultOk);
    renderBlock(engine);
    EXPECT_FALSE(engine.impl().outputDeclicker.running());

    // Nothing sounds: another sound takes over at once, its ramps already at their values.
    ASSERT_EQ(engine.readState(streamOf(littleEndianFloats(distinctStateValues()))), kResultOk);
    renderBlock(engine);
    EXPECT_FALSE(engine.impl().outputDeclicker.running());
    EXPECT_EQ(engine.impl().ramps[kRampVolume].current, engine.parameters().value(kVolume));

    // A kick sounds (the free-running sequencer plays step 1 at once): the default sound comes
    // back like a preset, faded over.
    engine.parameters().store(kManualTempo, 1.0);
    engine.parameters().store(kStep1, 1.0);
    renderBlock(engine);
    ASSERT_TRUE(engine.impl().kick.active);
    ASSERT_EQ(engine.readState(streamOf(contentsOf(*same))), kResultOk);
    renderBlock(engine);
    EXPECT_TRUE(engine.impl().outputDeclicker.running());
}
