#pragma once

// An editor opened off-screen on a manual run loop, with a controller that logs every edit it
// makes and the component-handler calls it sends, in one list.

#include "PresetAwareEditor.h"
#include "ParameterIds.h"
#include "ThudderController.h"

#include "vstgui/lib/coffscreen.h"
#include "vstgui/vstgui.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace TarnwellPlugin::testing {

// One call the editor made on its controller, as "begin 200", "set 200 0.5", "perform 200 0.5" or
// "end 200" (values to 4 decimals).
using CallLog = std::vector<std::string>;

inline std::string callText(const char* what, Steinberg::Vst::ParamID id, const double* value = nullptr) {
    std::ostringstream s;
    s << what << ' ' << id;
    if (value) {
        s.setf(std::ios::fixed);
        s.precision(4);
        s << ' ' << *value;
    }
    return s.str();
}

class RecordingHandler : public Steinberg::Vst::IComponentHandler {
public:
    explicit RecordingHandler(CallLog& l) : log(l) {}
    bool logging = true;
    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID id) override {
        if (logging) log.push_back(callText("begin", id));
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id, Steinberg::Vst::ParamValue v) override {
        if (logging) log.push_back(callText("perform", id, &v));
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID id) override {
        if (logging) log.push_back(callText("end", id));
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override {
        if (Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::Vst::IComponentHandler::iid) ||
            Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::FUnknown::iid)) {
            *obj = this;
            return Steinberg::kResultOk;
        }
        *obj = nullptr;
        return Steinberg::kNoInterface;
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

private:
    CallLog& log;
};

// The controller of the tests: setParamNormalized calls are logged while `logging` is set.
class LoggingController : public ThudderController {
public:
    Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id,
                                                     Steinberg::Vst::ParamValue value) override {
        if (logging && log) log->push_back(callText("set", id, &value));
        return ThudderController::setParamNormalized(id, value);
    }
    CallLog* log = nullptr;
    bool logging = false;
};

// A folder of its own for one test, removed afterwards.
class TemporaryFolder {
public:
    TemporaryFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "grundmoor-editor-XXXXXX").string();
        if (char* p = mkdtemp(pattern.data())) path = p;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    std::filesystem::path path;
};

// A PNG of one colour; its size tells the bitmaps apart.
inline void writePng(const std::filesystem::path& file, int width, int height) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgba(cr, 0.2, 0.6, 0.7, 1.0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(s, file.c_str());
    cairo_surface_destroy(s);
}

// The bitmap names the editor fetches, each with a distinct width.
struct NamedBitmap {
    const char* name;
    int width;
    int height;
};
inline constexpr NamedBitmap kEditorBitmaps[] = {
    {"toggle-70", 70, 56},          {"toggle-64", 64, 56},          {"tail-button", 71, 56},
    {"gain-fader-handle", 40, 20},  {"grundmoor-flat-brand", 200, 40}, {"tarnwell-plain-logo", 90, 40},
    {"lfo-wave-sine", 44, 60},      {"lfo-wave-square", 45, 60},    {"lfo-wave-triangle", 46, 60},
    {"lfo-wave-random", 47, 60},
};

// Copies the test description into a folder of its own, with bitmaps for every name the editor uses.
inline std::filesystem::path writeTestDescription(const std::filesystem::path& folder) {
    std::ifstream in(std::string(GRUNDMOOR_EDITOR_TEST_DATA) + "/test-editor.uidesc");
    std::stringstream text;
    text << in.rdbuf();
    std::string json = text.str();
    std::string bitmaps = "\"bitmaps\": {";
    for (size_t i = 0; i < std::size(kEditorBitmaps); ++i) {
        const NamedBitmap& b = kEditorBitmaps[i];
        writePng(folder / (std::string(b.name) + ".png"), b.width, b.height);
        bitmaps += std::string(i ? ", " : "") + "\"" + b.name + "\": {\"path\": \"" + b.name + ".png\"}";
    }
    bitmaps += "},\n";
    const std::string anchor = "\"version\": \"1\",";
    json.insert(json.find(anchor) + anchor.size(), "\n" + bitmaps);
    const std::filesystem::path file = folder / "test-editor.uidesc";
    std::ofstream(file) << json;
    return file;
}

