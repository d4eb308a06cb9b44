#include "ThudderController.h"
#include "VisualizationMessage.h"

#include "public.sdk/source/vst/hosting/hostclasses.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace TarnwellPlugin;
using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

struct Controller {
    IPtr<ThudderController> c = owned(new ThudderController);
    Controller() { EXPECT_EQ(c->initialize(nullptr), kResultOk); }
    ~Controller() { c->terminate(); }
};

IPtr<IMessage> message(const char* id) {
    auto m = owned(static_cast<IMessage*>(new HostMessage));
    if (id) m->setMessageID(id);
    return m;
}

IPtr<IMessage> visualization(float fill, uint32 waveformBytes, bool withTempo = true, int64 triggers = 7) {
    auto m = message(kVisualizationMessageId);
    IAttributeList* a = m->getAttributes();
    a->setFloat(kAttrPeakLeft, 0.25);
    a->setFloat(kAttrPeakRight, 0.5);
    if (withTempo) a->setFloat(kAttrTempo, 140.0);
    a->setFloat(kAttrCompressionReductionDb, -3.5);
    a->setInt(kAttrTriggerCount, triggers);
    std::vector<float> points(waveformBytes / 4 + 1, fill);
    if (waveformBytes) a->setBinary(kAttrWaveform, points.data(), waveformBytes);
    return m;
}

} // namespace

TEST(VisualizationPublishing, MessageFillsTheRecordAndAdvancesTheCounterByTwo) {
    Controller ctl;
    auto& record = ctl.c->visualizationSnapshot();
    EXPECT_EQ(record.sequence.load(), 0u);
    EXPECT_EQ(record.tempo.load(), 128.0f);
    EXPECT_EQ(ctl.c->notify(visualization(0.75f, 512)), kResultOk);
    EXPECT_EQ(record.sequence.load(), 2u);
    EXPECT_EQ(record.peakLeft.load(), 0.25f);
    EXPECT_EQ(record.peakRight.load(), 0.5f);
    EXPECT_EQ(record.tempo.load(), 140.0f);
    EXPECT_EQ(record.compressionReductionDb.load(), -3.5f);
    EXPECT_EQ(record.triggerCount.load(), 7u);
    EXPECT_EQ(record.waveformCount.load(), 128u);
    for (const auto& p : record.waveform) EXPECT_EQ(p.load(), 0.75f);
    EXPECT_EQ(record.reductionDb(), -3.5f);
}

TEST(VisualizationPublishing, ShortAndLongWaveforms) {
    Controller ctl;
    auto& record = ctl.c->visualizationSnapshot();
    ASSERT_EQ(ctl.c->notify(visualization(1.0f, 512)), kResultOk);
    ASSERT_EQ(ctl.c->notify(visualization(0.5f, 256)), kResultOk);
    EXPECT_EQ(record.waveformCount.load(), 64u);
    for (int i = 0; i < 128; ++i) EXPECT_EQ(record.waveform[i].load(), i < 64 ? 0.5f : 1.0f) << i;
    ASSERT_EQ(ctl.c->notify(visualization(0.25f, 1024)), kResultOk);
    EXPECT_EQ(record.waveformCount.load(), 128u);
    for (int i = 0; i < 128; ++i) EXPECT_EQ(record.waveform[i].load(), 0.25f) << i;
}

TEST(VisualizationPublishing, MissingTempoAndNegativeTriggerCount) {
    Controller ctl;
    ASSERT_EQ(ctl.c->notify(visualization(0.0f, 512, false, -5)), kResultOk);
    EXPECT_EQ(ctl.c->visualizationSnapshot().tempo.load(), 128.0f);
    EXPECT_EQ(ctl.c->visualizationSnapshot().triggerCount.load(), 0u);
}

TEST(VisualizationPublishing, OtherMessagesChangeNothing) {
    Controller ctl;
    const auto& record = ctl.c->visualizationSnapshot();
    EXPECT_EQ(ctl.c->receiveVisualizationMessage(nullptr), kResultFalse);
    EXPECT_EQ(ctl.c->receiveVisualizationMessage(message(nullptr)), kResultFalse);
    EXPECT_EQ(ctl.c->receiveVisualizationMessage(message("Grundmoor.Visualisation")), kResultFalse);
    EXPECT_EQ(ctl.c->receiveVisualizationMessage(visualization(1.0f, 0)), kResultFalse); // no waveform
    EXPECT_NE(ctl.c->notify(visualization(1.0f, 0)), kResultOk);                          // goes to the base
    EXPECT_EQ(record.sequence.load(), 0u);
    EXPECT_EQ(record.peakLeft.load(), 0.0f);
}

