#pragma once

// A minimal in-process host for driving SoundEngine directly: parameter queues, note events,
// a process context and stereo output buffers.

#include "SoundEngine.h"
#include "SoundEngineImpl.h"

#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace TarnwellPlugin::Testing {

using namespace Steinberg;
using namespace Steinberg::Vst;

class ValueQueue : public IParamValueQueue {
public:
    explicit ValueQueue(ParamID id) : id_(id) {}
    ParamID PLUGIN_API getParameterId() override { return id_; }
    int32 PLUGIN_API getPointCount() override { return static_cast<int32>(points_.size()); }
    tresult PLUGIN_API getPoint(int32 index, int32& offset, ParamValue& value) override {
        if (index < 0 || index >= getPointCount()) return kResultFalse;
        offset = points_[index].first;
        value = points_[index].second;
        return kResultOk;
    }
    tresult PLUGIN_API addPoint(int32 offset, ParamValue value, int32& index) override {
        points_.emplace_back(offset, value);
        index = getPointCount() - 1;
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

private:
    ParamID id_;
    std::vector<std::pair<int32, ParamValue>> points_;
};

class ParameterChanges : public IParameterChanges {
public:
    int32 PLUGIN_API getParameterCount() override { return static_cast<int32>(queues_.size()); }
    IParamValueQueue* PLUGIN_API getParameterData(int32 index) override {
        return index >= 0 && index < getParameterCount() ? &queues_[index] : nullptr;
    }
    IParamValueQueue* PLUGIN_API addParameterData(const ParamID& id, int32& index) override {
        queues_.emplace_back(id);
        index = getParameterCount() - 1;
        return &queues_.back();
    }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    void add(ParamID id, ParamValue value, int32 offset = 0) {
        int32 index = 0;
        queues_.reserve(256);
        addParameterData(id, index)->addPoint(offset, value, index);
    }
    void clear() { queues_.clear(); }

private:
    std::vector<ValueQueue> queues_;
};

class EventList : public IEventList {
public:
    int32 PLUGIN_API getEventCount() override { return static_cast<int32>(events_.size()); }
    tresult PLUGIN_API getEvent(int32 index, Event& e) override {
        if (index < 0 || index >= getEventCount()) return kResultFalse;
        e = events_[index];
        return kResultOk;
    }
    tresult PLUGIN_API addEvent(Event& e) override {
        events_.push_back(e);
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID, void**) override { return kNoInterface; }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    void noteOn(int32 offset, float velocity) {
        Event e{};
        e.type = Event::kNoteOnEvent;
        e.sampleOffset = offset;
        e.noteOn.pitch = 36;
        e.noteOn.velocity = velocity;
        events_.push_back(e);
    }
    void noteOff(int32 offset) {
        Event e{};
        e.type = Event::kNoteOffEvent;
        e.sampleOffset = offset;
        e.noteOff.pitch = 36;
        events_.push_back(e);
    }
    void clear() { events_.clear(); }

private:
    std::vector<Event> events_;
};

// Renders blocks into stereo buffers; the context and the lists are cleared after each block.
struct EngineRig {
    SoundEngine engine;
    ParameterChanges changes;
    EventList events;
    ProcessContext context{};
    bool withContext = false;
    std::vector<float> left, right;
    double startPosition = 0.0;
    int64_t samplesPlayed = 0;

    explicit EngineRig(double sampleRate = 44100.0) {
        context.sampleRate = sampleRate;
        engine.prepare(sampleRate);
        engine.reset();
    }

    // Host transport playing at the given tempo from the given position.
    void play(double tempo, double positionQuarters = 0.0) {
        withContext = true;
        context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid | ProcessContext::kProjectTimeMusicValid;
        context.tempo = tempo;
        context.projectTimeMusic = positionQuarters;
        startPosition = positionQuarters;
        samplesPlayed = 0;
    }
    void stop() { context.state &= ~ProcessContext::kPlaying; }

    // Renders n samples and appends them to left/right; the musical position advances.
    void render(int32 n) {
        std::vector<float> l(static_cast<size_t>(n)), r(static_cast<size_t>(n));
        float* channels[2] = {l.data(), r.data()};
        AudioBusBuffers out{};
        out.numChannels = 2;
        out.channelBuffers32 = channels;
        ProcessData data{};
        data.processMode = kRealtime;
        data.symbolicSampleSize = kSample32;
        data.numSamples = n;
        data.numOutputs = 1;
        data.outputs = &out;
        data.inputParameterChanges = &changes;
        data.inputEvents = &events;
        data.processContext = withContext ? &context : nullptr;
        engine.process(data);
        left.insert(left.end(), l.begin(), l.end());
        right.insert(right.end(), r.begin(), r.end());
        if (withContext && (context.state & ProcessContext::kPlaying)) {
            samplesPlayed += n;
            context.projectTimeMusic = startPosition + samplesPlayed * context.tempo / (60.0 * context.sampleRate);
        }
        changes.clear();
        events.clear();
    }

    void renderInBlocks(int32 total, int32 block) {
        for (int32 done = 0; done < total; done += block) render(std::min(block, total - done));
    }
};

} // namespace TarnwellPlugin::Testing
