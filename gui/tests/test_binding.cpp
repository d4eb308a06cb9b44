// The editor on a plain edit controller: parameter binding both ways, opening and failing, zoom,
// and the host's run loop.
#include "helpers.h"

#include "vstgui/plugin-bindings/vst3editor.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "public.sdk/source/vst/vstparameters.h"

#include <fstream>
#include <sstream>
#include <thread>

using namespace VSTGUI;
using namespace Steinberg;
using namespace testing_helpers;

namespace {

const std::string kDataDir = GRUNDMOOR_GUI_TEST_DATA;

class TestController : public Vst::EditController
{
public:
	TestController ()
	{
		parameters.addParameter (new Vst::RangeParameter (STR16 ("Gain"), 100, STR16 ("dB"), -24., 60., 0.));
		auto* list = new Vst::StringListParameter (STR16 ("Mode"), 101);
		list->appendString (STR16 ("Soft"));
		list->appendString (STR16 ("Hard"));
		list->appendString (STR16 ("Deep"));
		parameters.addParameter (list);
		parameters.addParameter (STR16 ("Enable"), nullptr, 1, 0., Vst::ParameterInfo::kCanAutomate, 102);
		parameters.addParameter (STR16 ("Attack"), nullptr, 0, 0.5, Vst::ParameterInfo::kCanAutomate, 177);
	}
};

// Records what the controller tells the host.
class RecordingHandler : public Vst::IComponentHandler
{
public:
	std::vector<std::string> calls;
	tresult PLUGIN_API beginEdit (Vst::ParamID id) override
	{
		calls.push_back ("begin " + std::to_string (id));
		return kResultOk;
	}
	tresult PLUGIN_API performEdit (Vst::ParamID id, Vst::ParamValue v) override
	{
		std::ostringstream s;
		s << "perform " << id << " " << v;
		calls.push_back (s.str ());
		return kResultOk;
	}
	tresult PLUGIN_API endEdit (Vst::ParamID id) override
	{
		calls.push_back ("end " + std::to_string (id));
		return kResultOk;
	}
	tresult PLUGIN_API restartComponent (int32) override { return kResultOk; }
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		if (FUnknownPrivate::iidEqual (iid, Vst::IComponentHandler::iid) || FUnknownPrivate::iidEqual (iid, FUnknown::iid))
		{
			*obj = this;
			return kResultOk;
		}
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }
	std::string str () const
	{
		std::string s;
		for (const auto& c : calls)
			s += (s.empty () ? "" : ", ") + c;
		return s;
	}
	int count (const std::string& prefix) const
	{
		return static_cast<int> (std::count_if (calls.begin (), calls.end (),
		                                        [&] (const auto& c) { return c.rfind (prefix, 0) == 0; }));
	}
};

// Sees every control change that reaches the editor.
class TestEditor : public AspectRatioVST3Editor
{
public:
	using AspectRatioVST3Editor::AspectRatioVST3Editor;
	std::vector<std::pair<int32_t, bool>> seen;
	std::vector<std::thread::id> seenOn;
	void valueChanged (CControl* c) override
	{
		seen.emplace_back (c->getTag (), c->isEditing ());
		seenOn.push_back (std::this_thread::get_id ());
		AspectRatioVST3Editor::valueChanged (c);
	}
};

struct Fixture
{
	TestController* controller = new TestController ();
	RecordingHandler handler;
	TestEditor* editor {nullptr};
	int parent = 0; // stands in for a host window

	explicit Fixture (const std::string& file = kDataDir + "/test.uidesc", const char* templateName = "view")
	{
		controller->initialize (nullptr);
		controller->setComponentHandler (&handler);
		editor = new TestEditor (controller, templateName, file.c_str ());
	}
	~Fixture ()
	{
		if (editor->getFrame ())
			editor->removed ();
		editor->release ();
		controller->setComponentHandler (nullptr);
		controller->terminate ();
		controller->release ();
	}
	bool attach () { return editor->attached (&parent, Vst::kPlatformTypeOffscreen) == kResultTrue; }
	CViewContainer* root () const { return dynamic_cast<CViewContainer*> (editor->getFrame ()->getView (0)); }
	template <typename T>
	T* find (int32_t tag) const
	{
		std::function<T* (CViewContainer*)> search = [&] (CViewContainer* c) -> T* {
			for (const auto& v : c->getChildren ())
			{
				if (auto t = v.cast<T> (); t && t->getTag () == tag)
					return t;
				if (auto sub = v.cast<CViewContainer> ())
					if (auto r = search (sub))
						return r;
			}
			return nullptr;
		};
		return search (root ());
	}
	void mouse (const char* what, CCoord x, CCoord y)
	{
		CPoint p (x, y);
		CFrame* f = editor->getFrame ();
		if (std::string (what) == "down")
			f->onMouseDown (p, kLButton);
		else if (std::string (what) == "move")
			f->onMouseMoved (p, kLButton);
		else
			f->onMouseUp (p, kLButton);
	}
};

TEST (Binding, ControlsStartAtTheirParameterValues)
{
	Fixture f;
	f.controller->setParamNormalized (101, 1.0);
	ASSERT_TRUE (f.attach ());
	auto* knob = f.find<CKnob> (100);
	ASSERT_NE (knob, nullptr);
	EXPECT_NEAR (knob->getValueNormalized (), 24. / 84., 1e-6);
	EXPECT_NEAR (knob->getDefaultValue (), 24. / 84., 1e-6);
	auto* menu = f.find<COptionMenu> (101);
	ASSERT_NE (menu, nullptr);
	ASSERT_EQ (menu->getNbEntries (), 3) << "the list parameter fills the menu";
	EXPECT_EQ (menu->getEntry (0)->getTitle (), "Soft");
	EXPECT_EQ (menu->getEntry (2)->getTitle (), "Deep");
	EXPECT_EQ (menu->getCurrentIndex (), 2);
	EXPECT_EQ (f.editor->getBoundControlCount (100), 1u);
	EXPECT_EQ (f.editor->getBoundControlCount (102), 1u);
	EXPECT_EQ (f.handler.str (), "") << "opening edits nothing";
}

