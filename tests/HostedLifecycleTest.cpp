// A host's life with the instrument: set-ups at its rates, activation cycles, sample sizes,
// several instances side by side, and playing from notes and from the transport.
#include "HostedSupport.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {
ProcessSetup setupAt(double rate, int32 sampleSize) {
    ProcessSetup s{};
    s.processMode = kRealtime;
    s.symbolicSampleSize = sampleSize;
    s.maxSamplesPerBlock = 512;
    s.sampleRate = rate;
    return s;
}
} // namespace

TEST(HostedLifecycle, SetUpAtTheUsualRatesAndPlay) {
    for (double rate : {44100.0, 48000.0, 96000.0}) {
        SCOPED_TRACE(rate);
        auto host = Hosted::load(rate, 512);
        host->addNoteOn(0, 36, 1.0f);
        const auto& out = host->process(static_cast<int64_t>(rate / 2));
        ASSERT_EQ(out.channels.size(), 2u);
        EXPECT_TRUE(Hosted::allFinite(out));
        EXPECT_GT(Hosted::peak(out), 0.01f);
    }
}

TEST(HostedLifecycle, InitializeAndTerminateRepeatedly) {
    Hosted::TestHost host(BundleFixture::bundlePath());
    for (int round = 0; round < 4; ++round) {
        host.setup(round % 2 ? 48000.0 : 44100.0, 256);
        host.addNoteOn(0, 36, 1.0f);
        EXPECT_GT(Hosted::peak(host.process(4096)), 0.01f) << round;
        host.teardown();
        EXPECT_FALSE(host.isSetUp());
    }
}

TEST(HostedLifecycle, ActivationCyclesKeepPlaying) {
    auto host = Hosted::load(44100.0, 512);
    IComponent* component = host->componentPtr();
    IAudioProcessor* processor = host->processor();
    for (int cycle = 0; cycle < 5; ++cycle) {
        ASSERT_EQ(processor->setProcessing(false), kNotImplemented); // the SDK default; hosts ignore it
        ASSERT_EQ(component->setActive(false), kResultOk);
        ProcessSetup setup = setupAt(cycle % 2 ? 48000.0 : 44100.0, kSample32);
        ASSERT_EQ(processor->setupProcessing(setup), kResultOk);
        ASSERT_EQ(component->setActive(true), kResultOk);
        processor->setProcessing(true);
        host->addNoteOn(0, 36, 1.0f);
        const auto& out = host->process(4096);
        EXPECT_TRUE(Hosted::allFinite(out)) << cycle;
        EXPECT_GT(Hosted::peak(out), 0.01f) << cycle;
    }
}

TEST(HostedLifecycle, SixtyFourBitSamplesAreRefused) {
    auto host = Hosted::load(44100.0, 512);
    IAudioProcessor* processor = host->processor();
    EXPECT_EQ(processor->canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(processor->canProcessSampleSize(kSample64), kResultFalse);
    ASSERT_EQ(host->componentPtr()->setActive(false), kResultOk);
    ProcessSetup wide = setupAt(44100.0, kSample64);
    EXPECT_EQ(processor->setupProcessing(wide), kResultFalse);
    ProcessSetup normal = setupAt(44100.0, kSample32);
    EXPECT_EQ(processor->setupProcessing(normal), kResultOk);
    ASSERT_EQ(host->componentPtr()->setActive(true), kResultOk);
    host->addNoteOn(0, 36, 1.0f);
    EXPECT_GT(Hosted::peak(host->process(2048)), 0.01f);
}

TEST(HostedLifecycle, InstancesSideBySideRenderIdenticalOutputForIdenticalInput) {
    auto a = Hosted::load(48000.0, 256);
    auto b = Hosted::load(48000.0, 256);
    for (auto* host : {a.get(), b.get()}) {
        host->transport().playing = true;
        host->transport().tempo = 128.0;
        host->addNoteOn(100, 36, 0.9f);
        host->queueParameter(136, 0, 0.8);  // Rumble Decay
        host->queueParameter(179, 0, 0.5);  // Wave Layer Waveform
        host->queueParameter(176, 0, 0.6);  // 909 Sample Mix
    }
    // Interleaved block by block, so state shared between instances would show.
    float loudest = 0.0f;
    for (int block = 0; block < 400; ++block) {
        const auto first = a->process(256).channels;
        loudest = std::fmax(loudest, Hosted::peak(a->output()));
        ASSERT_EQ(b->process(256).channels, first) << "block " << block;
    }
    EXPECT_GT(loudest, 0.01f);
    // The module's one factory keeps the host context of the host that set up last; that host
    // must go last (a test host's context dies with it).
    a.reset();
    b.reset();
}

TEST(HostedLifecycle, PlaysFromNotesAndFromTheTransport) {
    {
        auto idle = Hosted::load();
        EXPECT_LT(Hosted::peak(idle->process(44100)), 1e-6f) << "no notes, transport stopped";
    }
    {
        auto notes = Hosted::load();
        notes->addNoteOn(0, 36, 1.0f);
        notes->addNoteOff(20000, 36);
        EXPECT_GT(Hosted::peak(notes->process(44100)), 0.01f) << "a note";
    }
    {
        auto transport = Hosted::load();
        transport->transport().playing = true;
        EXPECT_GT(Hosted::peak(transport->process(44100)), 0.01f) << "the sequencer following the host";
    }
    {
        auto off = Hosted::load();
        off->transport().playing = true;
        off->queueParameter(440, 0, 0.0); // Sequencer Enabled off
        EXPECT_LT(Hosted::peak(off->process(44100)), 1e-6f) << "sequencer off, no notes";
    }
}
