// Finding views of a UI description in editor coordinates.
#include "grundmoor/testhost/EditorLayout.h"
#include "grundmoor/testhost/TestHost.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace grundmoor::testhost;

namespace {

// Children as an object with repeated keys (as VSTGUI writes them) and as an array; containers
// inside containers; a hidden container.
const char* kDescription = R"({
  "vstgui-ui-description": {
    "version": "1",
    "colors": { "panel": "#102030ff" },
    "control-tags": { "Step 1": "200", "Osc Layer Attack": "177", "Nameless": "x" },
    "templates": {
      "other": { "attributes": { "class": "CViewContainer", "size": "50, 40" } },
      "view": {
        "attributes": { "class": "CViewContainer", "origin": "5, 5", "size": "800, 600", "background-color": "panel" },
        "children": {
          "CViewContainer": {
            "attributes": { "class": "CViewContainer", "origin": "100, 50", "size": "400, 300" },
            "children": [
              { "attributes": { "class": "CTextButton", "origin": "10, 20", "size": "30, 30",
                                "control-tag": "Step 1", "custom-view-name": "SynthStepButton" } },
              { "attributes": { "class": "CViewContainer", "origin": "200, 100", "size": "100, 100" },
                "children": {
                  "CKnob": { "attributes": { "class": "CKnob", "origin": "5.5, 6", "size": "40, 40",
                                             "control-tag": "177", "custom-view-name": "MetalKnob" } } } }
            ]
          },
          "CViewContainer": {
            "attributes": { "class": "CViewContainer", "origin": "0, 500", "size": "800, 100", "visible": "false" },
            "children": {
              "CTextButton": { "attributes": { "class": "CTextButton", "origin": "1, 2", "size": "10, 10",
                                               "control-tag": "201", "custom-view-name": "SynthStepButton" } },
              "CTextButton": { "attributes": { "class": "CTextButton", "origin": "20, 2", "size": "10, 10",
                                               "control-tag": "Nameless" } } } }
        }
      }
    }
  }
})";

struct Expected
{
	double left, top, width, height;
};

void expectRect (const std::optional<EditorRect>& r, Expected e, const std::string& what)
{
	ASSERT_TRUE (r.has_value ()) << what;
	EXPECT_DOUBLE_EQ (r->left, e.left) << what;
	EXPECT_DOUBLE_EQ (r->top, e.top) << what;
	EXPECT_DOUBLE_EQ (r->width, e.width) << what;
	EXPECT_DOUBLE_EQ (r->height, e.height) << what;
}

} // namespace

TEST (EditorLayout, FindsViewsByControlTagAndCustomViewNameWithTheirContainersOrigins)
{
	const auto layout = EditorLayout::fromText (kDescription);
	struct Case
	{
		const char* what;
		std::optional<EditorRect> found;
		Expected rect;
	};
	const Case cases[] = {
	    {"tag by name", layout.findControlTag ("Step 1"), {110, 70, 30, 30}},
	    {"tag by number, view tagged by name", layout.findControlTag (200), {110, 70, 30, 30}},
	    {"tag by name, view tagged by number", layout.findControlTag ("Osc Layer Attack"), {305.5, 156, 40, 40}},
	    {"tag by number", layout.findControlTag ("177"), {305.5, 156, 40, 40}},
	    {"a repeated key is a view of its own", layout.findControlTag (201), {1, 502, 10, 10}},
	    {"a tag name without a number, as text", layout.findControlTag ("Nameless"), {20, 502, 10, 10}},
	    {"the first view of a custom-view-name", layout.findCustomView ("SynthStepButton"), {110, 70, 30, 30}},
	    {"custom-view-name inside two containers", layout.findCustomView ("MetalKnob"), {305.5, 156, 40, 40}},
	    {"the template's own size, at the frame's origin", layout.templateRect (), {0, 0, 800, 600}},
	    {"another template", layout.templateRect ("other"), {0, 0, 50, 40}},
	};
	for (const auto& c : cases)
		expectRect (c.found, c.rect, c.what);

	const auto knob = layout.findControlTag (177);
	ASSERT_TRUE (knob);
	EXPECT_DOUBLE_EQ (knob->centre ().x, 325.5);
	EXPECT_DOUBLE_EQ (knob->centre ().y, 176);
	EXPECT_TRUE (knob->contains (knob->centre ()));
}

TEST (EditorLayout, AnswersNothingForWhatIsNotThere)
{
	const auto layout = EditorLayout::fromText (kDescription);
	EXPECT_FALSE (layout.findControlTag (202));
	EXPECT_FALSE (layout.findControlTag ("Step 2"));
	EXPECT_FALSE (layout.findCustomView ("OutputWaveform"));
	EXPECT_FALSE (layout.findControlTag (200, "other"));
	EXPECT_FALSE (layout.templateRect ("missing"));
	EXPECT_TRUE (layout.views ("missing").empty ());
	EXPECT_FALSE (EditorLayout ().findControlTag (200)) << "an empty layout";
}

TEST (EditorLayout, ListsViewsInDocumentOrderWithVisibilityAndColours)
{
	const auto layout = EditorLayout::fromText (kDescription);
	const auto views = layout.views ();
	ASSERT_EQ (views.size (), 8u);
	const char* classes[] = {"CViewContainer", "CViewContainer", "CTextButton", "CViewContainer",
	                         "CKnob",          "CViewContainer", "CTextButton", "CTextButton"};
	const int depths[] = {0, 1, 2, 2, 3, 1, 2, 2};
	const bool visible[] = {true, true, true, true, true, false, false, false};
	for (size_t i = 0; i < views.size (); ++i)
	{
		EXPECT_EQ (views[i].viewClass, classes[i]) << i;
		EXPECT_EQ (views[i].depth, depths[i]) << i;
		EXPECT_EQ (views[i].visible, visible[i]) << i << ": hidden with its container";
	}
	EXPECT_EQ (views[4].attribute ("custom-view-name"), "MetalKnob");
	EXPECT_EQ (views[4].attribute ("no-such"), "");

	EXPECT_EQ (layout.templateBackground (), 0x102030u) << "a named colour";
	EXPECT_FALSE (layout.templateBackground ("other"));
	struct Colour
	{
		const char* text;
		std::optional<std::uint32_t> rgb;
	};
	const Colour colours[] = {{"#05090bff", 0x05090b}, {"#A0b0C0", 0xa0b0c0}, {"panel", 0x102030},
	                          {"#12345", std::nullopt}, {"red", std::nullopt}, {"#zz0000", std::nullopt}};
	for (const auto& c : colours)
		EXPECT_EQ (layout.colour (c.text), c.rgb) << c.text;
	EXPECT_EQ (layout.tagNumber ("Step 1"), 200);
	EXPECT_EQ (layout.tagNumber (" 215 "), 215);
	EXPECT_FALSE (layout.tagNumber ("Nameless"));
}

TEST (EditorLayout, RefusesWhatIsNotADescription)
{
	const char* bad[] = {"", "{", "[1, 2]", R"({"templates": {}})", "{\"vstgui-ui-description\": 3}"};
	for (const char* text : bad)
		EXPECT_THROW (EditorLayout::fromText (text), HostError) << text;
	EXPECT_THROW (EditorLayout::fromFile ("/nonexistent/editor.uidesc"), HostError);
	EXPECT_EQ (EditorLayout::descriptionOfBundle ("/x/A.vst3"), "/x/A.vst3/Contents/Resources/editor.uidesc");
}
