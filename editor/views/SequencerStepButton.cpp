#include "SequencerStepButton.h"

#include "ControlDrawing.h"

namespace TarnwellPlugin {

using namespace VSTGUI;

namespace {

struct StepLook {
    CColor fill, frame, title;
    const char* word;
    CColor wordColour;
};

const StepLook& lookFor(float v) {
    static const StepLook off{{13, 21, 25, 255}, {65, 79, 87, 255}, {161, 172, 176, 255}, "OFF", {112, 124, 130, 255}};
    static const StepLook half{
        {13, 43, 48, 255}, {55, 205, 215, 255}, {55, 205, 215, 255}, "HALF", {229, 235, 233, 255}};
    static const StepLook full{
        {71, 35, 17, 255}, {255, 126, 42, 255}, {255, 126, 42, 255}, "FULL", {229, 235, 233, 255}};
    if (v < 0.25f) return off;
    if (v < 0.75f) return half;
    return full;
}

} // namespace

SequencerStepButton::SequencerStepButton(IControlListener* listener)
: CTextButton(CRect(), listener, -1, "", kOnOffStyle) {}

SequencerStepButton::~SequencerStepButton() noexcept = default;

void SequencerStepButton::draw(CDrawContext* context) {
    const StepLook& look = lookFor(ControlDrawing::normalizedValue(*this));
    const CRect r = ControlDrawing::finiteRect(getViewSize());
    const CRect q = ControlDrawing::inset(r, 1);
    context->setLineStyle(kLineSolid);

    context->setFillColor(look.fill);
    context->drawRect(r, kDrawFilled);
    context->setLineWidth(2);
    context->setFrameColor(look.frame);
    context->drawRect(q, kDrawStroked);

    CRect titleArea = q;
    titleArea.bottom = q.top + 0.54 * q.getHeight();
    context->setFont(kNormalFont, 13, kBoldFace);
    context->setFontColor(look.title);
    context->drawString(getTitle().c_str(), titleArea, kCenterText, true);

    CRect wordArea = q;
    wordArea.top = titleArea.bottom - 2;
    context->setFont(kNormalFont, 16, kBoldFace);
    context->setFontColor(look.wordColour);
    context->drawString(look.word, wordArea, kCenterText, true);
    setDirty(false);
}

} // namespace TarnwellPlugin
