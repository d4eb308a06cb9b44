// The overlay dialogs: their panels, painting, controls, opening and closing rules, and how they
// leave the view tree.
#include "ControlTestSupport.h"
#include "EditorTestSupport.h"

#include "FactoryPresets.h"
#include "PluginOverlayView.h"
#include "UserPresetFile.h"
#include "views/BrandLockupView.h"
#include "views/HeaderArrowButton.h"
#include "views/TarnwellLogoView.h"

#include "public.sdk/source/common/openurl.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace TarnwellPlugin::testing {
namespace {

using namespace VSTGUI;
using ControlTests::rectNear;
using ControlTests::sameColour;
using Op = RecordingDrawContext::Op;

const std::string kResources = GRUNDMOOR_EDITOR_RESOURCES;

// The centred panel: width 70 less than the root within [420, 760], height 60 less within
// [225, maxHeight].
CRect expectedPanel(double W, double H, double maxHeight) {
    const double w = std::min(std::max(W - 70, 420.0), 760.0);
    const double h = std::min(std::max(H - 60, 225.0), maxHeight);
    return CRect((W - w) / 2, (H - h) / 2, (W - w) / 2 + w, (H - h) / 2 + h);
}

template <typename T, typename F>
void forEachView(CView* view, F&& f) {
    if (auto* v = dynamic_cast<T*>(view)) f(v);
    if (auto* c = dynamic_cast<CViewContainer*>(view))
        for (const auto& child : c->getChildren()) forEachView<T>(child.get(), f);
}

template <typename T>
T* firstView(CView* view) {
    T* found = nullptr;
    forEachView<T>(view, [&](T* v) {
        if (!found) found = v;
    });
    return found;
}

std::vector<std::string> openedUrls;
bool fakeOpener(const std::string& address) {
    openedUrls.push_back(address);
    return true;
}

class OverlayDialogs : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        openedUrls.clear();
        editor->urlOpener = &fakeOpener;
        ASSERT_TRUE(open());
    }

    PluginOverlayView* overlay() const { return editor->overlayView; }
    size_t rootChildren() const { return root()->getChildren().size(); }
    // Lets the editor's UI timer run once.
    void tick() { loop.advance(33); }

    // The preset menu with every factory entry followed by these user presets, showing entry index.
    void fillPresetMenu(const std::vector<std::string>& userPaths, int32_t index) {
        ASSERT_TRUE(editor->presetMenu);
        editor->presetMenu->removeAllEntry();
        for (int32_t i = 0; i < factoryPresetCount; ++i) editor->presetMenu->addEntry(std::to_string(i).c_str());
        for (const auto& p : userPaths) editor->presetMenu->addEntry(p.c_str());
        editor->userPresetPaths = userPaths;
        editor->presetMenu->setCurrent(index);
        ASSERT_EQ(editor->presetMenu->getCurrentIndex(), index);
    }
};

// ---------------------------------------------------------------------------------------------
// Panels

TEST_F(OverlayDialogs, PanelsAreCentredAndClampedForEveryRootSize) {
    struct Case {
        double W, H, maxHeight;
        CRect panel; // worked out by hand from the rule
    };
    const Case cases[] = {
        {600, 400, 340, CRect(35, 30, 565, 370)},       // save, delete, message: 530 x 340
        {600, 400, 510, CRect(35, 30, 565, 370)},       // about: 340 high as well
        {1200, 900, 340, CRect(220, 280, 980, 620)},    // 760 x 340
        {1200, 900, 510, CRect(220, 195, 980, 705)},    // 760 x 510
        {300, 200, 340, CRect(-60, -12.5, 360, 212.5)}, // 420 x 225, past the root on all sides
        {300, 200, 510, CRect(-60, -12.5, 360, 212.5)},
        {490, 285, 340, CRect(35, 30, 455, 255)},       // exactly at the minimum
        {830, 400, 340, CRect(35, 30, 795, 370)},       // exactly at the maximum width
    };
    for (const Case& c : cases) {
        root()->setViewSize(CRect(0, 0, c.W, c.H));
        EXPECT_TRUE(rectNear(editor->overlayPanelRect(c.maxHeight), c.panel)) << c.W << "x" << c.H << " " << c.maxHeight;
        EXPECT_TRUE(rectNear(c.panel, expectedPanel(c.W, c.H, c.maxHeight))) << c.W << "x" << c.H;
    }
}

TEST_F(OverlayDialogs, EachDialogUsesItsPanelAndCoversTheRoot) {
    struct Case {
        const char* name;
        double maxHeight;
        void (*show)(PresetAwareEditor&);
    };
    const Case cases[] = {
        {"about", 510, [](PresetAwareEditor& e) { e.showAboutOverlay(); }},
        {"save", 340, [](PresetAwareEditor& e) { e.showSavePresetOverlay(); }},
        {"message", 340, [](PresetAwareEditor& e) { e.showMessageOverlay("T", "B"); }},
    };
    for (const CRect size : {CRect(0, 0, 600, 400), CRect(0, 0, 1200, 900), CRect(0, 0, 300, 200)}) {
        root()->setViewSize(size);
        for (const Case& c : cases) {
            c.show(*editor);
            ASSERT_NE(overlay(), nullptr) << c.name;
            EXPECT_EQ(overlay()->getViewSize(), size) << c.name;
            EXPECT_TRUE(rectNear(overlay()->getPanelRect(), expectedPanel(size.getWidth(), size.getHeight(), c.maxHeight)))
                << c.name << " " << size.getWidth();
            EXPECT_EQ(root()->getChildren().back().get(), overlay()) << c.name; // on top
            editor->closeOverlay();
        }
    }
}

