// Loading a project as a host does: the processor's state and the controller's values it saved,
// and the first render after the load.
#include "GoldenDefaultState.h"
#include "HostedSupport.h"
#include "ParameterIds.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace TarnwellPlugin;

namespace {

using Hosted::TestHost;

constexpr double kRate = 44100.0;
constexpr int32 kBlock = 512;

// A sound far from the default one: rooms, kick, layers, filters, effects and output.
const std::map<ParamID, double> kProjectSound = {
    {kAmbienceType, 0.75},       {kAmbienceMix, 0.35},      {kLongReverbSpace, 0.25}, {kLongReverbMix, 0.5},
    {kLongReverbDecay, 0.3},     {kDelayMix, 0.3},          {kDelayTime, 0.1},        {kDelayFeedback, 0.5},
    {kKickTune, 0.4},            {kKickDecay, 0.5},         {kKickPitchDrop, 0.6},    {kKickDrive, 0.7},
    {kKickPunch, 0.5},           {kKickBodyWeight, 0.4},    {kKickTransient, 0.3},    {kKickTightness, 0.2},
    {kKickClickTone, 0.6},       {kKickFilterMode, 0.25},   {kKickFilterCutoff, 0.3}, {kKickCompression, 0.5},
    {k909SampleMix, 0.6},        {k909SampleDecay, 0.2},    {kWaveLayerWaveform, 5.0 / 23}, {kOscLayerMix, 0.4},
    {kOscLayerDecay, 0.3},       {kWaveform, 0.25},         {kFrequency, 0.2},        {kVolume, 0.6},
    {kFilterCutoff, 0.7},        {kFilterResonance, 0.4},   {kRumbleAmount, 0.5},     {kRumbleDecay, 0.2},
    {kFattenerEnable, 1.0},      {kFattenerAmount, 0.8},    {kOutputGain, 0.35},      {kExtendedMixKickDryReturn, 0.3},
};

// The amplitude envelope and the sub voice: their glides only settle while they run, and never to
// the last bit, so an instance that had them automated matches only to within rounding.
const std::map<ParamID, double> kGlidingExtras = {
    {kAttack, 0.02},          {kDecay, 0.4},          {kSustain, 0.5},         {kRelease, 0.6},
    {kSubGeneratorMix, 0.9},  {kSubGeneratorPitch, 0.6}, {kSubGeneratorDecay, 0.5}, {kSubGeneratorDrive, 0.4},
    {kSubGeneratorCompressor, 0.5}, {kSubGeneratorADSRSustain, 0.7},
};

// The stored values of a fresh instance with these changes, in the stream's order.
std::vector<float> streamWith(const std::vector<std::map<ParamID, double>>& changes) {
    auto fresh = Hosted::load(kRate, kBlock);
    std::vector<float> values = Hosted::bytesToFloats(fresh->getState());
    const auto order = GoldenState::streamOrder();
    for (const auto& set : changes)
        for (const auto& [id, v] : set)
            for (size_t i = 0; i < order.size(); ++i)
                if (order[i] == id) values[i] = static_cast<float>(v);
    return values;
}

// What a host does on its way to rendering: processing off, inactive, set up again, active.
void setUpAgain(TestHost& host) {
    host.processor()->setProcessing(false);
    host.componentPtr()->setActive(false);
    ProcessSetup setup{kOffline, kSample32, kBlock, kRate};
    ASSERT_EQ(host.processor()->setupProcessing(setup), kResultOk);
    ASSERT_EQ(host.componentPtr()->setActive(true), kResultOk);
    host.processor()->setProcessing(true);
}

// Plays the transport from the song start (the default pattern hits on every beat).
std::vector<std::vector<float>> renderFromTheStart(TestHost& host, int64_t samples) {
    host.transport().playing = true;
    host.transport().projectTimeMusic = 0.0;
    return host.process(samples).channels;
}

// Every stored value as a parameter change, as a host's automation would set it.
void setEveryValue(TestHost& host, const std::vector<float>& values) {
    const auto order = GoldenState::streamOrder();
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] != 0 && order[i] != kRenderWAV) host.setParameter(order[i], values[i]);
}

