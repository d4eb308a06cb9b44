#include "OutputGateWorkspaceView.h"

#include "OutputGateWorkspaceLayout.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace TarnwellPlugin {

using namespace VSTGUI;
using Steinberg::Vst::ParamID;

// ---------------------------------------------------------------------------------------------------------
// Layout helpers

double workspaceMixColumnCentre(int32_t column, double width) {
    return -3.75 + width / 8.0 + column * (width / 4.0 + 2.5);
}

CRect workspaceBoxRect(const WorkspaceBox& box, const CRect& view) {
    double x0 = view.left + box.x0;
    double x1 = (box.x1FromRight ? view.right : view.left) + box.x1;
    if (box.mixColumn >= 0) {
        const double centre = view.left + workspaceMixColumnCentre(box.mixColumn, view.getWidth());
        x0 = centre + box.x0;
        x1 = centre + box.x1;
    }
    const double y0 = view.top + box.y0;
    const double y1 = (box.y1FromBottom ? view.bottom : view.top) + box.y1;
    return CRect(x0, y0, x1, y1);
}

bool workspaceBoxHolds(const CRect& box, const CPoint& where) {
    if (!(box.right > box.left && box.bottom > box.top)) return false;
    return where.x >= box.left && where.x <= box.right && where.y >= box.top && where.y <= box.bottom;
}

// ---------------------------------------------------------------------------------------------------------
// VOICE CONTOUR curves

namespace {

double clamp01(double x) { return std::clamp(x, 0.0, 1.0); }

double smooth(double x) {
    x = clamp01(x);
    return x * x * (3.0 - 2.0 * x);
}

constexpr double kTiny = 0.000001;
constexpr double kPi = 3.14159265358979323846;

} // namespace

double subVoiceAdsrAt(const SubVoiceValues& v, double u) {
    const double ta = 0.32 * v.adsrAttack * v.adsrAttack;
    double e = ta <= kTiny ? 1.0 : smooth(u / ta);
    if (u > ta) {
        const double td = 0.58 * v.adsrDecay * v.adsrDecay;
        e = td > kTiny ? 1.0 + (v.adsrSustain - 1.0) * smooth((u - ta) / td) : v.adsrSustain;
    }
    if (u > 0.72 && v.adsrRelease < 0.999999)
        e *= 1.0 - smooth((u - 0.72) / (0.28 * v.adsrRelease * v.adsrRelease + 0.018));
    return e;
}

double subVoiceContourAt(const SubVoiceValues& v, double u) {
    const double onset = 0.18 * v.attack * v.attack + 0.35 * v.soften * v.soften;
    const double g1 = onset <= kTiny ? 1.0 : smooth(u / onset);
    const double bloomStart = 0.28 * v.swell * v.swell;
    const double g2 = u > bloomStart ? smooth((u - bloomStart) / (0.035 + 0.22 * v.swell)) : 0.0;
    const double level = std::exp(-u / (0.9 * v.decay * v.decay + 0.1)) * (0.58 + 0.42 * v.body) *
                         ((1.0 - v.swell) * g1 + v.swell * g2) * v.mix * clamp01(subVoiceAdsrAt(v, u));
    return clamp01(level);
}

double subVoicePitchContourAt(const SubVoiceValues& v, double u) {
    return clamp01(0.18 + 0.35 * v.pitch + 0.46 * v.drop * std::exp(-u / (0.28 * v.sweep * v.sweep + 0.025)));
}

double subVoiceHarmonicContourAt(const SubVoiceValues& v, int32_t s) {
    const double u = static_cast<double>(s) / kSubVoiceContourSegments;
    const double omega = kPi / 16.0 + (13.0 * kPi / 48.0) * v.tone;
    const double ripple = std::sin(omega * s) * (0.06 + 0.14 * v.drive + 0.12 * v.compressor + 0.08 * v.body) *
                          clamp01(subVoiceAdsrAt(v, u)) * std::exp(-u / (0.55 * v.decay + 0.14));
    const double click = 0.34 * v.transient * (1.0 - v.soften) * (1.0 - v.attack) *
                         std::exp(-u / (0.072 - 0.06 * v.transient));
    return clamp01(0.5 + v.mix * (ripple + click));
}