TEST(OverlayPanelWithoutFrame, IsCentredOnTheOrigin) {
    ManualRunLoop loop;
    RunLoop::set(&loop);
    auto* controller = new ThudderController;
    ASSERT_EQ(controller->initialize(nullptr), Steinberg::kResultOk);
    auto* editor = new PresetAwareEditor(controller, "view", "none.uidesc");
    EXPECT_TRUE(rectNear(editor->overlayPanelRect(340), CRect(-210, -112.5, 210, 112.5)));
    EXPECT_TRUE(rectNear(editor->overlayPanelRect(510), CRect(-210, -112.5, 210, 112.5)));
    // Nothing opens without a frame.
    editor->showAboutOverlay();
    editor->showSavePresetOverlay();
    editor->showMessageOverlay("T", "B");
    editor->showDeletePresetOverlay();
    EXPECT_EQ(editor->overlayView, nullptr);
    editor->release();
    controller->terminate();
    controller->release();
    RunLoop::clear(&loop);
}

// ---------------------------------------------------------------------------------------------
// Painting

struct DrawnLine {
    std::string text;
    CRect rect;
    double size;
    int32_t style;
    CColor colour;
};

std::vector<DrawnLine> drawnStrings(PluginOverlayView& view) {
    RecordingDrawContext context(CRect(0, 0, 2000, 2000));
    view.drawBackgroundRect(&context, CRect(0, 0, view.getWidth(), view.getHeight()));
    std::vector<DrawnLine> lines;
    for (const auto& c : context.callsOf(Op::String)) {
        EXPECT_EQ(c.align, kLeftText) << c.text;
        EXPECT_TRUE(c.state.font) << c.text;
        if (!c.state.font) continue;
        EXPECT_EQ(c.state.font->getName(), "Arial") << c.text;
        lines.push_back({c.text, c.rect, c.state.font->getSize(), c.state.font->getStyle(), c.state.fontColor});
    }
    return lines;
}

TEST(OverlayPainting, BackdropShadowPanelFramesAccentAndRuleInOrder) {
    PluginOverlayView view(CRect(0, 0, 800, 600), "TITLE", "", 100, 50, 700, 450);
    RecordingDrawContext context(CRect(0, 0, 800, 600));
    view.drawBackgroundRect(&context, CRect(0, 0, 800, 600));
    struct Expected {
        CDrawStyle style;
        CRect rect;
        CColor colour;
        double lineWidth; // strokes only
    };
    const Expected rects[] = {
        {kDrawFilled, CRect(0, 0, 800, 600), CColor(2, 5, 7, 218), 0},
        {kDrawFilled, CRect(100, 58, 700, 458), CColor(0, 0, 0, 190), 0},
        {kDrawFilled, CRect(100, 50, 700, 450), CColor(10, 18, 22, 255), 0},
        {kDrawStroked, CRect(100, 50, 700, 450), CColor(3, 8, 11, 255), 4},
        {kDrawStroked, CRect(103, 53, 697, 447), CColor(53, 205, 215, 255), 2},
        {kDrawFilled, CRect(100, 50, 107, 450), CColor(229, 102, 29, 255), 0},
    };
    const auto calls = context.callsOf(Op::Rect);
    ASSERT_EQ(calls.size(), std::size(rects));
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].style, rects[i].style) << i;
        EXPECT_TRUE(rectNear(calls[i].rect, rects[i].rect)) << i;
        const CColor colour = rects[i].style == kDrawFilled ? calls[i].state.fillColor : calls[i].state.frameColor;
        EXPECT_TRUE(sameColour(colour, rects[i].colour)) << i;
        if (rects[i].style == kDrawStroked) {
            EXPECT_EQ(calls[i].state.lineWidth, rects[i].lineWidth) << i;
        }
    }
    const auto lines = context.callsOf(Op::Line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].p1, CPoint(124, 108));
    EXPECT_EQ(lines[0].p2, CPoint(676, 108));
    EXPECT_EQ(lines[0].state.lineWidth, 1);
    EXPECT_TRUE(sameColour(lines[0].state.frameColor, CColor(45, 72, 78, 255)));
    // The rule comes after the last rectangle (the accent bar), the title after the rule.
    const auto& all = context.getCalls();
    size_t lastRect = 0, line = 0, title = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].op == Op::Rect) lastRect = i;
        if (all[i].op == Op::Line) line = i;
        if (all[i].op == Op::String && all[i].text == "TITLE") title = i;
    }
    EXPECT_LT(lastRect, line);
    EXPECT_LT(line, title);
}

TEST(OverlayPainting, TitleInItsOwnFontAboveTheRule) {
    PluginOverlayView view(CRect(0, 0, 800, 600), "SAVE PRESET", "", 100, 50, 700, 450);
    const auto lines = drawnStrings(view);
    ASSERT_EQ(lines.size(), 1u); // an empty body draws nothing
    EXPECT_EQ(lines[0].text, "SAVE PRESET");
    EXPECT_TRUE(rectNear(lines[0].rect, CRect(128, 62, 672, 100)));
    EXPECT_EQ(lines[0].size, 29);
    EXPECT_EQ(lines[0].style, kBoldFace);
    EXPECT_TRUE(sameColour(lines[0].colour, CColor(238, 132, 50, 255)));
}

