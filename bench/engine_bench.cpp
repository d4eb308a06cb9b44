// Render cost of SoundEngine::process: nanoseconds per sample and the real-time factor
// (audio seconds rendered per second of CPU).
//   ./build/bench/engine_bench

#include "BenchSounds.h"
#include "EngineFixture.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace TarnwellPlugin;
using namespace TarnwellPlugin::Testing;

namespace {

constexpr int32 kBlock = 512;

void renderBenchmark(benchmark::State& state) {
    const Sound& sound = kSounds[state.range(0)];
    const auto sampleRate = static_cast<double>(state.range(1));
    EngineRig rig(sampleRate);
    sound.configure(rig.engine.parameters());
    rig.play(120.0);
    std::vector<float> l(kBlock), r(kBlock);
    float* channels[2] = {l.data(), r.data()};
    AudioBusBuffers out{};
    out.numChannels = 2;
    out.channelBuffers32 = channels;
    ProcessData data{};
    data.symbolicSampleSize = kSample32;
    data.numSamples = kBlock;
    data.numOutputs = 1;
    data.outputs = &out;
    data.processContext = &rig.context;
    int64_t samples = 0;
    for (auto _ : state) {
        rig.engine.process(data);
        samples += kBlock;
        rig.context.projectTimeMusic = samples * 120.0 / (60.0 * sampleRate);
        benchmark::DoNotOptimize(l.data());
    }
    state.SetLabel(sound.name);
    state.counters["ns_per_sample"] = benchmark::Counter(static_cast<double>(samples),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                         benchmark::Counter::kIs1000);
    state.counters["realtime_factor"] =
        benchmark::Counter(static_cast<double>(samples) / sampleRate, benchmark::Counter::kIsRate);
}

// The decaying tail of one kick through every effect at its longest, timed from a given second
// after the hit: a late tail that costs more than an early one means subnormal arithmetic.
void decayingTailBenchmark(benchmark::State& state) {
    constexpr double kSampleRate = 48000.0;
    EngineRig rig(kSampleRate);
    heaviestSound(rig.engine.parameters());
    rig.engine.parameters().store(kSequencerEnabled, 0.0);
    rig.events.noteOn(0, 1.0f);
    const auto skip = static_cast<int32>(state.range(0) * kSampleRate);
    for (int32 done = 0; done < skip; done += kBlock) {
        rig.render(kBlock);
        rig.left.clear();
        rig.right.clear();
    }
    int64_t samples = 0;
    for (auto _ : state) {
        rig.render(kBlock);
        samples += kBlock;
        rig.left.clear();
        rig.right.clear();
    }
    state.counters["ns_per_sample"] = benchmark::Counter(static_cast<double>(samples),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                         benchmark::Counter::kIs1000);
}

} // namespace

BENCHMARK(decayingTailBenchmark)->ArgNames({"from_second"})->Arg(0)->Arg(55)->Iterations(900)->Unit(benchmark::kMicrosecond);

BENCHMARK(renderBenchmark)
    ->ArgNames({"sound", "rate"})
    ->Args({0, 48000})
    ->Args({1, 44100})
    ->Args({1, 48000})
    ->Args({1, 96000})
    ->Args({2, 44100})
    ->Args({2, 48000})
    ->Args({2, 96000})
    ->Args({3, 48000})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