TEST (Binding, OnePerformEditPerDragStepInsideOneBeginEndPair)
{
	Fixture f;
	f.editor->setKnobMode (kLinearMode);
	ASSERT_TRUE (f.attach ());
	auto* knob = f.find<CKnob> (100);
	ASSERT_NE (knob, nullptr);
	const double start = 24. / 84.;
	f.mouse ("down", 50, 90);
	f.mouse ("move", 50, 80);
	f.mouse ("move", 50, 70);
	f.mouse ("move", 50, 70); // no change, no edit
	f.mouse ("move", 50, 60);
	f.mouse ("up", 50, 60);
	ASSERT_EQ (f.handler.calls.size (), 5u) << f.handler.str ();
	EXPECT_EQ (f.handler.calls.front (), "begin 100");
	EXPECT_EQ (f.handler.count ("perform 100"), 3);
	EXPECT_EQ (f.handler.calls.back (), "end 100");
	EXPECT_NEAR (f.controller->getParamNormalized (100), start + 0.15, 1e-6);
	EXPECT_NEAR (knob->getValueNormalized (), start + 0.15, 1e-6);
	// The editor saw each step while the knob was editing, and nothing more.
	for (const auto& [tag, editing] : f.editor->seen)
	{
		EXPECT_EQ (tag, 100);
		EXPECT_TRUE (editing);
	}
	EXPECT_EQ (f.editor->seen.size (), 3u);
}

TEST (Binding, ButtonAndMenuEdits)
{
	Fixture f;
	ASSERT_TRUE (f.attach ());
	f.mouse ("down", 260, 80); // ENABLE, on-off
	f.mouse ("up", 260, 80);
	EXPECT_EQ (f.handler.str (), "begin 102, perform 102 1, end 102");
	EXPECT_EQ (f.controller->getParamNormalized (102), 1.0);
	f.handler.calls.clear ();

	auto* menu = f.find<COptionMenu> (101);
	f.mouse ("down", 150, 85);
	auto* popup = dynamic_cast<IOptionMenuPopup*> (menu->getPopupView ());
	ASSERT_NE (popup, nullptr);
	const CPoint row = popup->getRowRect (1).getCenter ();
	f.mouse ("down", row.x, row.y);
	f.mouse ("up", row.x, row.y);
	EXPECT_EQ (f.handler.str (), "begin 101, perform 101 0.5, end 101");
	EXPECT_EQ (menu->getCurrentIndex (), 1);
}

TEST (Binding, HostChangesMoveTheControlsAndReachTheEditor)
{
	Fixture f;
	ASSERT_TRUE (f.attach ());
	auto* knob = f.find<CKnob> (100);
	auto* menu = f.find<COptionMenu> (101);
	auto* button = f.find<CTextButton> (102);
	f.controller->setParamNormalized (100, 0.75);
	f.controller->setParamNormalized (101, 0.5);
	f.controller->setParamNormalized (102, 1.0);
	EXPECT_FLOAT_EQ (knob->getValueNormalized (), 0.75f);
	EXPECT_EQ (menu->getCurrentIndex (), 1);
	EXPECT_EQ (button->getValue (), 1.f);
	EXPECT_EQ (f.editor->seen, (std::vector<std::pair<int32_t, bool>> {{100, false}, {101, false}, {102, false}}));
	EXPECT_EQ (f.handler.str (), "") << "a host change is not sent back";
	f.controller->setParamNormalized (100, 0.75);
	EXPECT_EQ (f.editor->seen.size (), 3u) << "no notification without a change";
}

TEST (Binding, AnEditorFollowUpMayChangeAnotherParameter)
{
	struct FollowingEditor : TestEditor
	{
		using TestEditor::TestEditor;
		void valueChanged (CControl* c) override
		{
			TestEditor::valueChanged (c);
			// "Enable" switched on by the host pulls "Gain" to the top.
			if (c->getTag () == 102 && !c->isEditing () && c->getValue () >= 0.5f)
				getController ()->setParamNormalized (100, 1.0);
		}
	};
	auto* controller = new TestController ();
	auto* editor = new FollowingEditor (controller, "view", (kDataDir + "/test.uidesc").c_str ());
	int parent = 0;
	ASSERT_EQ (editor->attached (&parent, Vst::kPlatformTypeOffscreen), kResultTrue);
	controller->setParamNormalized (102, 1.0);
	EXPECT_EQ (controller->getParamNormalized (100), 1.0);
	auto* root = dynamic_cast<CViewContainer*> (editor->getFrame ()->getView (0));
	auto* knob = dynamic_cast<CKnob*> (root->getView (2));
	ASSERT_NE (knob, nullptr);
	EXPECT_FLOAT_EQ (knob->getValueNormalized (), 1.f);
	// Destroying an open editor closes it first.
	editor->release ();
	controller->setParamNormalized (100, 0.2); // no binding left to notify
	controller->release ();
}

TEST (Binding, ATagChangeRebindsAndMinusOneIsNeverBound)
{
	Fixture f;
	ASSERT_TRUE (f.attach ());
	auto* knob = f.find<CKnob> (100);
	knob->setTag (177);
	EXPECT_EQ (f.editor->getBoundControlCount (100), 0u);
	EXPECT_EQ (f.editor->getBoundControlCount (177), 2u) << "joins the description's own 177 knob";
	f.controller->setParamNormalized (100, 0.9);
	EXPECT_NE (knob->getValueNormalized (), 0.9f);
	f.controller->setParamNormalized (177, 0.1);
	EXPECT_FLOAT_EQ (knob->getValueNormalized (), 0.1f);
	knob->setTag (-1);
	EXPECT_EQ (f.editor->getBoundControlCount (177), 1u);
	EXPECT_EQ (f.editor->getBoundControlCount (-1), 0u);
	f.controller->setParamNormalized (177, 0.3);
	EXPECT_FLOAT_EQ (knob->getValueNormalized (), 0.1f);
}

