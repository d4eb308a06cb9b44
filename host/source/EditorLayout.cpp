#include "grundmoor/testhost/EditorLayout.h"

#include "grundmoor/testhost/TestHost.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace grundmoor::testhost {

// VSTGUI writes "children" as objects whose keys repeat (the class name), so the tree keeps every
// member in order; nlohmann's own objects would keep one of each key.
struct EditorLayout::Node
{
	enum Type
	{
		kNull,
		kScalar,
		kObject,
		kArray
	} type = kNull;
	std::string text;
	std::vector<std::pair<std::string, Node>> members; // objects and arrays (keys empty)

	const Node* find (const std::string& key) const
	{
		for (const auto& m : members)
			if (m.first == key)
				return &m.second;
		return nullptr;
	}
};

namespace {

using Node = EditorLayout::Node;

class TreeBuilder : public nlohmann::json_sax<nlohmann::json>
{
public:
	explicit TreeBuilder (Node& r) : root (r) {}

	bool null () override { return put (Node {}); }
	bool boolean (bool v) override { return put (scalar (v ? "true" : "false")); }
	bool number_integer (number_integer_t v) override { return put (scalar (std::to_string (v))); }
	bool number_unsigned (number_unsigned_t v) override { return put (scalar (std::to_string (v))); }
	bool number_float (number_float_t, const string_t& s) override { return put (scalar (s)); }
	bool string (string_t& s) override { return put (scalar (s)); }
	bool binary (binary_t&) override { return false; }
	bool start_object (std::size_t) override { return open (Node::kObject); }
	bool end_object () override { return close (); }
	bool start_array (std::size_t) override { return open (Node::kArray); }
	bool end_array () override { return close (); }
	bool key (string_t& k) override
	{
		pendingKey = k;
		return true;
	}
	bool parse_error (std::size_t position, const std::string&, const nlohmann::detail::exception& e) override
	{
		error = "malformed JSON at byte " + std::to_string (position) + ": " + e.what ();
		return false;
	}
	std::string error;

private:
	static Node scalar (std::string s)
	{
		Node n;
		n.type = Node::kScalar;
		n.text = std::move (s);
		return n;
	}
	Node* place (Node&& n)
	{
		if (stack.empty ())
		{
			root = std::move (n);
			return &root;
		}
		Node* parent = stack.back ();
		parent->members.emplace_back (parent->type == Node::kObject ? pendingKey : std::string (), std::move (n));
		return &parent->members.back ().second;
	}
	bool put (Node&& n)
	{
		place (std::move (n));
		return true;
	}
	bool open (Node::Type t)
	{
		Node n;
		n.type = t;
		// Pointers stay valid: nothing is added to a parent while one of its children is open.
		stack.push_back (place (std::move (n)));
		return stack.size () < 256;
	}
	bool close ()
	{
		if (stack.empty ())
			return false;
		stack.pop_back ();
		return true;
	}
	Node& root;
	std::vector<Node*> stack;
	std::string pendingKey;
};

std::string trimmed (const std::string& s)
{
	const auto b = s.find_first_not_of (" \t\r\n");
	if (b == std::string::npos)
		return {};
	return s.substr (b, s.find_last_not_of (" \t\r\n") - b + 1);
}

std::optional<double> toNumber (const std::string& text)
{
	const std::string s = trimmed (text);
	if (s.empty ())
		return std::nullopt;
	char* end = nullptr;
	const double v = std::strtod (s.c_str (), &end);
	if (*end != '\0' || !std::isfinite (v))
		return std::nullopt;
	return v;
}

// "x, y"
std::optional<EditorPoint> toPoint (const std::string& text)
{
	const auto comma = text.find (',');
	if (comma == std::string::npos)
		return std::nullopt;
	auto x = toNumber (text.substr (0, comma)), y = toNumber (text.substr (comma + 1));
	if (!x || !y)
		return std::nullopt;
	return EditorPoint {*x, *y};
}

std::map<std::string, std::string> scalarMembers (const Node* object)
{
	std::map<std::string, std::string> out;
	if (object)
		for (const auto& [key, value] : object->members)
			if (value.type == Node::kScalar)
				out.emplace (key, value.text); // the first of repeated keys, as for views
	return out;
}

const Node* description (const Node& root) { return root.find ("vstgui-ui-description"); }

void collect (const Node& view, EditorPoint containerOrigin, bool containerVisible, int depth,
              std::vector<LayoutView>& out)
{
	if (view.type != Node::kObject)
		return;
	LayoutView v;
	v.attributes = scalarMembers (view.find ("attributes"));
	v.viewClass = v.attribute ("class");
	v.depth = depth;
	const auto origin = toPoint (v.attribute ("origin")).value_or (EditorPoint {});
	const auto size = toPoint (v.attribute ("size")).value_or (EditorPoint {});
	// The template's own view is placed at the frame's origin whatever its "origin" says.
	v.rect.left = depth == 0 ? 0 : containerOrigin.x + origin.x;
	v.rect.top = depth == 0 ? 0 : containerOrigin.y + origin.y;
	v.rect.width = size.x;
	v.rect.height = size.y;
	v.visible = containerVisible && trimmed (v.attribute ("visible")) != "false";
	const EditorPoint here {v.rect.left, v.rect.top};
	const bool visible = v.visible;
	out.push_back (std::move (v));
	if (const Node* children = view.find ("children"))
		for (const auto& member : children->members)
			collect (member.second, here, visible, depth + 1, out);
}

} // namespace

