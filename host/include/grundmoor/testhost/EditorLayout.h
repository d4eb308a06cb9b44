// Where things are in an editor: the views of a UI description (VSTGUI's JSON form, as the bundle
// ships it in Contents/Resources/editor.uidesc) with their rectangles in editor coordinates
// (zoom 1), so tests and tools find a control by its tag or custom-view name instead of
// hard-coding positions.
#pragma once

#include "grundmoor/testhost/InputSimulator.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace grundmoor::testhost {

struct EditorRect
{
	double left = 0;
	double top = 0;
	double width = 0;
	double height = 0;

	double right () const { return left + width; }
	double bottom () const { return top + height; }
	EditorPoint centre () const { return {left + width / 2, top + height / 2}; }
	bool contains (EditorPoint p) const { return p.x >= left && p.y >= top && p.x < right () && p.y < bottom (); }
};

/** One view of a template, in document order (each container before its children). */
struct LayoutView
{
	std::string viewClass;                        // "class"
	std::map<std::string, std::string> attributes; // all of them, as text
	EditorRect rect;                              // origin summed over its containers
	bool visible = true;                          // its own and its containers' "visible"
	int depth = 0;                                // 0 for the template's view

	/** The attribute, or empty. */
	std::string attribute (const std::string& name) const;
};

class EditorLayout
{
public:
	/** Reads and parses the description; throws HostError when it cannot. */
	static EditorLayout fromFile (const std::filesystem::path& path);
	static EditorLayout fromText (const std::string& json);
	/** <bundle>/Contents/Resources/editor.uidesc */
	static std::filesystem::path descriptionOfBundle (const std::filesystem::path& bundle);

	/** Every view of the template, depth first in document order; empty for an unknown one. */
	std::vector<LayoutView> views (const std::string& templateName = "view") const;
	/** The template's own size, at (0, 0). */
	std::optional<EditorRect> templateRect (const std::string& templateName = "view") const;
	/** The template's "background-color" as 0xRRGGBB (named colours of "colors" resolved). */
	std::optional<std::uint32_t> templateBackground (const std::string& templateName = "view") const;

	/** The first view whose "control-tag" is this tag: a name of "control-tags" or a number, matched
	 * by the number both stand for (or as the same text when one has none). */
	std::optional<EditorRect> findControlTag (const std::string& tag, const std::string& templateName = "view") const;
	std::optional<EditorRect> findControlTag (int tag, const std::string& templateName = "view") const;
	/** The first view with this "custom-view-name". */
	std::optional<EditorRect> findCustomView (const std::string& name, const std::string& templateName = "view") const;

	/** The number a control tag stands for: a number, or a name of "control-tags" with one. */
	std::optional<long> tagNumber (const std::string& tag) const;
	/** A colour attribute value (#rrggbb, #rrggbbaa or a name of "colors") as 0xRRGGBB. */
	std::optional<std::uint32_t> colour (const std::string& value) const;

	struct Node; // the parsed JSON, keeping duplicate keys in their order

private:
	std::shared_ptr<const Node> root;
	std::map<std::string, std::string> controlTags;
	std::map<std::string, std::string> colours;
};

} // namespace grundmoor::testhost