float largestDifference(const std::vector<std::vector<float>>& a, const std::vector<std::vector<float>>& b) {
    float d = 0.0f;
    for (size_t c = 0; c < a.size() && c < b.size(); ++c)
        for (size_t i = 0; i < a[c].size() && i < b[c].size(); ++i) d = std::fmax(d, std::fabs(a[c][i] - b[c][i]));
    return d;
}

template <typename Interface>
IPtr<Interface> createInitialized(TestHost& host, const char* category) {
    for (const auto& c : host.classes()) {
        if (c.category != category) continue;
        TUID cid;
        c.cid.toTUID(cid);
        void* obj = nullptr;
        if (host.pluginFactory()->createInstance(cid, Interface::iid, &obj) != kResultOk || !obj) return nullptr;
        auto object = owned(static_cast<Interface*>(obj));
        FUnknown* context = static_cast<IHostApplication*>(&host.hostApplication());
        if (object->initialize(context) != kResultOk) return nullptr;
        return object;
    }
    return nullptr;
}

} // namespace

TEST(HostedProjectLoad, ARestoredSoundPlaysItsFirstHitAsAnInstanceSetUpWithIt) {
    struct Case {
        const char* name;
        bool withGlidingExtras; // compared to within rounding, else bit for bit
        bool setUpAfterTheState; // else the state comes into the running, silent instance
    };
    const Case cases[] = {
        {"state, then set-up and activation", false, true},
        {"state into the running instance", false, false},
        {"with envelope and sub values, set up after", true, true},
        {"with envelope and sub values, running", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::map<ParamID, double>> changes = {kProjectSound};
        if (c.withGlidingExtras) changes.push_back(kGlidingExtras);
        const std::vector<float> stored = streamWith(changes);

        // The reference: the values set as automation in a silent block, every glide left to
        // settle (with a hit for the voices whose glides only run while they sound), then set up
        // and activated again, which puts voices, tails and ramps to rest at those values.
        auto reference = Hosted::load(kRate, kBlock);
        setEveryValue(*reference, stored);
        reference->process(kBlock);
        if (c.withGlidingExtras) reference->addNoteOn(0, 36, 1.0f);
        reference->process(static_cast<int64_t>(1.5 * kRate));
        setUpAgain(*reference);
        const auto expected = renderFromTheStart(*reference, static_cast<int64_t>(kRate));

        auto loaded = Hosted::load(kRate, kBlock);
        ASSERT_EQ(loaded->setState(Hosted::floatsToBytes(stored)), kResultOk);
        if (c.setUpAfterTheState) setUpAgain(*loaded);
        const auto got = renderFromTheStart(*loaded, static_cast<int64_t>(kRate));

        ASSERT_GT(Hosted::peak(loaded->output()), 0.05f); // the hits sound
        if (c.withGlidingExtras)
            EXPECT_LT(largestDifference(got, expected), 1e-6f);
        else
            EXPECT_EQ(got, expected);
    }
}

TEST(HostedProjectLoad, ARestoredSoundWhileAKickRingsFadesOverLikeAPresetChange) {
    // Without the dry return, which is added after the fade.
    const std::vector<float> stored = streamWith({kProjectSound, {{kExtendedMixKickDryReturn, 0.0}}});
    const auto before = static_cast<int64_t>(0.1 * kRate);
    const auto after = static_cast<int64_t>(0.2 * kRate);

    // The same values arriving as one block of parameter changes: a preset change, which clears
    // the delay and reverb tails and crossfades the output.
    auto preset = Hosted::load(kRate, kBlock);
    preset->addNoteOn(0, 36, 1.0f);
    const float held = preset->process(before).channels[0].back();
    setEveryValue(*preset, stored);
    const auto expected = preset->process(after).channels;

    auto restored = Hosted::load(kRate, kBlock);
    restored->addNoteOn(0, 36, 1.0f);
    ASSERT_EQ(restored->process(before).channels[0].back(), held);
    ASSERT_EQ(restored->setState(Hosted::floatsToBytes(stored)), kResultOk);
    const auto got = restored->process(after).channels;
    EXPECT_EQ(got, expected);

    // The last output fades out over the first third of 32 ms (470 samples), as a smoothstep.
    ASSERT_GT(std::fabs(held), 0.02f);
    for (int i = 0; i < 470; i += 47) {
        const double u = i / 470.0;
        EXPECT_NEAR(got[0][i], held * (1.0 - u * u * (3.0 - 2.0 * u)), 1e-5) << i;
    }
}

TEST(HostedProjectLoad, AFreshControllerShowsWhatAFreshProcessorStores) {
    TestHost host(BundleFixture::bundlePath());
    auto component = createInitialized<IComponent>(host, kVstAudioEffectClass);
    auto controller = createInitialized<IEditController>(host, kVstComponentControllerClass);
    ASSERT_TRUE(component && controller);

    auto stream = owned(new MemoryStream);
    ASSERT_EQ(component->getState(stream), kResultOk);
    int64 size = 0;
    stream->seek(0, IBStream::kIBSeekEnd, &size);
    std::vector<char> bytes(static_cast<size_t>(size));
    stream->seek(0, IBStream::kIBSeekSet, nullptr);
    int32 read = 0;
    stream->read(bytes.data(), static_cast<int32>(bytes.size()), &read);
    const auto stored = Hosted::bytesToFloats(bytes);
    const auto order = GoldenState::streamOrder();
    ASSERT_EQ(stored.size(), order.size());

    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] == 0) continue; // the marker
        EXPECT_EQ(static_cast<float>(controller->getParamNormalized(order[i])), stored[i]) << "id " << order[i];
    }
    // The four lists show the engine's entries; their defaults stay the first ones.
    for (ParamID id : {kAmbienceType, kLongReverbSpace, kOutputGateRate, kTailRhythmRate}) {
        for (int32 i = 0; i < controller->getParameterCount(); ++i) {
            ParameterInfo info{};
            controller->getParameterInfo(i, info);
            if (info.id == id) {
                EXPECT_EQ(info.defaultNormalizedValue, 0.0) << id;
            }
        }
        EXPECT_GT(controller->getParamNormalized(id), 0.0) << id;
    }
    controller->terminate();
    component->terminate();
}

