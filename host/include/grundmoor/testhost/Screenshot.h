// Pictures of windows: the pixels of a window (its children included) as the server shows them,
// with pixel access for probes and PNG files for people.
#pragma once

#include "grundmoor/testhost/VirtualDisplay.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace grundmoor::testhost {

/** 24-bit RGB pixels, 0xRRGGBB, row by row from the top left. */
class Image
{
public:
	Image () = default;
	Image (int width, int height, std::uint32_t fill = 0);

	int width () const { return w; }
	int height () const { return h; }
	bool empty () const { return w == 0 || h == 0; }
	bool contains (int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }

	/** 0xRRGGBB; the pixel must be inside the image. */
	std::uint32_t pixel (int x, int y) const { return data[static_cast<size_t> (y) * w + x]; }
	void setPixel (int x, int y, std::uint32_t rgb) { data[static_cast<size_t> (y) * w + x] = rgb & 0xFFFFFF; }
	const std::vector<std::uint32_t>& pixels () const { return data; }

	/** Whether every pixel has the same colour (true for an empty image). */
	bool uniform () const;
	/** The number of different colours. */
	size_t distinctColours () const;
	/** How many pixels have this colour. */
	size_t count (std::uint32_t rgb) const;
	/** The part inside (x, y, width, height), cut to the image. */
	Image crop (int x, int y, int width, int height) const;
	bool operator== (const Image& other) const = default;

	/** A 24-bit PNG (cairo's writer); false when it cannot be written. */
	bool writePng (const std::filesystem::path& path) const;
	/** Reads a PNG (alpha dropped); nothing when it cannot be read. */
	static std::optional<Image> readPng (const std::filesystem::path& path);

private:
	int w = 0;
	int h = 0;
	std::vector<std::uint32_t> data;
};

/** The window's pixels with what its children show (24-bit windows); throws HostError when the
 * server cannot give them (a window that is not mapped or lies off the screen). */
Image captureWindow (XDisplay* display, unsigned long window);

/** Red, green and blue of 0xRRGGBB. */
inline int red (std::uint32_t rgb) { return static_cast<int> ((rgb >> 16) & 0xFF); }
inline int green (std::uint32_t rgb) { return static_cast<int> ((rgb >> 8) & 0xFF); }
inline int blue (std::uint32_t rgb) { return static_cast<int> (rgb & 0xFF); }

} // namespace grundmoor::testhost