TEST (Binding, ClosingDuringADragEndsTheEdit)
{
	Fixture f;
	f.editor->setKnobMode (kLinearMode);
	ASSERT_TRUE (f.attach ());
	f.mouse ("down", 50, 90);
	f.mouse ("move", 50, 80);
	EXPECT_EQ (f.editor->removed (), kResultOk);
	EXPECT_EQ (f.editor->getFrame (), nullptr);
	EXPECT_EQ (f.handler.count ("begin"), 1);
	EXPECT_EQ (f.handler.count ("end"), 1) << f.handler.str ();
	// And it opens again.
	EXPECT_TRUE (f.attach ());
}

// Follow-ups that retag bound controls while the binding is still at work.
TEST (Binding, AFollowUpMayUnbindControlsOfTheRunningBinding)
{
	struct RetaggingEditor : TestEditor
	{
		using TestEditor::TestEditor;
		std::vector<CControl*> retag;
		int32_t newTag {-1};
		void valueChanged (CControl* c) override
		{
			TestEditor::valueChanged (c);
			auto targets = std::move (retag);
			for (auto* t : targets)
				t->setTag (newTag);
		}
	};
	struct Case
	{
		const char* name;
		bool fromHost;   // the change comes from the host, else from a drag of the first knob
		int32_t newTag;  // -1 unbinds, 100 moves the controls to another binding
	};
	const Case cases[] = {
	    {"host change, unbind", true, -1},
	    {"host change, rebind elsewhere", true, 100},
	    {"own edit, unbind", false, -1},
	    {"own edit, rebind elsewhere", false, 100},
	};
	for (const auto& k : cases)
	{
		auto* controller = new TestController ();
		RecordingHandler handler;
		controller->setComponentHandler (&handler);
		auto* editor = new RetaggingEditor (controller, "view", (kDataDir + "/test.uidesc").c_str ());
		editor->setKnobMode (kLinearMode);
		int parent = 0;
		ASSERT_EQ (editor->attached (&parent, Vst::kPlatformTypeOffscreen), kResultTrue) << k.name;
		auto* root = dynamic_cast<CViewContainer*> (editor->getFrame ()->getView (0));
		auto* first = dynamic_cast<CKnob*> (root->getView (2));
		ASSERT_NE (first, nullptr) << k.name;
		first->setTag (177); // two knobs on one binding
		auto* box = dynamic_cast<CViewContainer*> (root->getView (5));
		ASSERT_NE (box, nullptr) << k.name;
		CKnob* second = nullptr;
		for (const auto& v : box->getChildren ())
			if (auto knob = v.cast<CKnob> ())
				second = knob;
		ASSERT_NE (second, nullptr) << k.name;
		ASSERT_EQ (editor->getBoundControlCount (177), 2u) << k.name;
		editor->newTag = k.newTag;
		editor->retag = {first, second};
		editor->seen.clear ();
		if (k.fromHost)
			controller->setParamNormalized (177, 0.9);
		else
		{
			CFrame* f = editor->getFrame ();
			CPoint p (50, 90);
			f->onMouseDown (p, kLButton);
			p = CPoint (50, 70);
			f->onMouseMoved (p, kLButton);
			p = CPoint (50, 70);
			f->onMouseUp (p, kLButton);
		}
		EXPECT_EQ (editor->getBoundControlCount (177), 0u) << k.name;
		EXPECT_EQ (editor->getBoundControlCount (100), k.newTag == 100 ? 2u : 0u) << k.name;
		// A host change: the first control's follow-up unbound the second, which is not told.
		// An own edit: the second control hears of it and unbinds both during performEdit.
		EXPECT_EQ (editor->seen.size (), k.fromHost ? 1u : 2u) << k.name;
		if (!k.fromHost)
		{
			EXPECT_EQ (handler.count ("begin 177"), 1) << k.name << ": " << handler.str ();
			EXPECT_EQ (handler.count ("perform 177"), 1) << k.name << ": " << handler.str ();
			EXPECT_EQ (handler.count ("end 177"), 1) << k.name << ": " << handler.str ();
		}
		editor->removed ();
		editor->release ();
		controller->setComponentHandler (nullptr);
		controller->release ();
	}
}

TEST (Editor, OpeningFailsCleanly)
{
	const std::string dir = makeTempDir ();
	{
		std::ofstream (dir + "/broken.uidesc") << "{\"vstgui-ui-description\": {";
	}
	struct Case
	{
		const char* name;
		std::string file;
		const char* templateName;
		bool nullParent;
		const char* type;
	};
	const Case cases[] = {
	    {"null parent", kDataDir + "/test.uidesc", "view", true, Vst::kPlatformTypeOffscreen},
	    {"null parent, X11", kDataDir + "/test.uidesc", "view", true, kPlatformTypeX11EmbedWindowID},
	    {"unsupported platform", kDataDir + "/test.uidesc", "view", false, kPlatformTypeHWND},
	    {"missing template", kDataDir + "/test.uidesc", "nothing", false, Vst::kPlatformTypeOffscreen},
	    {"missing file", dir + "/missing.uidesc", "view", false, Vst::kPlatformTypeOffscreen},
	    {"malformed file", dir + "/broken.uidesc", "view", false, Vst::kPlatformTypeOffscreen},
	};
	for (const auto& k : cases)
	{
		Fixture f (k.file, k.templateName);
		EXPECT_EQ (f.editor->attached (k.nullParent ? nullptr : &f.parent, k.type), kResultFalse) << k.name;
		EXPECT_EQ (f.editor->getFrame (), nullptr) << k.name;
		EXPECT_EQ (f.editor->getBoundControlCount (100), 0u) << k.name;
	}
	std::filesystem::remove_all (dir);
}

