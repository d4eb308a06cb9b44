// The envelope preview drawn from the controller's Attack, Decay, Sustain, Release and Envelope Curve.
#include "LiveViewTestSupport.h"

#include "ParameterIds.h"
#include "ThudderController.h"
#include "views/EnvelopePreviewView.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>

namespace TarnwellPlugin {
namespace {

using namespace VSTGUI;
using namespace testing_support;

// The real controller with its registered parameters.
class Envelope : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(controller->initialize(nullptr), Steinberg::kResultOk); }
    void TearDown() override {
        controller->terminate();
        controller->release();
    }
    void set(double a, double d, double s, double r, double c) {
        controller->setParamNormalized(kAttack, a);
        controller->setParamNormalized(kDecay, d);
        controller->setParamNormalized(kSustain, s);
        controller->setParamNormalized(kRelease, r);
        controller->setParamNormalized(kEnvelopeCurve, c);
    }
    RecordingDrawContext drawIn(const CRect& rect, Steinberg::Vst::EditController* source, double lineWidth = 1.0) {
        auto view = makeOwned<EnvelopePreviewView>(source);
        view->setViewSize(rect);
        RecordingDrawContext context(CRect(0, 0, 400, 300));
        context.setLineWidth(lineWidth);
        view->draw(&context);
        return context;
    }

    ThudderController* controller = new ThudderController;
};

// What the drawing shows, picked out of the recorded calls by colour.
struct Drawn {
    std::vector<Call> baseline, guides, envelope, handles;
};
Drawn split(const RecordingDrawContext& context) {
    Drawn d;
    for (const Call& c : context.callsOf(Op::Line)) {
        if (c.state.frameColor == CColor(53, 61, 66, 255)) d.baseline.push_back(c);
        if (c.state.frameColor == CColor(222, 93, 24, 175)) d.guides.push_back(c);
        if (c.state.frameColor == CColor(245, 126, 35, 255)) d.envelope.push_back(c);
    }
    d.handles = context.callsOf(Op::Ellipse);
    return d;
}

struct Corners {
    double xA, xD, xS, xR, yS;
};

double curve(int mode, double t) { return mode == 0 ? t * t : mode == 2 ? 1 - (1 - t) * (1 - t) : t; }

// Checks the 26 pieces and 4 handles against the corners, with the ramps shaped by `mode`.
void expectEnvelope(const Drawn& d, const CRect& rect, const Corners& k, int mode) {
    const double yTop = rect.top + 20, yBase = rect.bottom - 18, h = yBase - yTop;
    ASSERT_EQ(d.envelope.size(), 26u);
    for (const Call& c : d.envelope) EXPECT_EQ(c.state.lineWidth, 2.0);
    const double x0 = rect.left + 11;
    for (int i = 0; i < 12; ++i) {
        const double t0 = i / 12.0, t1 = (i + 1) / 12.0;
        EXPECT_TRUE(pointNear(d.envelope[i].p1, CPoint(x0 + (k.xA - x0) * t0, yBase - h * curve(mode, t0)), 1e-9));
        EXPECT_TRUE(pointNear(d.envelope[i].p2, CPoint(x0 + (k.xA - x0) * t1, yBase - h * curve(mode, t1)), 1e-9))
            << "attack step " << i;
    }
    EXPECT_TRUE(pointNear(d.envelope[11].p2, CPoint(k.xA, yTop), 1e-9)); // the ramp ends at its corner
    EXPECT_EQ(d.envelope[11].p2, d.envelope[12].p1); // exactly, not nearly
    EXPECT_TRUE(pointNear(d.envelope[12].p1, CPoint(k.xA, yTop), 1e-9));
    EXPECT_TRUE(pointNear(d.envelope[12].p2, CPoint(k.xD, k.yS), 1e-9));
    EXPECT_TRUE(pointNear(d.envelope[13].p1, CPoint(k.xD, k.yS), 1e-9));
    EXPECT_TRUE(pointNear(d.envelope[13].p2, CPoint(k.xS, k.yS), 1e-9));
    for (int i = 0; i < 12; ++i) {
        const double t1 = (i + 1) / 12.0;
        const CPoint end(k.xS + (k.xR - k.xS) * t1, k.yS + (yBase - k.yS) * curve(mode, t1));
        EXPECT_TRUE(pointNear(d.envelope[14 + i].p2, end, 1e-9)) << "release step " << i;
    }
    EXPECT_TRUE(pointNear(d.envelope[14].p1, CPoint(k.xS, k.yS), 1e-9));
    EXPECT_EQ(d.envelope[25].p2.y, yBase);

    ASSERT_EQ(d.handles.size(), 4u);
    const CPoint centres[] = {{k.xA, yTop}, {k.xD, k.yS}, {k.xS, k.yS}, {k.xR, yBase}};
    for (int i = 0; i < 4; ++i) {
        const CPoint c = centres[i];
        EXPECT_TRUE(rectNear(d.handles[i].rect, CRect(c.x - 3, c.y - 3, c.x + 3, c.y + 3), 1e-9)) << "handle " << i;
        EXPECT_EQ(d.handles[i].style, kDrawFilled);
        EXPECT_TRUE(sameColour(d.handles[i].state.fillColor, CColor(255, 139, 48, 255)));
    }
}