// The editor on the test description, opened off-screen, with a private data folder.
class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override {
        VSTGUI::RunLoop::set(&loop);
        setenv("XDG_DATA_HOME", dataHome.path.c_str(), 1);
        description = writeTestDescription(resources.path);
        controller = new LoggingController;
        controller->log = &calls;
        ASSERT_EQ(controller->initialize(nullptr), Steinberg::kResultOk);
        controller->setComponentHandler(&handler);
        editor = new PresetAwareEditor(controller, "view", description.c_str());
    }
    void TearDown() override {
        if (editor) {
            if (editor->getFrame()) editor->removed();
            editor->release();
            editor = nullptr;
        }
        controller->setComponentHandler(nullptr);
        controller->terminate();
        controller->release();
        unsetenv("XDG_DATA_HOME");
        VSTGUI::RunLoop::clear(&loop);
    }

    bool open() {
        return editor->attached(reinterpret_cast<void*>(1), Steinberg::Vst::kPlatformTypeOffscreen) ==
               Steinberg::kResultTrue;
    }
    VSTGUI::CFrame* frame() const { return editor->getFrame(); }
    VSTGUI::CViewContainer* root() const {
        return frame() ? dynamic_cast<VSTGUI::CViewContainer*>(frame()->getView(0)) : nullptr;
    }

    // The first control of the tree with this tag (depth first), or null.
    VSTGUI::CControl* controlWithTag(int32_t tag) const { return findControl(root(), tag); }
    static VSTGUI::CControl* findControl(VSTGUI::CView* view, int32_t tag) {
        if (auto* c = dynamic_cast<VSTGUI::CControl*>(view); c && c->getTag() == tag) return c;
        if (auto* container = dynamic_cast<VSTGUI::CViewContainer*>(view))
            for (const auto& child : container->getChildren())
                if (auto* found = findControl(child.get(), tag)) return found;
        return nullptr;
    }

    // The centre of a view in frame coordinates.
    static VSTGUI::CPoint centreOf(const VSTGUI::CView* view) {
        VSTGUI::CPoint p = view->getViewSize().getCenter();
        view->localToFrame(p);
        return p;
    }
    void mouseDown(const VSTGUI::CPoint& at, int32_t buttons = VSTGUI::kLButton) {
        VSTGUI::CPoint p = at;
        frame()->onMouseDown(p, buttons);
    }
    void mouseMove(const VSTGUI::CPoint& at, int32_t buttons = VSTGUI::kLButton) {
        VSTGUI::CPoint p = at;
        frame()->onMouseMoved(p, buttons);
    }
    void mouseUp(const VSTGUI::CPoint& at, int32_t buttons = VSTGUI::kLButton) {
        VSTGUI::CPoint p = at;
        frame()->onMouseUp(p, buttons);
    }
    // A left click at the view's centre, through the frame as the window system delivers it.
    void click(const VSTGUI::CView* view) {
        mouseDown(centreOf(view));
        mouseUp(centreOf(view));
    }

    // What the editor sent to the controller and the host while `what` ran.
    template <typename F>
    CallLog logOf(F&& what) {
        calls.clear();
        controller->logging = true;
        handler.logging = true;
        what();
        controller->logging = false;
        return calls;
    }

    VSTGUI::ManualRunLoop loop;
    TemporaryFolder dataHome;
    TemporaryFolder resources;
    std::filesystem::path description;
    // The controller's own calls and the host's, in one order.
    CallLog calls;
    RecordingHandler handler{calls};
    LoggingController* controller = nullptr;
    PresetAwareEditor* editor = nullptr;
};

} // namespace TarnwellPlugin::testing
