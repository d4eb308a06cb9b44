// Renders a template of a UI description to a PNG file, for looking at layouts without a host.
//   render-uidesc <file.uidesc> <template> <out.png> [--zoom <factor>] [--open-menu <tag>] [--menu-entries <n>]
// Views with a custom-view-name are shown as labelled placeholders; controls show their default.
#include "vstgui/vstgui.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

using namespace VSTGUI;

namespace {

class PlaceholderView : public CView
{
public:
	PlaceholderView (std::string n) : CView (CRect ()), name (std::move (n)) {}
	void draw (CDrawContext* context) override
	{
		CView::draw (context);
		if (!getBackground ())
		{
			context->setFillColor (CColor (40, 46, 52, 255));
			context->drawRect (getViewSize (), kDrawFilled);
		}
		context->setLineWidth (1);
		context->setLineStyle (CLineStyle (CLineStyle::kLineCapButt, CLineStyle::kLineJoinMiter, 0., {4., 3.}));
		context->setFrameColor (CColor (255, 145, 56, 255));
		CRect r = getViewSize ();
		r.inset (0.5, 0.5);
		context->drawRect (r, kDrawStroked);
		context->setLineStyle (kLineSolid);
		context->setFont (kNormalFontSmall, 10, kBoldFace);
		context->setFontColor (CColor (255, 200, 150, 255));
		context->drawString (name.c_str (), getViewSize (), kCenterText);
		setDirty (false);
	}

private:
	std::string name;
};

class PreviewController : public IController
{
public:
	int menuEntries {0};
	void valueChanged (CControl*) override {}
	CView* createView (const UIAttributes& attributes, const IUIDescription*) override
	{
		const std::string* name = attributes.getAttributeValue ("custom-view-name");
		const std::string* cls = attributes.getAttributeValue ("class");
		// Controls keep their class so that their attributes still show.
		if (cls && *cls != "CView")
			return nullptr;
		return new PlaceholderView (name ? *name : "?");
	}
	CView* verifyView (CView* view, const UIAttributes&, const IUIDescription*) override
	{
		if (auto menu = dynamic_cast<COptionMenu*> (view); menu && menu->getNbEntries () == 0)
		{
			for (const char* entry : {"Init", "Deep Rumble", "-", "Sub Floor", "Long Tail"})
				menu->addEntry (entry);
			for (int i = 5; i < menuEntries; ++i)
				menu->addEntry (("Preset " + std::to_string (i)).c_str ());
		}
		else if (auto control = dynamic_cast<CControl*> (view))
			control->setValue (control->getDefaultValue ());
		return view;
	}
};

int usage ()
{
	std::fprintf (stderr, "usage: render-uidesc <file.uidesc> <template> <out.png> [--zoom <factor>] "
	                      "[--open-menu <tag>] [--menu-entries <n>]\n");
	return 2;
}

} // namespace

int render (int argc, char** argv);

int main (int argc, char** argv)
{
	const int result = render (argc, argv);
	// Empty the font caches so that leak checkers see a clean exit.
	FontMetrics::releaseCaches ();
	cairo_debug_reset_static_data ();
	FcFini ();
	return result;
}

int render (int argc, char** argv)
{
	if (argc < 4)
		return usage ();
	double zoom = 1.;
	int openMenuTag = -2;
	int menuEntries = 0;
	for (int i = 4; i < argc; ++i)
	{
		if (std::strcmp (argv[i], "--zoom") == 0 && i + 1 < argc)
			zoom = std::atof (argv[++i]);
		else if (std::strcmp (argv[i], "--open-menu") == 0 && i + 1 < argc)
			openMenuTag = std::atoi (argv[++i]);
		else if (std::strcmp (argv[i], "--menu-entries") == 0 && i + 1 < argc)
			menuEntries = std::atoi (argv[++i]);
		else
			return usage ();
	}
	if (!(zoom > 0.))
		return usage ();
	auto description = owned (new UIDescription (std::filesystem::absolute (argv[1]).string ()));
	if (!description->parse ())
	{
		std::fprintf (stderr, "render-uidesc: %s\n", description->getError ().c_str ());
		return 1;
	}
	PreviewController controller;
	controller.menuEntries = menuEntries;
	CView* view = description->createView (argv[2], &controller);
	if (!view)
	{
		std::fprintf (stderr, "render-uidesc: %s\n", description->getError ().c_str ());
		return 1;
	}
	auto frame = owned (new CFrame (CRect (0, 0, view->getWidth (), view->getHeight ()), nullptr));
	frame->open (nullptr, PlatformType::kOffscreen);
	view->setViewSize (CRect (0, 0, view->getWidth (), view->getHeight ()), false);
	frame->addView (view);
	frame->setZoom (zoom);
	if (openMenuTag >= -1)
	{
		std::function<COptionMenu* (CViewContainer*)> find = [&] (CViewContainer* c) -> COptionMenu* {
			for (const auto& v : c->getChildren ())
			{
				if (auto m = v.cast<COptionMenu> (); m && m->getTag () == openMenuTag)
					return m;
				if (auto sub = v.cast<CViewContainer> ())
					if (auto m = find (sub))
						return m;
			}
			return nullptr;
		};
		if (auto menu = find (frame))
			menu->popup ();
	}
	if (!renderViewToPNG (frame, zoom, argv[3]))
	{
		std::fprintf (stderr, "render-uidesc: cannot write %s\n", argv[3]);
		return 1;
	}
	return 0;
}