// ---------------------------------------------------------------------------------------------------------
// Drawing helpers

namespace {

constexpr CColor kBackground(3, 8, 10, 255);
constexpr CColor kViewFrame(34, 44, 48, 255);
constexpr CColor kModuleFill(48, 55, 58, 255);
constexpr CColor kModuleFrame(76, 87, 90, 255);
constexpr CColor kTrack(48, 69, 77, 255);
constexpr CColor kScopeFill(5, 13, 17, 255);
constexpr CColor kScopeFrame(31, 61, 69, 255);
constexpr CColor kCaption(174, 193, 197, 255);
constexpr CColor kSubAccent = workspaceAccents[kAccentCyan];

CColor withAlpha(CColor c, uint8_t alpha) {
    c.alpha = alpha;
    return c;
}

CRect inset(CRect r, double d) { return r.inset(d, d); }

double knobAngle(double value) { return 135.0 + 270.0 * value; }
double radians(double degrees) { return degrees * kPi / 180.0; }

void fillRect(CDrawContext* context, const CRect& r, const CColor& colour) {
    context->setFillColor(colour);
    context->drawRect(r, kDrawFilled);
}

void strokeRect(CDrawContext* context, const CRect& r, const CColor& colour, double width) {
    context->setFrameColor(colour);
    context->setLineWidth(width);
    context->drawRect(r, kDrawStroked);
}

void fillDisc(CDrawContext* context, const CRect& r, const CColor& colour) {
    context->setFillColor(colour);
    context->drawEllipse(r, kDrawFilled);
}

void drawText(CDrawContext* context, const char* text, const CRect& r, CFontRef font, double size,
              const CColor& colour, CHoriTxtAlign align = kCenterText) {
    context->setFont(font, size, kBoldFace);
    context->setFontColor(colour);
    context->drawString(text, r, align, true);
}

void drawModuleBox(CDrawContext* context, const CRect& r) {
    fillRect(context, r, kModuleFill);
    strokeRect(context, r, kModuleFrame, 0.75);
}

void strokePolyline(CDrawContext* context, const CDrawContext::PointList& points, const CColor& colour,
                    double width) {
    if (points.empty()) return;
    auto path = owned(context->createGraphicsPath());
    path->beginSubpath(points.front());
    for (size_t i = 1; i < points.size(); ++i) path->addLine(points[i]);
    context->setFrameColor(colour);
    context->setLineWidth(width);
    context->drawGraphicsPath(path, CDrawContext::kPathStroked);
}

// An on/off chip; a bitmap that is missing or did not load leaves the plain fill.
void drawModuleSwitch(CBitmap* bitmap, CDrawContext* context, bool on, const char* label, const CColor& accent,
                      const CRect& r) {
    if (bitmap && bitmap->isLoaded())
        context->drawBitmap(bitmap, r, CPoint(0, 0));
    else
        fillRect(context, r, on ? withAlpha(accent, 190) : CColor(15, 29, 35, 255));
    if (on) fillRect(context, inset(r, 3), withAlpha(accent, 112));
    strokeRect(context, inset(r, 1), on ? accent : CColor(83, 100, 116, 255), 1.0);
    const std::string text = std::string(label) + (on ? " ON" : " OFF");
    const CColor textColour = on ? CColor(238, 246, 246, 255) : CColor(174, 188, 192, 255);
    drawText(context, text.c_str(), r, kNormalFontSmall, 9, textColour);
}

void drawModuleKnob(CDrawContext* context, const char* label, const CColor& accent, double x0, double y, double x1,
                    double value) {
    const double cx = (x0 + x1) / 2.0;
    const double a = knobAngle(value);
    const CRect ring(cx - 22, y + 5, cx + 22, y + 49);
    context->setFrameColor(kTrack);
    context->setLineWidth(3.5);
    context->drawArc(ring, 135.f, 405.f, kDrawStroked);
    context->setFrameColor(accent);
    context->drawArc(ring, 135.f, static_cast<float>(a), kDrawStroked);

    fillDisc(context, CRect(cx - 17, y + 12, cx + 17, y + 46), CColor(1, 5, 7, 220));
    fillDisc(context, CRect(cx - 17, y + 10, cx + 17, y + 44), CColor(69, 79, 83, 255));
    const CRect face(cx - 14, y + 13, cx + 14, y + 41);
    fillDisc(context, face, CColor(25, 34, 39, 255));

    context->setFrameColor(CColor(112, 125, 128, 180));
    context->setLineWidth(1.5);
    context->drawArc(face, 195.f, 342.f, kDrawStroked);

    context->setFrameColor(CColor(231, 232, 225, 255));
    context->setLineWidth(2.2);
    context->drawLine(CPoint(cx, y + 27), CPoint(cx + 13 * std::cos(radians(a)), y + 27 + 13 * std::sin(radians(a))));

    drawText(context, label, CRect(x0 - 7, y + 50, x1 + 7, y + 66), kNormalFontSmall, 10, CColor(164, 181, 185, 255));
}

void drawLargeKnob(CDrawContext* context, double cx, double top, double radius, double value, const CColor& accent) {
    const CRect ring(cx - radius, top + 46, cx + radius, top + 46 + 2 * radius);
    const double a = knobAngle(value);
    context->setFrameColor(kTrack);
    context->setLineWidth(5);
    context->drawArc(ring, 135.f, 405.f, kDrawStroked);
    context->setFrameColor(accent);
    context->drawArc(ring, 135.f, static_cast<float>(a), kDrawStroked);
    fillDisc(context, inset(ring, 9), CColor(68, 79, 83, 255));
    fillDisc(context, inset(ring, 14), CColor(22, 31, 36, 255));
    const CPoint centre(cx, top + 46 + radius);
    context->setFrameColor(CColor(235, 238, 232, 255));
    context->setLineWidth(3);
    context->drawLine(centre, CPoint(cx + (radius - 16) * std::cos(radians(a)),
                                     centre.y + (radius - 16) * std::sin(radians(a))));
}

// The waveform box inside a page-2 module: a triangle for RIFT FOLD (module 1), a sine for the others.
void drawModulationPreview(const CRect& view, CDrawContext* context, int32_t module, const CColor& accent,
                           double rate, double depth) {
    const WorkspaceModule& layout = workspaceFxModules[static_cast<size_t>(module)];
    const CRect box(view.left + layout.start + 218, view.top + 48, view.left + layout.start + layout.width - 10,
                    view.bottom - 18);
    const double yc = (box.top + box.bottom) / 2.0;
    const double h = box.getHeight();
    fillRect(context, box, kScopeFill);
    strokeRect(context, box, kScopeFrame, 1.0);
    context->setFrameColor(CColor(25, 52, 59, 220));
    context->drawLine(CPoint(box.left, yc), CPoint(box.right, yc));

    const double cycles = 1.0 + 5.0 * rate;
    CDrawContext::PointList points{CPoint(box.left + 3, yc)};
    for (int32_t s = 1; s <= 36; ++s) {
        const double phase = radians(10.0 * s * cycles);
        const double w = module == 1 ? (2.0 / kPi) * std::asin(std::sin(phase)) : std::sin(phase);
        points.emplace_back(box.left + 3 + (box.getWidth() - 6) * s / 36.0, yc - 0.38 * depth * h * w);
    }
    strokePolyline(context, points, accent, 2.2);
}

} // namespace

