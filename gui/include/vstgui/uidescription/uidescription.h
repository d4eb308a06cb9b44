// UI descriptions in the JSON form: resources, control tags and view templates.
#pragma once

#include "../lib/controls.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace VSTGUI {

// The attributes of one view of a description, as strings.
class UIAttributes
{
public:
	UIAttributes () = default;
	bool hasAttribute (const std::string& name) const { return values.count (name) != 0; }
	const std::string* getAttributeValue (const std::string& name) const;
	void setAttribute (const std::string& name, const std::string& value) { values[name] = value; }
	void removeAttribute (const std::string& name) { values.erase (name); }
	bool getBooleanAttribute (const std::string& name, bool& value) const;
	bool getIntegerAttribute (const std::string& name, int32_t& value) const;
	bool getDoubleAttribute (const std::string& name, double& value) const;
	bool getPointAttribute (const std::string& name, CPoint& p) const;
	bool getRectAttribute (const std::string& name, CRect& r) const;
	size_t size () const { return values.size (); }
	const std::map<std::string, std::string>& getAll () const { return values; }

	static bool stringToPoint (const std::string& text, CPoint& p);
	static bool stringToDouble (const std::string& text, double& v);

private:
	std::map<std::string, std::string> values;
};

class IUIDescription
{
public:
	virtual ~IUIDescription () noexcept = default;
	// Null for a name that the description does not hold, or whose file was missing.
	virtual CBitmap* getBitmap (UTF8StringPtr name) const = 0;
	virtual CFontRef getFont (UTF8StringPtr name) const = 0;
	virtual bool getColor (UTF8StringPtr name, CColor& color) const = 0;
	// -1 for an unknown name.
	virtual int32_t getTagForName (UTF8StringPtr name) const = 0;
	virtual const UIAttributes* getViewAttributes (UTF8StringPtr templateName) const = 0;
};

// What builds the custom views and checks each built view (the editor).
class IController : public IControlListener
{
public:
	// Asked for every view with a "custom-view-name"; null lets the description build its "class".
	virtual CView* createView (const UIAttributes& /*attributes*/, const IUIDescription* /*description*/)
	{
		return nullptr;
	}
	// Sees every built view (after its attributes and children); returns the view to keep: the
	// same one, another new view that takes its place, or null to leave it out. The description
	// releases a view that is not returned.
	virtual CView* verifyView (CView* view, const UIAttributes& /*attributes*/,
	                           const IUIDescription* /*description*/)
	{
		return view;
	}
	virtual IControlListener* getControlListener (UTF8StringPtr /*controlTagName*/) { return this; }
};

class UIDescription : public IUIDescription, public CBaseObject
{
public:
	// A relative file name is looked up in the resource root.
	explicit UIDescription (const std::string& fileName);
	// Parses from memory; relative bitmap paths resolve against resourceFolder.
	UIDescription (const std::string& jsonText, const std::string& resourceFolder);
	~UIDescription () noexcept override;

	// Reads the file and loads its bitmaps; false (with getError ()) on any fault (a bitmap file
	// that is missing is none: its name gives a null bitmap).
	bool parse ();
	bool isParsed () const { return parsed; }
	const std::string& getError () const { return error; }
	const std::string& getFilePath () const { return filePath; }

	// Builds a template; null (with getError ()) when it is missing or any view fails.
	CView* createView (UTF8StringPtr templateName, IController* controller);
	std::vector<std::string> getTemplateNames () const;

	CBitmap* getBitmap (UTF8StringPtr name) const override;
	CFontRef getFont (UTF8StringPtr name) const override;
	bool getColor (UTF8StringPtr name, CColor& color) const override;
	int32_t getTagForName (UTF8StringPtr name) const override;
	const UIAttributes* getViewAttributes (UTF8StringPtr templateName) const override;

	struct Node;

private:
	CView* buildView (const Node& node, IController* controller, int depth);
	bool applyAttributes (CView* view, const UIAttributes& attributes);
	bool resolveColor (const std::string& value, CColor& color) const;
	bool resolveFont (const std::string& value, SharedPointer<CFontDesc>& font) const;
	bool resolveBitmap (const std::string& value, CBitmap*& bitmap) const;

	std::string filePath;
	std::string jsonText;
	std::string resourceFolder;
	bool fromMemory {false};
	bool parsed {false};
	std::string error;

	std::map<std::string, SharedPointer<CBitmap>> bitmaps;
	std::map<std::string, SharedPointer<CFontDesc>> fonts;
	std::map<std::string, CColor> colors;
	std::map<std::string, int32_t> controlTags;
	std::vector<std::pair<std::string, std::shared_ptr<Node>>> templates;
};

// Where the bundle's resources live: <bundle>/Contents/Resources, found from this module's own
// path; tests and tools may set it.
void setResourceRoot (const std::string& path);
std::string getResourceRoot ();

} // namespace VSTGUI