TEST(OverlayPainting, BodyLinesStepBy25Or13AfterAnEmptyLineAndStopAboveTheButtons) {
    // Panel top 0 and left 0, so the expected tops read as offsets from the panel.
    struct Case {
        const char* name;
        const char* body;
        double bottom; // of the panel
        std::vector<std::pair<std::string, double>> lines; // text and top of every drawn line
    };
    const Case cases[] = {
        {"empty body", "", 400, {}},
        {"one line", "Only", 400, {{"Only", 65}}},
        {"three lines", "A\nB\nC", 400, {{"A", 65}, {"B", 90}, {"C", 115}}},
        {"final newline adds no line", "A\nB\n", 400, {{"A", 65}, {"B", 90}}},
        {"an empty line moves by 13", "A\n\nB", 400, {{"A", 65}, {"B", 103}}},
        {"two empty lines 13 each", "A\n\n\nB\nC", 400, {{"A", 65}, {"B", 116}, {"C", 141}}},
        {"empty first line", "\nB", 400, {{"B", 78}}},
        // B - 70 = 155: bottoms 90, 115, 140 fit, 165 does not.
        {"cut-off", "1\n2\n3\n4\n5", 225, {{"1", 65}, {"2", 90}, {"3", 115}}},
        // B - 70 = 140: a bottom exactly there is not drawn.
        {"bottom exactly at the cut-off", "1\n2\n3", 210, {{"1", 65}, {"2", 90}}},
        {"no room at all", "1", 160, {}},
    };
    for (const Case& c : cases) {
        PluginOverlayView view(CRect(0, 0, 800, 800), "T", c.body, 0, 0, 600, c.bottom);
        auto lines = drawnStrings(view);
        ASSERT_FALSE(lines.empty()) << c.name;
        lines.erase(lines.begin()); // the title
        ASSERT_EQ(lines.size(), c.lines.size()) << c.name;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].text, c.lines[i].first) << c.name;
            const double top = c.lines[i].second;
            EXPECT_TRUE(rectNear(lines[i].rect, CRect(28, top, 572, top + 25))) << c.name << " " << i;
            // The first line of the body is the lead, the others the details.
            const bool lead = top == 65;
            EXPECT_EQ(lines[i].size, lead ? 19 : 17) << c.name << " " << i;
            EXPECT_EQ(lines[i].style, lead ? kBoldFace : kNormalFace) << c.name << " " << i;
            EXPECT_TRUE(sameColour(lines[i].colour, lead ? CColor(185, 198, 201, 255) : CColor(100, 215, 222, 255)))
                << c.name << " " << i;
        }
    }
}

TEST(OverlayPainting, LinesArePlacedFromThePanelNotTheView) {
    PluginOverlayView view(CRect(0, 0, 800, 800), "T", "A\nB", 40, 100, 500, 500);
    const auto lines = drawnStrings(view);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(rectNear(lines[0].rect, CRect(68, 112, 472, 150)));
    EXPECT_TRUE(rectNear(lines[1].rect, CRect(68, 165, 472, 190)));
    EXPECT_TRUE(rectNear(lines[2].rect, CRect(68, 190, 472, 215)));
}

TEST(OverlayPainting, TheViewIsAnOpaqueMouseTakingContainer) {
    PluginOverlayView view(CRect(0, 0, 10, 10), "T", "B", 1, 2, 3, 4);
    EXPECT_FALSE(view.getTransparency());
    EXPECT_TRUE(view.getMouseEnabled());
    EXPECT_EQ(view.getTitle(), "T");
    EXPECT_EQ(view.getBody(), "B");
    EXPECT_EQ(view.getPanelRect(), CRect(1, 2, 3, 4));
}

// ---------------------------------------------------------------------------------------------
// The dialogs' controls

struct ExpectedButton {
    HeaderArrowButton* PresetAwareEditor::*slot;
    const char* label;
    // Edges from the panel: each is (edge of the panel, offset); 'L', 'T', 'R', 'B'.
    char leftFrom, topFrom, rightFrom, bottomFrom;
    double left, top, right, bottom;
    bool accent;
};

double edge(const CRect& p, char which) {
    switch (which) {
    case 'L': return p.left;
    case 'T': return p.top;
    case 'R': return p.right;
    default: return p.bottom;
    }
}

void expectButtons(PresetAwareEditor& editor, const std::vector<ExpectedButton>& expected, size_t firstChild,
                   const char* dialog) {
    PluginOverlayView* overlay = editor.overlayView;
    ASSERT_NE(overlay, nullptr) << dialog;
    const CRect p = overlay->getPanelRect();
    ASSERT_EQ(overlay->getChildren().size(), firstChild + expected.size()) << dialog;
    for (size_t i = 0; i < expected.size(); ++i) {
        const ExpectedButton& e = expected[i];
        HeaderArrowButton* button = editor.*(e.slot);
        ASSERT_NE(button, nullptr) << dialog << " " << e.label;
        EXPECT_EQ(overlay->getChildren()[firstChild + i].get(), button) << dialog << " " << e.label;
        const CRect r(edge(p, e.leftFrom) + e.left, edge(p, e.topFrom) + e.top, edge(p, e.rightFrom) + e.right,
                      edge(p, e.bottomFrom) + e.bottom);
        EXPECT_TRUE(rectNear(button->getViewSize(), r)) << dialog << " " << e.label;
        EXPECT_TRUE(rectNear(button->getMouseableArea(), r)) << dialog << " " << e.label;
        EXPECT_EQ(button->label, e.label) << dialog;
        EXPECT_EQ(button->accent, e.accent) << dialog << " " << e.label;
        EXPECT_FALSE(button->hasForcedState) << dialog << " " << e.label;
        EXPECT_EQ(button->getTag(), -1) << dialog << " " << e.label;
        EXPECT_EQ(button->getStyle(), CTextButton::kKickStyle) << dialog << " " << e.label;
        EXPECT_EQ(button->getListener(), &editor) << dialog << " " << e.label;
        ASSERT_NE(button->getFont(), nullptr);
        EXPECT_EQ(button->getFont()->getName(), "Arial");
        EXPECT_EQ(button->getFont()->getSize(), 18);
        EXPECT_EQ(button->getFont()->getStyle(), kBoldFace);
    }
}