// ---------------------------------------------------------------------------------------------------------
// The view

OutputGateWorkspaceView::OutputGateWorkspaceView(const CRect& size, Steinberg::Vst::EditController* controller_,
                                                 CBitmap* bitmap)
: CView(size), controller(controller_), toggleBitmap(bitmap) {
    if (toggleBitmap) toggleBitmap->remember();
}

OutputGateWorkspaceView::~OutputGateWorkspaceView() noexcept {
    endDrag();
    if (toggleBitmap) toggleBitmap->forget();
}

int32_t OutputGateWorkspaceView::shownPage() const {
    return page == kWaveAreaSubGenerator || page == kWaveAreaExtendedMix ? static_cast<int32_t>(page)
                                                                         : static_cast<int32_t>(kWaveAreaExtendedFx);
}

CRect OutputGateWorkspaceView::layoutRect() const {
    auto finiteOr0 = [](double x) { return std::isfinite(x) ? x : 0.0; };
    const CRect& r = getViewSize();
    return CRect(finiteOr0(r.left), finiteOr0(r.top), finiteOr0(r.right), finiteOr0(r.bottom));
}

double OutputGateWorkspaceView::value(ParamID id) const {
    if (!controller) return 0.0;
    const double v = controller->getParamNormalized(id);
    return std::isfinite(v) ? clamp01(v) : 0.0;
}

