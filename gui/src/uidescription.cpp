// Reading UI descriptions (JSON) and building view trees from their templates.
#include "vstgui/uidescription/uidescription.h"

#include <nlohmann/json.hpp>

#include <dlfcn.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace VSTGUI {

//------------------------------------------------------------------------
namespace {

std::string trim (const std::string& s)
{
	const auto b = s.find_first_not_of (" \t\r\n");
	if (b == std::string::npos)
		return {};
	const auto e = s.find_last_not_of (" \t\r\n");
	return s.substr (b, e - b + 1);
}

std::string& resourceRootStorage ()
{
	static std::string root;
	return root;
}

std::string dirName (const std::string& path)
{
	const auto p = path.find_last_of ('/');
	if (p == std::string::npos)
		return ".";
	if (p == 0)
		return "/";
	return path.substr (0, p);
}

// A JSON value that keeps the order and the duplicates of object keys (the description's
// "children" objects repeat the class name as key).
struct JValue
{
	enum Type { Null, Bool, Number, String, Object, Array } type {Null};
	std::string text; // strings, and numbers and booleans in text form
	std::vector<std::pair<std::string, JValue>> members;
	std::vector<JValue> elements;

	const JValue* find (const std::string& key) const
	{
		for (const auto& m : members)
			if (m.first == key)
				return &m.second;
		return nullptr;
	}
	bool isScalar () const { return type == Bool || type == Number || type == String; }
};

class OrderedSax : public nlohmann::json_sax<nlohmann::json>
{
public:
	explicit OrderedSax (JValue& root) : root (root) {}

	bool null () override { return put (JValue {}); }
	bool boolean (bool v) override { return put (scalar (JValue::Bool, v ? "true" : "false")); }
	bool number_integer (number_integer_t v) override { return put (scalar (JValue::Number, std::to_string (v))); }
	bool number_unsigned (number_unsigned_t v) override { return put (scalar (JValue::Number, std::to_string (v))); }
	bool number_float (number_float_t, const string_t& s) override { return put (scalar (JValue::Number, s)); }
	bool string (string_t& s) override { return put (scalar (JValue::String, s)); }
	bool binary (binary_t&) override { return false; }
	bool start_object (std::size_t) override { return open (JValue::Object); }
	bool key (string_t& k) override
	{
		pendingKey = k;
		return true;
	}
	bool end_object () override { return close (); }
	bool start_array (std::size_t) override { return open (JValue::Array); }
	bool end_array () override { return close (); }
	bool parse_error (std::size_t position, const std::string&, const nlohmann::detail::exception& e) override
	{
		error = "malformed JSON at byte " + std::to_string (position) + ": " + e.what ();
		return false;
	}
	std::string error;

private:
	static JValue scalar (JValue::Type t, std::string s)
	{
		JValue v;
		v.type = t;
		v.text = std::move (s);
		return v;
	}
	JValue* place (JValue&& v)
	{
		if (stack.empty ())
		{
			root = std::move (v);
			return &root;
		}
		JValue* parent = stack.back ();
		if (parent->type == JValue::Object)
		{
			parent->members.emplace_back (pendingKey, std::move (v));
			return &parent->members.back ().second;
		}
		parent->elements.push_back (std::move (v));
		return &parent->elements.back ();
	}
	bool put (JValue&& v)
	{
		place (std::move (v));
		return true;
	}
	bool open (JValue::Type t)
	{
		if (stack.size () >= 128)
		{
			error = "nested too deeply";
			return false;
		}
		JValue v;
		v.type = t;
		stack.push_back (place (std::move (v)));
		return true;
	}
	bool close ()
	{
		if (stack.empty ())
			return false;
		stack.pop_back ();
		return true;
	}
	JValue& root;
	std::vector<JValue*> stack; // pointers stay valid: a parent is not appended to while a child is open
	std::string pendingKey;
};

bool parseBool (const std::string& s, bool& v)
{
	if (s == "true") { v = true; return true; }
	if (s == "false") { v = false; return true; }
	return false;
}

bool parseHexColor (const std::string& s, CColor& c)
{
	if (s.size () != 7 && s.size () != 9)
		return false;
	if (s[0] != '#')
		return false;
	uint8_t parts[4] = {0, 0, 0, 255};
	for (size_t i = 0; i < (s.size () - 1) / 2; ++i)
	{
		unsigned v = 0;
		auto res = std::from_chars (s.data () + 1 + i * 2, s.data () + 3 + i * 2, v, 16);
		if (res.ec != std::errc () || res.ptr != s.data () + 3 + i * 2)
			return false;
		parts[i] = static_cast<uint8_t> (v);
	}
	c = CColor (parts[0], parts[1], parts[2], parts[3]);
	return true;
}

const std::map<std::string, CColor>& predefinedColors ()
{
	static const std::map<std::string, CColor> colors {
	    {"~ BlackCColor", kBlackCColor}, {"~ WhiteCColor", kWhiteCColor}, {"~ GreyCColor", kGreyCColor},
	    {"~ RedCColor", kRedCColor}, {"~ GreenCColor", kGreenCColor}, {"~ BlueCColor", kBlueCColor},
	    {"~ YellowCColor", kYellowCColor}, {"~ CyanCColor", kCyanCColor}, {"~ MagentaCColor", kMagentaCColor},
	    {"~ TransparentCColor", kTransparentCColor}};
	return colors;
}

CFontRef predefinedFont (const std::string& name)
{
	if (name == "~ SystemFont") return kSystemFont;
	if (name == "~ NormalFontVeryBig") return kNormalFontVeryBig;
	if (name == "~ NormalFontBig") return kNormalFontBig;
	if (name == "~ NormalFont") return kNormalFont;
	if (name == "~ NormalFontSmall") return kNormalFontSmall;
	if (name == "~ NormalFontSmaller") return kNormalFontSmaller;
	if (name == "~ NormalFontVerySmall") return kNormalFontVerySmall;
	if (name == "~ SymbolFont") return kSymbolFont;
	return nullptr;
}

bool parseAlign (const std::string& s, CHoriTxtAlign& a)
{
	if (s == "left") { a = kLeftText; return true; }
	if (s == "center") { a = kCenterText; return true; }
	if (s == "right") { a = kRightText; return true; }
	return false;
}

} // namespace