TEST_F(OverlayDialogs, AboutHasTheLinkAndDismiss) {
    editor->showAboutOverlay();
    ASSERT_NE(overlay(), nullptr);
    EXPECT_EQ(overlay()->getTitle(), "ABOUT GRUNDMOOR");
    EXPECT_EQ(overlay()->getBody(), "GRUNDMOOR RUMBLE KICK\n\nSynthesized kick and wave layers, rhythmic sequencing,\n"
                                    "ambience, delay and dedicated long-tail rumble effects.\n\nVersion 1.0.3");
    expectButtons(*editor,
                  {{&PresetAwareEditor::overlayLinkButton, "www.tarnwell-audio.com", 'L', 'B', 'L', 'B', 32, -66, 278, -22, true},
                   {&PresetAwareEditor::overlayDismissButton, "DISMISS", 'R', 'B', 'R', 'B', -178, -66, -32, -22, false}},
                  0, "about");
    EXPECT_EQ(editor->overlayCancelButton, nullptr);
    EXPECT_EQ(editor->overlayConfirmButton, nullptr);
    EXPECT_EQ(editor->overlayNameField, nullptr);
    EXPECT_FALSE(editor->overlayDeleteMode);
    // The link's address is the one it opens, without its scheme.
    EXPECT_EQ(std::string("https://") + editor->overlayLinkButton->label, kMakerWebPage);
}

TEST_F(OverlayDialogs, SaveHasTheNameFieldCancelAndSave) {
    const std::string before = defaultPresetName();
    editor->showSavePresetOverlay();
    const std::string after = defaultPresetName();
    ASSERT_NE(overlay(), nullptr);
    EXPECT_EQ(overlay()->getTitle(), "SAVE PRESET");
    EXPECT_EQ(overlay()->getBody(), "Enter a name for the current GRUNDMOOR sound.");
    expectButtons(*editor,
                  {{&PresetAwareEditor::overlayCancelButton, "CANCEL", 'R', 'B', 'R', 'B', -326, -66, -178, -22, false},
                   {&PresetAwareEditor::overlayConfirmButton, "SAVE", 'R', 'B', 'R', 'B', -162, -66, -32, -22, false}},
                  1, "save");
    EXPECT_EQ(editor->overlayDismissButton, nullptr);
    EXPECT_EQ(editor->overlayLinkButton, nullptr);
    EXPECT_FALSE(editor->overlayDeleteMode);

    CTextEdit* field = editor->overlayNameField;
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(overlay()->getChildren()[0].get(), field);
    const CRect p = overlay()->getPanelRect();
    EXPECT_TRUE(rectNear(field->getViewSize(), CRect(p.left + 32, p.top + 116, p.right - 32, p.top + 166)));
    EXPECT_EQ(field->getListener(), editor);
    EXPECT_EQ(field->getTag(), -1);
    EXPECT_TRUE(field->getText() == before || field->getText() == after) << field->getText();
    EXPECT_EQ(field->getBackground(), nullptr);
    EXPECT_EQ(field->getStyle(), 0);
    EXPECT_TRUE(sameColour(field->getBackColor(), CColor(5, 11, 14, 255)));
    EXPECT_TRUE(sameColour(field->getFontColor(), CColor(224, 232, 231, 255)));
    EXPECT_TRUE(sameColour(field->getFrameColor(), CColor(53, 205, 215, 255)));
    EXPECT_EQ(field->getFrameWidth(), 2);
    ASSERT_NE(field->getFont(), nullptr);
    EXPECT_EQ(field->getFont()->getName(), "Arial");
    EXPECT_EQ(field->getFont()->getSize(), 18);
    EXPECT_EQ(field->getFont()->getStyle(), kNormalFace);
    EXPECT_EQ(field->getTextInset(), CPoint(12, 0));
    EXPECT_EQ(field->getHoriAlign(), kCenterText);
    // The user can type at once.
    EXPECT_EQ(frame()->getFocusView(), field);
    EXPECT_TRUE(field->isEditingText());
}

TEST_F(OverlayDialogs, MessageHasOnlyDismiss) {
    editor->showMessageOverlay("SAVE FAILED", "The preset could not be written.\nCheck the folder.");
    ASSERT_NE(overlay(), nullptr);
    EXPECT_EQ(overlay()->getTitle(), "SAVE FAILED");
    EXPECT_EQ(overlay()->getBody(), "The preset could not be written.\nCheck the folder.");
    expectButtons(*editor,
                  {{&PresetAwareEditor::overlayDismissButton, "DISMISS", 'R', 'B', 'R', 'B', -178, -66, -32, -22, false}},
                  0, "message");
    EXPECT_EQ(editor->overlayNameField, nullptr);
    EXPECT_EQ(editor->overlayCancelButton, nullptr);
    EXPECT_EQ(editor->overlayConfirmButton, nullptr);
    EXPECT_EQ(editor->overlayLinkButton, nullptr);
}

TEST_F(OverlayDialogs, DeleteAsksAboutTheSelectedUserPreset) {
    fillPresetMenu({"/data/presets/Deep One.thd", "/data/presets/x.thd"}, factoryPresetCount + 1);
    editor->showDeletePresetOverlay();
    ASSERT_NE(overlay(), nullptr);
    EXPECT_EQ(editor->pendingDeletePath, "/data/presets/x.thd");
    EXPECT_EQ(overlay()->getTitle(), "DELETE PRESET");
    EXPECT_EQ(overlay()->getBody(), "Delete user preset 'x'?\nThis cannot be undone.");
    expectButtons(*editor,
                  {{&PresetAwareEditor::overlayCancelButton, "CANCEL", 'R', 'B', 'R', 'B', -326, -66, -178, -22, false},
                   {&PresetAwareEditor::overlayConfirmButton, "DELETE", 'R', 'B', 'R', 'B', -162, -66, -32, -22, false}},
                  0, "delete");
    EXPECT_TRUE(editor->overlayDeleteMode);
    EXPECT_EQ(editor->overlayNameField, nullptr);
    EXPECT_EQ(editor->overlayDismissButton, nullptr);
}