void OutputGateWorkspaceView::draw(CDrawContext* context) {
    if (context) {
        const CRect r = layoutRect();
        fillRect(context, r, kBackground);
        strokeRect(context, inset(r, 1), kViewFrame, 0.75);
        switch (shownPage()) {
        case kWaveAreaSubGenerator: drawSubGeneratorPage(context, r); break;
        case kWaveAreaExtendedMix: drawExtendedMixPage(context, r); break;
        default: drawExtendedFxPage(context, r); break;
        }
    }
    setDirty(false);
}

void OutputGateWorkspaceView::drawExtendedMixPage(CDrawContext* context, const CRect& r) {
    fillRect(context, r, kBackground);
    const double w = r.getWidth();
    for (int32_t k = 0; k < 4; ++k) {
        const WorkspaceRegion& region = workspaceRegions[kWorkspaceMixRegions + k];
        const CColor& accent = workspaceAccents[region.accent];
        const double x0 = r.left + k * (w / 4.0 + 2.5);
        const double x1 = x0 + w / 4.0 - 7.5;
        drawModuleBox(context, CRect(x0, r.top, x1, r.bottom));
        drawText(context, workspaceMixTitles[k], CRect(x0 + 12, r.top + 8, x1 - 12, r.top + 29), kNormalFontBig, 14,
                 accent);
        const CRect knobBox = workspaceBoxRect(region.box, r);
        const double cx = (knobBox.left + knobBox.right) / 2.0;
        drawLargeKnob(context, cx, r.top, 37, value(region.id), accent);
        drawText(context, region.label, CRect(cx - 55, r.top + 123, cx + 55, r.top + 141), kNormalFontSmall, 10,
                 kCaption);
    }
}