struct UIDescription::Node
{
	UIAttributes attributes;
	std::vector<std::shared_ptr<Node>> children;
};

namespace {
std::shared_ptr<UIDescription::Node> readNode (const JValue& v, std::string& error, int depth)
{
	if (depth > 64)
	{
		error = "views nested too deeply";
		return nullptr;
	}
	if (v.type != JValue::Object)
	{
		error = "a view is not an object";
		return nullptr;
	}
	auto node = std::make_shared<UIDescription::Node> ();
	if (const JValue* attrs = v.find ("attributes"))
	{
		if (attrs->type != JValue::Object)
		{
			error = "\"attributes\" is not an object";
			return nullptr;
		}
		for (const auto& [name, value] : attrs->members)
		{
			if (!value.isScalar ())
			{
				error = "attribute \"" + name + "\" is not a string";
				return nullptr;
			}
			node->attributes.setAttribute (name, value.text);
		}
	}
	if (const JValue* children = v.find ("children"))
	{
		const std::vector<JValue>* list = nullptr;
		std::vector<JValue> fromObject;
		if (children->type == JValue::Array)
			list = &children->elements;
		else if (children->type == JValue::Object)
		{
			for (const auto& m : children->members)
				fromObject.push_back (m.second);
			list = &fromObject;
		}
		else
		{
			error = "\"children\" is neither an object nor an array";
			return nullptr;
		}
		for (const auto& c : *list)
		{
			auto child = readNode (c, error, depth + 1);
			if (!child)
				return nullptr;
			node->children.push_back (std::move (child));
		}
	}
	return node;
}
} // namespace

//------------------------------------------------------------------------
const std::string* UIAttributes::getAttributeValue (const std::string& name) const
{
	auto it = values.find (name);
	return it == values.end () ? nullptr : &it->second;
}

bool UIAttributes::stringToDouble (const std::string& text, double& v)
{
	const std::string t = trim (text);
	if (t.empty ())
		return false;
	char* end = nullptr;
	v = std::strtod (t.c_str (), &end);
	return end && *end == 0 && std::isfinite (v);
}

bool UIAttributes::stringToPoint (const std::string& text, CPoint& p)
{
	const auto comma = text.find (',');
	if (comma == std::string::npos)
		return false;
	double x = 0., y = 0.;
	if (!stringToDouble (text.substr (0, comma), x) || !stringToDouble (text.substr (comma + 1), y))
		return false;
	p = CPoint (x, y);
	return true;
}

