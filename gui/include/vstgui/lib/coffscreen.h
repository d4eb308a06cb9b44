// Off-screen rendering of views into images and PNG files.
#pragma once

#include "cview.h"

#include <memory>
#include <string>

namespace VSTGUI {

// Largest side of an image in device pixels (cairo's own limit).
constexpr int kMaxSurfaceSize = 32767;

// An ARGB image in device pixels; sides are clamped to 1 ... kMaxSurfaceSize.
class COffscreenImage
{
public:
	COffscreenImage (int width, int height);
	// False when cairo could not make the surface (then nothing draws and no pixel is read).
	bool isValid () const;
	~COffscreenImage () noexcept;
	COffscreenImage (const COffscreenImage&) = delete;
	COffscreenImage& operator= (const COffscreenImage&) = delete;

	int getWidth () const { return width; }
	int getHeight () const { return height; }
	// Un-premultiplied colour of one device pixel; transparent black outside the image.
	CColor getPixel (int x, int y) const;
	bool writePNG (const std::string& path) const;
	cairo_surface_t* getSurface () const { return surface; }

private:
	int width, height;
	cairo_surface_t* surface;
};

// Draws a view (and its children) at the zoom; the view's own top-left lands at pixel (0, 0).
// Null when the picture would be larger than kMaxSurfaceSize or cannot be made.
std::unique_ptr<COffscreenImage> renderView (CView* view, double zoom = 1.);
// Draws the whole frame at its own zoom.
std::unique_ptr<COffscreenImage> renderFrame (CFrame* frame);
bool renderViewToPNG (CView* view, double zoom, const std::string& path);

} // namespace VSTGUI