TEST_F(Envelope, CornersFollowTheParameters) {
    // Views at left 10, top 5, bottom 125: yTop 25, yBase 107, height 82; widths 300, 80 and 200
    // leave W = 284, 64 and 184 between the insets.
    const struct {
        const char* name;
        CRect rect;
        double a, d, s, r;
        Corners corners;
    } cases[] = {
        // Sustain to L + 8 + 0.66 W = 205.44, the release 10 beyond.
        {"all zero, full sustain", CRect(10, 5, 310, 125), 0, 0, 1, 0, {28, 46, 205.44, 215.44, 25}},
        // Narrow: the sustain ends 18 after the decay, at L + 54.
        {"all zero, narrow view", CRect(10, 5, 90, 125), 0, 0, 1, 0, {28, 46, 64, 74, 25}},
        // The release would end at 206.48, past R - 12 = 198.
        {"long release clamped", CRect(10, 5, 210, 125), 1, 1, 0.5, 1, {68.48, 126.96, 144.96, 198, 66}},
        {"middle values", CRect(10, 5, 310, 125), 0.5, 0.25, 0.3, 0.5, {59.24, 92.86, 205.44, 255.2, 82.4}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        set(k.a, k.d, k.s, k.r, 0.25); // straight ramps
        const Drawn d = split(drawIn(k.rect, controller));
        expectEnvelope(d, k.rect, k.corners, 1);
        ASSERT_EQ(d.baseline.size(), 1u);
        EXPECT_EQ(d.baseline[0].p1, CPoint(k.rect.left + 8, 107));
        EXPECT_EQ(d.baseline[0].p2, CPoint(k.rect.right - 8, 107));
    }
}

TEST_F(Envelope, CurveModeShapesBothRamps) {
    const struct {
        double c;
        int mode; // 0 EXP, 1 LIN, 2 LOG
    } cases[] = {{0.0, 0}, {0.2, 0}, {0.25, 1}, {0.5, 1}, {0.74, 1}, {0.75, 2}, {1.0, 2}};
    const CRect rect(10, 5, 310, 125);
    for (const auto& k : cases) {
        SCOPED_TRACE("curve " + std::to_string(k.c));
        set(0.5, 0.25, 0.3, 0.5, k.c);
        expectEnvelope(split(drawIn(rect, controller)), rect, {59.24, 92.86, 205.44, 255.2, 82.4}, k.mode);
    }
}

TEST_F(Envelope, DashedGuidesStandAtTheFourCorners) {
    set(0.5, 0.25, 0.3, 0.5, 0.0);
    const double xs[] = {59.24, 92.86, 205.44, 255.2};
    const struct {
        double bottom;
        int dashes;
        double lastEnd; // the last dash ends at yBase when it would cross it
    } cases[] = {
        {125, 15, 104}, // yBase 107: dashes from 18 to 102, the last to 104
        {121, 15, 103}, // yBase 103: the last dash from 102 is cut at 103
        {36, 0, 0},     // yBase 18 = T + 13: no room for a guide
        {35, 0, 0},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE("bottom " + std::to_string(k.bottom));
        const CRect rect(10, 5, 310, k.bottom);
        const Drawn d = split(drawIn(rect, controller));
        ASSERT_EQ(d.guides.size(), 4u * k.dashes);
        for (int g = 0; g < 4; ++g)
            for (int i = 0; i < k.dashes; ++i) {
                const Call& dash = d.guides[g * k.dashes + i];
                const double end = i + 1 == k.dashes ? k.lastEnd : 20.0 + 6 * i;
                EXPECT_TRUE(pointNear(dash.p1, CPoint(xs[g], 18 + 6 * i), 1e-9));
                EXPECT_TRUE(pointNear(dash.p2, CPoint(xs[g], end), 1e-9));
                EXPECT_EQ(dash.state.lineWidth, 1.0);
            }
        // The curve and the handles are there whether or not the guides fit.
        EXPECT_EQ(d.envelope.size(), 26u);
        EXPECT_EQ(d.handles.size(), 4u);
    }
}

TEST_F(Envelope, TheBaselineSetsItsOwnLineWidth) {
    // A sibling drawn before may leave any width in the context.
    for (const double inherited : {0.5, 1.0, 5.0}) {
        const Drawn d = split(drawIn(CRect(10, 5, 310, 125), controller, inherited));
        ASSERT_EQ(d.baseline.size(), 1u);
        EXPECT_EQ(d.baseline[0].state.lineWidth, 1.0) << inherited;
    }
}

TEST_F(Envelope, WithoutAControllerEveryValueIsZero) {
    const CRect rect(10, 5, 310, 125);
    expectEnvelope(split(drawIn(rect, nullptr)), rect, {28, 46, 205.44, 215.44, 107}, 0);
}

// A controller whose parameters answer whatever the test puts in.
class LooseController : public Steinberg::Vst::EditController {
public:
    Steinberg::Vst::ParamValue PLUGIN_API getParamNormalized(Steinberg::Vst::ParamID id) override {
        const auto it = values.find(id);
        return it == values.end() ? 0.0 : it->second;
    }
    std::map<Steinberg::Vst::ParamID, double> values;
};

TEST_F(Envelope, NonFiniteAndOutOfRangeValuesAreKeptToTheUnitRange) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    auto* loose = new LooseController;
    const CRect rect(10, 5, 310, 125);
    const struct {
        const char* name;
        std::map<Steinberg::Vst::ParamID, double> values;
        Corners corners;
        int mode;
    } cases[] = {
        {"NaN everywhere", {{kAttack, nan}, {kDecay, nan}, {kSustain, nan}, {kRelease, nan}, {kEnvelopeCurve, nan}},
         {28, 46, 205.44, 215.44, 107}, 0},
        {"infinities count as 0", {{kAttack, inf}, {kSustain, -inf}, {kRelease, inf}, {kEnvelopeCurve, inf}},
         {28, 46, 205.44, 215.44, 107}, 0},
        {"beyond the range", {{kAttack, 7}, {kDecay, -2}, {kSustain, 3}, {kRelease, -1}, {kEnvelopeCurve, 9}},
         {90.48, 108.48, 205.44, 215.44, 25}, 2},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        loose->values = k.values;
        const auto context = drawIn(rect, loose);
        EXPECT_TRUE(allFinite(context));
        expectEnvelope(split(context), rect, k.corners, k.mode);
    }
    loose->release();
}

TEST_F(Envelope, ANonFiniteViewSizeCountsAsZero) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    set(0.5, 0.25, 0.3, 0.5, 0.25);
    const auto context = drawIn(CRect(nan, 5, 310, std::numeric_limits<double>::infinity()), controller);
    EXPECT_TRUE(allFinite(context));
    const Drawn d = split(context);
    EXPECT_EQ(d.envelope.size(), 26u);
    EXPECT_EQ(d.handles.size(), 4u);
    EXPECT_TRUE(d.guides.empty()); // the bottom counts as 0, above T + 13
}

} // namespace
} // namespace TarnwellPlugin
