// Draws the editor's bitmaps with cairo and writes them as PNG files:
//   grundmoor-generate-bitmaps <output folder>
// Every picture is drawn here from plain shapes and text; nothing is read from elsewhere. The
// editor draws its bitmaps unscaled (one image pixel per point), so each size below is the size
// of the view that shows the picture; the two-frame pictures are vertical strips, the off frame
// on top and the on frame below it. The sizes must match editor.uidesc (the editor's
// description test checks both).

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rgb
{
	double r, g, b;
};

constexpr Rgb rgb (int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }

void setColour (cairo_t* cr, Rgb c, double alpha = 1.0) { cairo_set_source_rgba (cr, c.r, c.g, c.b, alpha); }

// One frame of a flat plate: a vertical gradient, a light top edge and a dark bottom edge.
void drawPlate (cairo_t* cr, double y0, double w, double h, Rgb top, Rgb bottom, Rgb highlight, double highlightAlpha)
{
	cairo_pattern_t* gradient = cairo_pattern_create_linear (0, y0, 0, y0 + h);
	cairo_pattern_add_color_stop_rgb (gradient, 0, top.r, top.g, top.b);
	cairo_pattern_add_color_stop_rgb (gradient, 1, bottom.r, bottom.g, bottom.b);
	cairo_rectangle (cr, 0, y0, w, h);
	cairo_set_source (cr, gradient);
	cairo_fill (cr);
	cairo_pattern_destroy (gradient);

	cairo_set_line_width (cr, 1);
	setColour (cr, highlight, highlightAlpha);
	cairo_move_to (cr, 2, y0 + 1.5);
	cairo_line_to (cr, w - 2, y0 + 1.5);
	cairo_stroke (cr);
	setColour (cr, rgb (2, 6, 8), 0.9);
	cairo_move_to (cr, 1, y0 + h - 0.5);
	cairo_line_to (cr, w - 1, y0 + h - 0.5);
	cairo_stroke (cr);
}

// The on/off toggles (and the chips of the effects workspace): a dark plate when off, a deep
// cyan plate with a lit lower edge when on. The button draws its title over it.
void drawToggle (cairo_t* cr, double w, double h)
{
	drawPlate (cr, 0, w, h, rgb (26, 37, 42), rgb (12, 20, 24), rgb (72, 86, 90), 0.85);
	drawPlate (cr, h, w, h, rgb (18, 66, 74), rgb (7, 33, 39), rgb (98, 206, 214), 0.6);
	cairo_rectangle (cr, 3, 2 * h - 4, w - 6, 2);
	setColour (cr, rgb (53, 205, 215));
	cairo_fill (cr);
}

// The tail gate's switch: a plate with a chopped-tail sign at its left (bars of falling height
// with gaps between them), grey when off, bright when on.
void drawTailButton (cairo_t* cr, double w, double h)
{
	drawPlate (cr, 0, w, h, rgb (26, 37, 42), rgb (12, 20, 24), rgb (72, 86, 90), 0.85);
	drawPlate (cr, h, w, h, rgb (18, 66, 74), rgb (7, 33, 39), rgb (98, 206, 214), 0.6);
	const double heights[] = {0.62, 0.46, 0.32, 0.2};
	for (int frame = 0; frame < 2; ++frame)
	{
		const double y0 = frame * h;
		const double base = y0 + h - 7;
		for (int i = 0; i < 4; ++i)
		{
			const double bh = heights[i] * (h - 10);
			cairo_rectangle (cr, 8 + i * 5, base - bh, 3, bh);
		}
		setColour (cr, frame == 0 ? rgb (118, 134, 140) : rgb (232, 250, 250));
		cairo_fill (cr);
	}
}

// The LFO shape buttons: a small plate with one wave drawn across it.
void drawWaveFrame (cairo_t* cr, double y0, double w, double h, bool on, const std::vector<std::pair<double, double>>& points)
{
	if (on)
		drawPlate (cr, y0, w, h, rgb (14, 56, 64), rgb (6, 28, 34), rgb (98, 206, 214), 0.5);
	else
		drawPlate (cr, y0, w, h, rgb (18, 28, 33), rgb (8, 15, 19), rgb (62, 76, 80), 0.8);
	// centre line
	cairo_set_line_width (cr, 1);
	setColour (cr, on ? rgb (40, 110, 118) : rgb (40, 52, 56), 0.9);
	cairo_move_to (cr, 5, y0 + h / 2 + 0.5);
	cairo_line_to (cr, w - 5, y0 + h / 2 + 0.5);
	cairo_stroke (cr);

	const double x0 = 7, x1 = w - 7, yTop = y0 + 8, yBottom = y0 + h - 8;
	auto trace = [&] {
		for (size_t i = 0; i < points.size (); ++i)
		{
			const double x = x0 + (x1 - x0) * points[i].first;
			const double y = yBottom - (yBottom - yTop) * (points[i].second * 0.5 + 0.5);
			if (i == 0)
				cairo_move_to (cr, x, y);
			else
				cairo_line_to (cr, x, y);
		}
	};
	cairo_set_line_join (cr, CAIRO_LINE_JOIN_ROUND);
	cairo_set_line_cap (cr, CAIRO_LINE_CAP_ROUND);
	if (on)
	{
		trace ();
		cairo_set_line_width (cr, 5);
		setColour (cr, rgb (53, 205, 215), 0.3);
		cairo_stroke (cr);
	}
	trace ();
	cairo_set_line_width (cr, on ? 2.2 : 2.0);
	setColour (cr, on ? rgb (150, 244, 248) : rgb (122, 138, 144));
	cairo_stroke (cr);
	cairo_set_line_cap (cr, CAIRO_LINE_CAP_BUTT);
	cairo_set_line_join (cr, CAIRO_LINE_JOIN_MITER);
}