TEST_F(OverlayDialogs, DeleteLabelsAreTheFileNamesWithoutTheirExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/p/x.thd", "x"},
        {"/p/Deep Rumble.thd", "Deep Rumble"},
        {"/p/a.b.thd", "a.b"},
        {"/p/abcd", "abcd"},  // shorter than five: kept whole
        {"/p/abcde", "a"},    // five: the last four go, whatever they are
        {"plain.thd", "plain"}, // no folder
    };
    for (const auto& [path, label] : cases) {
        fillPresetMenu({path}, factoryPresetCount);
        editor->showDeletePresetOverlay();
        ASSERT_NE(overlay(), nullptr) << path;
        EXPECT_EQ(overlay()->getBody(), std::string("Delete user preset '") + label + "'?\nThis cannot be undone.") << path;
        EXPECT_EQ(editor->pendingDeletePath, path);
        editor->closeOverlay();
        EXPECT_EQ(editor->pendingDeletePath, path); // closing leaves it to the preset code
    }
}

TEST_F(OverlayDialogs, DeleteOnAFactoryEntryGivesTheFactoryPresetMessage) {
    for (int32_t index : {0, factoryPresetCount - 1}) {
        fillPresetMenu({"/p/user.thd"}, index);
        editor->pendingDeletePath = "untouched";
        editor->showDeletePresetOverlay();
        ASSERT_NE(overlay(), nullptr) << index;
        EXPECT_EQ(overlay()->getTitle(), "FACTORY PRESET");
        EXPECT_EQ(overlay()->getBody(), "Factory and Init presets cannot be deleted.");
        EXPECT_NE(editor->overlayDismissButton, nullptr);
        EXPECT_FALSE(editor->overlayDeleteMode);
        EXPECT_EQ(editor->pendingDeletePath, "untouched");
        editor->closeOverlay();
    }
}

TEST_F(OverlayDialogs, DeleteWithoutAUserPresetAtTheIndexDoesNothing) {
    fillPresetMenu({"/p/a.thd"}, factoryPresetCount);
    editor->userPresetPaths.clear(); // the menu shows an entry the list no longer has
    editor->pendingDeletePath = "kept";
    editor->showDeletePresetOverlay();
    EXPECT_EQ(overlay(), nullptr);
    EXPECT_EQ(editor->pendingDeletePath, "kept");
}

// ---------------------------------------------------------------------------------------------
// One dialog at a time

TEST_F(OverlayDialogs, AboutAndMessageReplaceAnOpenDialogSaveAndDeleteDoNot) {
    editor->showSavePresetOverlay();
    PluginOverlayView* save = overlay();
    ASSERT_NE(save, nullptr);
    editor->showAboutOverlay();
    ASSERT_NE(overlay(), nullptr);
    EXPECT_NE(overlay(), save);
    EXPECT_EQ(overlay()->getTitle(), "ABOUT GRUNDMOOR");
    EXPECT_FALSE(save->isVisible());
    EXPECT_FALSE(save->getMouseEnabled());
    EXPECT_EQ(editor->overlayNameField, nullptr); // the save dialog's slots went with it
    EXPECT_EQ(editor->overlayCancelButton, nullptr);

    // Save while about is open: nothing at all.
    PluginOverlayView* about = overlay();
    const size_t children = rootChildren();
    editor->showSavePresetOverlay();
    EXPECT_EQ(overlay(), about);
    EXPECT_EQ(rootChildren(), children);
    EXPECT_TRUE(about->isVisible());

    // Delete while a dialog is open: only the path is remembered.
    fillPresetMenu({"/p/one.thd", "/p/two.thd"}, factoryPresetCount + 1);
    editor->showDeletePresetOverlay();
    EXPECT_EQ(overlay(), about);
    EXPECT_EQ(editor->pendingDeletePath, "/p/two.thd");
    EXPECT_FALSE(editor->overlayDeleteMode);
    EXPECT_EQ(rootChildren(), children);

    // A message replaces the about box.
    editor->showMessageOverlay("OOPS", "Body");
    EXPECT_NE(overlay(), about);
    EXPECT_EQ(overlay()->getTitle(), "OOPS");
    EXPECT_FALSE(about->isVisible());
    // About replaces a message too.
    PluginOverlayView* message = overlay();
    editor->showAboutOverlay();
    EXPECT_NE(overlay(), message);
    EXPECT_FALSE(message->isVisible());
}

TEST_F(OverlayDialogs, PressingSaveCurrentPresetWhileAboutIsOpenDoesNothing) {
    editor->showAboutOverlay();
    PluginOverlayView* about = overlay();
    CControl* save = controlWithTag(kSaveCurrentPreset);
    ASSERT_NE(save, nullptr);
    // The about box covers the button; the dispatch itself drops the request as well.
    save->beginEdit();
    save->setValueNormalized(1.0f);
    editor->valueChanged(save);
    save->setValueNormalized(0.0f);
    editor->valueChanged(save);
    save->endEdit();
    EXPECT_EQ(overlay(), about);
    EXPECT_EQ(overlay()->getTitle(), "ABOUT GRUNDMOOR");
}

TEST_F(OverlayDialogs, CloseClearsEverySlotHidesTheDialogAndKeepsThePendingPath) {
    fillPresetMenu({"/p/one.thd"}, factoryPresetCount);
    editor->showDeletePresetOverlay();
    PluginOverlayView* closing = overlay();
    ASSERT_NE(closing, nullptr);
    editor->closeOverlay();
    EXPECT_EQ(editor->overlayView, nullptr);
    EXPECT_EQ(editor->overlayCancelButton, nullptr);
    EXPECT_EQ(editor->overlayConfirmButton, nullptr);
    EXPECT_FALSE(editor->overlayDeleteMode);
    EXPECT_FALSE(editor->overlayClosingGuard);
    EXPECT_FALSE(closing->isVisible());
    EXPECT_FALSE(closing->getMouseEnabled());
    EXPECT_EQ(editor->pendingDeletePath, "/p/one.thd");
    // Closing with nothing open is harmless.
    editor->closeOverlay();
    EXPECT_FALSE(editor->overlayClosingGuard);
}

// ---------------------------------------------------------------------------------------------
// Clicks, the guard and the view tree