TEST (Editor, ZoomScalesTheFrameAndKeepsTheAspectRatio)
{
	Fixture f;
	f.editor->setMinZoomFactor (0.5);
	ViewRect r;
	f.editor->getSize (&r);
	EXPECT_EQ (r.getWidth (), 400);
	EXPECT_EQ (r.getHeight (), 240);
	f.editor->setZoomFactor (0.65);
	f.editor->getSize (&r);
	EXPECT_EQ (r.getWidth (), 260);
	EXPECT_EQ (r.getHeight (), 156);
	f.editor->setZoomFactor (0.2);
	EXPECT_DOUBLE_EQ (f.editor->getZoomFactor (), 0.5) << "never below the minimum";
	f.editor->setZoomFactor (0.65);
	ASSERT_TRUE (f.attach ());
	EXPECT_DOUBLE_EQ (f.editor->getFrame ()->getZoom (), 0.65);
	auto image = renderFrame (f.editor->getFrame ());
	EXPECT_EQ (image->getWidth (), 260);
	EXPECT_EQ (image->getHeight (), 156);
	EXPECT_TRUE (colorNear (probe (*image, 390, 120, 0.65), CColor (0x10, 0x18, 0x20, 255), 2)) << "panel colour";
	EXPECT_TRUE (colorNear (probe (*image, 275, 25, 0.65), CColor (0x18, 0xc1, 0xcf, 255), 2)) << "brand bitmap, left half";
	EXPECT_TRUE (colorNear (probe (*image, 365, 25, 0.65), CColor (0xed, 0x80, 0x2b, 255), 3)) << "brand bitmap, right half";

	EXPECT_EQ (f.editor->canResize (), kResultTrue);
	ViewRect wish (0, 0, 100, 100);
	EXPECT_EQ (f.editor->checkSizeConstraint (&wish), kResultTrue);
	EXPECT_EQ (wish.getWidth (), 200);
	EXPECT_EQ (wish.getHeight (), 120);
	ViewRect big (0, 0, 800, 600);
	f.editor->checkSizeConstraint (&big);
	EXPECT_EQ (big.getWidth (), 800);
	EXPECT_EQ (big.getHeight (), 480);
	f.editor->onSize (&big);
	EXPECT_DOUBLE_EQ (f.editor->getZoomFactor (), 2.0);
	EXPECT_DOUBLE_EQ (f.editor->getFrame ()->getZoom (), 2.0);
}

TEST (Editor, HostWheelEventsGoWhereThePointerWasLastSeen)
{
	struct Case
	{
		const char* name;
		CPoint pointer;
		bool reachesTheKnob;
	};
	const Case cases[] = {
	    {"over the Gain knob", CPoint (50, 90), true},
	    {"over the panel", CPoint (390, 20), false},
	    {"top left corner", CPoint (0, 0), false},
	};
	for (const auto& k : cases)
	{
		Fixture f;
		ASSERT_TRUE (f.attach ());
		auto* knob = f.find<CKnob> (100);
		const float before = knob->getValueNormalized ();
		f.editor->getFrame ()->getPlatformFrame ()->setLastPointerPosition (k.pointer);
		EXPECT_EQ (f.editor->onWheel (1.f) == kResultTrue, k.reachesTheKnob) << k.name;
		EXPECT_EQ (knob->getValueNormalized () != before, k.reachesTheKnob) << k.name;
		EXPECT_EQ (f.handler.count ("perform 100"), k.reachesTheKnob ? 1 : 0) << k.name << ": " << f.handler.str ();
	}
}

TEST (Editor, KeysFromTheHostReachTheTextEdit)
{
	Fixture f;
	ASSERT_TRUE (f.attach ());
	f.mouse ("down", 60, 160); // the CTextEdit at (30,150) in the frame
	auto* edit = dynamic_cast<CTextEdit*> (f.editor->getFrame ()->getFocusView ());
	ASSERT_NE (edit, nullptr);
	f.editor->onKeyDown (0, VKEY_END, 0);
	f.editor->onKeyDown ('!', 0, 0);
	f.editor->onKeyDown (0xE4, 0, 0);
	EXPECT_EQ (f.editor->onKeyDown (0, VKEY_RETURN, 0), kResultTrue);
	EXPECT_EQ (edit->getText (), "name!\xc3\xa4");
	EXPECT_TRUE (edit->bWasReturnPressed);
	EXPECT_EQ (f.editor->onKeyDown ('x', 0, 0), kResultFalse) << "no focus view any more";
}

TEST (Binding, ATextEditShowsAndSetsTheParameterText)
{
	const std::string dir = makeTempDir ();
	std::ofstream (dir + "/edit.uidesc") << R"({"vstgui-ui-description": {
		"control-tags": {"Gain": "100"},
		"templates": {"view": {"attributes": {"class": "CViewContainer", "size": "200, 50"},
			"children": [{"attributes": {"class": "CTextEdit", "control-tag": "Gain",
			                              "origin": "0, 0", "size": "100, 20"}}]}}}})";
	Fixture f (dir + "/edit.uidesc");
	ASSERT_TRUE (f.attach ());
	auto* edit = f.find<CTextEdit> (100);
	ASSERT_NE (edit, nullptr);
	EXPECT_EQ (edit->getText (), "0.0000") << "the parameter's own text";
	f.mouse ("down", 50, 10); // the caret lands in the middle of the centred text
	f.editor->onKeyDown (0, VKEY_END, 0);
	for (int i = 0; i < 4; ++i) // "0.0000" -> "0."
		f.editor->onKeyDown (0, VKEY_BACK, 0);
	f.editor->onKeyDown ('1', 0, 0);
	f.editor->onKeyDown ('2', 0, 0);
	f.editor->onKeyDown (0, VKEY_RETURN, 0);
	EXPECT_NEAR (f.controller->getParamNormalized (100), 24.12 / 84., 1e-9);
	ASSERT_EQ (f.handler.calls.size (), 3u) << f.handler.str ();
	EXPECT_EQ (f.handler.calls[0], "begin 100");
	EXPECT_EQ (f.handler.calls[2], "end 100");
	EXPECT_EQ (edit->getText (), "0.1200");
	f.controller->setParamNormalized (100, 1.0);
	EXPECT_EQ (edit->getText (), "60.0000") << "host changes show as text";
	std::filesystem::remove_all (dir);
}

