// Fonts, bitmaps, UTF-8 cleaning and text measurement.
#include "vstgui/lib/cdrawcontext.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <mutex>

namespace VSTGUI {

const CLineStyle kLineSolid;
const CLineStyle kLineOnOffDash (CLineStyle::kLineCapButt, CLineStyle::kLineJoinMiter, 0., {1., 1.});

namespace {
// Never released: the predefined fonts live for the whole process.
CFontRef makeFont (CCoord size) { return new CFontDesc ("Arial", size, kNormalFace); }
} // namespace

const CFontRef kSystemFont = makeFont (12);
const CFontRef kNormalFontVeryBig = makeFont (18);
const CFontRef kNormalFontBig = makeFont (14);
const CFontRef kNormalFont = makeFont (12);
const CFontRef kNormalFontSmall = makeFont (11);
const CFontRef kNormalFontSmaller = makeFont (10);
const CFontRef kNormalFontVerySmall = makeFont (9);
const CFontRef kSymbolFont = new CFontDesc ("Symbol", 12, kNormalFace);

void appendUTF8 (std::string& out, int32_t cp)
{
	if (cp < 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
		cp = 0xFFFD;
	if (cp < 0x80)
		out += static_cast<char> (cp);
	else if (cp < 0x800)
	{
		out += static_cast<char> (0xC0 | (cp >> 6));
		out += static_cast<char> (0x80 | (cp & 0x3F));
	}
	else if (cp < 0x10000)
	{
		out += static_cast<char> (0xE0 | (cp >> 12));
		out += static_cast<char> (0x80 | ((cp >> 6) & 0x3F));
		out += static_cast<char> (0x80 | (cp & 0x3F));
	}
	else
	{
		out += static_cast<char> (0xF0 | (cp >> 18));
		out += static_cast<char> (0x80 | ((cp >> 12) & 0x3F));
		out += static_cast<char> (0x80 | ((cp >> 6) & 0x3F));
		out += static_cast<char> (0x80 | (cp & 0x3F));
	}
}

std::string sanitizeUTF8 (const std::string& text)
{
	std::string out;
	out.reserve (text.size ());
	const auto* s = reinterpret_cast<const unsigned char*> (text.data ());
	const size_t n = text.size ();
	size_t i = 0;
	while (i < n)
	{
		unsigned char c = s[i];
		if (c == 0)
			break; // cairo takes C strings
		if (c < 0x80)
		{
			out += static_cast<char> (c);
			++i;
			continue;
		}
		int len = 0;
		int32_t cp = 0;
		int32_t minimum = 0;
		if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; minimum = 0x80; }
		else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; minimum = 0x800; }
		else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; minimum = 0x10000; }
		bool ok = len > 0 && i + len <= n;
		for (int k = 1; ok && k < len; ++k)
		{
			if ((s[i + k] & 0xC0) != 0x80)
				ok = false;
			else
				cp = (cp << 6) | (s[i + k] & 0x3F);
		}
		if (ok && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
			ok = false;
		if (ok)
		{
			out.append (text, i, static_cast<size_t> (len));
			i += static_cast<size_t> (len);
		}
		else
		{
			appendUTF8 (out, 0xFFFD);
			++i;
		}
	}
	return out;
}

//------------------------------------------------------------------------
CBitmap::CBitmap (const std::string& pngPath) : path (pngPath)
{
	cairo_surface_t* s = cairo_image_surface_create_from_png (pngPath.c_str ());
	if (cairo_surface_status (s) != CAIRO_STATUS_SUCCESS)
	{
		cairo_surface_destroy (s);
		return;
	}
	surface = s;
	width = cairo_image_surface_get_width (s);
	height = cairo_image_surface_get_height (s);
}

CBitmap::CBitmap (CCoord w, CCoord h)
{
	// Bounded before the cast: cairo stops at 32767 pixels a side.
	auto side = [] (CCoord v) { return std::isfinite (v) ? static_cast<int> (std::clamp (std::ceil (v), 1., 32767.)) : 1; };
	int iw = side (w);
	int ih = side (h);
	surface = cairo_image_surface_create (CAIRO_FORMAT_ARGB32, iw, ih);
	width = iw;
	height = ih;
}