void OutputGateWorkspaceView::drawExtendedFxPage(CDrawContext* context, const CRect& r) {
    const double left = r.left, top = r.top, bottom = r.bottom;
    for (const WorkspaceModule& module : workspaceFxModules)
        drawModuleBox(context, CRect(left + module.start, top, left + module.start + module.width, bottom));
    for (const WorkspaceModule& module : workspaceFxModules)
        drawText(context, module.title,
                 CRect(left + module.start + 14, top + 8, left + module.start + module.width - 12, top + 28),
                 kNormalFontBig, 14, workspaceAccents[module.accent], kLeftText);
    for (int32_t m = 0; m < 5; ++m) {
        const WorkspaceRegion& chip = workspaceRegions[kWorkspaceFxSwitchRegions + m];
        drawModuleSwitch(toggleBitmap, context, value(chip.id) >= 0.5, chip.label, workspaceAccents[chip.accent],
                         workspaceBoxRect(chip.box, r));
    }

    // The selected rate: trunc(3 v + 0.5) of a value already held in [0, 1].
    const int32_t rate = std::clamp(static_cast<int32_t>(3.0 * value(kOutputGateRate) + 0.5), 0, 3);
    for (int32_t i = 0; i < 4; ++i) {
        const CRect box = workspaceBoxRect(workspaceRateButtons[i].box, r);
        const bool selected = i == rate;
        fillRect(context, box, CColor(15, 30, 36, 255));
        if (selected) fillRect(context, inset(box, 2.5), CColor(37, 179, 193, 210));
        strokeRect(context, box, selected ? CColor(63, 220, 229, 255) : CColor(53, 72, 78, 255), 1.0);
        drawText(context, workspaceRateButtons[i].label, box, kNormalFont, 11,
                 selected ? CColor(7, 22, 27, 255) : CColor(178, 190, 194, 255));
    }

    for (int32_t k = kWorkspaceFxKnobRegions; k < kWorkspaceRegionCount; ++k) {
        const WorkspaceRegion& knob = workspaceRegions[k];
        const CRect box = workspaceBoxRect(knob.box, r);
        drawModuleKnob(context, knob.label, workspaceAccents[knob.accent], box.left, box.top, box.right,
                       value(knob.id));
    }

    // Gate pattern: n segments alternating between open and the depth below it.
    const CRect pattern(left + 255, top + 38, left + 380, bottom - 10);
    fillRect(context, pattern, kScopeFill);
    strokeRect(context, pattern, CColor(31, 61, 69, 255), 1.0);
    context->saveGlobalState();
    CRect clip;
    context->getClipRect(clip);
    context->setClipRect(clip.bound(inset(pattern, 1)));
    const double y0 = top + 41, y1 = bottom - 13;
    context->setFrameColor(CColor(23, 48, 56, 190));
    for (double q : {0.25, 0.5, 0.75})
        context->drawLine(CPoint(left + 257, y0 + (y1 - y0) * q), CPoint(left + 373, y0 + (y1 - y0) * q));
    const int32_t segments = 2 << rate;
    const double depth = value(kOutputGateDepth) * (bottom - top - 78);
    CDrawContext::PointList points{CPoint(left + 257, top + 53)};
    for (int32_t i = 1; i <= segments; ++i) {
        const double x = left + 257 + 116.0 * i / segments;
        points.emplace_back(x, points.back().y);
        points.emplace_back(x, i % 2 == 1 ? top + 53 + depth : top + 53);
    }
    strokePolyline(context, points, CColor(46, 213, 224, 255), 3);
    context->restoreGlobalState();

    drawModulationPreview(r, context, 1, workspaceAccents[workspaceFxModules[1].accent], value(kRiftFoldAmount),
                          value(kRiftFoldMix));
    drawModulationPreview(r, context, 2, workspaceAccents[workspaceFxModules[2].accent], value(kVoidModRate),
                          value(kVoidModDepth));
}