TEST_F(OverlayDialogs, DismissAndCancelCloseThroughTheirClicks) {
    editor->showMessageOverlay("T", "B");
    click(editor->overlayDismissButton);
    EXPECT_EQ(overlay(), nullptr);
    editor->showAboutOverlay();
    click(editor->overlayDismissButton);
    EXPECT_EQ(overlay(), nullptr);
    editor->showSavePresetOverlay();
    click(editor->overlayCancelButton);
    EXPECT_EQ(overlay(), nullptr);
    fillPresetMenu({"/p/one.thd"}, factoryPresetCount);
    editor->showDeletePresetOverlay();
    click(editor->overlayCancelButton);
    EXPECT_EQ(overlay(), nullptr);
    EXPECT_EQ(editor->pendingDeletePath, "/p/one.thd");
}

TEST_F(OverlayDialogs, ClosedDialogsLeaveTheTreeOnTheNextTickNotDuringTheirClick) {
    const size_t before = rootChildren();
    for (int cycle = 0; cycle < 6; ++cycle) {
        switch (cycle % 3) {
        case 0: editor->showMessageOverlay("T", "B"); break;
        case 1: editor->showAboutOverlay(); break;
        default: editor->showSavePresetOverlay(); break;
        }
        ASSERT_EQ(rootChildren(), before + 1) << cycle;
        SharedPointer<CView> closing(overlay());
        HeaderArrowButton* button = cycle % 3 == 2 ? editor->overlayCancelButton : editor->overlayDismissButton;
        click(button);
        ASSERT_EQ(overlay(), nullptr) << cycle;
        // The click that closed it is over, but the dialog goes only with the timer.
        EXPECT_EQ(rootChildren(), before + 1) << cycle;
        EXPECT_TRUE(root()->isChild(closing.get())) << cycle;
        tick();
        EXPECT_EQ(rootChildren(), before) << cycle;
        EXPECT_FALSE(root()->isChild(closing.get())) << cycle;
        EXPECT_EQ(closing->getNbReference(), 1) << cycle; // nothing else keeps it
    }
    EXPECT_TRUE(editor->closedOverlays.empty());
}

TEST_F(OverlayDialogs, ReplacedDialogsLeaveTheTreeToo) {
    const size_t before = rootChildren();
    for (int i = 0; i < 5; ++i) editor->showAboutOverlay(); // each one replaces the last
    editor->showMessageOverlay("T", "B");
    EXPECT_EQ(rootChildren(), before + 6);
    tick();
    EXPECT_EQ(rootChildren(), before + 1);
    EXPECT_EQ(root()->getChildren().back().get(), overlay());
    EXPECT_TRUE(overlay()->isVisible());
}

TEST_F(OverlayDialogs, AClosedDialogStillHoldingAPressWaitsForTheRelease) {
    editor->showSavePresetOverlay();
    HeaderArrowButton* cancel = editor->overlayCancelButton;
    SharedPointer<CView> save(overlay());
    mouseDown(centreOf(cancel));
    editor->showAboutOverlay(); // replaces the save dialog under the held button
    const size_t withBoth = rootChildren();
    tick();
    EXPECT_EQ(rootChildren(), withBoth);
    EXPECT_TRUE(root()->isChild(save.get()));
    // The release reaches the former cancel button, whose dialog is gone: nothing happens.
    PluginOverlayView* about = overlay();
    mouseUp(centreOf(cancel));
    EXPECT_EQ(overlay(), about);
    tick();
    EXPECT_FALSE(root()->isChild(save.get()));
    EXPECT_EQ(rootChildren(), withBoth - 1);
}

TEST_F(OverlayDialogs, ClicksWhileADialogIsOpenReachOnlyItsControls) {
    editor->showMessageOverlay("T", "B");
    PluginOverlayView* open = overlay();
    std::vector<CControl*> underneath;
    forEachView<CControl>(root(), [&](CControl* c) {
        if (!open->isChild(c, true)) underneath.push_back(c);
    });
    ASSERT_GT(underneath.size(), 10u);
    const CallLog log = logOf([&] {
        for (CControl* c : underneath) {
            if (!c->isVisible()) continue;
            const float value = c->getValueNormalized();
            const CPoint at = centreOf(c);
            mouseDown(at);
            mouseMove(CPoint(at.x + 30, at.y - 40));
            mouseUp(CPoint(at.x + 30, at.y - 40));
            CPoint w = at;
            frame()->onWheel(w, 1.0f, 0);
            EXPECT_EQ(c->getValueNormalized(), value) << c->getViewSize().left << "," << c->getViewSize().top;
            EXPECT_FALSE(c->isEditing());
        }
        // A grid of clicks over the whole editor, panel included.
        const CRect r = root()->getViewSize();
        for (double y = 5; y < r.getHeight(); y += 45)
            for (double x = 5; x < r.getWidth(); x += 45) {
                if (editor->overlayDismissButton->getViewSize().pointInside(CPoint(x, y))) continue;
                mouseDown(CPoint(x, y));
                mouseUp(CPoint(x, y));
            }
    });
    EXPECT_TRUE(log.empty()) << log.front();
    EXPECT_EQ(overlay(), open);
    EXPECT_TRUE(open->isVisible());
    EXPECT_EQ(frame()->getFocusView(), nullptr);
    // And its own button still works.
    click(editor->overlayDismissButton);
    EXPECT_EQ(overlay(), nullptr);
}

TEST_F(OverlayDialogs, AfterClosingTheEditorIsClickableAgain) {
    editor->showMessageOverlay("T", "B");
    click(editor->overlayDismissButton);
    CControl* step = controlWithTag(kStep4);
    ASSERT_NE(step, nullptr);
    click(step); // the hidden dialog is still in the tree until the tick, but takes no mouse
    EXPECT_EQ(controller->getParamNormalized(kStep4), 0.5);
}

