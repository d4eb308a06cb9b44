// Shared helpers of the view library's tests.
#pragma once

#include "vstgui/vstgui.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testing_helpers {

using namespace VSTGUI;

inline std::string makeTempDir ()
{
	std::string templ = (std::filesystem::temp_directory_path () / "grundmoor-gui-XXXXXX").string ();
	char* p = mkdtemp (templ.data ());
	return p ? std::string (p) : std::string ("/tmp");
}

// Writes a PNG whose left half is one colour and right half another.
inline void writeTwoColourPNG (const std::string& path, int w, int h, CColor left, CColor right)
{
	cairo_surface_t* s = cairo_image_surface_create (CAIRO_FORMAT_ARGB32, w, h);
	cairo_t* cr = cairo_create (s);
	cairo_set_source_rgba (cr, left.red / 255., left.green / 255., left.blue / 255., left.alpha / 255.);
	cairo_rectangle (cr, 0, 0, w / 2, h);
	cairo_fill (cr);
	cairo_set_source_rgba (cr, right.red / 255., right.green / 255., right.blue / 255., right.alpha / 255.);
	cairo_rectangle (cr, w / 2, 0, w - w / 2, h);
	cairo_fill (cr);
	cairo_destroy (cr);
	cairo_surface_write_to_png (s, path.c_str ());
	cairo_surface_destroy (s);
}

inline ::testing::AssertionResult colorNear (const CColor& actual, const CColor& expected, int tolerance = 8)
{
	auto d = [] (int a, int b) { return std::abs (a - b); };
	if (d (actual.red, expected.red) <= tolerance && d (actual.green, expected.green) <= tolerance &&
	    d (actual.blue, expected.blue) <= tolerance && d (actual.alpha, expected.alpha) <= tolerance)
		return ::testing::AssertionSuccess ();
	return ::testing::AssertionFailure ()
	       << "got (" << int (actual.red) << "," << int (actual.green) << "," << int (actual.blue) << ","
	       << int (actual.alpha) << ") expected (" << int (expected.red) << "," << int (expected.green) << ","
	       << int (expected.blue) << "," << int (expected.alpha) << ")";
}

// Pixel at a point given in unzoomed coordinates.
inline CColor probe (const COffscreenImage& image, double x, double y, double zoom)
{
	return image.getPixel (static_cast<int> (x * zoom), static_cast<int> (y * zoom));
}

// A view that draws through a function.
class LambdaView : public CView
{
public:
	using DrawFunc = std::function<void (CDrawContext*, const CRect&)>;
	LambdaView (const CRect& r, DrawFunc f) : CView (r), func (std::move (f)) {}
	void draw (CDrawContext* context) override
	{
		func (context, getViewSize ());
		setDirty (false);
	}
	DrawFunc func;
};

// A frame of the given size with a white root container, ready to render.
inline CFrame* makeFrame (CCoord w, CCoord h, CColor background = kWhiteCColor)
{
	auto* frame = new CFrame (CRect (0, 0, w, h), nullptr);
	frame->setBackgroundColor (background);
	frame->open (nullptr, PlatformType::kOffscreen);
	return frame;
}

// Bounding box of the pixels that differ from the background.
inline CRect inkBounds (const COffscreenImage& image, CColor background, int tolerance = 60)
{
	int minX = image.getWidth (), minY = image.getHeight (), maxX = -1, maxY = -1;
	for (int y = 0; y < image.getHeight (); ++y)
		for (int x = 0; x < image.getWidth (); ++x)
		{
			CColor c = image.getPixel (x, y);
			if (std::abs (c.red - background.red) + std::abs (c.green - background.green) +
			        std::abs (c.blue - background.blue) >
			    tolerance)
			{
				minX = std::min (minX, x);
				minY = std::min (minY, y);
				maxX = std::max (maxX, x);
				maxY = std::max (maxY, y);
			}
		}
	if (maxX < 0)
		return CRect ();
	return CRect (minX, minY, maxX + 1, maxY + 1);
}

} // namespace testing_helpers
