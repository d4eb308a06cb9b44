#include "PluginOverlayView.h"

#include <sstream>

namespace TarnwellPlugin {

using namespace VSTGUI;

namespace {

constexpr double kLineHeight = 25.0;
constexpr double kStepAfterEmptyLine = 13.0;
constexpr double kButtonStrip = 70.0; // kept free for the buttons at the panel's bottom

} // namespace

PluginOverlayView::PluginOverlayView(const CRect& size, std::string title_, std::string body_, double l, double t,
                                     double r, double b)
: CViewContainer(size), panelLeft(l), panelTop(t), panelRight(r), panelBottom(b), title(std::move(title_)),
  body(std::move(body_)) {
    setTransparency(false);
    setMouseEnabled(true);
}

PluginOverlayView::~PluginOverlayView() noexcept = default;

void PluginOverlayView::drawBackgroundRect(CDrawContext* context, const CRect&) {
    const double L = panelLeft, T = panelTop, R = panelRight, B = panelBottom;

    // The dimmed editor behind the dialog stays faintly visible.
    context->setFillColor(CColor(2, 5, 7, 218));
    context->drawRect(CRect(0, 0, getWidth(), getHeight()), kDrawFilled);

    context->setFillColor(CColor(0, 0, 0, 190));
    context->drawRect(CRect(L, T + 8, R, B + 8), kDrawFilled);
    context->setFillColor(CColor(10, 18, 22, 255));
    context->drawRect(CRect(L, T, R, B), kDrawFilled);

    context->setLineStyle(kLineSolid);
    context->setLineWidth(4);
    context->setFrameColor(CColor(3, 8, 11, 255));
    context->drawRect(CRect(L, T, R, B), kDrawStroked);
    context->setLineWidth(2);
    context->setFrameColor(CColor(53, 205, 215, 255));
    context->drawRect(CRect(L + 3, T + 3, R - 3, B - 3), kDrawStroked);

    context->setFillColor(CColor(229, 102, 29, 255));
    context->drawRect(CRect(L, T, L + 7, B), kDrawFilled);

    context->setLineWidth(1);
    context->setFrameColor(CColor(45, 72, 78, 255));
    context->drawLine(CPoint(L + 24, T + 58), CPoint(R - 24, T + 58));

    context->setFont(kNormalFont, 29, kBoldFace);
    context->setFontColor(CColor(238, 132, 50, 255));
    context->drawString(title.c_str(), CRect(L + 28, T + 12, R - 28, T + 50), kLeftText, true);

    // The first line is the lead sentence; an empty line is a short gap. Lines that would reach
    // into the button strip are left out (no scrolling).
    std::istringstream lines(body);
    std::string line;
    double top = T + 65;
    bool first = true;
    bool previousEmpty = false;
    while (std::getline(lines, line)) {
        if (!first) top += previousEmpty ? kStepAfterEmptyLine : kLineHeight;
        if (top + kLineHeight >= B - kButtonStrip) break;
        if (!line.empty()) {
            if (first) {
                context->setFont(kNormalFont, 19, kBoldFace);
                context->setFontColor(CColor(185, 198, 201, 255));
            } else {
                context->setFont(kNormalFont, 17, kNormalFace);
                context->setFontColor(CColor(100, 215, 222, 255));
            }
            context->drawString(line.c_str(), CRect(L + 28, top, R - 28, top + kLineHeight), kLeftText, true);
        }
        previousEmpty = line.empty();
        first = false;
    }
}

} // namespace TarnwellPlugin
