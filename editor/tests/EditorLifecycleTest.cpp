// The editor's timers, open, close and destruction on the manual run loop.
#include "EditorTestSupport.h"

#include "EditorSizeFile.h"
#include "PluginOverlayView.h"
#include "views/HeaderArrowButton.h"

#include <fstream>

namespace TarnwellPlugin::testing {
namespace {

using namespace VSTGUI;

using EditorLifecycle = EditorFixture;

void publishPeaks(ThudderController& c, float left, float right) {
    const float wave[4] = {0.1f, -0.2f, 0.3f, -0.4f};
    ASSERT_TRUE(c.visualizationSnapshot().publish(left, right, 120.0f, 0.0f, 1, wave, 4));
}

TEST_F(EditorLifecycle, TheVisualizationTimerRunsFromConstructionAndTheSnapshotIsTakenBeforeOpen) {
    ASSERT_TRUE(editor->getVisualizationTimer()->isRunning());
    EXPECT_FALSE(editor->getWindowPlacementTimer()->isRunning());
    EXPECT_EQ(loop.getNbTimers(), 1u);

    publishPeaks(*controller, 0.5f, 0.25f);
    const uint64_t published = controller->visualizationSnapshot().sequence.load();
    loop.advance(33);
    EXPECT_EQ(editor->lastSnapshotSequence, published);
    ASSERT_TRUE(open());
    // Opening neither re-reads the consumed snapshot nor stops the timer.
    EXPECT_EQ(editor->lastSnapshotSequence, published);
    EXPECT_TRUE(editor->getVisualizationTimer()->isRunning());
}

TEST_F(EditorLifecycle, DestroyingAnEditorThatWasNeverOpenedStopsAndReleasesBothTimers) {
    SharedPointer<CVSTGUITimer> visualization = editor->getVisualizationTimer();
    SharedPointer<CVSTGUITimer> placement = editor->getWindowPlacementTimer();
    editor->release();
    editor = nullptr;
    EXPECT_EQ(loop.getNbTimers(), 0u);
    EXPECT_FALSE(visualization->isRunning());
    EXPECT_FALSE(placement->isRunning());
    EXPECT_EQ(visualization->getNbReference(), 1); // only ours is left
    EXPECT_EQ(placement->getNbReference(), 1);
    EXPECT_EQ(loop.advance(1000), 0);
}

TEST_F(EditorLifecycle, OpenCloseAndOpenAgainInstallTheMenuThemeAndWriteTheZoom) {
    editor->setZoomFactor(0.8);
    ASSERT_TRUE(open());
    const GenericOptionMenuTheme& theme = frame()->getPlatformFrame()->getGenericOptionMenuTheme();
    EXPECT_TRUE(frame()->getPlatformFrame()->usesGenericOptionMenu());
    EXPECT_EQ(theme.backgroundColor, CColor(6, 15, 20, 252));
    EXPECT_EQ(theme.selectedBackgroundColor, CColor(24, 193, 207, 245));
    EXPECT_EQ(theme.textColor, CColor(207, 224, 226, 255));
    EXPECT_EQ(theme.selectedTextColor, CColor(3, 12, 16, 255));
    EXPECT_EQ(theme.disabledTextColor, CColor(75, 96, 104, 255));
    EXPECT_EQ(theme.titleTextColor, CColor(255, 145, 56, 255));
    EXPECT_EQ(theme.separatorColor, CColor(35, 70, 78, 255));
    EXPECT_EQ(theme.checkMarkColor, CColor(53, 205, 215, 255));
    EXPECT_EQ(theme.menuBorderWidth, 2.0);
    EXPECT_EQ(theme.itemHorizontalInset, 12.0);
    EXPECT_EQ(theme.itemVerticalInset, 8.0);
    EXPECT_EQ(theme.scrollRepeatMilliseconds, 120);
    ASSERT_TRUE(theme.font);
    EXPECT_EQ(theme.font->getName(), "Arial");
    EXPECT_EQ(theme.font->getSize(), 14);
    // Not an NSView parent: no host window, no placement.
    EXPECT_EQ(editor->hostWindow, nullptr);
    EXPECT_FALSE(editor->getWindowPlacementTimer()->isRunning());

    EXPECT_EQ(editor->removed(), Steinberg::kResultOk);
    EXPECT_EQ(editor->getFrame(), nullptr);
    std::ifstream file(dataHome.path / "TarnwellPlugin" / "Grundmoor" / "editor-size.conf");
    std::string line;
    std::getline(file, line);
    EXPECT_EQ(line, "0.80000000000000004");
    EXPECT_TRUE(editor->getVisualizationTimer()->isRunning()); // snapshots are still read while closed

    ASSERT_TRUE(open());
    EXPECT_NE(controlWithTag(kStep1), nullptr);
    EXPECT_TRUE(editor->outputWaveform);
    click(controlWithTag(kStep2));
    EXPECT_EQ(controller->getParamNormalized(kStep2), 0.5);
}

TEST_F(EditorLifecycle, CloseForgetsTheDialogViewsItDestroys) {
    ASSERT_TRUE(open());
    // An open dialog's controls live in the tree that close tears down.
    auto* overlay = new PluginOverlayView(CRect(0, 0, 100, 100), "TITLE", "Body", 10, 10, 90, 90);
    auto* cancel = new HeaderArrowButton(editor, "CANCEL", 0);
    auto* name = new CTextEdit(CRect(0, 0, 50, 20), editor, -1);
    overlay->addView(cancel);
    overlay->addView(name);
    root()->addView(overlay);
    editor->overlayView = overlay;
    editor->overlayCancelButton = cancel;
    editor->overlayConfirmButton = cancel;
    editor->overlayDismissButton = cancel;
    editor->overlayLinkButton = cancel;
    editor->overlayNameField = name;
    editor->overlayDeleteMode = true;
    editor->removed();
    EXPECT_EQ(editor->overlayView, nullptr);
    EXPECT_EQ(editor->overlayCancelButton, nullptr);
    EXPECT_EQ(editor->overlayConfirmButton, nullptr);
    EXPECT_EQ(editor->overlayDismissButton, nullptr);
    EXPECT_EQ(editor->overlayLinkButton, nullptr);
    EXPECT_EQ(editor->overlayNameField, nullptr);
    EXPECT_FALSE(editor->overlayDeleteMode);
    // Reopened, a click lands on the new tree only.
    ASSERT_TRUE(open());
    click(controlWithTag(kStep3));
    EXPECT_EQ(controller->getParamNormalized(kStep3), 0.5);
}

TEST_F(EditorLifecycle, TheEditorFollowsParameterChangesFromTheHost) {
    ASSERT_TRUE(open());
    auto* retrigger = dynamic_cast<CTextButton*>(controlWithTag(kEnvelopeRetrigger));
    ASSERT_NE(retrigger, nullptr);
    controller->setParamNormalized(kEnvelopeRetrigger, 0.0);
    EXPECT_EQ(retrigger->getTitle(), "OFF");
    controller->setParamNormalized(kEnvelopeRetrigger, 1.0);
    EXPECT_EQ(retrigger->getTitle(), "ON");
    auto* step = dynamic_cast<CTextButton*>(controlWithTag(kStep9));
    controller->setParamNormalized(kStep9, 0.5);
    EXPECT_EQ(step->getFrameColor(), CColor(55, 205, 215, 255));
}

} // namespace
} // namespace TarnwellPlugin::testing
