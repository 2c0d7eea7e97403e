// One pass of the lighting engine for 170 keys, per keyboard mode 0..30, per
// music visualiser, and with a per-key effect on every key. Every pass is a
// second after the last, so the mode's step always runs. Target: under 20 µs
// per pass. docs/benchmarks.md has the numbers.
#include <benchmark/benchmark.h>

#include <vector>

#include "device/lighting/lighting_engine.h"

namespace {

using namespace tirk;
using namespace tirk::lighting;

LightInfoRecord ValuesFor(int mode) {
    LightInfoRecord v;
    v.selectItem = uint8_t(mode);
    v.light = 4;
    v.speed = 4;
    v.fx = 1;
    v.multiColor = 1;
    v.red = 200;
    v.green = 100;
    v.blue = 50;
    return v;
}

// Modes 0 and 19 play a timeline of wave entries, the most work it does.
std::vector<EffectStep> WaveTimeline() {
    EffectStep wave;
    wave.mode = 4;
    wave.brightness = 4;
    wave.speed = 5;
    wave.multiColor = 1;
    wave.time = 500;
    return {wave, wave, wave};
}

void Run(benchmark::State& state, LightingEngine& engine, const std::vector<int32_t>& levels) {
    Millis now{1'000'000};
    int i = 0;
    for (auto _ : state) {
        now += Millis(1000);
        if (!levels.empty()) engine.OnAudioLevels(levels);
        if (engine.LightValues().selectItem == 25) engine.OnKeyEvent(51, 1 + (++i & 1));
        engine.Pass(now);
        benchmark::DoNotOptimize(engine.Colours().data());
    }
}

void BM_ModePass(benchmark::State& state) {
    const int mode = int(state.range(0));
    LightingEngine engine(7);
    engine.ApplyEffects({}, WaveTimeline());
    engine.SetLightValues(ValuesFor(mode));
    const std::vector<int32_t> levels(kAudioBands, mode == 29 ? 1500 : 0);
    Run(state, engine, mode == 29 ? levels : std::vector<int32_t>{});
}
BENCHMARK(BM_ModePass)->ArgName("mode")->DenseRange(0, 30);

void BM_MusicPass(benchmark::State& state) {
    LightingEngine engine(7);
    AudioLightRecord audio;
    audio.audioMode = uint8_t(state.range(0));
    audio.sevenColorFlag = 1;
    engine.SetAudioValues(audio);
    engine.SetLightValues(ValuesFor(29));
    std::vector<int32_t> levels;
    for (int i = 0; i < kAudioBands; ++i) levels.push_back(80 * i);
    Run(state, engine, levels);
}
BENCHMARK(BM_MusicPass)->ArgName("audio_mode")->DenseRange(0, 6);

// A per-key effect on every key (all five kinds) over the colour cycle.
void BM_KeyEffectsOnEveryKey(benchmark::State& state) {
    LightingEngine engine(7);
    std::vector<LedEffect> effects(kPositionCount);
    for (int p = 0; p < kPositionCount; ++p) {
        effects[p].present = 1;
        effects[p].mode = uint8_t(p % 5);
        effects[p].brightness = 4;
        effects[p].speed = 5;
        effects[p].multiColor = uint8_t(p & 1);
    }
    engine.ApplyEffects(effects, {});
    engine.SetLightValues(ValuesFor(4));
    Run(state, engine, {});
}
BENCHMARK(BM_KeyEffectsOnEveryKey);

}  // namespace

BENCHMARK_MAIN();
