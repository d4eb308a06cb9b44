#pragma once

// The oscilloscope of the wave area: a ring of trace points that the editor fills from the
// visualization snapshots (16 points per snapshot, about 480 a second), drawn as the last 1, 4 or
// 16 seconds over a dark grid. Takes no mouse input.

#include "vstgui/vstgui.h"

#include <array>
#include <cstdint>

namespace TarnwellPlugin {

class OutputWaveformView : public VSTGUI::CView {
public:
    static constexpr uint64_t kRingSize = 8192;
    static constexpr int32_t kColumns = 128;
    static constexpr int32_t kPointsPerSecond = 480;

    OutputWaveformView();
    ~OutputWaveformView() noexcept override;

    void draw(VSTGUI::CDrawContext* context) override;

    void setFrozen(bool state);
    void setWindowSeconds(int32_t seconds);
    // Empties the capture and waits for the next kick (a trigger count other than the current one).
    void clearCapture();

    // What the draw shows: one signed value per column and the largest magnitude (at least 0.0001).
    struct Columns {
        std::array<float, kColumns> values{};
        float peak = 0.0001f;
    };
    // The captured trace of the window, the placeholder kick, or flat while waiting for a kick.
    Columns computeColumns() const;
    // Point k (0..127) of the synthetic kick a new view shows.
    static float placeholderPoint(int32_t k);
    // The curve's gain: the window's peak drawn at 0.96 of full scale, at most 7 times louder.
    static float curveGain(bool autoScale, float peak);

    // Written directly by the editor's snapshot step, which then invalidates the view.
    float ring[kRingSize] = {};
    uint64_t writePosition = 0; // ring index of the next point
    uint64_t sampleCount = 0;   // valid points, saturating at kRingSize
    bool hasData = false;
    bool waitingForKick = false;
    float lastBlockPeak = 0.0f;
    uint64_t latestTriggerCount = 0;
    uint64_t armedTriggerCount = 0;
    bool autoScale = true;
    bool frozen = false;
    int32_t windowSeconds = 1;
};

} // namespace TarnwellPlugin
