#include "OutputWaveformView.h"

#include "ViewNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace TarnwellPlugin {

using namespace VSTGUI;

namespace {

// The glow passes of the curve, widest first: width, colour of the orange head, colour of the tail.
struct GlowPass {
    double width;
    CColor head;
    CColor tail;
};
constexpr GlowPass kGlowPasses[] = {
    {14.0, CColor(255, 88, 16, 42), CColor(107, 42, 255, 45)},
    {7.0, CColor(255, 124, 27, 115), CColor(143, 73, 255, 125)},
    {2.4, CColor(255, 183, 64, 255), CColor(195, 135, 255, 245)},
};

double clampUnit(float v) { return std::clamp(static_cast<double>(v), -1.0, 1.0); }

void drawLabel(CDrawContext* context, const char* format, double value, const CRect& box, CHoriTxtAlign align) {
    char text[24];
    std::snprintf(text, sizeof(text), format, value);
    context->drawString(text, box, align, true);
}

} // namespace

OutputWaveformView::OutputWaveformView() : CView(CRect()) {}

OutputWaveformView::~OutputWaveformView() noexcept = default;

float OutputWaveformView::placeholderPoint(int32_t k) {
    if (k <= 0 || k >= kColumns) return 0.0f;
    const double t = k / 127.0;
    const double body = std::sin(230.0 * t - 95.0 * t * t) * std::exp(-22.0 * t);
    const double ringing = 0.48 * std::sin(155.0 * t) + 0.24 * std::sin(239.0 * t);
    const double tail = (std::exp(-3.2 * t) - std::exp(-35.0 * t)) * ringing;
    return static_cast<float>(body + tail);
}

float OutputWaveformView::curveGain(bool scale, float peak) {
    if (!scale) return 1.0f;
    return std::min(0.96f / std::max(finiteOrZero(peak), 0.0001f), 7.0f);
}

OutputWaveformView::Columns OutputWaveformView::computeColumns() const {
    Columns out;
    if (hasData) {
        // The window never asks for more points than the ring holds, nor for a negative count.
        const int64_t n = std::clamp<int64_t>(int64_t{windowSeconds} * kPointsPerSecond, 0, kRingSize);
        const int64_t a = std::min<int64_t>(n, static_cast<int64_t>(std::min(sampleCount, kRingSize)));
        for (int64_t c = 0; c < kColumns; ++c) {
            const int64_t start = (c * n) >> 7;
            const int64_t end = std::min(std::max(start + 1, ((c + 1) * n) >> 7), a);
            float kept = 0.0f;
            for (int64_t s = start; s < end; ++s) {
                // Unsigned wrap-around is exact here: 2^64 is a multiple of the ring size.
                const uint64_t index = (writePosition - static_cast<uint64_t>(a - s)) % kRingSize;
                const float v = finiteOrZero(ring[index]);
                if (std::fabs(v) > std::fabs(kept)) kept = v;
            }
            out.values[static_cast<size_t>(c)] = kept;
            out.peak = std::max(out.peak, std::fabs(kept));
        }
    } else if (!waitingForKick) {
        for (int32_t k = 1; k < kColumns; ++k) {
            out.values[static_cast<size_t>(k)] = placeholderPoint(k);
            out.peak = std::max(out.peak, std::fabs(out.values[static_cast<size_t>(k)]));
        }
    }
    return out;
}

