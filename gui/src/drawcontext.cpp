// The draw context state, its cairo back end, the recording back end and off-screen rendering.
#include "vstgui/lib/cdrawcontext.h"
#include "vstgui/lib/coffscreen.h"

#include <cairo.h>

#include <cmath>

namespace VSTGUI {

namespace {
// Far beyond any surface, well inside cairo's fixed-point range.
constexpr double kCoordLimit = 1.0e6;
// Text larger than this many device pixels is not drawn (the largest surface side).
constexpr double kMaxGlyphPixels = 32767.;

bool finite (double v) { return std::isfinite (v); }
bool finite (const CPoint& p) { return finite (p.x) && finite (p.y); }
bool finite (const CRect& r) { return finite (r.left) && finite (r.top) && finite (r.right) && finite (r.bottom); }
double limit (double v) { return std::clamp (v, -kCoordLimit, kCoordLimit); }
CPoint limit (const CPoint& p) { return {limit (p.x), limit (p.y)}; }
CRect limit (const CRect& r) { return {limit (r.left), limit (r.top), limit (r.right), limit (r.bottom)}; }
} // namespace

//------------------------------------------------------------------------
CDrawContext::CDrawContext (const CRect& surface) : surfaceRect (surface)
{
	state.font = kNormalFont;
	state.clipRect = surface;
}

CDrawContext::~CDrawContext () noexcept = default;

void CDrawContext::initScale (double scale)
{
	if (!finite (scale) || scale <= 0.)
		scale = 1.;
	scaleFactor = scale;
	state.transform = CGraphicsTransform ().scale (scale, scale);
	CRect device = surfaceRect;
	state.transform.transform (device);
	state.clipRect = device;
}

void CDrawContext::setLineStyle (const CLineStyle& style)
{
	for (auto d : style.getDashLengths ())
		if (!finite (d) || d < 0.)
			return;
	if (!finite (style.getDashPhase ()))
		return;
	state.lineStyle = style;
}

void CDrawContext::setLineWidth (CCoord width)
{
	if (finite (width) && width >= 0.)
		state.lineWidth = std::min (width, kCoordLimit);
}

void CDrawContext::setFont (const CFontRef font, const CCoord& size, const int32_t& style)
{
	if (!font)
		return;
	if ((size > 0. && finite (size)) || style >= 0)
	{
		auto f = owned (new CFontDesc (*font));
		if (size > 0. && finite (size))
			f->setSize (std::min (size, 10000.));
		if (style >= 0)
			f->setStyle (style);
		state.font = f;
	}
	else
		state.font = font;
}

void CDrawContext::setGlobalAlpha (float alpha)
{
	if (std::isfinite (alpha))
		state.globalAlpha = std::clamp (alpha, 0.f, 1.f);
}

void CDrawContext::setClipRect (const CRect& clip)
{
	if (!finite (clip))
		return;
	CRect device = clip;
	state.transform.transform (device);
	state.clipRect = limit (device);
}

CRect& CDrawContext::getClipRect (CRect& clip) const
{
	clip = state.clipRect;
	state.transform.inverse ().transform (clip);
	return clip;
}

void CDrawContext::resetClipRect ()
{
	CRect device = surfaceRect;
	CGraphicsTransform ().scale (scaleFactor, scaleFactor).transform (device);
	state.clipRect = device;
}

void CDrawContext::saveGlobalState () { stack.push_back (state); }

void CDrawContext::restoreGlobalState ()
{
	if (stack.empty ())
		return;
	state = stack.back ();
	stack.pop_back ();
}

namespace {
// cairo refuses a matrix that is not invertible in doubles, and the error ends all drawing:
// the combined transform must stay finite, its scale neither vanishing nor huge.
bool usableTransform (const CGraphicsTransform& t)
{
	auto scaleOk = [] (double m) { return finite (m) && std::fabs (m) >= 1.0e-6 && std::fabs (m) <= kCoordLimit; };
	auto offsetOk = [] (double d) { return finite (d) && std::fabs (d) <= kCoordLimit * kCoordLimit; };
	return scaleOk (t.m11) && scaleOk (t.m22) && offsetOk (t.dx) && offsetOk (t.dy);
}
} // namespace

CDrawContext::Transform::Transform (CDrawContext& c, const CGraphicsTransform& t)
: context (c), previous (c.state.transform)
{
	if (!finite (t.m11) || !finite (t.m22) || !finite (t.dx) || !finite (t.dy))
		return;
	const CGraphicsTransform combined = c.state.transform * t;
	if (usableTransform (combined))
		c.state.transform = combined;
}

CDrawContext::Transform::~Transform () noexcept { context.state.transform = previous; }

void CDrawContext::drawLine (const CPoint& start, const CPoint& end)
{
	if (finite (start) && finite (end))
		implDrawLine (limit (start), limit (end));
}

void CDrawContext::drawLines (const LineList& lines)
{
	for (const auto& l : lines)
		drawLine (l.first, l.second);
}

void CDrawContext::drawPolygon (const PointList& points, CDrawStyle style)
{
	if (points.size () < 2)
		return;
	PointList clean;
	clean.reserve (points.size ());
	for (const auto& p : points)
	{
		if (!finite (p))
			return;
		clean.push_back (limit (p));
	}
	implDrawPolygon (clean, style);
}

void CDrawContext::drawRect (const CRect& rect, CDrawStyle style)
{
	if (finite (rect))
		implDrawRect (limit (rect), style);
}

void CDrawContext::drawArc (const CRect& rect, float startAngle, float endAngle, CDrawStyle style)
{
	if (!finite (rect) || !std::isfinite (startAngle) || !std::isfinite (endAngle))
		return;
	// Huge angles would make the arc loop forever in cairo's normalisation.
	if (std::fabs (startAngle) > 1.0e6f || std::fabs (endAngle) > 1.0e6f)
		return;
	implDrawArc (limit (rect), startAngle, endAngle, style);
}

void CDrawContext::drawEllipse (const CRect& rect, CDrawStyle style)
{
	if (finite (rect))
		implDrawEllipse (limit (rect), style);
}

void CDrawContext::drawBitmap (CBitmap* bitmap, const CRect& dest, const CPoint& offset, float alpha)
{
	if (!bitmap || !finite (dest) || !finite (offset) || !std::isfinite (alpha))
		return;
	implDrawBitmap (bitmap, limit (dest), limit (offset), std::clamp (alpha, 0.f, 1.f));
}

void CDrawContext::fillLinearGradient (const CRect& rect, const CColor& top, const CColor& bottom)
{
	if (finite (rect))
		implFillLinearGradient (limit (rect), top, bottom);
}

void CDrawContext::clearRect (const CRect& rect)
{
	if (finite (rect))
		implClearRect (limit (rect));
}

void CDrawContext::drawGraphicsPath (CGraphicsPath* path, PathDrawMode mode)
{
	if (!path || path->isEmpty ())
		return;
	for (const auto& e : path->getElements ())
		if (!finite (e.rect) || !finite (e.point) || !finite (e.startAngle) || !finite (e.endAngle) ||
		    std::fabs (e.startAngle) > 1.0e6 || std::fabs (e.endAngle) > 1.0e6)
			return;
	implDrawPath (*path, mode);
}

void CDrawContext::fillLinearGradient (CGraphicsPath* path, const CGradient& gradient, const CPoint& startPoint,
                                       const CPoint& endPoint, bool evenOdd)
{
	if (!path || path->isEmpty () || !finite (startPoint) || !finite (endPoint))
		return;
	for (const auto& e : path->getElements ())
		if (!finite (e.rect) || !finite (e.point) || !finite (e.startAngle) || !finite (e.endAngle) ||
		    std::fabs (e.startAngle) > 1.0e6 || std::fabs (e.endAngle) > 1.0e6)
			return;
	implFillPathGradient (*path, gradient.getStartColor (), gradient.getEndColor (), limit (startPoint),
	                      limit (endPoint), evenOdd);
}

void CGraphicsPath::addRoundRect (const CRect& rect, CCoord radius)
{
	CRect r = rect;
	r.normalize ();
	radius = std::min ({radius, r.getWidth () / 2., r.getHeight () / 2.});
	if (!(radius > 0.))
	{
		addRect (r);
		return;
	}
	const CCoord d = 2. * radius;
	beginSubpath (CPoint (r.right - radius, r.top));
	addArc (CRect (r.right - d, r.top, r.right, r.top + d), 270., 360.);
	addArc (CRect (r.right - d, r.bottom - d, r.right, r.bottom), 0., 90.);
	addArc (CRect (r.left, r.bottom - d, r.left + d, r.bottom), 90., 180.);
	addArc (CRect (r.left, r.top, r.left + d, r.top + d), 180., 270.);
	closeSubpath ();
}

void CDrawContext::drawString (const UTF8String& string, const CRect& rect, CHoriTxtAlign align, bool antialias)
{
	if (string.empty () || !finite (rect))
		return;
	const std::string clean = sanitizeUTF8 (string);
	if (!clean.empty ())
		implDrawString (clean, limit (rect), align, antialias);
}

void CDrawContext::drawString (const UTF8String& string, const CPoint& point, bool antialias)
{
	if (string.empty () || !finite (point))
		return;
	const std::string clean = sanitizeUTF8 (string);
	if (!clean.empty ())
		implDrawStringAt (clean, limit (point), antialias);
}

CCoord CDrawContext::getStringWidth (const UTF8String& string)
{
	if (!state.font)
		return 0.;
	return FontMetrics::stringWidth (*state.font, string);
}

//------------------------------------------------------------------------
CairoDrawContext::CairoDrawContext (cairo_t* c, const CRect& surface, double scale)
: CDrawContext (surface), cr (c)
{
	cairo_reference (cr);
	initScale (scale);
}

CairoDrawContext::~CairoDrawContext () noexcept { cairo_destroy (cr); }

bool CairoDrawContext::begin ()
{
	// An error is sticky in cairo; drawing into it would only add to it.
	if (cairo_status (cr) != CAIRO_STATUS_SUCCESS)
		return false;
	cairo_save (cr);
	cairo_identity_matrix (cr);
	const CRect& c = state.clipRect;
	cairo_rectangle (cr, c.left, c.top, std::max (0., c.getWidth ()), std::max (0., c.getHeight ()));
	cairo_clip (cr);
	cairo_matrix_t m;
	cairo_matrix_init (&m, state.transform.m11, 0., 0., state.transform.m22, state.transform.dx,
	                   state.transform.dy);
	cairo_set_matrix (cr, &m);
	cairo_set_antialias (cr, (state.drawMode & kAntiAliasing) ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
	return true;
}

void CairoDrawContext::end () { cairo_restore (cr); }

void CairoDrawContext::setSource (const CColor& c)
{
	cairo_set_source_rgba (cr, c.red / 255., c.green / 255., c.blue / 255.,
	                       (c.alpha / 255.) * state.globalAlpha);
}

void CairoDrawContext::applyLine ()
{
	cairo_set_line_width (cr, state.lineWidth);
	const auto& ls = state.lineStyle;
	cairo_set_line_cap (cr, ls.getLineCap () == CLineStyle::kLineCapRound    ? CAIRO_LINE_CAP_ROUND
	                        : ls.getLineCap () == CLineStyle::kLineCapSquare ? CAIRO_LINE_CAP_SQUARE
	                                                                          : CAIRO_LINE_CAP_BUTT);
	cairo_set_line_join (cr, ls.getLineJoin () == CLineStyle::kLineJoinRound    ? CAIRO_LINE_JOIN_ROUND
	                         : ls.getLineJoin () == CLineStyle::kLineJoinBevel ? CAIRO_LINE_JOIN_BEVEL
	                                                                            : CAIRO_LINE_JOIN_MITER);
	const auto& dashes = ls.getDashLengths ();
	bool anyPositive = false;
	std::vector<double> scaled;
	for (auto d : dashes)
	{
		// Dash lengths are in units of the line width.
		scaled.push_back (d * std::max (state.lineWidth, 0.001));
		anyPositive = anyPositive || d > 0.;
	}
	if (anyPositive)
		cairo_set_dash (cr, scaled.data (), static_cast<int> (scaled.size ()), ls.getDashPhase ());
	else
		cairo_set_dash (cr, nullptr, 0, 0.);
}

void CairoDrawContext::paintPath (CDrawStyle style)
{
	if (style == kDrawFilled || style == kDrawFilledAndStroked)
	{
		setSource (state.fillColor);
		if (style == kDrawFilledAndStroked)
			cairo_fill_preserve (cr);
		else
			cairo_fill (cr);
	}
	if (style == kDrawStroked || style == kDrawFilledAndStroked)
	{
		setSource (state.frameColor);
		applyLine ();
		cairo_stroke (cr);
	}
	cairo_new_path (cr);
}

void CairoDrawContext::applyFont ()
{
	const CFontDesc& f = state.font ? *state.font : *kNormalFont;
	const int32_t style = f.getStyle ();
	cairo_select_font_face (cr, FontMetrics::cairoFamily (f).c_str (),
	                        (style & kItalicFace) ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
	                        (style & kBoldFace) ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
	cairo_set_font_size (cr, FontMetrics::cairoSize (f));
}

void CairoDrawContext::implDrawLine (const CPoint& a, const CPoint& b)
{
	if (!begin ())
		return;
	cairo_move_to (cr, a.x, a.y);
	cairo_line_to (cr, b.x, b.y);
	setSource (state.frameColor);
	applyLine ();
	cairo_stroke (cr);
	end ();
}

void CairoDrawContext::implDrawPolygon (const PointList& points, CDrawStyle style)
{
	if (!begin ())
		return;
	cairo_move_to (cr, points[0].x, points[0].y);
	for (size_t i = 1; i < points.size (); ++i)
		cairo_line_to (cr, points[i].x, points[i].y);
	if (style != kDrawStroked)
		cairo_close_path (cr);
	paintPath (style);
	end ();
}

void CairoDrawContext::implDrawRect (const CRect& r, CDrawStyle style)
{
	if (!begin ())
		return;
	CRect n = r;
	n.normalize ();
	cairo_rectangle (cr, n.left, n.top, n.getWidth (), n.getHeight ());
	paintPath (style);
	end ();
}

void CairoDrawContext::implDrawArc (const CRect& r, double startAngle, double endAngle, CDrawStyle style)
{
	CRect n = r;
	n.normalize ();
	if (n.getWidth () <= 0. || n.getHeight () <= 0.)
		return;
	if (!begin ())
		return;
	const CPoint c = n.getCenter ();
	const double a0 = startAngle * M_PI / 180.;
	double a1 = endAngle * M_PI / 180.;
	if (a1 < a0)
		a1 += std::ceil ((a0 - a1) / (2. * M_PI)) * 2. * M_PI;
	cairo_save (cr);
	cairo_translate (cr, c.x, c.y);
	cairo_scale (cr, n.getWidth () / 2., n.getHeight () / 2.);
	if (style != kDrawStroked)
		cairo_move_to (cr, 0., 0.);
	cairo_arc (cr, 0., 0., 1., a0, a1);
	if (style != kDrawStroked)
		cairo_close_path (cr);
	cairo_restore (cr); // the pen is not scaled with the ellipse
	paintPath (style);
	end ();
}

void CairoDrawContext::implDrawEllipse (const CRect& r, CDrawStyle style)
{
	CRect n = r;
	n.normalize ();
	if (n.getWidth () <= 0. || n.getHeight () <= 0.)
		return;
	if (!begin ())
		return;
	const CPoint c = n.getCenter ();
	cairo_save (cr);
	cairo_translate (cr, c.x, c.y);
	cairo_scale (cr, n.getWidth () / 2., n.getHeight () / 2.);
	cairo_arc (cr, 0., 0., 1., 0., 2. * M_PI);
	cairo_close_path (cr);
	cairo_restore (cr);
	paintPath (style);
	end ();
}

void CairoDrawContext::implDrawBitmap (CBitmap* bitmap, const CRect& dest, const CPoint& offset, float alpha)
{
	if (!bitmap->getSurface ())
		return;
	if (!begin ())
		return;
	CRect n = dest;
	n.normalize ();
	cairo_rectangle (cr, n.left, n.top, n.getWidth (), n.getHeight ());
	cairo_clip (cr);
	cairo_set_source_surface (cr, bitmap->getSurface (), n.left - offset.x, n.top - offset.y);
	cairo_paint_with_alpha (cr, alpha * state.globalAlpha);
	end ();
}

void CairoDrawContext::implFillLinearGradient (const CRect& r, const CColor& top, const CColor& bottom)
{
	if (!begin ())
		return;
	CRect n = r;
	n.normalize ();
	cairo_pattern_t* p = cairo_pattern_create_linear (0., n.top, 0., n.bottom);
	const double ga = state.globalAlpha;
	cairo_pattern_add_color_stop_rgba (p, 0., top.red / 255., top.green / 255., top.blue / 255., ga * top.alpha / 255.);
	cairo_pattern_add_color_stop_rgba (p, 1., bottom.red / 255., bottom.green / 255., bottom.blue / 255.,
	                                   ga * bottom.alpha / 255.);
	cairo_rectangle (cr, n.left, n.top, n.getWidth (), n.getHeight ());
	cairo_set_source (cr, p);
	cairo_fill (cr);
	cairo_pattern_destroy (p);
	end ();
}

void CairoDrawContext::implClearRect (const CRect& r)
{
	if (!begin ())
		return;
	CRect n = r;
	n.normalize ();
	cairo_set_operator (cr, CAIRO_OPERATOR_CLEAR);
	cairo_rectangle (cr, n.left, n.top, n.getWidth (), n.getHeight ());
	cairo_fill (cr);
	end ();
}

void CairoDrawContext::implDrawString (const std::string& text, const CRect& rect, CHoriTxtAlign align, bool aa)
{
	const CFontDesc& f = state.font ? *state.font : *kNormalFont;
	CCoord ascent = 0., descent = 0.;
	FontMetrics::extents (f, ascent, descent);
	const CCoord width = FontMetrics::stringWidth (f, text);
	CCoord x = rect.left;
	if (align == kCenterText)
		x = rect.left + (rect.getWidth () - width) / 2.;
	else if (align == kRightText)
		x = rect.right - width;
	const CCoord y = rect.top + (rect.getHeight () + ascent - descent) / 2.;
	implDrawStringAt (text, CPoint (x, y), aa);
}

void CairoDrawContext::implDrawStringAt (const std::string& text, const CPoint& p, bool aa)
{
	// FreeType fails on glyphs far larger than any surface, and cairo keeps that error.
	const CFontDesc& font = state.font ? *state.font : *kNormalFont;
	const double deviceSize = FontMetrics::cairoSize (font) * std::max (std::fabs (state.transform.m11),
	                                                                     std::fabs (state.transform.m22));
	if (!(deviceSize <= kMaxGlyphPixels))
		return;
	if (!begin ())
		return;
	applyFont ();
	cairo_font_options_t* options = cairo_font_options_create ();
	cairo_font_options_set_antialias (options, aa ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
	cairo_font_options_set_hint_metrics (options, CAIRO_HINT_METRICS_OFF);
	cairo_font_options_set_hint_style (options, CAIRO_HINT_STYLE_NONE);
	cairo_set_font_options (cr, options);
	cairo_font_options_destroy (options);
	setSource (state.fontColor);
	cairo_move_to (cr, p.x, p.y);
	cairo_show_text (cr, text.c_str ());
	cairo_new_path (cr);
	end ();
}

void CairoDrawContext::appendPath (const CGraphicsPath& path)
{
	cairo_new_path (cr);
	for (const auto& e : path.getElements ())
	{
		const CRect r = limit (e.rect);
		const CPoint p = limit (e.point);
		switch (e.type)
		{
			case CGraphicsPath::Element::MoveTo: cairo_move_to (cr, p.x, p.y); break;
			case CGraphicsPath::Element::LineTo: cairo_line_to (cr, p.x, p.y); break;
			case CGraphicsPath::Element::Rect:
				cairo_rectangle (cr, r.left, r.top, r.getWidth (), r.getHeight ());
				break;
			case CGraphicsPath::Element::Ellipse:
			case CGraphicsPath::Element::Arc:
			{
				if (r.getWidth () == 0. || r.getHeight () == 0.)
					break;
				const bool full = e.type == CGraphicsPath::Element::Ellipse;
				const double a0 = full ? 0. : e.startAngle * M_PI / 180.;
				const double a1 = full ? 2. * M_PI : e.endAngle * M_PI / 180.;
				cairo_save (cr);
				cairo_translate (cr, r.getCenter ().x, r.getCenter ().y);
				cairo_scale (cr, r.getWidth () / 2., r.getHeight () / 2.);
				if (full)
					cairo_new_sub_path (cr);
				if (e.clockwise)
					cairo_arc (cr, 0., 0., 1., a0, a1);
				else
					cairo_arc_negative (cr, 0., 0., 1., a0, a1);
				if (full)
					cairo_close_path (cr);
				cairo_restore (cr);
				break;
			}
			case CGraphicsPath::Element::Close: cairo_close_path (cr); break;
		}
	}
}

void CairoDrawContext::implDrawPath (const CGraphicsPath& path, PathDrawMode mode)
{
	if (!begin ())
		return;
	appendPath (path);
	if (mode == kPathStroked)
	{
		setSource (state.frameColor);
		applyLine ();
		cairo_stroke (cr);
	}
	else
	{
		cairo_set_fill_rule (cr, mode == kPathFilledEvenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
		setSource (state.fillColor);
		cairo_fill (cr);
	}
	cairo_new_path (cr);
	end ();
}

void CairoDrawContext::implFillPathGradient (const CGraphicsPath& path, const CColor& c0, const CColor& c1,
                                             const CPoint& p0, const CPoint& p1, bool evenOdd)
{
	if (!begin ())
		return;
	appendPath (path);
	cairo_pattern_t* p = cairo_pattern_create_linear (p0.x, p0.y, p1.x, p1.y);
	const double ga = state.globalAlpha;
	cairo_pattern_add_color_stop_rgba (p, 0., c0.red / 255., c0.green / 255., c0.blue / 255., ga * c0.alpha / 255.);
	cairo_pattern_add_color_stop_rgba (p, 1., c1.red / 255., c1.green / 255., c1.blue / 255., ga * c1.alpha / 255.);
	cairo_set_fill_rule (cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
	cairo_set_source (cr, p);
	cairo_fill (cr);
	cairo_pattern_destroy (p);
	cairo_new_path (cr);
	end ();
}

//------------------------------------------------------------------------
RecordingDrawContext::RecordingDrawContext (const CRect& surface, double scale) : CDrawContext (surface)
{
	initScale (scale);
}

CRect RecordingDrawContext::Call::globalRect () const
{
	CRect r = rect;
	r.offset (state.transform.dx / state.transform.m11, state.transform.dy / state.transform.m22);
	return r;
}

CPoint RecordingDrawContext::Call::globalPoint (const CPoint& p) const
{
	return {p.x + state.transform.dx / state.transform.m11, p.y + state.transform.dy / state.transform.m22};
}

std::vector<RecordingDrawContext::Call> RecordingDrawContext::callsOf (Op op) const
{
	std::vector<Call> result;
	for (const auto& c : calls)
		if (c.op == op)
			result.push_back (c);
	return result;
}

RecordingDrawContext::Call& RecordingDrawContext::record (Op op)
{
	calls.push_back ({});
	Call& c = calls.back ();
	c.op = op;
	c.state = state;
	return c;
}

void RecordingDrawContext::implDrawLine (const CPoint& a, const CPoint& b)
{
	auto& c = record (Op::Line);
	c.p1 = a;
	c.p2 = b;
}

void RecordingDrawContext::implDrawPolygon (const PointList& points, CDrawStyle style)
{
	auto& c = record (Op::Polygon);
	c.points = points;
	c.style = style;
}

void RecordingDrawContext::implDrawRect (const CRect& rect, CDrawStyle style)
{
	auto& c = record (Op::Rect);
	c.rect = rect;
	c.style = style;
}

void RecordingDrawContext::implDrawArc (const CRect& rect, double a0, double a1, CDrawStyle style)
{
	auto& c = record (Op::Arc);
	c.rect = rect;
	c.startAngle = a0;
	c.endAngle = a1;
	c.style = style;
}

void RecordingDrawContext::implDrawEllipse (const CRect& rect, CDrawStyle style)
{
	auto& c = record (Op::Ellipse);
	c.rect = rect;
	c.style = style;
}

void RecordingDrawContext::implDrawBitmap (CBitmap* bitmap, const CRect& dest, const CPoint& offset, float alpha)
{
	auto& c = record (Op::Bitmap);
	c.bitmap = bitmap;
	c.rect = dest;
	c.bitmapOffset = offset;
	c.alpha = alpha;
}

void RecordingDrawContext::implFillLinearGradient (const CRect& rect, const CColor& top, const CColor& bottom)
{
	auto& c = record (Op::Gradient);
	c.rect = rect;
	c.color1 = top;
	c.color2 = bottom;
}

void RecordingDrawContext::implClearRect (const CRect& rect) { record (Op::Clear).rect = rect; }

void RecordingDrawContext::implDrawString (const std::string& text, const CRect& rect, CHoriTxtAlign align, bool)
{
	auto& c = record (Op::String);
	c.text = text;
	c.rect = rect;
	c.align = align;
}

void RecordingDrawContext::implDrawStringAt (const std::string& text, const CPoint& p, bool)
{
	auto& c = record (Op::StringAt);
	c.text = text;
	c.p1 = p;
}

void RecordingDrawContext::implDrawPath (const CGraphicsPath& path, PathDrawMode mode)
{
	auto& c = record (Op::Path);
	c.path = path.getElements ();
	c.pathMode = mode;
}

void RecordingDrawContext::implFillPathGradient (const CGraphicsPath& path, const CColor& c0, const CColor& c1,
                                                 const CPoint& p0, const CPoint& p1, bool evenOdd)
{
	auto& c = record (Op::PathGradient);
	c.path = path.getElements ();
	c.pathMode = evenOdd ? kPathFilledEvenOdd : kPathFilled;
	c.color1 = c0;
	c.color2 = c1;
	c.p1 = p0;
	c.p2 = p1;
}

//------------------------------------------------------------------------
void CDrawMethods::drawIconAndText (CDrawContext* context, CBitmap* icon, IconPosition iconPosition,
                                    CHoriTxtAlign textAlignment, CCoord margin, CRect drawRect,
                                    const UTF8String& title, CFontRef font, CColor textColor, TextTruncateMode)
{
	if (!context)
		return;
	CRect textRect = drawRect;
	if (icon && icon->isLoaded ())
	{
		const CCoord w = icon->getWidth (), h = icon->getHeight ();
		CRect iconRect (0, 0, w, h);
		switch (iconPosition)
		{
			case kIconLeft:
				iconRect.moveTo (drawRect.left + margin, drawRect.top + (drawRect.getHeight () - h) / 2.);
				textRect.left = iconRect.right + margin;
				break;
			case kIconRight:
				iconRect.moveTo (drawRect.right - margin - w, drawRect.top + (drawRect.getHeight () - h) / 2.);
				textRect.right = iconRect.left - margin;
				break;
			case kIconCenterAbove:
				iconRect.moveTo (drawRect.left + (drawRect.getWidth () - w) / 2., drawRect.top + margin);
				textRect.top = iconRect.bottom;
				break;
			case kIconCenterBelow:
				iconRect.moveTo (drawRect.left + (drawRect.getWidth () - w) / 2., drawRect.bottom - margin - h);
				textRect.bottom = iconRect.top;
				break;
		}
		context->drawBitmap (icon, iconRect);
	}
	else if (textAlignment == kLeftText)
		textRect.left += margin;
	else if (textAlignment == kRightText)
		textRect.right -= margin;
	if (!title.empty ())
	{
		context->setFont (font ? font : kSystemFont);
		context->setFontColor (textColor);
		context->drawString (title, textRect, textAlignment, true);
	}
}

//------------------------------------------------------------------------
COffscreenImage::COffscreenImage (int w, int h)
: width (std::clamp (w, 1, kMaxSurfaceSize)), height (std::clamp (h, 1, kMaxSurfaceSize))
{
	surface = cairo_image_surface_create (CAIRO_FORMAT_ARGB32, width, height);
}

// Out of memory gives an error surface without pixel data.
bool COffscreenImage::isValid () const
{
	return cairo_surface_status (surface) == CAIRO_STATUS_SUCCESS && cairo_image_surface_get_data (surface);
}

COffscreenImage::~COffscreenImage () noexcept { cairo_surface_destroy (surface); }

CColor COffscreenImage::getPixel (int x, int y) const
{
	if (x < 0 || y < 0 || x >= width || y >= height || !isValid ())
		return {0, 0, 0, 0};
	cairo_surface_flush (surface);
	const unsigned char* data = cairo_image_surface_get_data (surface);
	const int stride = cairo_image_surface_get_stride (surface);
	uint32_t px = *reinterpret_cast<const uint32_t*> (data + y * stride + x * 4);
	uint8_t a = static_cast<uint8_t> (px >> 24);
	auto un = [a] (uint32_t v) -> uint8_t {
		if (a == 0)
			return 0;
		return static_cast<uint8_t> (std::min<uint32_t> (255, (v * 255 + a / 2) / a));
	};
	return {un ((px >> 16) & 0xFF), un ((px >> 8) & 0xFF), un (px & 0xFF), a};
}

bool COffscreenImage::writePNG (const std::string& path) const
{
	return isValid () && cairo_surface_write_to_png (surface, path.c_str ()) == CAIRO_STATUS_SUCCESS;
}

} // namespace VSTGUI