std::string LayoutView::attribute (const std::string& name) const
{
	auto it = attributes.find (name);
	return it == attributes.end () ? std::string () : it->second;
}

EditorLayout EditorLayout::fromText (const std::string& json)
{
	auto tree = std::make_shared<Node> ();
	TreeBuilder builder (*tree);
	bool ok = false;
	try
	{
		ok = nlohmann::json::sax_parse (json, &builder);
	}
	catch (const std::exception& e)
	{
		builder.error = e.what ();
	}
	if (!ok)
		throw HostError ("UI description does not parse: " + (builder.error.empty () ? "malformed JSON" : builder.error));
	const Node* desc = description (*tree);
	if (!desc || desc->type != Node::kObject)
		throw HostError ("no \"vstgui-ui-description\" in the UI description");
	EditorLayout layout;
	layout.controlTags = scalarMembers (desc->find ("control-tags"));
	layout.colours = scalarMembers (desc->find ("colors"));
	layout.root = std::move (tree);
	return layout;
}

EditorLayout EditorLayout::fromFile (const std::filesystem::path& path)
{
	std::ifstream file (path, std::ios::binary);
	if (!file)
		throw HostError ("cannot read " + path.string ());
	std::stringstream text;
	text << file.rdbuf ();
	return fromText (text.str ());
}

std::filesystem::path EditorLayout::descriptionOfBundle (const std::filesystem::path& bundle)
{
	return bundle / "Contents" / "Resources" / "editor.uidesc";
}

std::vector<LayoutView> EditorLayout::views (const std::string& templateName) const
{
	std::vector<LayoutView> out;
	const Node* templates = root ? description (*root)->find ("templates") : nullptr;
	if (const Node* t = templates ? templates->find (templateName) : nullptr)
		collect (*t, {}, true, 0, out);
	return out;
}

std::optional<EditorRect> EditorLayout::templateRect (const std::string& templateName) const
{
	const auto all = views (templateName);
	if (all.empty ())
		return std::nullopt;
	return all.front ().rect;
}

std::optional<std::uint32_t> EditorLayout::templateBackground (const std::string& templateName) const
{
	const auto all = views (templateName);
	if (all.empty ())
		return std::nullopt;
	return colour (all.front ().attribute ("background-color"));
}

std::optional<long> EditorLayout::tagNumber (const std::string& tag) const
{
	std::string text = trimmed (tag);
	auto named = controlTags.find (text);
	if (named != controlTags.end ())
		text = trimmed (named->second);
	const auto v = toNumber (text);
	if (!v || *v != std::floor (*v))
		return std::nullopt;
	return static_cast<long> (*v);
}

std::optional<std::uint32_t> EditorLayout::colour (const std::string& value) const
{
	std::string text = trimmed (value);
	auto named = colours.find (text);
	if (named != colours.end ())
		text = trimmed (named->second);
	if (text.size () != 7 && text.size () != 9)
		return std::nullopt;
	if (text[0] != '#' || text.find_first_not_of ("0123456789abcdefABCDEF", 1) != std::string::npos)
		return std::nullopt;
	return static_cast<std::uint32_t> (std::stoul (text.substr (1, 6), nullptr, 16));
}

std::optional<EditorRect> EditorLayout::findControlTag (const std::string& tag, const std::string& templateName) const
{
	const auto wanted = tagNumber (tag);
	for (const auto& v : views (templateName))
	{
		const std::string own = v.attribute ("control-tag");
		if (own.empty ())
			continue;
		const auto number = tagNumber (own);
		if ((wanted && number) ? *wanted == *number : trimmed (own) == trimmed (tag))
			return v.rect;
	}
	return std::nullopt;
}

std::optional<EditorRect> EditorLayout::findControlTag (int tag, const std::string& templateName) const
{
	return findControlTag (std::to_string (tag), templateName);
}

std::optional<EditorRect> EditorLayout::findCustomView (const std::string& name, const std::string& templateName) const
{
	for (const auto& v : views (templateName))
		if (v.attribute ("custom-view-name") == name)
			return v.rect;
	return std::nullopt;
}

} // namespace grundmoor::testhost