bool UIAttributes::getBooleanAttribute (const std::string& name, bool& value) const
{
	auto v = getAttributeValue (name);
	return v && parseBool (*v, value);
}

bool UIAttributes::getIntegerAttribute (const std::string& name, int32_t& value) const
{
	double d = 0.;
	if (!getDoubleAttribute (name, d) || d < -2147483648.0 || d > 2147483647.0)
		return false;
	value = static_cast<int32_t> (d);
	return true;
}

bool UIAttributes::getDoubleAttribute (const std::string& name, double& value) const
{
	auto v = getAttributeValue (name);
	return v && stringToDouble (*v, value);
}

bool UIAttributes::getPointAttribute (const std::string& name, CPoint& p) const
{
	auto v = getAttributeValue (name);
	return v && stringToPoint (*v, p);
}

bool UIAttributes::getRectAttribute (const std::string& name, CRect& r) const
{
	auto v = getAttributeValue (name);
	if (!v)
		return false;
	std::stringstream ss (*v);
	std::string part;
	double d[4];
	int n = 0;
	while (std::getline (ss, part, ','))
	{
		if (n >= 4 || !stringToDouble (part, d[n]))
			return false;
		++n;
	}
	if (n != 4)
		return false;
	r = CRect (d[0], d[1], d[2], d[3]);
	return true;
}

//------------------------------------------------------------------------
void setResourceRoot (const std::string& path) { resourceRootStorage () = path; }

std::string getResourceRoot ()
{
	if (!resourceRootStorage ().empty ())
		return resourceRootStorage ();
	// <bundle>/Contents/<arch>-linux/<name>.so -> <bundle>/Contents/Resources
	Dl_info info {};
	if (dladdr (reinterpret_cast<void*> (&getResourceRoot), &info) && info.dli_fname)
	{
		// The host may have loaded the module through a relative path.
		std::string module = info.dli_fname;
		if (char* real = realpath (info.dli_fname, nullptr))
		{
			module = real;
			std::free (real);
		}
		return dirName (dirName (module)) + "/Resources";
	}
	return "Resources";
}

//------------------------------------------------------------------------
UIDescription::UIDescription (const std::string& fileName)
{
	filePath = (!fileName.empty () && fileName[0] == '/') ? fileName : getResourceRoot () + "/" + fileName;
	resourceFolder = dirName (filePath);
}

UIDescription::UIDescription (const std::string& text, const std::string& folder)
: jsonText (text), resourceFolder (folder), fromMemory (true)
{
}

UIDescription::~UIDescription () noexcept = default;