std::vector<std::pair<double, double>> wavePoints (const std::string& kind)
{
	std::vector<std::pair<double, double>> p;
	if (kind == "sine")
		for (int i = 0; i <= 64; ++i)
			p.emplace_back (i / 64.0, std::sin (2 * M_PI * i / 64.0));
	else if (kind == "square")
		p = {{0, 0}, {0, 1}, {0.5, 1}, {0.5, -1}, {1, -1}, {1, 0}};
	else if (kind == "triangle")
		p = {{0, 0}, {0.25, 1}, {0.75, -1}, {1, 0}};
	else // stepped random: fixed levels, held for equal steps
	{
		const double levels[] = {0.35, -0.7, 0.9, -0.15, 0.6, -0.95};
		const int n = 6;
		for (int i = 0; i < n; ++i)
		{
			p.emplace_back (double (i) / n, levels[i]);
			p.emplace_back (double (i + 1) / n, levels[i]);
		}
	}
	return p;
}

// The gain fader's handle: a metal cap with two grooves and an orange index line.
void drawFaderHandle (cairo_t* cr, double w, double h)
{
	const double r = 3;
	cairo_new_sub_path (cr);
	cairo_arc (cr, w - r - 0.5, r + 0.5, r, -M_PI / 2, 0);
	cairo_arc (cr, w - r - 0.5, h - r - 0.5, r, 0, M_PI / 2);
	cairo_arc (cr, r + 0.5, h - r - 0.5, r, M_PI / 2, M_PI);
	cairo_arc (cr, r + 0.5, r + 0.5, r, M_PI, 3 * M_PI / 2);
	cairo_close_path (cr);
	cairo_pattern_t* gradient = cairo_pattern_create_linear (0, 0, 0, h);
	cairo_pattern_add_color_stop_rgb (gradient, 0, 0.80, 0.82, 0.81);
	cairo_pattern_add_color_stop_rgb (gradient, 0.5, 0.56, 0.60, 0.61);
	cairo_pattern_add_color_stop_rgb (gradient, 1, 0.33, 0.37, 0.38);
	cairo_set_source (cr, gradient);
	cairo_fill_preserve (cr);
	cairo_pattern_destroy (gradient);
	cairo_set_line_width (cr, 1);
	setColour (cr, rgb (18, 24, 26));
	cairo_stroke (cr);

	for (double y : {h * 0.25, h * 0.75})
	{
		cairo_move_to (cr, 5, std::floor (y) + 0.5);
		cairo_line_to (cr, w - 5, std::floor (y) + 0.5);
		setColour (cr, rgb (44, 50, 52), 0.9);
		cairo_stroke (cr);
	}
	cairo_rectangle (cr, 3, h / 2 - 1, w - 6, 2);
	setColour (cr, rgb (238, 126, 43));
	cairo_fill (cr);
}

// Text with extra space between the letters, starting at x on the baseline y; returns its width.
double trackedText (cairo_t* cr, const char* text, double x, double y, double tracking, bool draw)
{
	double advance = 0;
	for (const char* c = text; *c; ++c)
	{
		const char glyph[2] = {*c, 0};
		cairo_text_extents_t e;
		cairo_text_extents (cr, glyph, &e);
		if (draw)
		{
			cairo_move_to (cr, x + advance, y);
			cairo_show_text (cr, glyph);
		}
		advance += e.x_advance + (c[1] ? tracking : 0);
	}
	return advance;
}

// The largest font size (at most maxSize) at which the tracked text fits into width.
double fitFontSize (cairo_t* cr, const char* text, double width, double tracking, double maxSize)
{
	double size = maxSize;
	for (; size > 6; size -= 0.5)
	{
		cairo_set_font_size (cr, size);
		if (trackedText (cr, text, 0, 0, tracking, false) <= width)
			break;
	}
	return size;
}