TEST (UIDescriptionWithEditor, AViewDroppedInVerifyViewIsLeftOut)
{
	struct Dropper : TestEditor
	{
		using TestEditor::TestEditor;
		CView* verifyView (CView* view, const UIAttributes& a, const IUIDescription* d) override
		{
			if (dynamic_cast<CKnob*> (view))
				return nullptr; // the description lets go of it
			return TestEditor::verifyView (view, a, d);
		}
	};
	auto* controller = new TestController ();
	auto* editor = new Dropper (controller, "view", (kDataDir + "/test.uidesc").c_str ());
	int parent = 0;
	ASSERT_EQ (editor->attached (&parent, Vst::kPlatformTypeOffscreen), kResultTrue);
	auto* root = dynamic_cast<CViewContainer*> (editor->getFrame ()->getView (0));
	ASSERT_NE (root, nullptr);
	EXPECT_EQ (root->getNbViews (), 5u) << "the knob is gone, the rest stands";
	editor->removed ();
	editor->release ();
	controller->release ();
}

TEST (UIDescriptionWithEditor, ControlsDroppedOrReplacedInVerifyViewAreNotBound)
{
	enum class Way { DropOnly, BindThenDrop, BindThenReplace };
	struct Dropper : TestEditor
	{
		using TestEditor::TestEditor;
		Way way {Way::DropOnly};
		SharedPointer<CKnob> dropped;
		CView* verifyView (CView* view, const UIAttributes& a, const IUIDescription* d) override
		{
			auto* knob = dynamic_cast<CKnob*> (view);
			if (!knob || knob->getTag () != 100)
				return TestEditor::verifyView (view, a, d);
			dropped = knob;
			if (way == Way::DropOnly)
				return nullptr;
			TestEditor::verifyView (view, a, d);
			if (way == Way::BindThenDrop)
				return nullptr;
			auto* replacement = new CKnob (knob->getViewSize (), this, 100, nullptr, nullptr, CPoint (), 0);
			return TestEditor::verifyView (replacement, a, d);
		}
	};
	struct Case
	{
		const char* name;
		Way way;
		size_t boundAfter;
	};
	const Case cases[] = {
	    {"dropped, never bound by the editor", Way::DropOnly, 0u},
	    {"bound, then dropped", Way::BindThenDrop, 0u},
	    {"bound, then replaced", Way::BindThenReplace, 1u},
	};
	for (const auto& k : cases)
	{
		auto* controller = new TestController ();
		auto* editor = new Dropper (controller, "view", (kDataDir + "/test.uidesc").c_str ());
		editor->way = k.way;
		int parent = 0;
		ASSERT_EQ (editor->attached (&parent, Vst::kPlatformTypeOffscreen), kResultTrue) << k.name;
		ASSERT_NE (editor->dropped, nullptr) << k.name;
		EXPECT_EQ (editor->getBoundControlCount (100), k.boundAfter) << k.name;
		EXPECT_EQ (editor->dropped->getNbReference (), 1) << k.name << ": only the test holds the dropped knob";
		const float before = editor->dropped->getValueNormalized ();
		controller->setParamNormalized (100, 0.9);
		EXPECT_EQ (editor->dropped->getValueNormalized (), before) << k.name;
		editor->removed ();
		editor->dropped = nullptr;
		editor->release ();
		controller->release ();
	}
}

//------------------------------------------------------------------------
// A host frame that offers a run loop.
class FakeHostFrame : public IPlugFrame, public Linux::IRunLoop
{
public:
	std::vector<std::pair<Linux::ITimerHandler*, Linux::TimerInterval>> timers;
	std::vector<ViewRect> resizes;
	tresult PLUGIN_API resizeView (IPlugView*, ViewRect* r) override
	{
		if (r)
			resizes.push_back (*r);
		return kResultOk;
	}
	tresult PLUGIN_API registerEventHandler (Linux::IEventHandler*, Linux::FileDescriptor) override { return kResultOk; }
	tresult PLUGIN_API unregisterEventHandler (Linux::IEventHandler*) override { return kResultOk; }
	tresult PLUGIN_API registerTimer (Linux::ITimerHandler* h, Linux::TimerInterval ms) override
	{
		h->addRef ();
		timers.emplace_back (h, ms);
		return kResultOk;
	}
	tresult PLUGIN_API unregisterTimer (Linux::ITimerHandler* h) override
	{
		for (auto it = timers.begin (); it != timers.end (); ++it)
			if (it->first == h)
			{
				it->first->release ();
				timers.erase (it);
				return kResultOk;
			}
		return kResultFalse;
	}
	tresult PLUGIN_API queryInterface (const TUID iid, void** obj) override
	{
		if (FUnknownPrivate::iidEqual (iid, Linux::IRunLoop::iid))
		{
			*obj = static_cast<Linux::IRunLoop*> (this);
			return kResultOk;
		}
		if (FUnknownPrivate::iidEqual (iid, IPlugFrame::iid) || FUnknownPrivate::iidEqual (iid, FUnknown::iid))
		{
			*obj = static_cast<IPlugFrame*> (this);
			return kResultOk;
		}
		*obj = nullptr;
		return kNoInterface;
	}
	uint32 PLUGIN_API addRef () override { return 1; }
	uint32 PLUGIN_API release () override { return 1; }
};