bool UIDescription::parse ()
{
	if (parsed)
		return true;
	bitmaps.clear ();
	fonts.clear ();
	colors.clear ();
	controlTags.clear ();
	templates.clear ();
	std::string text = jsonText;
	if (!fromMemory)
	{
		std::ifstream in (filePath, std::ios::binary);
		if (!in)
		{
			error = "cannot read " + filePath;
			return false;
		}
		std::ostringstream ss;
		ss << in.rdbuf ();
		text = ss.str ();
	}
	JValue root;
	OrderedSax sax (root);
	bool ok = false;
	try
	{
		ok = nlohmann::json::sax_parse (text, &sax);
	}
	catch (const std::exception& e)
	{
		sax.error = e.what ();
		ok = false;
	}
	if (!ok)
	{
		error = sax.error.empty () ? "malformed JSON" : sax.error;
		return false;
	}
	const JValue* desc = root.type == JValue::Object ? root.find ("vstgui-ui-description") : nullptr;
	if (!desc || desc->type != JValue::Object)
	{
		error = "no \"vstgui-ui-description\" object";
		return false;
	}
	auto section = [&] (const char* name, const JValue*& out) {
		out = desc->find (name);
		if (out && out->type != JValue::Object)
		{
			error = std::string ("\"") + name + "\" is not an object";
			return false;
		}
		return true;
	};
	const JValue *bitmapSection, *fontSection, *colorSection, *tagSection, *templateSection, *gradientSection;
	if (!section ("bitmaps", bitmapSection) || !section ("fonts", fontSection) || !section ("colors", colorSection) ||
	    !section ("control-tags", tagSection) || !section ("templates", templateSection) ||
	    !section ("gradients", gradientSection))
		return false;

	if (colorSection)
		for (const auto& [name, v] : colorSection->members)
		{
			CColor c;
			if (v.type != JValue::String || !parseHexColor (trim (v.text), c))
			{
				error = "colour \"" + name + "\" is not #rrggbb or #rrggbbaa";
				return false;
			}
			colors[name] = c;
		}
	if (bitmapSection)
		for (const auto& [name, v] : bitmapSection->members)
		{
			const JValue* p = v.type == JValue::Object ? v.find ("path") : (v.type == JValue::String ? &v : nullptr);
			if (!p || p->type != JValue::String || p->text.empty ())
			{
				error = "bitmap \"" + name + "\" has no path";
				return false;
			}
			const std::string path = p->text[0] == '/' ? p->text : resourceFolder + "/" + p->text;
			auto bitmap = owned (new CBitmap (path));
			if (!bitmap->isLoaded ())
			{
				// A file that is not there leaves the name without a picture (views that name it
				// get none); a file that is there but cannot be read as a PNG is a fault.
				std::error_code ec;
				if (std::filesystem::exists (path, ec) || ec)
				{
					error = "bitmap \"" + name + "\" cannot be loaded from " + path;
					return false;
				}
				bitmap = nullptr;
			}
			bitmaps[name] = bitmap;
		}
	if (fontSection)
		for (const auto& [name, v] : fontSection->members)
		{
			if (v.type != JValue::Object)
			{
				error = "font \"" + name + "\" is not an object";
				return false;
			}
			const JValue* fontName = v.find ("font-name");
			const JValue* sizeValue = v.find ("size");
			double size = 12.;
			if (sizeValue && (!sizeValue->isScalar () || !UIAttributes::stringToDouble (sizeValue->text, size) || !(size > 0. && size <= 1000.)))
			{
				error = "font \"" + name + "\" has a bad size";
				return false;
			}
			int32_t style = kNormalFace;
			for (auto [key, flag] : {std::pair<const char*, int32_t> {"bold", kBoldFace}, {"italic", kItalicFace},
			                         {"underline", kUnderlineFace}, {"strike-through", kStrikethroughFace}})
			{
				bool on = false;
				if (const JValue* b = v.find (key))
				{
					if (!b->isScalar () || !parseBool (b->text, on))
					{
						error = "font \"" + name + "\": \"" + key + "\" is not true or false";
						return false;
					}
					if (on)
						style |= flag;
				}
			}
			fonts[name] = owned (new CFontDesc (fontName && fontName->isScalar () ? fontName->text.c_str () : "Arial",
			                                    size, style));
		}
	if (tagSection)
		for (const auto& [name, v] : tagSection->members)
		{
			double d = 0.;
			if (!v.isScalar () || !UIAttributes::stringToDouble (v.text, d) || d != std::floor (d) || d < -1. ||
			    d > 2147483647.)
			{
				error = "control tag \"" + name + "\" is not an integer";
				return false;
			}
			controlTags[name] = static_cast<int32_t> (d);
		}
	if (!templateSection || templateSection->members.empty ())
	{
		error = "no templates";
		return false;
	}
	for (const auto& [name, v] : templateSection->members)
	{
		auto node = readNode (v, error, 0);
		if (!node)
		{
			error = "template \"" + name + "\": " + error;
			return false;
		}
		templates.emplace_back (name, std::move (node));
	}
	(void)gradientSection;
	parsed = true;
	return true;
}

std::vector<std::string> UIDescription::getTemplateNames () const
{
	std::vector<std::string> names;
	for (const auto& t : templates)
		names.push_back (t.first);
	return names;
}

const UIAttributes* UIDescription::getViewAttributes (UTF8StringPtr name) const
{
	if (!name)
		return nullptr;
	for (const auto& t : templates)
		if (t.first == name)
			return &t.second->attributes;
	return nullptr;
}

CBitmap* UIDescription::getBitmap (UTF8StringPtr name) const
{
	if (!name)
		return nullptr;
	auto it = bitmaps.find (name);
	return it == bitmaps.end () ? nullptr : it->second.get ();
}

CFontRef UIDescription::getFont (UTF8StringPtr name) const
{
	if (!name)
		return nullptr;
	auto it = fonts.find (name);
	if (it != fonts.end ())
		return it->second.get ();
	return predefinedFont (name);
}

bool UIDescription::getColor (UTF8StringPtr name, CColor& color) const
{
	return name && resolveColor (name, color);
}

int32_t UIDescription::getTagForName (UTF8StringPtr name) const
{
	if (!name)
		return -1;
	auto it = controlTags.find (name);
	return it == controlTags.end () ? -1 : it->second;
}