TEST(HostedProjectLoad, SavingAndReopeningAnUntouchedProjectChangesNoParameter) {
    // Session one: fresh instances; the host saves the processor's state and the values its
    // controller shows (without handing the state to the controller first).
    TestHost first(BundleFixture::bundlePath());
    auto component = createInitialized<IComponent>(first, kVstAudioEffectClass);
    auto controller = createInitialized<IEditController>(first, kVstComponentControllerClass);
    ASSERT_TRUE(component && controller);
    auto stream = owned(new MemoryStream);
    ASSERT_EQ(component->getState(stream), kResultOk);
    const std::vector<char> savedState(stream->getData(), stream->getData() + stream->getSize());
    std::vector<std::pair<ParamID, ParamValue>> savedValues;
    for (int32 i = 0; i < controller->getParameterCount(); ++i) {
        ParameterInfo info{};
        controller->getParameterInfo(i, info);
        savedValues.emplace_back(info.id, controller->getParamNormalized(info.id));
    }
    controller->terminate();
    component->terminate();

    // Session two: new instances get the state, then the saved values, as automation.
    auto second = Hosted::load(kRate, kBlock);
    ASSERT_EQ(second->setState(savedState), kResultOk);
    for (const auto& [id, v] : savedValues) second->setParameter(id, v);
    second->process(kBlock);

    EXPECT_EQ(Hosted::bytesToFloats(second->getState()), Hosted::bytesToFloats(savedState));
    for (const auto& [id, v] : savedValues) EXPECT_EQ(second->controller()->getParamNormalized(id), v) << "id " << id;
}