TEST (Editor, TimersWaitForTheHostRunLoop)
{
	FakeHostFrame host;
	Fixture f;
	int ticks = 0;
	auto timer = makeOwned<CVSTGUITimer> ([&] (CVSTGUITimer*) { ++ticks; }, 33, true);
	EXPECT_TRUE (host.timers.empty ());
	f.editor->setFrame (&host);
	ASSERT_NE (f.editor->getHostRunLoop (), nullptr);
	ASSERT_EQ (host.timers.size (), 1u) << "the running timer moved to the host";
	EXPECT_EQ (host.timers[0].second, 33u);
	host.timers[0].first->onTimer ();
	host.timers[0].first->onTimer ();
	EXPECT_EQ (ticks, 2);
	auto second = makeOwned<CVSTGUITimer> ([&] (CVSTGUITimer*) {}, 100, true);
	EXPECT_EQ (host.timers.size (), 2u);
	second = nullptr;
	EXPECT_EQ (host.timers.size (), 1u);
	f.editor->setFrame (nullptr);
	EXPECT_TRUE (host.timers.empty ()) << "the host loop is left when the frame goes";
	EXPECT_EQ (RunLoop::get (), nullptr);
	EXPECT_TRUE (timer->isRunning ());
}

TEST (Editor, TimersMoveToAnotherEditorsRunLoopWhenTheirsGoes)
{
	struct Case
	{
		const char* name;
		bool firstLeavesFirst;
	};
	const Case cases[] = {
	    {"the editor whose loop runs the timers closes first", true},
	    {"the other editor closes first", false},
	};
	for (const auto& k : cases)
	{
		FakeHostFrame hostA, hostB;
		Fixture a, b;
		auto timer = makeOwned<CVSTGUITimer> ([] (CVSTGUITimer*) {}, 20, true);
		a.editor->setFrame (&hostA);
		b.editor->setFrame (&hostB);
		ASSERT_EQ (hostA.timers.size (), 1u) << k.name;
		EXPECT_TRUE (hostB.timers.empty ()) << k.name;
		if (k.firstLeavesFirst)
		{
			a.editor->setFrame (nullptr);
			EXPECT_TRUE (hostA.timers.empty ()) << k.name;
			ASSERT_EQ (hostB.timers.size (), 1u) << k.name << ": the timer moved to the loop still attached";
			EXPECT_NE (RunLoop::get (), nullptr) << k.name;
			b.editor->setFrame (nullptr);
		}
		else
		{
			b.editor->setFrame (nullptr);
			EXPECT_EQ (hostA.timers.size (), 1u) << k.name;
			EXPECT_TRUE (hostB.timers.empty ()) << k.name;
			a.editor->setFrame (nullptr);
		}
		EXPECT_TRUE (hostA.timers.empty ()) << k.name;
		EXPECT_TRUE (hostB.timers.empty ()) << k.name;
		EXPECT_EQ (RunLoop::get (), nullptr) << k.name;
		// A timer started while no loop is attached waits for the next one.
		b.editor->setFrame (&hostB);
		EXPECT_EQ (hostB.timers.size (), 1u) << k.name;
		b.editor->setFrame (nullptr);
	}
}

//------------------------------------------------------------------------
TEST (Editor, TheContentScaleMakesTheFrameSharperAndTheViewLarger)
{
	Fixture f;
	f.editor->setZoomFactor (0.65);
	FUnknown* unknown = static_cast<IPlugView*> (f.editor);
	IPlugViewContentScaleSupport* scaling = nullptr;
	ASSERT_EQ (unknown->queryInterface (IPlugViewContentScaleSupport::iid, reinterpret_cast<void**> (&scaling)),
	           kResultOk);
	ASSERT_NE (scaling, nullptr);
	IPlugView* view = nullptr;
	EXPECT_EQ (unknown->queryInterface (IPlugView::iid, reinterpret_cast<void**> (&view)), kResultOk);
	EXPECT_EQ (view, static_cast<IPlugView*> (f.editor));
	view->release ();

	// Before opening: the size the host asks for already holds the scale.
	EXPECT_EQ (scaling->setContentScaleFactor (2.f), kResultTrue);
	ViewRect r;
	f.editor->getSize (&r);
	EXPECT_EQ (r.getWidth (), 520);
	EXPECT_EQ (r.getHeight (), 312);
	FakeHostFrame host;
	f.editor->setFrame (&host);
	ASSERT_TRUE (f.attach ());
	EXPECT_DOUBLE_EQ (f.editor->getFrame ()->getZoom (), 1.3) << "0.65 zoom x 2 device pixels per point";
	EXPECT_DOUBLE_EQ (f.editor->getZoomFactor (), 0.65) << "the user's zoom is unchanged";
	auto image = renderFrame (f.editor->getFrame ());
	ASSERT_NE (image, nullptr);
	EXPECT_EQ (image->getWidth (), 520);
	EXPECT_EQ (image->getHeight (), 312);
	EXPECT_TRUE (colorNear (probe (*image, 390, 120, 1.3), CColor (0x10, 0x18, 0x20, 255), 2)) << "panel colour";

	// While attached, a change asks the host for the new size.
	EXPECT_EQ (scaling->setContentScaleFactor (1.5f), kResultTrue);
	ASSERT_FALSE (host.resizes.empty ());
	EXPECT_EQ (host.resizes.back ().getWidth (), 390);
	EXPECT_EQ (host.resizes.back ().getHeight (), 234);
	EXPECT_DOUBLE_EQ (f.editor->getFrame ()->getZoom (), 0.975);
	// So does a zoom change, at the same scale.
	f.editor->setZoomFactor (1.0);
	EXPECT_EQ (host.resizes.back ().getWidth (), 600);
	EXPECT_EQ (host.resizes.back ().getHeight (), 360);

	// Nonsense is refused and changes nothing.
	for (float bad : {0.f, -1.f, std::nanf (""), INFINITY, 1000.f})
		EXPECT_EQ (scaling->setContentScaleFactor (bad), kInvalidArgument) << bad;
	EXPECT_DOUBLE_EQ (f.editor->getContentScaleFactor (), 1.5);
	f.editor->getSize (&r);
	EXPECT_EQ (r.getWidth (), 600);
	scaling->release ();
	f.editor->removed ();
	f.editor->setFrame (nullptr);
}