// An editor that notes every notification with the closing guard at that moment.
class ObservedEditor : public PresetAwareEditor {
public:
    using PresetAwareEditor::PresetAwareEditor;
    struct Seen {
        CControl* control;
        bool returnPressed;
        bool guard;
    };
    void valueChanged(CControl* c) override {
        auto* edit = dynamic_cast<CTextEdit*>(c);
        seen.push_back({c, edit && edit->bWasReturnPressed, overlayClosingGuard});
        PresetAwareEditor::valueChanged(c);
    }
    std::vector<Seen> seen;
};

class ObservedOverlayDialogs : public OverlayDialogs {
protected:
    void SetUp() override {
        OverlayDialogs::SetUp();
        editor->removed();
        editor->release();
        observed = new ObservedEditor(controller, "view", description.c_str());
        editor = observed;
        editor->urlOpener = &fakeOpener;
        ASSERT_TRUE(open());
    }
    ObservedEditor* observed = nullptr;
};

void press(CFrame* frame, unsigned char virt, int32_t character = 0) {
    VstKeyCode key;
    key.virt = virt;
    key.character = character;
    frame->onKeyDown(key);
}

TEST_F(ObservedOverlayDialogs, ReturnInTheNameFieldReachesTheEditorAsAConfirmation) {
    editor->showSavePresetOverlay();
    CTextEdit* field = editor->overlayNameField;
    ASSERT_EQ(frame()->getFocusView(), field);
    // The offered name is selected: End keeps it and types after it.
    press(frame(), VKEY_END);
    for (const char* c = "-A1"; *c; ++c) press(frame(), 0, *c);
    observed->seen.clear();
    press(frame(), VKEY_RETURN);
    ASSERT_EQ(observed->seen.size(), 1u);
    EXPECT_EQ(observed->seen[0].control, field);
    EXPECT_TRUE(observed->seen[0].returnPressed);
    EXPECT_FALSE(observed->seen[0].guard);
    EXPECT_TRUE(field->bWasReturnPressed);
    EXPECT_EQ(field->getText().substr(field->getText().size() - 3), "-A1");
    EXPECT_EQ(field->getText().rfind("GRUNDMOOR-", 0), 0u);
}

TEST_F(ObservedOverlayDialogs, ClosingWhileTypingEndsTheEditUnderTheGuard) {
    // As the about box or a confirmed save closes the dialog from code while the name is typed.
    editor->showSavePresetOverlay();
    CTextEdit* field = editor->overlayNameField;
    ASSERT_TRUE(field->isEditingText());
    observed->seen.clear();
    editor->showAboutOverlay();
    ASSERT_EQ(observed->seen.size(), 1u);
    EXPECT_EQ(observed->seen[0].control, field);
    EXPECT_TRUE(observed->seen[0].guard);
    EXPECT_FALSE(observed->seen[0].returnPressed);
    EXPECT_FALSE(field->isEditingText());
    EXPECT_EQ(frame()->getFocusView(), nullptr);
    EXPECT_FALSE(editor->overlayClosingGuard);
    EXPECT_EQ(overlay()->getTitle(), "ABOUT GRUNDMOOR");
}

TEST_F(ObservedOverlayDialogs, PressingCancelWhileTypingEndsTheEditWithoutConfirming) {
    editor->showSavePresetOverlay();
    CTextEdit* field = editor->overlayNameField;
    observed->seen.clear();
    click(editor->overlayCancelButton);
    EXPECT_EQ(overlay(), nullptr);
    // The press took the focus from the field (no Return), then the release closed the dialog.
    ASSERT_FALSE(observed->seen.empty());
    EXPECT_EQ(observed->seen[0].control, field);
    EXPECT_FALSE(observed->seen[0].returnPressed);
    EXPECT_FALSE(field->isEditingText());
    EXPECT_EQ(frame()->getFocusView(), nullptr);
}

TEST_F(OverlayDialogs, TheLinkOpensTheMakersPageOncePerClick) {
    editor->showAboutOverlay();
    click(editor->overlayLinkButton);
    ASSERT_EQ(openedUrls.size(), 1u);
    EXPECT_EQ(openedUrls[0], kMakerWebPage);
    EXPECT_NE(overlay(), nullptr); // the about box stays open
    click(editor->overlayLinkButton);
    EXPECT_EQ(openedUrls.size(), 2u);
}

TEST_F(OverlayDialogs, WithoutAFakeTheLinkRunsTheSystemOpenerWithTheAddressAsItsOnlyArgument) {
    // A stand-in for xdg-open that writes its arguments, one per line, then moves the file into place.
    const std::filesystem::path script = dataHome.path / "opener.sh";
    const std::filesystem::path record = dataHome.path / "opened.txt";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" << record.string()
                          << ".part\" && mv \"" << record.string() << ".part\" \"" << record.string() << "\"\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    setenv("GRUNDMOOR_URL_OPENER", script.c_str(), 1);
    editor->urlOpener = nullptr;
    editor->showAboutOverlay();
    click(editor->overlayLinkButton);
    for (int i = 0; i < 500 && !std::filesystem::exists(record); ++i) usleep(10000);
    unsetenv("GRUNDMOOR_URL_OPENER");
    std::ifstream in(record);
    std::string count, address, rest;
    std::getline(in, count);
    std::getline(in, address);
    EXPECT_EQ(count, "1");
    EXPECT_EQ(address, kMakerWebPage);
    EXPECT_FALSE(std::getline(in, rest));
}

TEST(OverlayLinkOpener, IsTheSystemOpenerUnlessReplaced) {
    ManualRunLoop loop;
    RunLoop::set(&loop);
    auto* controller = new ThudderController;
    ASSERT_EQ(controller->initialize(nullptr), Steinberg::kResultOk);
    auto* editor = new PresetAwareEditor(controller, "view", "none.uidesc");
    EXPECT_EQ(editor->urlOpener, &Steinberg::openURLInDefaultApplication);
    editor->release();
    controller->terminate();
    controller->release();
    RunLoop::clear(&loop);
}

