// The dialogs shown inside the editor's window: about, save, delete and message.

#include "PresetAwareEditor.h"

#include "FactoryPresets.h"
#include "PluginOverlayView.h"
#include "UserPresetFile.h"
#include "views/HeaderArrowButton.h"

#include <algorithm>
#include <cstring>

namespace TarnwellPlugin {

using namespace VSTGUI;

namespace {

constexpr double kAboutMaxHeight = 510.0;
constexpr double kDialogMaxHeight = 340.0;

const char* const kAboutText = "GRUNDMOOR RUMBLE KICK\n"
                               "\n"
                               "Synthesized kick and wave layers, rhythmic sequencing,\n"
                               "ambience, delay and dedicated long-tail rumble effects.\n"
                               "\n"
                               "Version 1.0.3";

// The address as people read it: without "https://" or "http://".
std::string withoutScheme(const char* address) {
    const char* scheme = std::strstr(address, "://");
    return scheme ? std::string(scheme + 3) : std::string(address);
}


} // namespace

CViewContainer* PresetAwareEditor::overlayRoot() const {
    CFrame* f = getFrame();
    if (!f) return nullptr;
    if (f->getNbViews() > 0)
        if (auto* container = dynamic_cast<CViewContainer*>(f->getView(0))) return container;
    return f;
}

CRect PresetAwareEditor::overlayPanelRect(double maxHeight) const {
    double W = 0.0, H = 0.0;
    if (const CViewContainer* root = overlayRoot()) {
        W = root->getWidth();
        H = root->getHeight();
    }
    const double w = std::min(std::max(W - 70.0, 420.0), 760.0);
    const double h = std::min(std::max(H - 60.0, 225.0), maxHeight);
    const double left = (W - w) / 2.0;
    const double top = (H - h) / 2.0;
    return CRect(left, top, left + w, top + h);
}

HeaderArrowButton* PresetAwareEditor::makeOverlayButton(const char* title, const CRect& rect) {
    auto* button = new HeaderArrowButton(this, title, 0);
    button->setViewSize(rect);
    button->setMouseableArea(rect);
    auto* font = new CFontDesc("Arial", 18, kBoldFace);
    button->setFont(font);
    font->forget();
    return button;
}

void PresetAwareEditor::presentOverlay(PluginOverlayView* overlay) {
    if (CViewContainer* root = overlayRoot()) root->addView(overlay);
}

void PresetAwareEditor::showAboutOverlay() {
    CViewContainer* root = overlayRoot();
    if (!root) return;
    if (overlayView) closeOverlay();
    const CRect p = overlayPanelRect(kAboutMaxHeight);
    auto* overlay = new PluginOverlayView(CRect(0, 0, root->getWidth(), root->getHeight()), "ABOUT GRUNDMOOR",
                                          kAboutText, p.left, p.top, p.right, p.bottom);
    overlayView = overlay;
    overlayLinkButton = makeOverlayButton(withoutScheme(kMakerWebPage).c_str(),
                                          CRect(p.left + 32, p.bottom - 66, p.left + 278, p.bottom - 22));
    overlayLinkButton->accent = true;
    overlayLinkButton->invalid();
    overlayDismissButton = makeOverlayButton("DISMISS", CRect(p.right - 178, p.bottom - 66, p.right - 32, p.bottom - 22));
    overlay->addView(overlayLinkButton);
    overlay->addView(overlayDismissButton);
    presentOverlay(overlay);
}

void PresetAwareEditor::showSavePresetOverlay() {
    CViewContainer* root = overlayRoot();
    if (!root || overlayView) return;
    const CRect p = overlayPanelRect(kDialogMaxHeight);
    auto* overlay = new PluginOverlayView(CRect(0, 0, root->getWidth(), root->getHeight()), "SAVE PRESET",
                                          "Enter a name for the current GRUNDMOOR sound.", p.left, p.top, p.right,
                                          p.bottom);
    overlayView = overlay;

    auto* field = new CTextEdit(CRect(p.left + 32, p.top + 116, p.right - 32, p.top + 166), this, -1,
                                defaultPresetName().c_str(), nullptr, 0);
    field->setBackColor(CColor(5, 11, 14, 255));
    field->setFontColor(CColor(224, 232, 231, 255));
    field->setFrameColor(CColor(53, 205, 215, 255));
    field->setFrameWidth(2);
    auto* font = new CFontDesc("Arial", 18, kNormalFace);
    field->setFont(font);
    font->forget();
    field->setTextInset(CPoint(12, 0));
    overlayNameField = field;

    overlayCancelButton = makeOverlayButton("CANCEL", CRect(p.right - 326, p.bottom - 66, p.right - 178, p.bottom - 22));
    overlayConfirmButton = makeOverlayButton("SAVE", CRect(p.right - 162, p.bottom - 66, p.right - 32, p.bottom - 22));
    overlay->addView(field);
    overlay->addView(overlayCancelButton);
    overlay->addView(overlayConfirmButton);
    presentOverlay(overlay);
    // Typing goes into the name at once.
    field->takeFocus();
}

void PresetAwareEditor::showDeletePresetOverlay() {
    if (!presetMenu) return;
    const int32_t i = presetMenu->getCurrentIndex();
    const int32_t f = factoryPresetCount;
    if (i < f) {
        showMessageOverlay("FACTORY PRESET", "Factory and Init presets cannot be deleted.");
        return;
    }
    const int64_t k = static_cast<int64_t>(i) - f;
    if (k >= static_cast<int64_t>(userPresetPaths.size())) return;
    pendingDeletePath = userPresetPaths[static_cast<size_t>(k)];
    const std::string label = presetLabel(pendingDeletePath);

    CViewContainer* root = overlayRoot();
    if (!root || overlayView) return;
    const CRect p = overlayPanelRect(kDialogMaxHeight);
    auto* overlay = new PluginOverlayView(CRect(0, 0, root->getWidth(), root->getHeight()), "DELETE PRESET",
                                          "Delete user preset '" + label + "'?\nThis cannot be undone.", p.left,
                                          p.top, p.right, p.bottom);
    overlayView = overlay;
    overlayCancelButton = makeOverlayButton("CANCEL", CRect(p.right - 326, p.bottom - 66, p.right - 178, p.bottom - 22));
    overlayConfirmButton = makeOverlayButton("DELETE", CRect(p.right - 162, p.bottom - 66, p.right - 32, p.bottom - 22));
    overlay->addView(overlayCancelButton);
    overlay->addView(overlayConfirmButton);
    overlayDeleteMode = true;
    presentOverlay(overlay);
}

void PresetAwareEditor::showMessageOverlay(std::string title, std::string body) {
    CViewContainer* root = overlayRoot();
    if (!root) return;
    if (overlayView) closeOverlay();
    const CRect p = overlayPanelRect(kDialogMaxHeight);
    auto* overlay = new PluginOverlayView(CRect(0, 0, root->getWidth(), root->getHeight()), std::move(title),
                                          std::move(body), p.left, p.top, p.right, p.bottom);
    overlayView = overlay;
    overlayDismissButton = makeOverlayButton("DISMISS", CRect(p.right - 178, p.bottom - 66, p.right - 32, p.bottom - 22));
    overlay->addView(overlayDismissButton);
    presentOverlay(overlay);
}

void PresetAwareEditor::closeOverlay() {
    if (!overlayView) return;
    overlayClosingGuard = true;
    SharedPointer<CViewContainer> closing(overlayView);
    // The slots go first: hiding the dialog may end the name field's edit, and that notification
    // must not find a dialog to act on.
    resetOverlaySlots();
    closing->setVisible(false);
    closing->setMouseEnabled(false);
    overlayClosingGuard = false;
    // Still inside one of its own controls' events here; it leaves the tree on the next tick.
    if (closing->isAttached()) closedOverlays.push_back(closing);
}

void PresetAwareEditor::removeClosedOverlays() {
    if (closedOverlays.empty()) return;
    std::vector<SharedPointer<CViewContainer>> waiting;
    for (auto& overlay : closedOverlays) {
        CViewContainer* parent = overlay->getParentContainer();
        if (!parent) continue;
        // A press that began on it before it closed still owns the mouse: wait for its release.
        if (parent->getMouseDownView() == overlay.get()) {
            waiting.push_back(overlay);
            continue;
        }
        parent->removeView(overlay.get());
    }
    closedOverlays = std::move(waiting);
}

} // namespace TarnwellPlugin