// The template is 400 x 240 (5:3); zoom limits 0.3 and 2.0, as the plug-in's editor sets them.
TEST (Editor, SizeConstraintKeepsTheAspectRatioWithinTheZoomLimits)
{
	struct Case
	{
		const char* name;
		float scale;
		ViewRect wish;
		ViewRect result;
		double zoom;
	};
	const Case cases[] = {
	    {"exact fit", 1.f, {0, 0, 260, 156}, {0, 0, 260, 156}, 0.65},
	    {"too tall: the width decides", 1.f, {0, 0, 500, 900}, {0, 0, 500, 300}, 1.25},
	    {"too wide: the height decides", 1.f, {0, 0, 400, 100}, {0, 0, 167, 100}, 100. / 240.},
	    {"below the minimum", 1.f, {0, 0, 100, 100}, {0, 0, 120, 72}, 0.3},
	    {"nothing at all", 1.f, {0, 0, 0, 0}, {0, 0, 120, 72}, 0.3},
	    {"negative", 1.f, {0, 0, -50, -80}, {0, 0, 120, 72}, 0.3},
	    {"the maximum", 1.f, {0, 0, 800, 480}, {0, 0, 800, 480}, 2.0},
	    {"above the maximum", 1.f, {0, 0, 1000, 1000}, {0, 0, 800, 480}, 2.0},
	    {"far above", 1.f, {0, 0, 100000, 100000}, {0, 0, 800, 480}, 2.0},
	    {"left and top are kept", 1.f, {10, 20, 410, 260}, {10, 20, 410, 260}, 1.0},
	    {"scale 2: device pixels", 2.f, {0, 0, 800, 600}, {0, 0, 800, 480}, 1.0},
	    {"scale 2, below the minimum", 2.f, {0, 0, 100, 100}, {0, 0, 240, 144}, 0.3},
	    {"scale 2, above the maximum", 2.f, {0, 0, 2000, 2000}, {0, 0, 1600, 960}, 2.0},
	};
	for (const auto& k : cases)
	{
		Fixture f;
		f.editor->setMinZoomFactor (0.3);
		f.editor->setMaxZoomFactor (2.0);
		f.editor->setContentScaleFactor (k.scale);
		ASSERT_TRUE (f.attach ()) << k.name;
		ViewRect r = k.wish;
		EXPECT_EQ (f.editor->checkSizeConstraint (&r), kResultTrue) << k.name;
		EXPECT_EQ (r.left, k.result.left) << k.name;
		EXPECT_EQ (r.top, k.result.top) << k.name;
		EXPECT_EQ (r.right, k.result.right) << k.name;
		EXPECT_EQ (r.bottom, k.result.bottom) << k.name;
		// The host then sets that size, or the wish itself: both end at the same zoom.
		for (ViewRect size : {r, k.wish})
		{
			EXPECT_EQ (f.editor->onSize (&size), kResultTrue) << k.name;
			EXPECT_NEAR (f.editor->getZoomFactor (), k.zoom, 1e-3) << k.name;
			EXPECT_NEAR (f.editor->getFrame ()->getZoom (), k.zoom * k.scale, 2e-3) << k.name;
			ViewRect now;
			f.editor->getSize (&now);
			EXPECT_EQ (now.getWidth (), k.result.getWidth ()) << k.name;
		}
	}
}

TEST (Editor, ZoomLimits)
{
	Fixture f;
	f.editor->setMinZoomFactor (0.3);
	f.editor->setMaxZoomFactor (2.0);
	struct Case
	{
		double wish, zoom;
	};
	for (const auto& k : {Case {0.65, 0.65}, Case {3.5, 2.0}, Case {0.1, 0.3}, Case {2.0, 2.0}, Case {0.3, 0.3}})
	{
		f.editor->setZoomFactor (k.wish);
		EXPECT_DOUBLE_EQ (f.editor->getZoomFactor (), k.zoom) << k.wish;
	}
	f.editor->setZoomFactor (1.8);
	f.editor->setMaxZoomFactor (1.5);
	EXPECT_DOUBLE_EQ (f.editor->getZoomFactor (), 1.5) << "a lower maximum brings the zoom down";
	f.editor->setMinZoomFactor (1.6);
	EXPECT_DOUBLE_EQ (f.editor->getZoomFactor (), 1.6) << "the minimum wins over the maximum";
	EXPECT_FALSE (f.editor->setZoomFactor (std::nan ("")));
	EXPECT_DOUBLE_EQ (f.editor->getZoomFactor (), 1.6);
}