CBitmap::~CBitmap () noexcept
{
	if (surface)
		cairo_surface_destroy (surface);
}

void CBitmap::draw (CDrawContext* context, const CRect& rect, const CPoint& offset, float alpha)
{
	if (context)
		context->drawBitmap (this, rect, offset, alpha);
}

//------------------------------------------------------------------------
namespace FontMetrics {
namespace {
std::mutex measureMutex;
cairo_t* measureCairo = nullptr;
cairo_t* measureContext ()
{
	// An error would stay and make every later measurement zero: start afresh.
	if (measureCairo && cairo_status (measureCairo) != CAIRO_STATUS_SUCCESS)
	{
		cairo_destroy (measureCairo);
		measureCairo = nullptr;
	}
	if (!measureCairo)
	{
		cairo_surface_t* surface = cairo_image_surface_create (CAIRO_FORMAT_ARGB32, 1, 1);
		measureCairo = cairo_create (surface);
		cairo_surface_destroy (surface);
		// Unhinted metrics: widths must not depend on the zoom the text is drawn at.
		cairo_font_options_t* options = cairo_font_options_create ();
		cairo_font_options_set_hint_metrics (options, CAIRO_HINT_METRICS_OFF);
		cairo_font_options_set_hint_style (options, CAIRO_HINT_STYLE_NONE);
		cairo_set_font_options (measureCairo, options);
		cairo_font_options_destroy (options);
	}
	return measureCairo;
}
void selectFont (cairo_t* cr, const CFontDesc& font)
{
	const int32_t style = font.getStyle ();
	cairo_select_font_face (cr, cairoFamily (font).c_str (),
	                        (style & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
	                        (style & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
	cairo_set_font_size (cr, cairoSize (font));
}
} // namespace

std::string cairoFamily (const CFontDesc& font)
{
	const std::string name = sanitizeUTF8 (font.getName ());
	return name.empty () ? std::string ("Arial") : name;
}

double cairoSize (const CFontDesc& font)
{
	const double size = font.getSize ();
	return std::isfinite (size) && size > 0. ? std::min (size, 10000.) : 12.;
}

CCoord stringWidth (const CFontDesc& font, const std::string& utf8)
{
	std::lock_guard<std::mutex> guard (measureMutex);
	cairo_t* cr = measureContext ();
	selectFont (cr, font);
	const std::string clean = sanitizeUTF8 (utf8);
	cairo_text_extents_t te {};
	cairo_text_extents (cr, clean.c_str (), &te);
	if (cairo_status (cr) != CAIRO_STATUS_SUCCESS)
		return 0.;
	return te.x_advance;
}

void extents (const CFontDesc& font, CCoord& ascent, CCoord& descent)
{
	std::lock_guard<std::mutex> guard (measureMutex);
	cairo_t* cr = measureContext ();
	selectFont (cr, font);
	cairo_font_extents_t fe {};
	cairo_font_extents (cr, &fe);
	if (cairo_status (cr) != CAIRO_STATUS_SUCCESS)
		fe = {};
	ascent = fe.ascent;
	descent = fe.descent;
}

void releaseCaches ()
{
	std::lock_guard<std::mutex> guard (measureMutex);
	if (measureCairo)
		cairo_destroy (measureCairo);
	measureCairo = nullptr;
}

std::string resolvedFamily (const std::string& name)
{
	std::string result;
	FcPattern* pattern = FcNameParse (reinterpret_cast<const FcChar8*> (name.c_str ()));
	if (!pattern)
		return result;
	FcConfigSubstitute (nullptr, pattern, FcMatchPattern);
	FcDefaultSubstitute (pattern);
	FcResult res;
	FcPattern* match = FcFontMatch (nullptr, pattern, &res);
	if (match)
	{
		FcChar8* family = nullptr;
		if (FcPatternGetString (match, FC_FAMILY, 0, &family) == FcResultMatch && family)
			result = reinterpret_cast<const char*> (family);
		FcPatternDestroy (match);
	}
	FcPatternDestroy (pattern);
	return result;
}
} // namespace FontMetrics

} // namespace VSTGUI