TEST(VisualizationPublishing, EachControllerHasItsOwnRecord) {
    Controller a, b;
    ASSERT_EQ(a.c->notify(visualization(0.9f, 512)), kResultOk);
    EXPECT_EQ(b.c->visualizationSnapshot().sequence.load(), 0u);
    EXPECT_EQ(b.c->visualizationSnapshot().waveform[0].load(), 0.0f);
    EXPECT_NE(&a.c->visualizationSnapshot(), &b.c->visualizationSnapshot());
}

TEST(VisualizationReading, CopyOnlyWhenChangedAndEven) {
    SharedVisualizationSnapshot record;
    VisualizationSnapshotCopy copy;
    uint64_t last = 0;
    EXPECT_FALSE(record.tryCopy(copy, last)); // nothing published yet
    const float points[3] = {0.1f, 0.2f, 0.3f};
    ASSERT_TRUE(record.publish(0.5f, 0.6f, 120.0f, -1.0f, 3, points, 3));
    ASSERT_TRUE(record.tryCopy(copy, last));
    EXPECT_EQ(last, 2u);
    EXPECT_EQ(copy.waveformCount, 3u);
    EXPECT_EQ(copy.waveform[2], 0.3f);
    EXPECT_EQ(copy.tempo, 120.0f);
    EXPECT_FALSE(record.tryCopy(copy, last)); // unchanged since the last copy
    record.sequence.store(3);                 // a publication in progress
    EXPECT_FALSE(record.tryCopy(copy, last));
    EXPECT_FALSE(record.publish(0, 0, 0, 0, 0, points, 3)); // a second publisher backs off
    record.sequence.store(4);
    EXPECT_TRUE(record.tryCopy(copy, last));
}

// A publisher and a reader on two threads: every copy the reader keeps must be one publication,
// never a mix of two. Fixed iteration counts, no timing.
TEST(VisualizationReading, ConcurrentReaderNeverKeepsATornCopy) {
    SharedVisualizationSnapshot record;
    constexpr int kPublications = 20000;
    std::atomic<bool> done{false};
    std::thread publisher([&] {
        float points[128];
        for (int n = 1; n <= kPublications; ++n) {
            const float v = static_cast<float>(n);
            for (float& p : points) p = v;
            record.publish(v, v, v, v, static_cast<uint64_t>(n), points, 128);
        }
        done.store(true);
    });
    int kept = 0;
    uint64_t last = 0;
    VisualizationSnapshotCopy copy;
    while (!done.load() || kept == 0) {
        if (!record.tryCopy(copy, last)) continue;
        ++kept;
        const float v = copy.peakLeft;
        ASSERT_EQ(copy.peakRight, v);
        ASSERT_EQ(copy.tempo, v);
        ASSERT_EQ(copy.compressionReductionDb, v);
        ASSERT_EQ(copy.triggerCount, static_cast<uint64_t>(v));
        for (float p : copy.waveform) ASSERT_EQ(p, v);
        ASSERT_EQ(copy.sequence % 2, 0u);
    }
    publisher.join();
    EXPECT_GT(kept, 0);
}

TEST(ThudderControllerInterfaces, AnswersItsInterfacesButNoUnitInfo) {
    Controller ctl;
    void* obj = nullptr;
    const FUID* answered[] = {&IEditController::iid, &IEditController2::iid, &IPluginBase::iid,
                              &IConnectionPoint::iid, &FUnknown::iid};
    for (const FUID* iid : answered) {
        obj = nullptr;
        EXPECT_EQ(ctl.c->queryInterface(*iid, &obj), kResultOk);
        ASSERT_NE(obj, nullptr);
        static_cast<FUnknown*>(obj)->release();
    }
    obj = reinterpret_cast<void*>(1);
    EXPECT_EQ(ctl.c->queryInterface(IUnitInfo::iid, &obj), kNoInterface);
    EXPECT_EQ(obj, nullptr);
}

namespace {
ThudderController* editorMakerCalledFor = nullptr;
IPlugView* fakeEditorMaker(ThudderController& controller) {
    editorMakerCalledFor = &controller;
    return reinterpret_cast<IPlugView*>(&editorMakerCalledFor); // never used as a view
}
} // namespace

TEST(ThudderControllerInterfaces, StateCallsAndViews) {
    Controller ctl;
    EXPECT_EQ(ctl.c->setState(nullptr), kResultOk);
    EXPECT_EQ(ctl.c->getState(nullptr), kResultOk);

    // Only the exact view name "editor" reaches the installed maker, with this controller.
    setEditorViewMaker(&fakeEditorMaker);
    EXPECT_EQ(ctl.c->createView("Editor"), nullptr);
    EXPECT_EQ(ctl.c->createView(nullptr), nullptr);
    EXPECT_EQ(editorMakerCalledFor, nullptr);
    EXPECT_EQ(ctl.c->createView("editor"), reinterpret_cast<IPlugView*>(&editorMakerCalledFor));
    EXPECT_EQ(editorMakerCalledFor, ctl.c.get());
    setEditorViewMaker(nullptr);
    EXPECT_EQ(ctl.c->createView("editor"), nullptr);
}