void OutputGateWorkspaceView::drawSubGeneratorPage(CDrawContext* context, const CRect& r) {
    const double left = r.left, top = r.top, right = r.right, bottom = r.bottom;
    fillRect(context, r, kBackground);
    for (const CRect& box : {CRect(left, top, left + 900, bottom), CRect(left + 910, top, left + 1240, bottom),
                             CRect(left + 1430, top, right, bottom), CRect(left + 1250, top, left + 1420, bottom)})
        drawModuleBox(context, box);
    for (const CRect& panel : {CRect(left + 270, top + 5, left + 890, top + 82),
                               CRect(left + 270, top + 86, left + 890, bottom - 5)}) {
        fillRect(context, panel, CColor(42, 49, 52, 255));
        strokeRect(context, panel, CColor(67, 78, 81, 255), 0.75);
    }
    drawText(context, "SUB GENERATOR", CRect(left + 8, top + 51, left + 136, top + 73), kNormalFontBig, 14,
             kSubAccent);

    for (int32_t i = 0; i < kWorkspaceSubStepCount; ++i) {
        const CRect box = workspaceBoxRect(workspaceSubStepBox(i), r);
        const bool on = value(kSubStep1 + i) >= 0.5;
        fillRect(context, box, on ? CColor(31, 158, 172, 220) : CColor(11, 24, 29, 255));
        strokeRect(context, box, on ? CColor(63, 220, 229, 255) : CColor(66, 82, 88, 255), 1.0);
        drawText(context, std::to_string(i + 1).c_str(), box, kNormalFontSmall, 8,
                 on ? CColor(235, 247, 247, 255) : CColor(132, 150, 155, 255));
    }
    drawModuleSwitch(toggleBitmap, context, value(kSubGeneratorSequencer) >= 0.5, "SEQ", kSubAccent,
                     workspaceBoxRect(kWorkspaceSubSeqBox, r));

    auto drawKnobRegion = [&](int32_t k) {
        const WorkspaceRegion& knob = workspaceRegions[k];
        const CRect box = workspaceBoxRect(knob.box, r);
        drawModuleKnob(context, knob.label, workspaceAccents[knob.accent], box.left, box.top, box.right,
                       value(knob.id));
    };
    for (int32_t k = kWorkspaceSubVoiceRegions; k < kWorkspaceSubAdsrRegions; ++k) drawKnobRegion(k);

    // VOICE CONTOUR
    drawText(context, "VOICE CONTOUR", CRect(left + 920, top + 7, left + 1038, top + 27), kNormalFontBig, 13,
             CColor(184, 197, 200, 255), kLeftText);
    struct Curve {
        const char* legend;
        double legendX;
        CColor legendColour, colour;
        double width;
    };
    const Curve curves[] = {
        {"AMP", 1040, CColor(42, 210, 220, 255), CColor(42, 210, 220, 255), 2.7},
        {"PITCH", 1087, CColor(238, 126, 43, 255), CColor(238, 126, 43, 235), 1.8},
        {"HARM", 1134, CColor(166, 103, 235, 255), CColor(166, 103, 235, 225), 1.6},
        {"ADSR", 1181, CColor(116, 205, 142, 255), CColor(116, 205, 142, 220), 1.4},
    };
    for (const Curve& curve : curves)
        drawText(context, curve.legend, CRect(left + curve.legendX, top + 8, left + curve.legendX + 44, top + 26),
                 kNormalFontSmall, 9.5, curve.legendColour);

    const CRect panel(left + 922, top + 31, left + 1228, bottom - 5);
    fillRect(context, panel, kScopeFill);
    strokeRect(context, panel, CColor(58, 75, 80, 255), 2.2);
    context->setFrameColor(CColor(30, 52, 57, 180));
    context->setLineWidth(0.75);
    for (double q : {0.25, 0.5, 0.75}) {
        const double x = panel.left + panel.getWidth() * q;
        context->drawLine(CPoint(x, panel.top + 3), CPoint(x, panel.bottom - 3));
    }

    SubVoiceValues voice;
    voice.pitch = value(kSubGeneratorPitch);
    voice.drop = value(kSubGeneratorDrop);
    voice.sweep = value(kSubGeneratorSweep);
    voice.attack = value(kSubGeneratorAttack);
    voice.transient = value(kSubGeneratorTransient);
    voice.soften = value(kSubGeneratorSoften);
    voice.body = value(kSubGeneratorBody);
    voice.decay = value(kSubGeneratorDecay);
    voice.swell = value(kSubGeneratorSwell);
    voice.tone = value(kSubGeneratorTone);
    voice.drive = value(kSubGeneratorDrive);
    voice.compressor = value(kSubGeneratorCompressor);
    voice.mix = clamp01(value(kSubGeneratorMix) * 1.2048192771084338); // full level from 0.83 up
    voice.adsrAttack = value(kSubGeneratorADSRAttack);
    voice.adsrDecay = value(kSubGeneratorADSRDecay);
    voice.adsrSustain = value(kSubGeneratorADSRSustain);
    voice.adsrRelease = value(kSubGeneratorADSRRelease);

    const double spanX = panel.getWidth() - 6, spanY = panel.getHeight() - 12;
    for (int32_t c = 0; c < 4; ++c) {
        CDrawContext::PointList points;
        for (int32_t s = 0; s <= kSubVoiceContourSegments; ++s) {
            const double u = static_cast<double>(s) / kSubVoiceContourSegments;
            double level = 0.0;
            switch (c) {
            case 0: level = subVoiceContourAt(voice, u); break;
            case 1: level = subVoicePitchContourAt(voice, u); break;
            case 2: level = subVoiceHarmonicContourAt(voice, s); break;
            default: level = clamp01(subVoiceAdsrAt(voice, u)); break;
            }
            points.emplace_back(panel.left + 3 + spanX * u, panel.bottom - 4 - spanY * level);
        }
        strokePolyline(context, points, curves[c].colour, curves[c].width);
    }

    // MIXER
    const WorkspaceRegion& mix = workspaceRegions[kWorkspaceSubMixRegion];
    const CRect mixBox = workspaceBoxRect(mix.box, r);
    drawText(context, "MIXER", CRect(mixBox.left, top + 7, mixBox.right, top + 27), kNormalFontBig, 13, kSubAccent);
    drawLargeKnob(context, (mixBox.left + mixBox.right) / 2.0, top, 39, value(mix.id), kSubAccent);
    drawText(context, mix.label, CRect(mixBox.left, top + 126, mixBox.right, top + 143), kNormalFontSmall, 11,
             kCaption);

    // DIRECT ADSR
    drawText(context, "DIRECT ADSR", CRect(left + 1258, top + 7, left + 1412, top + 27), kNormalFontBig, 13,
             kSubAccent);
    for (int32_t k = kWorkspaceSubAdsrRegions; k < kWorkspaceSubMixRegion; ++k) drawKnobRegion(k);
}