void OutputWaveformView::draw(CDrawContext* context) {
    const CRect r = finiteRect(getViewSize());
    const double w = r.getWidth();
    const double h = r.getHeight();
    const double mid = r.top + 0.55 * h;

    context->setFillColor(CColor(7, 15, 20, 255));
    context->drawRect(r, kDrawFilled);

    context->setLineWidth(1.0);
    context->setFrameColor(CColor(42, 70, 78, 205));
    for (int k = 0; k <= 8; ++k) {
        const double x = k == 8 ? r.right : r.left + w * k / 8.0;
        drawVerticalDashes(context, x, r.top + 3.0, r.bottom - 2.0, r.bottom);
    }

    const CColor faint(25, 48, 56, 220);
    const struct {
        double offset;
        CColor colour;
    } gridLines[] = {{-0.38, faint}, {-0.19, faint}, {0.0, CColor(44, 91, 101, 255)}, {0.19, faint}, {0.38, faint}};
    for (const auto& line : gridLines) {
        context->setFrameColor(line.colour);
        const double y = mid + line.offset * h;
        context->drawLine(CPoint(r.left, y), CPoint(r.right, y));
    }

    const Columns columns = computeColumns();
    const auto& col = columns.values;
    const float g = curveGain(autoScale, columns.peak);

    for (int i = 0; i < 96; ++i) {
        const double t = i / 95.0;
        const double x = r.left + w * t;
        const double a = std::fabs(static_cast<double>(col[static_cast<size_t>(std::min(i * 127 / 95, 127))] * g));
        const double halfHeight = std::min(0.035 + 0.09 * std::exp(-2.2 * i / 95.0) + 0.22 * a, 0.34) * h;
        const auto alpha = static_cast<uint8_t>(std::min(48.0 * a, 42.0) + 18.0);
        context->setLineWidth(std::max(w / 115.0, 5.0));
        context->setFrameColor(t >= 0.16 ? CColor(120, 56, 230, alpha) : CColor(255, 104, 22, alpha));
        context->drawLine(CPoint(x, mid - halfHeight), CPoint(x, mid + halfHeight));
    }

    for (int c = 1; c < kColumns; ++c) {
        const double t = c / 127.0;
        const double x = r.left + w * t;
        const double y = mid - 0.43 * h * clampUnit(col[static_cast<size_t>(c)] * g);
        context->setLineWidth(std::max(w / 170.0, 3.0));
        context->setFrameColor(t >= 0.14 ? CColor(132, 68, 244, 70) : CColor(255, 111, 24, 80));
        context->drawLine(CPoint(x, mid), CPoint(x, y));
    }

    for (const GlowPass& pass : kGlowPasses) {
        context->setLineWidth(pass.width);
        CPoint previous(r.left, mid);
        for (int c = 1; c < kColumns; ++c) {
            const double t = c / 127.0;
            const CPoint next(r.left + w * c / 127.0, mid - 0.43 * h * clampUnit(col[static_cast<size_t>(c)] * g));
            context->setFrameColor(t < 0.14 ? pass.head : pass.tail);
            context->drawLine(previous, next);
            previous = next;
        }
    }

    context->setLineWidth(1.5);
    context->setFrameColor(CColor(28, 225, 235, 235));
    context->drawLine(CPoint(r.left, mid), CPoint(r.right, mid - 1.0));

    if (waitingForKick) {
        context->setFont(kNormalFontSmall, 10, kBoldFace);
        context->setFontColor(CColor(54, 205, 224, 220));
        context->drawString("WAITING FOR KICK", r, kCenterText, true);
    }

    context->setFont(kNormalFontSmall, 8, kBoldFace);
    context->setFontColor(CColor(123, 136, 140, 255));
    const double labelTop = r.bottom - 15.0;
    const double seconds = windowSeconds;
    drawLabel(context, "%.0f ms", 0.0, CRect(r.left, labelTop, r.left + 28.0, r.bottom), kLeftText);
    for (const double q : {0.25, 0.5, 0.75}) {
        const double x = r.left + w * q;
        const CRect box(x - 28.0, labelTop, x + 28.0, r.bottom);
        const double u = seconds * q;
        if (u >= 1.0)
            drawLabel(context, u == std::floor(u) ? "%.0f s" : "%.2g s", u, box, kCenterText);
        else
            drawLabel(context, "%.0f ms", seconds * 1000.0 * q, box, kCenterText);
    }
    const CRect rightBox(r.right - 28.0, labelTop, r.right, r.bottom);
    if (seconds < 1.0)
        drawLabel(context, "%.0f ms", seconds * 1000.0, rightBox, kRightText);
    else
        drawLabel(context, "%.0f s", seconds, rightBox, kRightText);

    context->setFont(kNormalFontSmall, 7, kNormalFace);
    context->setFontColor(CColor(91, 121, 128, 230));
    const struct {
        const char* text;
        double offset;
    } amplitudeLabels[] = {{"+1.0", -0.38}, {"+0.5", -0.19}, {"0", 0.0}, {"-0.5", 0.19}, {"-1.0", 0.38}};
    for (const auto& label : amplitudeLabels) {
        const double y = mid + label.offset * h;
        context->drawString(label.text, CRect(r.left + 4.0, y - 7.0, r.left + 38.0, y + 7.0), kLeftText, true);
    }

    setDirty(false);
}

void OutputWaveformView::setFrozen(bool state) {
    frozen = state;
    invalid();
}

void OutputWaveformView::setWindowSeconds(int32_t seconds) {
    windowSeconds = seconds;
    invalid();
}

void OutputWaveformView::clearCapture() {
    std::fill(std::begin(ring), std::end(ring), 0.0f);
    writePosition = 0;
    sampleCount = 0;
    hasData = false;
    waitingForKick = true;
    armedTriggerCount = latestTriggerCount;
    invalid();
}

} // namespace TarnwellPlugin
