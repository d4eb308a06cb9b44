#include "grundmoor/testhost/Screenshot.h"

#include "grundmoor/testhost/TestHost.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace grundmoor::testhost {

Image::Image (int width, int height, std::uint32_t fill)
: w (std::max (width, 0)), h (std::max (height, 0)), data (static_cast<size_t> (w) * h, fill & 0xFFFFFF)
{
}

bool Image::uniform () const
{
	return std::all_of (data.begin (), data.end (), [&] (std::uint32_t p) { return p == data.front (); });
}

size_t Image::distinctColours () const { return std::unordered_set<std::uint32_t> (data.begin (), data.end ()).size (); }

size_t Image::count (std::uint32_t rgb) const
{
	return static_cast<size_t> (std::count (data.begin (), data.end (), rgb & 0xFFFFFF));
}

Image Image::crop (int x, int y, int width, int height) const
{
	const int x0 = std::clamp (x, 0, w), y0 = std::clamp (y, 0, h);
	const int x1 = std::clamp (x + width, x0, w), y1 = std::clamp (y + height, y0, h);
	Image out (x1 - x0, y1 - y0);
	for (int row = y0; row < y1; ++row)
		std::copy_n (data.begin () + static_cast<std::ptrdiff_t> (row) * w + x0, x1 - x0,
		             out.data.begin () + static_cast<std::ptrdiff_t> (row - y0) * out.w);
	return out;
}

bool Image::writePng (const std::filesystem::path& path) const
{
	if (empty ())
		return false;
	cairo_surface_t* surface = cairo_image_surface_create (CAIRO_FORMAT_RGB24, w, h);
	if (cairo_surface_status (surface) != CAIRO_STATUS_SUCCESS)
	{
		cairo_surface_destroy (surface);
		return false;
	}
	cairo_surface_flush (surface);
	unsigned char* bytes = cairo_image_surface_get_data (surface);
	const int stride = cairo_image_surface_get_stride (surface);
	// RGB24 keeps each pixel as a native 32-bit 0x??RRGGBB word.
	for (int y = 0; y < h; ++y)
		std::memcpy (bytes + static_cast<ptrdiff_t> (y) * stride, data.data () + static_cast<size_t> (y) * w,
		             static_cast<size_t> (w) * 4);
	cairo_surface_mark_dirty (surface);
	const bool ok = cairo_surface_write_to_png (surface, path.c_str ()) == CAIRO_STATUS_SUCCESS;
	cairo_surface_destroy (surface);
	return ok;
}

std::optional<Image> Image::readPng (const std::filesystem::path& path)
{
	cairo_surface_t* surface = cairo_image_surface_create_from_png (path.c_str ());
	if (cairo_surface_status (surface) != CAIRO_STATUS_SUCCESS)
	{
		cairo_surface_destroy (surface);
		return std::nullopt;
	}
	cairo_surface_flush (surface);
	const int width = cairo_image_surface_get_width (surface);
	const int height = cairo_image_surface_get_height (surface);
	const int stride = cairo_image_surface_get_stride (surface);
	const unsigned char* bytes = cairo_image_surface_get_data (surface);
	Image out (width, height);
	for (int y = 0; y < height; ++y)
		for (int x = 0; x < width; ++x)
		{
			std::uint32_t p;
			std::memcpy (&p, bytes + static_cast<ptrdiff_t> (y) * stride + x * 4, 4);
			out.setPixel (x, y, p); // premultiplied ARGB32 pixels of opaque images are their colour
		}
	cairo_surface_destroy (surface);
	return out;
}

Image captureWindow (XDisplay* display, unsigned long window)
{
	XWindowAttributes attributes {};
	if (!display || !XGetWindowAttributes (display, window, &attributes))
		throw HostError ("no window to capture");
	if (attributes.depth != 24)
		throw HostError ("only 24-bit windows are captured");
	countErrorsOf (display); // a window that cannot be read must not end the process
	const unsigned long errorsBefore = errorsOf (display);
	XImage* image = XGetImage (display, window, 0, 0, static_cast<unsigned int> (attributes.width),
	                           static_cast<unsigned int> (attributes.height), AllPlanes, ZPixmap);
	XSync (display, False);
	if (!image || errorsOf (display) != errorsBefore)
	{
		if (image)
			XDestroyImage (image);
		throw HostError ("the server gave no picture of the window (not mapped, or off the screen?)");
	}
	Image out (image->width, image->height);
	const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst && image->red_mask == 0xFF0000 &&
	                    image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
	for (int y = 0; y < image->height; ++y)
		for (int x = 0; x < image->width; ++x)
		{
			std::uint32_t p;
			if (direct)
				std::memcpy (&p, image->data + static_cast<ptrdiff_t> (y) * image->bytes_per_line + x * 4, 4);
			else
				p = static_cast<std::uint32_t> (XGetPixel (image, x, y));
			out.setPixel (x, y, p);
		}
	XDestroyImage (image);
	return out;
}

} // namespace grundmoor::testhost