bool UIDescription::resolveColor (const std::string& value, CColor& color) const
{
	const std::string v = trim (value);
	if (!v.empty () && v[0] == '#')
		return parseHexColor (v, color);
	if (auto it = colors.find (v); it != colors.end ())
	{
		color = it->second;
		return true;
	}
	if (auto it = predefinedColors ().find (v); it != predefinedColors ().end ())
	{
		color = it->second;
		return true;
	}
	return false;
}

bool UIDescription::resolveFont (const std::string& value, SharedPointer<CFontDesc>& font) const
{
	CFontRef f = getFont (value.c_str ());
	if (!f)
		return false;
	font = f;
	return true;
}

// A name of the description resolves, even when its file was missing (then to null).
bool UIDescription::resolveBitmap (const std::string& value, CBitmap*& bitmap) const
{
	auto it = bitmaps.find (value);
	bitmap = it == bitmaps.end () ? nullptr : it->second.get ();
	return it != bitmaps.end ();
}

//------------------------------------------------------------------------
CView* UIDescription::createView (UTF8StringPtr templateName, IController* controller)
{
	if (!parsed && !parse ())
		return nullptr;
	if (!templateName)
	{
		error = "no template name";
		return nullptr;
	}
	for (const auto& t : templates)
		if (t.first == templateName)
		{
			error.clear ();
			CView* view = buildView (*t.second, controller, 0);
			if (!view && error.empty ())
				error = "the controller dropped the template's view";
			return view;
		}
	error = std::string ("no template \"") + templateName + "\"";
	return nullptr;
}

namespace {
CView* createByClass (const std::string& className)
{
	if (className == "CView")
		return new CView (CRect ());
	if (className == "CViewContainer")
		return new CViewContainer (CRect ());
	if (className == "CParamDisplay")
		return new CParamDisplay (CRect ());
	if (className == "CTextLabel")
		return new CTextLabel (CRect ());
	if (className == "CTextEdit")
		return new CTextEdit (CRect (), nullptr, -1);
	if (className == "CTextButton")
		return new CTextButton (CRect ());
	if (className == "CKnob")
		return new CKnob (CRect (), nullptr, -1, nullptr, nullptr, CPoint (), 0);
	if (className == "COptionMenu")
		return new COptionMenu (CRect (), nullptr, -1);
	return nullptr;
}
} // namespace

CView* UIDescription::buildView (const Node& node, IController* controller, int depth)
{
	const UIAttributes& attrs = node.attributes;
	CView* view = nullptr;
	if (controller && attrs.hasAttribute ("custom-view-name"))
		view = controller->createView (attrs, this);
	if (!view)
	{
		const std::string* className = attrs.getAttributeValue ("class");
		const std::string name = className ? *className : std::string ("CView");
		view = createByClass (name);
		if (!view)
		{
			error = "unknown view class \"" + name + "\"";
			return nullptr;
		}
	}
	if (!applyAttributes (view, attrs))
	{
		view->forget ();
		return nullptr;
	}
	if (auto* control = dynamic_cast<CControl*> (view))
	{
		if (const std::string* tagName = attrs.getAttributeValue ("control-tag"))
		{
			int32_t tag = getTagForName (tagName->c_str ());
			double number = 0.;
			if (tag < 0 && UIAttributes::stringToDouble (*tagName, number) && number == std::floor (number) &&
			    number >= 0. && number <= 2147483647.)
				tag = static_cast<int32_t> (number);
			// The tag first: with the listener already set, setTag would bind the control before
			// verifyView could drop it.
			control->setTag (tag);
			if (controller && !control->getListener ())
				control->setListener (controller->getControlListener (tagName->c_str ()));
		}
	}
	if (!node.children.empty ())
	{
		auto* container = dynamic_cast<CViewContainer*> (view);
		if (!container)
		{
			error = "a view that is not a container has children";
			view->forget ();
			return nullptr;
		}
		for (const auto& child : node.children)
		{
			error.clear ();
			CView* c = buildView (*child, controller, depth + 1);
			if (!c)
			{
				if (error.empty ())
					continue; // the controller dropped it in verifyView
				view->forget ();
				return nullptr;
			}
			container->addView (c);
		}
	}
	if (controller)
	{
		CView* verified = controller->verifyView (view, attrs, this);
		if (verified != view)
		{
			view->forget ();
			view = verified;
		}
	}
	return view;
}

