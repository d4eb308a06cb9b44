// UI descriptions: a small description builds the expected tree; every malformed one fails cleanly.
#include "helpers.h"

#include <fstream>

using namespace VSTGUI;
using namespace testing_helpers;

namespace {

const std::string kDataDir = GRUNDMOOR_GUI_TEST_DATA;

class CustomButton : public CTextButton
{
public:
	CustomButton () : CTextButton (CRect (), nullptr, -1, "from controller", kKickStyle) {}
};

struct TestController : IController
{
	std::vector<std::string> created;
	std::vector<std::string> verified;
	void valueChanged (CControl*) override {}
	CView* createView (const UIAttributes& attrs, const IUIDescription* description) override
	{
		const std::string* name = attrs.getAttributeValue ("custom-view-name");
		created.push_back (name ? *name : "?");
		if (name && *name == "Custom Button")
			return new CustomButton ();
		if (name && *name == "Brand")
		{
			auto* v = new CView (CRect ());
			EXPECT_NE (description->getBitmap ("brand-test"), nullptr);
			EXPECT_EQ (description->getBitmap ("no-such-bitmap"), nullptr);
			return v;
		}
		return nullptr;
	}
	CView* verifyView (CView* view, const UIAttributes& attrs, const IUIDescription*) override
	{
		const std::string* cls = attrs.getAttributeValue ("class");
		verified.push_back (cls ? *cls : "?");
		return view;
	}
};

TEST (UIDescription, BuildsTheTestTemplate)
{
	auto description = owned (new UIDescription (kDataDir + "/test.uidesc"));
	ASSERT_TRUE (description->parse ()) << description->getError ();
	EXPECT_EQ (description->getTemplateNames (), (std::vector<std::string> {"view", "small"}));
	EXPECT_EQ (description->getTagForName ("Osc Layer Attack"), 177);
	EXPECT_EQ (description->getTagForName ("Unknown"), -1);
	CColor c;
	EXPECT_TRUE (description->getColor ("accent", c));
	EXPECT_EQ (c, CColor (0x18, 0xc1, 0xcf, 255));

	TestController controller;
	auto root = owned (description->createView ("view", &controller));
	ASSERT_TRUE (root) << description->getError ();
	EXPECT_EQ (controller.created, (std::vector<std::string> {"Brand", "Custom Button"}));
	// Children are verified before their container.
	EXPECT_EQ (controller.verified,
	           (std::vector<std::string> {"CTextLabel", "CView", "CKnob", "COptionMenu", "CTextButton", "CTextEdit",
	                                      "CTextButton", "CKnob", "CViewContainer", "CViewContainer"}));

	auto* container = root.cast<CViewContainer> ();
	ASSERT_NE (container, nullptr);
	EXPECT_EQ (container->getViewSize (), CRect (0, 0, 400, 240));
	EXPECT_EQ (container->getBackgroundColor (), CColor (0x10, 0x18, 0x20, 255));
	ASSERT_EQ (container->getNbViews (), 6u) << "duplicate class keys in \"children\" all count";

	auto* label = dynamic_cast<CTextLabel*> (container->getView (0));
	ASSERT_NE (label, nullptr);
	EXPECT_EQ (label->getText (), "GRUNDMOOR TEST");
	EXPECT_EQ (label->getFont ()->getSize (), 18);
	EXPECT_EQ (label->getFont ()->getStyle (), kBoldFace);
	EXPECT_EQ (label->getHoriAlign (), kLeftText);
	EXPECT_TRUE (label->getTransparency ());

	CView* brand = container->getView (1);
	EXPECT_EQ (brand->getViewSize (), CRect (260, 10, 380, 40));
	EXPECT_EQ (brand->getBackground (), description->getBitmap ("brand-test"));

	auto* knob = dynamic_cast<CKnob*> (container->getView (2));
	ASSERT_NE (knob, nullptr);
	EXPECT_EQ (knob->getTag (), 100);
	EXPECT_EQ (knob->getCoronaColor (), CColor (0x18, 0xc1, 0xcf, 255));
	EXPECT_TRUE (knob->getDrawStyle () & CKnob::kCoronaDrawing);
	EXPECT_EQ (knob->getHandleLineWidth (), 3);
	EXPECT_EQ (knob->getListener (), &controller);

	auto* menu = dynamic_cast<COptionMenu*> (container->getView (3));
	ASSERT_NE (menu, nullptr);
	EXPECT_EQ (menu->getTag (), 101);

	auto* button = dynamic_cast<CTextButton*> (container->getView (4));
	ASSERT_NE (button, nullptr);
	EXPECT_EQ (button->getStyle (), CTextButton::kOnOffStyle);
	EXPECT_EQ (button->getTitle (), "ENABLE");
	ASSERT_NE (button->getGradientHighlighted (), nullptr);
	EXPECT_EQ (button->getGradientHighlighted ()->getEndColor (), CColor (0x0a, 0x60, 0x66, 255));

	auto* inner = dynamic_cast<CViewContainer*> (container->getView (5));
	ASSERT_NE (inner, nullptr);
	ASSERT_EQ (inner->getNbViews (), 3u);
	auto* edit = dynamic_cast<CTextEdit*> (inner->getView (0));
	ASSERT_NE (edit, nullptr);
	EXPECT_EQ (edit->getText (), "name");
	auto* custom = dynamic_cast<CustomButton*> (inner->getView (1));
	ASSERT_NE (custom, nullptr) << "the controller's view is used";
	EXPECT_EQ (custom->getTitle (), "CUSTOM") << "attributes are applied after creation";
	EXPECT_EQ (custom->getViewSize (), CRect (220, 10, 320, 34));
	auto* attack = dynamic_cast<CKnob*> (inner->getView (2));
	ASSERT_NE (attack, nullptr);
	EXPECT_EQ (attack->getTag (), 177);

	// Another template of the same description.
	auto small = owned (description->createView ("small", &controller));
	ASSERT_TRUE (small);
	EXPECT_EQ (small->getViewSize (), CRect (0, 0, 100, 50));
	EXPECT_EQ (description->createView ("missing", &controller), nullptr);
	EXPECT_EQ (description->createView (nullptr, &controller), nullptr);
}

TEST (UIDescription, ResourceRootResolvesRelativeNames)
{
	const std::string before = getResourceRoot ();
	setResourceRoot (kDataDir);
	auto description = owned (new UIDescription ("test.uidesc"));
	EXPECT_TRUE (description->parse ()) << description->getError ();
	EXPECT_EQ (description->getFilePath (), kDataDir + "/test.uidesc");
	setResourceRoot (before);
}

TEST (UIDescription, DefaultResourceRootIsTheBundlesResourcesFolder)
{
	const std::string before = getResourceRoot ();
	setResourceRoot ("");
	const std::string root = getResourceRoot ();
	// <bundle>/Contents/<arch>-linux/<module> -> <bundle>/Contents/Resources; for a test program
	// the module is the executable.
	const std::string exe = std::filesystem::read_symlink ("/proc/self/exe").string ();
	const std::string expected = std::filesystem::path (exe).parent_path ().parent_path ().string () + "/Resources";
	EXPECT_EQ (root, expected);
	setResourceRoot (before);
}

std::string wrap (const std::string& inner)
{
	return "{\"vstgui-ui-description\": {" + inner + "}}";
}

std::string templ (const std::string& attributes, const std::string& extra = "")
{
	return wrap ("\"templates\": {\"view\": {\"attributes\": {" + attributes + "}" + extra + "}}");
}

TEST (UIDescription, MalformedDescriptionsFailCleanly)
{
	std::string deep = "\"children\": [";
	for (int i = 0; i < 80; ++i)
		deep += "{\"attributes\": {\"class\": \"CViewContainer\"}, \"children\": [";
	for (int i = 0; i < 80; ++i)
		deep += "]}";
	deep += "]";
	std::string veryDeep (100000, '[');

	const std::pair<const char*, std::string> cases[] = {
	    {"empty text", ""},
	    {"truncated", "{\"vstgui-ui-description\": {\"templates\": {"},
	    {"not an object", "[1, 2, 3]"},
	    {"no root key", "{\"something\": {}}"},
	    {"root is not an object", "{\"vstgui-ui-description\": 5}"},
	    {"no templates", wrap ("\"version\": \"1\"")},
	    {"templates not an object", wrap ("\"templates\": [1]")},
	    {"empty templates", wrap ("\"templates\": {}")},
	    {"template not an object", wrap ("\"templates\": {\"view\": 3}")},
	    {"attributes not an object", wrap ("\"templates\": {\"view\": {\"attributes\": 3}}")},
	    {"attribute value is an array", templ ("\"size\": [1, 2]")},
	    {"size is not a point", templ ("\"class\": \"CViewContainer\", \"size\": \"abc\"")},
	    {"size with one number", templ ("\"class\": \"CViewContainer\", \"size\": \"100\"")},
	    {"negative size", templ ("\"class\": \"CViewContainer\", \"size\": \"-5, 10\"")},
	    {"non-finite size", templ ("\"class\": \"CViewContainer\", \"size\": \"inf, 10\"")},
	    {"unknown class", templ ("\"class\": \"CSpaceship\"")},
	    {"unknown colour name", templ ("\"class\": \"CViewContainer\", \"background-color\": \"mauve\"")},
	    {"bad hex colour", templ ("\"class\": \"CViewContainer\", \"background-color\": \"#12\"")},
	    {"bad boolean", templ ("\"class\": \"CView\", \"transparent\": \"yes\"")},
	    {"unknown font", templ ("\"class\": \"CTextLabel\", \"font\": \"Comic\"")},
	    {"unknown bitmap", templ ("\"class\": \"CView\", \"bitmap\": \"nothing\"")},
	    {"bad alignment", templ ("\"class\": \"CTextLabel\", \"text-alignment\": \"middle\"")},
	    {"children not a list", templ ("\"class\": \"CViewContainer\"", ", \"children\": \"x\"")},
	    {"children of a plain view", templ ("\"class\": \"CView\"", ", \"children\": [{\"attributes\": {}}]")},
	    {"a failing child", templ ("\"class\": \"CViewContainer\"",
	                               ", \"children\": [{\"attributes\": {\"class\": \"Nope\"}}]")},
	    {"views nested too deeply", templ ("\"class\": \"CViewContainer\"", ", " + deep)},
	    {"JSON nested too deeply", veryDeep},
	    {"bitmap without path", wrap ("\"bitmaps\": {\"b\": {}}, \"templates\": {\"view\": {}}")},
	    {"bitmap that is not a PNG", wrap ("\"bitmaps\": {\"b\": {\"path\": \"test.uidesc\"}}, \"templates\": {\"view\": {}}")},
	    {"font with a bad size", wrap ("\"fonts\": {\"f\": {\"size\": \"big\"}}, \"templates\": {\"view\": {}}")},
	    {"colour section value", wrap ("\"colors\": {\"c\": \"red\"}, \"templates\": {\"view\": {}}")},
	    {"control tag not a number", wrap ("\"control-tags\": {\"t\": \"x\"}, \"templates\": {\"view\": {}}")},
	    {"invalid UTF-8 in the text", wrap ("\"templates\": {\"view\": {\"attributes\": {\"title\": \"\xff\"}}}")},
	};
	for (const auto& [name, text] : cases)
	{
		auto description = owned (new UIDescription (text, kDataDir));
		TestController controller;
		const bool parsed = description->parse ();
		CView* view = parsed ? description->createView ("view", &controller) : nullptr;
		EXPECT_EQ (view, nullptr) << name;
		EXPECT_FALSE (description->getError ().empty ()) << name;
		if (view)
			view->forget ();
	}
}

// A listed bitmap whose file is not there is only a name without a picture; a name that the
// description does not list still fails it.
TEST (UIDescription, ABitmapWhoseFileIsMissingIsNull)
{
	const std::string text = wrap (
	    "\"bitmaps\": {\"gone\": {\"path\": \"missing.png\"}, \"here\": {\"path\": \"brand-test.png\"}},"
	    "\"templates\": {\"view\": {\"attributes\": {\"class\": \"CViewContainer\", \"size\": \"100, 100\","
	    "  \"bitmap\": \"gone\"},"
	    " \"children\": [{\"attributes\": {\"class\": \"CTextButton\", \"icon\": \"gone\"}},"
	    "                {\"attributes\": {\"class\": \"CKnob\", \"handle-bitmap\": \"gone\"}},"
	    "                {\"attributes\": {\"class\": \"CView\", \"bitmap\": \"here\"}}]}}");
	auto description = owned (new UIDescription (text, kDataDir));
	ASSERT_TRUE (description->parse ()) << description->getError ();
	EXPECT_EQ (description->getBitmap ("gone"), nullptr);
	ASSERT_NE (description->getBitmap ("here"), nullptr);
	TestController controller;
	auto root = owned (description->createView ("view", &controller));
	ASSERT_TRUE (root) << description->getError ();
	auto* container = root.cast<CViewContainer> ();
	ASSERT_EQ (container->getNbViews (), 3u);
	EXPECT_EQ (container->getBackground (), nullptr);
	auto* button = dynamic_cast<CTextButton*> (container->getView (0));
	ASSERT_NE (button, nullptr);
	EXPECT_EQ (button->getIcon (), nullptr);
	auto* knob = dynamic_cast<CKnob*> (container->getView (1));
	ASSERT_NE (knob, nullptr);
	EXPECT_EQ (knob->getHandleBitmap (), nullptr);
	EXPECT_EQ (container->getView (2)->getBackground (), description->getBitmap ("here"));
	auto image = renderView (root, 1.);
	EXPECT_NE (image, nullptr) << "views without their pictures still draw";

	auto unknown = owned (new UIDescription (
	    wrap ("\"bitmaps\": {\"gone\": {\"path\": \"missing.png\"}},"
	          "\"templates\": {\"view\": {\"attributes\": {\"class\": \"CView\", \"bitmap\": \"other\"}}}"),
	    kDataDir));
	ASSERT_TRUE (unknown->parse ());
	EXPECT_EQ (unknown->createView ("view", &controller), nullptr) << "a name that is not listed";
	EXPECT_FALSE (unknown->getError ().empty ());
}

// Every draw-style attribute, under our name and VSTGUI's, sets its own bit of the knob.
TEST (UIDescription, KnobDrawStyleAttributes)
{
	struct Case
	{
		std::string attributes;
		int32_t style;
	};
	const Case cases[] = {
	    {"", 0x00},
	    {"\"circle-drawing\": \"true\"", 0x01},
	    {"\"draw-corona\": \"true\"", 0x02},
	    {"\"corona-drawing\": \"true\"", 0x02},
	    {"\"draw-corona-from-center\": \"true\"", 0x04},
	    {"\"corona-from-center\": \"true\"", 0x04},
	    {"\"corona-inverted\": \"true\"", 0x08},
	    {"\"draw-corona-dash-dot\": \"true\"", 0x10},
	    {"\"corona-dash-dot\": \"true\"", 0x10},
	    {"\"corona-outline\": \"true\"", 0x20},
	    {"\"corona-line-cap-butt\": \"true\"", 0x40},
	    {"\"skip-handle-drawing\": \"true\"", 0x80},
	    {"\"draw-handle\": \"false\"", 0x80},
	    {"\"draw-handle\": \"true\"", 0x00},
	    {"\"draw-corona\": \"true\", \"corona-inverted\": \"true\", \"corona-outline\": \"true\", "
	     "\"draw-handle\": \"false\"",
	     0x02 | 0x08 | 0x20 | 0x80},
	    {"\"draw-corona\": \"false\", \"circle-drawing\": \"false\"", 0x00},
	};
	for (const auto& k : cases)
	{
		const std::string sep = k.attributes.empty () ? "" : ", ";
		auto description = owned (new UIDescription (templ ("\"class\": \"CKnob\"" + sep + k.attributes), kDataDir));
		TestController controller;
		auto view = owned (description->createView ("view", &controller));
		ASSERT_TRUE (view) << k.attributes << ": " << description->getError ();
		auto* knob = view.cast<CKnob> ();
		ASSERT_NE (knob, nullptr);
		EXPECT_EQ (knob->getDrawStyle (), k.style) << k.attributes;
	}
	auto description = owned (new UIDescription (
	    templ ("\"class\": \"CKnob\", \"corona-outline-width-add\": \"3\", \"corona-dash-dot-lengths\": \"1.5, 0.5\","
	           " \"value-inset\": \"6\""),
	    kDataDir));
	TestController controller;
	auto view = owned (description->createView ("view", &controller));
	ASSERT_TRUE (view) << description->getError ();
	auto* knob = view.cast<CKnob> ();
	EXPECT_EQ (knob->getCoronaOutlineWidthAdd (), 3.);
	EXPECT_EQ (knob->getCoronaDashDotLengths (), (CLineStyle::CoordVector {1.5, 0.5}));
	EXPECT_EQ (knob->getInsetValue (), 6.);
	for (const char* bad : {"\"corona-inverted\": \"yes\"", "\"corona-dash-dot-lengths\": \"1, x\"",
	                        "\"corona-line-cap-butt\": \"1\""})
	{
		auto d = owned (new UIDescription (templ (std::string ("\"class\": \"CKnob\", ") + bad), kDataDir));
		EXPECT_EQ (d->createView ("view", &controller), nullptr) << bad;
	}
}

TEST (UIDescription, OversizedViewsAndFontsFailCleanly)
{
	auto font = [] (const char* size) {
		return wrap (std::string ("\"fonts\": {\"f\": {\"font-name\": \"Arial\", \"size\": \"") + size +
		             "\"}}, \"templates\": {\"view\": {\"attributes\": {\"class\": \"CTextLabel\", \"font\": \"f\"}}}");
	};
	auto view = [] (const char* size) {
		return templ (std::string ("\"class\": \"CViewContainer\", \"size\": \"") + size + "\"");
	};
	struct Case
	{
		const char* name;
		std::string text;
		bool builds;
	};
	const Case cases[] = {
	    {"largest view", view ("16384, 16384"), true},
	    {"view too wide", view ("16385, 10"), false},
	    {"view too tall", view ("10, 1e9"), false},
	    {"view beyond int", view ("1e300, 1e300"), false},
	    {"largest font", font ("1000"), true},
	    {"font too big", font ("1000.5"), false},
	    {"font far too big", font ("1e300"), false},
	};
	for (const auto& k : cases)
	{
		auto description = owned (new UIDescription (k.text, kDataDir));
		TestController controller;
		const bool parsed = description->parse ();
		CView* v = parsed ? description->createView ("view", &controller) : nullptr;
		EXPECT_EQ (v != nullptr, k.builds) << k.name << ": " << description->getError ();
		EXPECT_EQ (description->getError ().empty (), k.builds) << k.name;
		if (v)
			v->forget ();
	}
}

TEST (UIDescription, AMissingFileFailsCleanly)
{
	auto description = owned (new UIDescription (kDataDir + "/does-not-exist.uidesc"));
	EXPECT_FALSE (description->parse ());
	TestController controller;
	EXPECT_EQ (description->createView ("view", &controller), nullptr);
}

TEST (UIDescription, ChildrenMayAlsoBeAnArray)
{
	auto description = owned (new UIDescription (
	    templ ("\"class\": \"CViewContainer\", \"size\": \"50, 50\"",
	           ", \"children\": [{\"attributes\": {\"class\": \"CView\", \"origin\": \"1, 2\", \"size\": \"3, 4\"}},"
	           "{\"attributes\": {\"class\": \"CView\"}}]"),
	    kDataDir));
	TestController controller;
	auto root = owned (description->createView ("view", &controller));
	ASSERT_TRUE (root) << description->getError ();
	auto* c = root.cast<CViewContainer> ();
	ASSERT_EQ (c->getNbViews (), 2u);
	EXPECT_EQ (c->getView (0)->getViewSize (), CRect (1, 2, 4, 6));
}

TEST (UIAttributes, Conversions)
{
	UIAttributes a;
	a.setAttribute ("p", " 1.5 ,  -2 ");
	a.setAttribute ("b", "true");
	a.setAttribute ("n", "12x");
	a.setAttribute ("r", "1,2,3,4");
	CPoint p;
	EXPECT_TRUE (a.getPointAttribute ("p", p));
	EXPECT_EQ (p, CPoint (1.5, -2));
	bool b = false;
	EXPECT_TRUE (a.getBooleanAttribute ("b", b));
	EXPECT_TRUE (b);
	double d = 0;
	EXPECT_FALSE (a.getDoubleAttribute ("n", d));
	EXPECT_FALSE (a.getDoubleAttribute ("missing", d));
	CRect r;
	EXPECT_TRUE (a.getRectAttribute ("r", r));
	EXPECT_EQ (r, CRect (1, 2, 3, 4));
}

} // namespace