// The flat wordmark: "GRUNDMOOR" in heavy capitals over a small cyan "RUMBLE KICK" and a thin rule.
void drawBrand (cairo_t* cr, double w, double h)
{
	cairo_select_font_face (cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
	const double tracking = 2.5;
	fitFontSize (cr, "GRUNDMOOR", w - 4, tracking, 34);
	setColour (cr, rgb (228, 234, 232));
	trackedText (cr, "GRUNDMOOR", 1, h * 0.6, tracking, true);

	cairo_set_font_size (cr, 11);
	const double smallTracking = 4.2;
	const double smallWidth = trackedText (cr, "RUMBLE KICK", 0, 0, smallTracking, false);
	setColour (cr, rgb (42, 210, 220));
	trackedText (cr, "RUMBLE KICK", 2, h - 5, smallTracking, true);
	cairo_set_line_width (cr, 1);
	setColour (cr, rgb (238, 126, 43));
	cairo_move_to (cr, smallWidth + 12, h - 9.5);
	cairo_line_to (cr, w - 4, h - 9.5);
	cairo_stroke (cr);
}

// The maker's plain mark: a square ring holding a "T" of two bars, and the name beside it.
void drawLogo (cairo_t* cr, double w, double h)
{
	const Rgb ink = rgb (196, 205, 204);
	const double s = h - 10, x0 = 4, y0 = 5;
	cairo_set_line_width (cr, 2.5);
	setColour (cr, ink);
	cairo_rectangle (cr, x0 + 1.25, y0 + 1.25, s - 2.5, s - 2.5);
	cairo_stroke (cr);
	cairo_rectangle (cr, x0 + s * 0.24, y0 + s * 0.26, s * 0.52, s * 0.13);
	cairo_rectangle (cr, x0 + s * 0.435, y0 + s * 0.26, s * 0.13, s * 0.5);
	cairo_fill (cr);
	cairo_rectangle (cr, x0 + s * 0.24, y0 + s * 0.78, s * 0.52, 2);
	setColour (cr, rgb (42, 210, 220));
	cairo_fill (cr);

	cairo_select_font_face (cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
	const double textX = x0 + s + 10;
	fitFontSize (cr, "TARNWELL", w - textX - 2, 2.0, 18);
	setColour (cr, ink);
	cairo_font_extents_t fe;
	cairo_font_extents (cr, &fe);
	trackedText (cr, "TARNWELL", textX, h / 2 + fe.ascent * 0.36, 2.0, true);
}

struct Picture
{
	const char* name;
	int width;
	int height; // of one frame
	int frames;
	std::function<void (cairo_t*)> draw;
};

bool writePicture (const Picture& picture, const std::string& folder)
{
	const int w = picture.width, h = picture.height * picture.frames;
	cairo_surface_t* surface = cairo_image_surface_create (CAIRO_FORMAT_ARGB32, w, h);
	cairo_t* cr = cairo_create (surface);
	picture.draw (cr);
	cairo_destroy (cr);
	const std::string path = folder + "/" + picture.name + ".png";
	const bool ok = cairo_surface_write_to_png (surface, path.c_str ()) == CAIRO_STATUS_SUCCESS;
	cairo_surface_destroy (surface);
	if (!ok)
		std::fprintf (stderr, "grundmoor-generate-bitmaps: cannot write %s\n", path.c_str ());
	return ok;
}

} // namespace

int main (int argc, char** argv)
{
	if (argc != 2)
	{
		std::fprintf (stderr, "usage: grundmoor-generate-bitmaps <output folder>\n");
		return 2;
	}
	const std::string folder = argv[1];

	std::vector<Picture> pictures = {
	    {"toggle-70", 70, 28, 2, [] (cairo_t* cr) { drawToggle (cr, 70, 28); }},
	    {"toggle-64", 64, 26, 2, [] (cairo_t* cr) { drawToggle (cr, 64, 26); }},
	    {"tail-button", 96, 30, 2, [] (cairo_t* cr) { drawTailButton (cr, 96, 30); }},
	    {"gain-fader-handle", 46, 22, 1, [] (cairo_t* cr) { drawFaderHandle (cr, 46, 22); }},
	    {"grundmoor-flat-brand", 300, 52, 1, [] (cairo_t* cr) { drawBrand (cr, 300, 52); }},
	    {"tarnwell-plain-logo", 170, 48, 1, [] (cairo_t* cr) { drawLogo (cr, 170, 48); }},
	};
	struct Wave
	{
		const char* name;
		const char* kind;
	};
	for (const Wave wave : {Wave {"lfo-wave-sine", "sine"}, Wave {"lfo-wave-square", "square"},
	                        Wave {"lfo-wave-triangle", "triangle"}, Wave {"lfo-wave-random", "random"}})
		pictures.push_back ({wave.name, 46, 34, 2, [kind = std::string (wave.kind)] (cairo_t* cr) {
			                     const auto points = wavePoints (kind);
			                     drawWaveFrame (cr, 0, 46, 34, false, points);
			                     drawWaveFrame (cr, 34, 46, 34, true, points);
		                     }});

	bool ok = true;
	for (const auto& picture : pictures)
		ok = writePicture (picture, folder) && ok;
	// Lets go of cairo's and fontconfig's caches, so a leak-checking build of the tool stays quiet.
	cairo_debug_reset_static_data ();
	FcFini ();
	return ok ? 0 : 1;
}