// ---------------------------------------------------------------------------------------------------------
// Mouse

OutputGateWorkspaceView::Hit OutputGateWorkspaceView::hitAt(const CPoint& where, bool tooltipOrder) const {
    Hit hit;
    if (!std::isfinite(where.x) || !std::isfinite(where.y)) return hit;
    const CRect r = layoutRect();
    auto inside = [&](const WorkspaceBox& box) { return workspaceBoxHolds(workspaceBoxRect(box, r), where); };
    auto region = [&](int32_t from, int32_t to, int32_t step) {
        for (int32_t k = from; k != to; k += step) {
            const WorkspaceRegion& row = workspaceRegions[k];
            if (!inside(row.box)) continue;
            const bool chip = row.kind == WorkspaceRegionKind::kSwitch;
            hit = {chip ? HitAction::kToggle : HitAction::kDrag, row.id, 0.0, row.tooltip};
            return true;
        }
        return false;
    };

    switch (shownPage()) {
    case kWaveAreaSubGenerator:
        if (inside(kWorkspaceSubSeqBox))
            return {HitAction::kToggle, kSubGeneratorSequencer, 0.0, kWorkspaceSubSeqTooltip};
        for (int32_t i = 0; i < kWorkspaceSubStepCount; ++i)
            if (inside(workspaceSubStepBox(i)))
                return {HitAction::kToggle, static_cast<ParamID>(kSubStep1 + i), 0.0, kWorkspaceSubStepTooltip};
        region(kWorkspaceSubVoiceRegions, kWorkspaceMixRegions, 1);
        return hit;
    case kWaveAreaExtendedMix:
        // The tooltips are looked up from the last column back.
        if (tooltipOrder)
            region(kWorkspaceFxSwitchRegions - 1, kWorkspaceMixRegions - 1, -1);
        else
            region(kWorkspaceMixRegions, kWorkspaceFxSwitchRegions, 1);
        return hit;
    default:
        if (region(kWorkspaceFxSwitchRegions, kWorkspaceFxKnobRegions, 1)) return hit;
        for (const WorkspaceRateButton& button : workspaceRateButtons)
            if (inside(button.box)) return {HitAction::kSet, kOutputGateRate, button.value, nullptr};
        region(kWorkspaceFxKnobRegions, kWorkspaceRegionCount, 1);
        return hit;
    }
}