//------------------------------------------------------------------------
// A host may change parameters from its audio or state thread: the views follow on the UI
// thread's next timer tick, with the value current then.
TEST (Binding, ChangesFromAnotherThreadReachTheViewsOnTheUIThread)
{
	ManualRunLoop loop;
	RunLoop::set (&loop);
	{
		Fixture f;
		ASSERT_TRUE (f.attach ());
		auto* knob = f.find<CKnob> (100);
		auto* button = f.find<CTextButton> (102);
		ASSERT_NE (knob, nullptr);
		ASSERT_NE (button, nullptr);
		const float knobBefore = knob->getValueNormalized ();
		f.editor->getFrame ()->clearDirtyRect ();
		std::thread host ([&] {
			f.controller->setParamNormalized (100, 0.25);
			f.controller->setParamNormalized (100, 0.75); // only the last value is shown
			f.controller->setParamNormalized (102, 1.0);
		});
		host.join ();
		EXPECT_EQ (knob->getValueNormalized (), knobBefore) << "nothing is touched on the host's thread";
		EXPECT_EQ (button->getValue (), 0.f);
		EXPECT_TRUE (f.editor->seen.empty ());
		EXPECT_TRUE (f.editor->getFrame ()->getDirtyRect ().isEmpty ()) << "nor redrawn";

		loop.advance (20);
		EXPECT_FLOAT_EQ (knob->getValueNormalized (), 0.75f);
		EXPECT_EQ (button->getValue (), 1.f);
		EXPECT_EQ (f.editor->seen, (std::vector<std::pair<int32_t, bool>> {{100, false}, {102, false}}));
		for (const auto& id : f.editor->seenOn)
			EXPECT_EQ (id, std::this_thread::get_id ());
		EXPECT_FALSE (f.editor->getFrame ()->getDirtyRect ().isEmpty ());
		EXPECT_EQ (f.handler.str (), "") << "a host change is not sent back";
		loop.advance (100);
		EXPECT_EQ (f.editor->seen.size (), 2u) << "each change is applied once";

		// Changes on the UI thread itself still take effect at once.
		f.controller->setParamNormalized (100, 0.5);
		EXPECT_FLOAT_EQ (knob->getValueNormalized (), 0.5f);
		EXPECT_EQ (f.editor->seen.size (), 3u);

		// A binding that goes while its change is pending is not touched: the knob's tag goes
		// to -1, which drops the binding of parameter 100.
		f.editor->seen.clear ();
		std::thread again ([&] { f.controller->setParamNormalized (100, 0.1); });
		again.join ();
		knob->setTag (-1);
		EXPECT_EQ (f.editor->getBoundControlCount (100), 0u);
		loop.advance (20);
		EXPECT_FLOAT_EQ (knob->getValueNormalized (), 0.5f);
		EXPECT_TRUE (f.editor->seen.empty ());

		// Nor after the editor closed.
		std::thread late ([&] { f.controller->setParamNormalized (102, 0.0); });
		late.join ();
		f.editor->removed ();
		EXPECT_EQ (loop.getNbTimers (), 0u) << "the editor's timer went with it";
		loop.advance (20);
		EXPECT_TRUE (f.editor->seen.empty ());
	}
	RunLoop::clear (&loop);
}

// A host thread that keeps changing parameters while the UI thread applies them: the views end
// at the last values.
TEST (Binding, ChangesWhileTheUIThreadAppliesEndAtTheLastValues)
{
	ManualRunLoop loop;
	RunLoop::set (&loop);
	{
		Fixture f;
		ASSERT_TRUE (f.attach ());
		auto* knob = f.find<CKnob> (100);
		ASSERT_NE (knob, nullptr);
		std::atomic<bool> go {false};
		std::thread host ([&] {
			while (!go.load ())
				std::this_thread::yield ();
			for (int i = 0; i <= 500; ++i)
				f.controller->setParamNormalized (i % 2 ? 100 : 177, (i % 10) / 10.);
		});
		go = true;
		for (int i = 0; i < 50; ++i)
			loop.advance (16);
		host.join ();
		loop.advance (16);
		// The last change of parameter 100 was i = 499: 0.9.
		EXPECT_FLOAT_EQ (knob->getValueNormalized (), 0.9f);
		f.editor->removed ();
	}
	RunLoop::clear (&loop);
}

TEST (Editor, ShowsTooltips)
{
	ManualRunLoop loop;
	RunLoop::set (&loop);
	{
		Fixture f;
		ASSERT_TRUE (f.attach ());
		CFrame* frame = f.editor->getFrame ();
		EXPECT_TRUE (frame->tooltipsEnabled ());
		f.find<CKnob> (100)->setTooltipText ("Gain of the kick");
		CPoint p (50, 90);
		frame->onMouseMoved (p, 0);
		loop.advance (500);
		EXPECT_EQ (frame->getVisibleTooltipText (), "Gain of the kick");
		f.editor->removed ();
		loop.advance (1000);
	}
	RunLoop::clear (&loop);
}

// Hosts forward Space in any of three ways; a text field being typed into takes each as a space,
// and without one the host keeps the key (its transport).
TEST (Editor, SpaceFromTheHostTypesASpace)
{
	struct Case
	{
		const char* name;
		char16 key;
		int16 keyCode;
	};
	const Case cases[] = {
	    {"the character alone", ' ', 0},
	    {"the character and the virtual key", ' ', VKEY_SPACE},
	    {"the virtual key alone", 0, VKEY_SPACE},
	};
	for (const auto& k : cases)
	{
		Fixture f;
		ASSERT_TRUE (f.attach ()) << k.name;
		EXPECT_EQ (f.editor->onKeyDown (k.key, k.keyCode, 0), kResultFalse) << k.name << ": no text field";
		f.mouse ("down", 60, 160);
		auto* edit = dynamic_cast<CTextEdit*> (f.editor->getFrame ()->getFocusView ());
		ASSERT_NE (edit, nullptr) << k.name;
		f.editor->onKeyDown (0, VKEY_END, 0);
		EXPECT_EQ (f.editor->onKeyDown (k.key, k.keyCode, 0), kResultTrue) << k.name;
		f.editor->onKeyDown ('x', 0, 0);
		EXPECT_EQ (edit->getEditText (), "name x") << k.name;
		f.editor->onKeyDown (0, VKEY_RETURN, 0);
		EXPECT_EQ (edit->getText (), "name x") << k.name;
	}
}

} // namespace