bool UIDescription::applyAttributes (CView* view, const UIAttributes& attrs)
{
	auto fail = [&] (const std::string& name) {
		const std::string* v = attrs.getAttributeValue (name);
		error = "bad value for \"" + name + "\"" + (v ? ": \"" + *v + "\"" : std::string ());
		return false;
	};
	auto getBool = [&] (const char* name, std::optional<bool>& out) {
		if (auto v = attrs.getAttributeValue (name))
		{
			bool b = false;
			if (!parseBool (trim (*v), b))
				return fail (name);
			out = b;
		}
		return true;
	};
	auto getDouble = [&] (const char* name, std::optional<double>& out) {
		if (auto v = attrs.getAttributeValue (name))
		{
			double d = 0.;
			if (!UIAttributes::stringToDouble (*v, d))
				return fail (name);
			out = d;
		}
		return true;
	};
	auto getColor = [&] (const char* name, std::optional<CColor>& out) {
		if (auto v = attrs.getAttributeValue (name))
		{
			CColor c;
			if (!resolveColor (*v, c))
				return fail (name);
			out = c;
		}
		return true;
	};
	auto getFontAttr = [&] (const char* name, SharedPointer<CFontDesc>& out) {
		if (auto v = attrs.getAttributeValue (name))
			if (!resolveFont (trim (*v), out))
				return fail (name);
		return true;
	};
	auto getBitmapAttr = [&] (const char* name, CBitmap*& out) {
		out = nullptr;
		if (auto v = attrs.getAttributeValue (name))
			if (!trim (*v).empty () && !resolveBitmap (trim (*v), out))
				return fail (name);
		return true;
	};
	auto getPoint = [&] (const char* name, std::optional<CPoint>& out) {
		if (auto v = attrs.getAttributeValue (name))
		{
			CPoint p;
			if (!UIAttributes::stringToPoint (*v, p))
				return fail (name);
			out = p;
		}
		return true;
	};

	// CView
	std::optional<CPoint> origin, sizePoint;
	if (!getPoint ("origin", origin) || !getPoint ("size", sizePoint))
		return false;
	// Far larger than any editor; beyond this the surfaces and windows could not be made.
	constexpr double kMaxViewSide = 16384.;
	if (sizePoint && !(sizePoint->x >= 0. && sizePoint->y >= 0. && sizePoint->x <= kMaxViewSide &&
	                   sizePoint->y <= kMaxViewSide))
		return fail ("size");
	if (origin || sizePoint)
	{
		CRect r = view->getViewSize ();
		const CPoint o = origin ? *origin : r.getTopLeft ();
		const CPoint s = sizePoint ? *sizePoint : r.getSize ();
		r = CRect (o, s);
		view->setViewSize (r, false);
		view->setMouseableArea (r);
	}
	std::optional<bool> transparent, mouseEnabled, visible;
	std::optional<double> opacity;
	CBitmap* bitmap = nullptr;
	if (!getBool ("transparent", transparent) || !getBool ("mouse-enabled", mouseEnabled) ||
	    !getBool ("visible", visible) || !getDouble ("opacity", opacity) || !getBitmapAttr ("bitmap", bitmap))
		return false;
	if (transparent)
		view->setTransparency (*transparent);
	if (mouseEnabled)
		view->setMouseEnabled (*mouseEnabled);
	if (visible)
		view->setVisible (*visible);
	if (opacity)
		view->setAlphaValue (static_cast<float> (*opacity));
	if (bitmap)
		view->setBackground (bitmap);
	if (auto tip = attrs.getAttributeValue ("tooltip"))
		view->setTooltipText (tip->c_str ());

	if (auto* container = dynamic_cast<CViewContainer*> (view))
	{
		std::optional<CColor> bg;
		if (!getColor ("background-color", bg))
			return false;
		if (bg)
			container->setBackgroundColor (*bg);
	}

	if (auto* control = dynamic_cast<CControl*> (view))
	{
		std::optional<double> minValue, maxValue, defaultValue;
		if (!getDouble ("min-value", minValue) || !getDouble ("max-value", maxValue) ||
		    !getDouble ("default-value", defaultValue))
			return false;
		if (minValue)
			control->setMin (static_cast<float> (*minValue));
		if (maxValue)
			control->setMax (static_cast<float> (*maxValue));
		if (defaultValue)
			control->setDefaultValue (static_cast<float> (*defaultValue));
	}

	if (auto* display = dynamic_cast<CParamDisplay*> (view))
	{
		SharedPointer<CFontDesc> font;
		std::optional<CColor> fontColor, backColor, frameColor;
		std::optional<bool> noFrame, noText, noDraw;
		std::optional<CPoint> inset;
		std::optional<double> frameWidth;
		if (!getFontAttr ("font", font) || !getColor ("font-color", fontColor) || !getColor ("back-color", backColor) ||
		    !getColor ("frame-color", frameColor) || !getBool ("style-no-frame", noFrame) ||
		    !getBool ("style-no-text", noText) || !getBool ("style-no-draw", noDraw) ||
		    !getPoint ("text-inset", inset) || !getDouble ("frame-width", frameWidth))
			return false;
		if (font)
			display->setFont (font);
		if (fontColor)
			display->setFontColor (*fontColor);
		if (backColor)
			display->setBackColor (*backColor);
		if (frameColor)
			display->setFrameColor (*frameColor);
		if (inset)
			display->setTextInset (*inset);
		if (frameWidth)
			display->setFrameWidth (*frameWidth);
		int32_t style = display->getStyle ();
		auto flag = [&] (const std::optional<bool>& b, int32_t f) {
			if (b)
				style = *b ? (style | f) : (style & ~f);
		};
		flag (noFrame, CParamDisplay::kNoFrame);
		flag (noText, CParamDisplay::kNoTextStyle);
		flag (noDraw, CParamDisplay::kNoDrawStyle);
		display->setStyle (style);
		if (auto a = attrs.getAttributeValue ("text-alignment"))
		{
			CHoriTxtAlign align;
			if (!parseAlign (trim (*a), align))
				return fail ("text-alignment");
			display->setHoriAlign (align);
		}
	}

	if (auto* label = dynamic_cast<CTextLabel*> (view))
		if (auto t = attrs.getAttributeValue ("title"))
			label->setText (*t);

	if (auto* button = dynamic_cast<CTextButton*> (view))
	{
		SharedPointer<CFontDesc> font;
		std::optional<CColor> textColor, textColorHi, frameColor, frameColorHi;
		std::optional<double> frameWidth, roundRadius, margin;
		std::optional<bool> kick;
		CBitmap* icon = nullptr;
		if (!getFontAttr ("font", font) || !getColor ("text-color", textColor) ||
		    !getColor ("text-color-highlighted", textColorHi) || !getColor ("frame-color", frameColor) ||
		    !getColor ("frame-color-highlighted", frameColorHi) || !getDouble ("frame-width", frameWidth) ||
		    !getDouble ("round-radius", roundRadius) || !getDouble ("icon-text-margin", margin) ||
		    !getBool ("kick-style", kick) || !getBitmapAttr ("icon", icon))
			return false;
		if (auto t = attrs.getAttributeValue ("title"))
			button->setTitle (t->c_str ());
		if (font)
			button->setFont (font);
		if (textColor)
			button->setTextColor (*textColor);
		if (textColorHi)
			button->setTextColorHighlighted (*textColorHi);
		if (frameColor)
			button->setFrameColor (*frameColor);
		if (frameColorHi)
			button->setFrameColorHighlighted (*frameColorHi);
		if (frameWidth)
			button->setFrameWidth (*frameWidth);
		if (roundRadius)
			button->setRoundRadius (*roundRadius);
		if (margin)
			button->setTextMargin (*margin);
		if (kick)
			button->setStyle (*kick ? CTextButton::kKickStyle : CTextButton::kOnOffStyle);
		if (icon)
			button->setIcon (icon);
		if (auto a = attrs.getAttributeValue ("text-alignment"))
		{
			CHoriTxtAlign align;
			if (!parseAlign (trim (*a), align))
				return fail ("text-alignment");
			button->setTextAlignment (align);
		}
		if (auto p = attrs.getAttributeValue ("icon-position"))
		{
			const std::string v = trim (*p);
			if (v == "left") button->setIconPosition (CDrawMethods::kIconLeft);
			else if (v == "right") button->setIconPosition (CDrawMethods::kIconRight);
			else if (v == "center above") button->setIconPosition (CDrawMethods::kIconCenterAbove);
			else if (v == "center below") button->setIconPosition (CDrawMethods::kIconCenterBelow);
			else return fail ("icon-position");
		}
		for (const char* name : {"gradient", "gradient-highlighted"})
		{
			auto g = attrs.getAttributeValue (name);
			if (!g)
				continue;
			const std::string v = trim (*g);
			CGradient* gradient = nullptr;
			if (!v.empty () && v != "none")
			{
				// "#top,#bottom" or a colour pair of names
				const auto comma = v.find (',');
				CColor a, b;
				if (comma == std::string::npos || !resolveColor (v.substr (0, comma), a) ||
				    !resolveColor (v.substr (comma + 1), b))
					return fail (name);
				gradient = new CGradient (a, b);
			}
			if (std::string (name) == "gradient")
				button->setGradient (gradient);
			else
				button->setGradientHighlighted (gradient);
			if (gradient)
				gradient->forget ();
		}
	}

	if (auto* knob = dynamic_cast<CKnob*> (view))
	{
		std::optional<CColor> corona, handle, shadow;
		std::optional<double> lineWidth, coronaInset, angleStart, angleRange, zoom, outlineAdd, valueInset;
		CBitmap* handleBitmap = nullptr;
		if (!getColor ("corona-color", corona) || !getColor ("handle-color", handle) ||
		    !getColor ("handle-shadow-color", shadow) || !getDouble ("handle-line-width", lineWidth) ||
		    !getDouble ("corona-inset", coronaInset) || !getDouble ("angle-start", angleStart) ||
		    !getDouble ("angle-range", angleRange) || !getDouble ("zoom-factor", zoom) ||
		    !getDouble ("corona-outline-width-add", outlineAdd) || !getDouble ("value-inset", valueInset) ||
		    !getBitmapAttr ("handle-bitmap", handleBitmap))
			return false;
		if (corona) knob->setCoronaColor (*corona);
		if (handle) knob->setColorHandle (*handle);
		if (shadow) knob->setColorShadowHandle (*shadow);
		if (lineWidth) knob->setHandleLineWidth (*lineWidth);
		if (coronaInset) knob->setCoronaInset (*coronaInset);
		if (angleStart) knob->setStartAngle (static_cast<float> (*angleStart));
		if (angleRange) knob->setRangeAngle (static_cast<float> (*angleRange));
		if (zoom) knob->setZoomFactor (static_cast<float> (*zoom));
		if (outlineAdd) knob->setCoronaOutlineWidthAdd (*outlineAdd);
		if (handleBitmap) knob->setHandleBitmap (handleBitmap);
		if (valueInset) knob->setInsetValue (*valueInset); // after the bitmap, which sets its own
		if (auto lengths = attrs.getAttributeValue ("corona-dash-dot-lengths"))
		{
			CLineStyle::CoordVector values;
			std::stringstream ss (*lengths);
			std::string part;
			while (std::getline (ss, part, ','))
			{
				double d = 0.;
				if (!UIAttributes::stringToDouble (part, d) || d < 0.)
					return fail ("corona-dash-dot-lengths");
				values.push_back (d);
			}
			knob->setCoronaDashDotLengths (values);
		}
		// Each bit has our name and VSTGUI's; "draw-handle" is the negation of "skip-handle-drawing".
		struct StyleAttribute
		{
			const char* name;
			int32_t flag;
			bool negated;
		};
		static const StyleAttribute styleAttributes[] = {
		    {"circle-drawing", CKnob::kHandleCircleDrawing, false},
		    {"draw-corona", CKnob::kCoronaDrawing, false},
		    {"corona-drawing", CKnob::kCoronaDrawing, false},
		    {"draw-corona-from-center", CKnob::kCoronaFromCenter, false},
		    {"corona-from-center", CKnob::kCoronaFromCenter, false},
		    {"corona-inverted", CKnob::kCoronaInverted, false},
		    {"draw-corona-dash-dot", CKnob::kCoronaLineDashDot, false},
		    {"corona-dash-dot", CKnob::kCoronaLineDashDot, false},
		    {"corona-outline", CKnob::kCoronaOutline, false},
		    {"corona-line-cap-butt", CKnob::kCoronaLineCapButt, false},
		    {"skip-handle-drawing", CKnob::kSkipHandleDrawing, false},
		    {"draw-handle", CKnob::kSkipHandleDrawing, true},
		};
		int32_t ds = knob->getDrawStyle ();
		for (const auto& a : styleAttributes)
		{
			std::optional<bool> b;
			if (!getBool (a.name, b))
				return false;
			if (b)
				ds = (*b != a.negated) ? (ds | a.flag) : (ds & ~a.flag);
		}
		knob->setDrawStyle (ds);
	}
	return true;
}

} // namespace VSTGUI