const char* OutputGateWorkspaceView::tooltipAt(const CPoint& where) const {
    const Hit hit = hitAt(where, true);
    if (hit.tooltip) return hit.tooltip;
    switch (shownPage()) {
    case kWaveAreaSubGenerator: return kWorkspaceSubPageTooltip;
    case kWaveAreaExtendedMix: return kWorkspaceMixPageTooltip;
    default: return kWorkspaceFxPageTooltip;
    }
}

void OutputGateWorkspaceView::setParameter(ParamID id, double normalized) {
    controller->beginEdit(id);
    controller->setParamNormalized(id, normalized);
    controller->performEdit(id, normalized);
    controller->endEdit(id);
    invalid();
}

CMouseEventResult OutputGateWorkspaceView::onMouseDown(CPoint& where, const CButtonState& buttons) {
    // One edit at a time: a down that arrives while a drag is open closes that drag first.
    endDrag();
    const bool otherButton = (buttons & (kRButton | kMButton | kButton4 | kButton5)) != 0;
    const bool left = buttons.isLeftButton() || (buttons.isDoubleClick() && !otherButton);
    if (!controller || !left) return kMouseEventNotHandled;

    const Hit hit = hitAt(where, false);
    switch (hit.action) {
    case HitAction::kNone: return kMouseEventNotHandled;
    case HitAction::kToggle: setParameter(hit.id, value(hit.id) >= 0.5 ? 0.0 : 1.0); break;
    case HitAction::kSet: setParameter(hit.id, hit.value); break;
    case HitAction::kDrag:
        dragParamId = static_cast<int32_t>(hit.id);
        dragStartY = where.y;
        dragStartValue = value(hit.id);
        dragPage = shownPage();
        controller->beginEdit(hit.id);
        break;
    }
    return kMouseEventHandled;
}

CMouseEventResult OutputGateWorkspaceView::onMouseMoved(CPoint& where, const CButtonState&) {
    setTooltipText(tooltipAt(where));
    if (dragParamId < 0 || !controller) return kMouseEventNotHandled;
    // The knob being dragged is no longer shown.
    if (dragPage != shownPage()) {
        endDrag();
        return kMouseEventNotHandled;
    }
    if (!std::isfinite(where.y)) return kMouseEventHandled;
    const auto id = static_cast<ParamID>(dragParamId);
    const double v = clamp01(dragStartValue + (dragStartY - where.y) / 110.0);
    controller->setParamNormalized(id, v);
    controller->performEdit(id, v);
    invalid();
    return kMouseEventHandled;
}

CMouseEventResult OutputGateWorkspaceView::onMouseUp(CPoint&, const CButtonState&) {
    const bool handled = controller != nullptr;
    endDrag();
    return handled ? kMouseEventHandled : kMouseEventNotHandled;
}

CMouseEventResult OutputGateWorkspaceView::onMouseCancel() {
    const bool handled = controller != nullptr;
    endDrag();
    return handled ? kMouseEventHandled : kMouseEventNotHandled;
}

bool OutputGateWorkspaceView::removed(CView* parent) {
    endDrag();
    return CView::removed(parent);
}

void OutputGateWorkspaceView::setVisible(bool state) {
    if (!state) endDrag();
    CView::setVisible(state);
}

void OutputGateWorkspaceView::endDrag() {
    if (dragParamId >= 0 && controller) controller->endEdit(static_cast<ParamID>(dragParamId));
    dragParamId = -1;
    dragPage = -1;
}

} // namespace TarnwellPlugin