TEST_F(OverlayDialogs, TheBrandAndTheLogoOpenTheAboutBoxOnALeftClick) {
    struct Case {
        const char* name;
        CView* view;
    };
    const Case cases[] = {{"brand", firstView<BrandLockupView>(root())}, {"logo", firstView<TarnwellLogoView>(root())}};
    for (const Case& c : cases) {
        ASSERT_NE(c.view, nullptr) << c.name;
        for (int32_t buttons : {kRButton, kMButton}) {
            mouseDown(centreOf(c.view), buttons);
            mouseUp(centreOf(c.view), buttons);
            EXPECT_EQ(overlay(), nullptr) << c.name << " " << buttons;
        }
        mouseDown(centreOf(c.view), kLButton | kShift);
        mouseUp(centreOf(c.view), kLButton | kShift);
        ASSERT_NE(overlay(), nullptr) << c.name;
        EXPECT_EQ(overlay()->getTitle(), "ABOUT GRUNDMOOR") << c.name;
        click(editor->overlayDismissButton);
        EXPECT_EQ(overlay(), nullptr) << c.name;
        tick();
    }
}

// ---------------------------------------------------------------------------------------------
// Editor close and destruction with dialogs about

TEST_F(OverlayDialogs, ClosingTheEditorWithAnOpenAndAClosedDialogReleasesBoth) {
    editor->showMessageOverlay("T", "B");
    SharedPointer<CView> closed(overlay());
    click(editor->overlayDismissButton); // waits for the timer
    editor->showSavePresetOverlay();     // open, with the field focused
    SharedPointer<CView> stillOpen(overlay());
    ASSERT_EQ(editor->closedOverlays.size(), 1u);
    editor->removed();
    EXPECT_EQ(editor->overlayView, nullptr);
    EXPECT_EQ(editor->overlayNameField, nullptr);
    EXPECT_TRUE(editor->closedOverlays.empty());
    EXPECT_EQ(closed->getNbReference(), 1); // only ours: the editor and the tree let go
    EXPECT_EQ(stillOpen->getNbReference(), 1);
    tick(); // the timer still runs while closed and has nothing left to touch
    // Opened again, dialogs work as before.
    ASSERT_TRUE(open());
    editor->showAboutOverlay();
    EXPECT_NE(overlay(), nullptr);
    click(editor->overlayDismissButton);
    tick();
    EXPECT_EQ(overlay(), nullptr);
}

TEST_F(OverlayDialogs, DestroyingTheEditorWithDialogsAboutReleasesThem) {
    editor->showAboutOverlay();
    SharedPointer<CView> closed(overlay());
    click(editor->overlayDismissButton);
    editor->showSavePresetOverlay();
    SharedPointer<CView> open(overlay());
    editor->release(); // still attached: the library closes the frame as it goes
    editor = nullptr;
    EXPECT_EQ(closed->getNbReference(), 1);
    EXPECT_EQ(open->getNbReference(), 1);
    loop.advance(100);
}

// ---------------------------------------------------------------------------------------------
// The installed description

class OverlayDialogsOnTheInstalledDescription : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        editor->release();
        editor = new PresetAwareEditor(controller, "view", (kResources + "/editor.uidesc").c_str());
        ASSERT_TRUE(open());
    }
};

TEST_F(OverlayDialogsOnTheInstalledDescription, PanelsInTheRootOfTheEditor) {
    ASSERT_NE(root(), nullptr);
    EXPECT_EQ(root()->getViewSize(), CRect(0, 0, 1770, 1070));
    // 1770 - 70 is above 760: 760 wide, (1770 - 760) / 2 = 505 from the left.
    for (double zoom : {1.0, 0.65}) {
        editor->setZoomFactor(zoom);
        EXPECT_TRUE(rectNear(editor->overlayPanelRect(340), CRect(505, 365, 1265, 705))) << zoom;
        EXPECT_TRUE(rectNear(editor->overlayPanelRect(510), CRect(505, 280, 1265, 790))) << zoom;
    }
    editor->setZoomFactor(1.0);
    editor->showAboutOverlay();
    ASSERT_NE(editor->overlayView, nullptr);
    EXPECT_EQ(editor->overlayView->getViewSize(), CRect(0, 0, 1770, 1070));
    EXPECT_TRUE(rectNear(editor->overlayView->getPanelRect(), CRect(505, 280, 1265, 790)));
    // The whole about text is drawn above the buttons: the lead at 280 + 65, then 25 on, an empty
    // line (13), two lines 25 apart, another empty line (13) and the version.
    const auto lines = drawnStrings(*editor->overlayView);
    const std::pair<const char*, double> expected[] = {{"ABOUT GRUNDMOOR", 292},
                                                       {"GRUNDMOOR RUMBLE KICK", 345},
                                                       {"Synthesized kick and wave layers, rhythmic sequencing,", 383},
                                                       {"ambience, delay and dedicated long-tail rumble effects.", 408},
                                                       {"Version 1.0.3", 446}};
    ASSERT_EQ(lines.size(), std::size(expected));
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].text, expected[i].first);
        EXPECT_EQ(lines[i].rect.top, expected[i].second) << lines[i].text;
    }
}

TEST_F(OverlayDialogsOnTheInstalledDescription, ViewsUnderADialogShowNoTooltips) {
    CView* brand = firstView<BrandLockupView>(root());
    ASSERT_NE(brand, nullptr);
    ASSERT_FALSE(brand->getTooltipText().empty());
    CPoint at = centreOf(brand);
    frame()->onMouseMoved(at, 0);
    loop.advance(600);
    EXPECT_EQ(frame()->getVisibleTooltipText(), brand->getTooltipText()); // without a dialog it shows
    editor->showMessageOverlay("T", "B");
    for (CPoint p : {CPoint(at.x + 3, at.y + 3), CPoint(at.x + 10, at.y)}) {
        frame()->onMouseMoved(p, 0);
        loop.advance(600);
        EXPECT_FALSE(frame()->isTooltipVisible()) << frame()->getVisibleTooltipText();
    }
}

} // namespace
} // namespace TarnwellPlugin::testing
