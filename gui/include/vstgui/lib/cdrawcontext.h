// The drawing interface that views draw through, with a cairo and a recording implementation.
#pragma once

#include "cgraphics.h"

#include <memory>
#include <utility>
#include <vector>

typedef struct _cairo cairo_t;

namespace VSTGUI {

// Scale and translation, all that views and zoom need.
struct CGraphicsTransform
{
	double m11 {1.}, m22 {1.}, dx {0.}, dy {0.};

	CGraphicsTransform& translate (double x, double y) { dx += x * 1.; dy += y * 1.; return *this; }
	CGraphicsTransform& translate (const CPoint& p) { return translate (p.x, p.y); }
	CGraphicsTransform& scale (double sx, double sy)
	{
		m11 *= sx; m22 *= sy; dx *= sx; dy *= sy;
		return *this;
	}
	CPoint& transform (CPoint& p) const { p = {p.x * m11 + dx, p.y * m22 + dy}; return p; }
	CRect& transform (CRect& r) const
	{
		CPoint a = r.getTopLeft (), b = r.getBottomRight ();
		transform (a); transform (b);
		r = CRect (a.x, a.y, b.x, b.y).normalize ();
		return r;
	}
	CGraphicsTransform inverse () const
	{
		CGraphicsTransform t;
		t.m11 = m11 != 0. ? 1. / m11 : 0.;
		t.m22 = m22 != 0. ? 1. / m22 : 0.;
		t.dx = -dx * t.m11;
		t.dy = -dy * t.m22;
		return t;
	}
	// this applied after t
	CGraphicsTransform operator* (const CGraphicsTransform& t) const
	{
		CGraphicsTransform r;
		r.m11 = m11 * t.m11;
		r.m22 = m22 * t.m22;
		r.dx = m11 * t.dx + dx;
		r.dy = m22 * t.dy + dy;
		return r;
	}
	bool isInvariant () const { return m11 == 1. && m22 == 1. && dx == 0. && dy == 0.; }
};

// A path of lines, rectangles, ellipses and arcs (same angle convention as drawArc).
class CGraphicsPath : public CBaseObject
{
public:
	struct Element
	{
		enum Type { MoveTo, LineTo, Rect, Ellipse, Arc, Close } type;
		CRect rect;
		CPoint point;
		double startAngle {0.}, endAngle {0.};
		bool clockwise {true};
	};
	void beginSubpath (const CPoint& start) { elements.push_back ({Element::MoveTo, {}, start}); }
	void addLine (const CPoint& to) { elements.push_back ({Element::LineTo, {}, to}); }
	void addRect (const CRect& r) { elements.push_back ({Element::Rect, r, {}}); }
	void addEllipse (const CRect& r) { elements.push_back ({Element::Ellipse, r, {}}); }
	void addArc (const CRect& r, double startAngle, double endAngle, bool clockwise = true)
	{
		elements.push_back ({Element::Arc, r, {}, startAngle, endAngle, clockwise});
	}
	void closeSubpath () { elements.push_back ({Element::Close, {}, {}}); }
	// A rectangle with quarter-circle corners (radius at most half the shorter side); a plain
	// rectangle for a radius of 0 or less.
	void addRoundRect (const CRect& r, CCoord radius);
	const std::vector<Element>& getElements () const { return elements; }
	bool isEmpty () const { return elements.empty (); }

private:
	std::vector<Element> elements;
};

// Abstract draw context: the state (colours, line, font, clip, alpha, transform) lives here;
// back ends implement the primitives. Every public drawing call drops non-finite geometry.
class CDrawContext : public CBaseObject
{
public:
	explicit CDrawContext (const CRect& surfaceRect);
	~CDrawContext () noexcept override;

	// --- state ---
	void setLineStyle (const CLineStyle& style);
	const CLineStyle& getLineStyle () const { return state.lineStyle; }
	void setLineWidth (CCoord width);
	CCoord getLineWidth () const { return state.lineWidth; }
	void setDrawMode (int32_t mode) { state.drawMode = mode; }
	int32_t getDrawMode () const { return state.drawMode; }
	void setFillColor (const CColor& color) { state.fillColor = color; }
	CColor getFillColor () const { return state.fillColor; }
	void setFrameColor (const CColor& color) { state.frameColor = color; }
	CColor getFrameColor () const { return state.frameColor; }
	void setFontColor (const CColor& color) { state.fontColor = color; }
	CColor getFontColor () const { return state.fontColor; }
	// The font, with its size and style replaced when size > 0 or style >= 0.
	void setFont (const CFontRef font, const CCoord& size = 0, const int32_t& style = -1);
	CFontRef getFont () const { return state.font.get (); }
	void setGlobalAlpha (float alpha);
	float getGlobalAlpha () const { return state.globalAlpha; }

	// The clip in local coordinates; replaces the current clip (callers intersect themselves).
	void setClipRect (const CRect& clip);
	CRect& getClipRect (CRect& clip) const;
	void resetClipRect ();

	void saveGlobalState ();
	void restoreGlobalState ();

	const CGraphicsTransform& getCurrentTransform () const { return state.transform; }
	// Zoom of the surface (device pixels per point).
	double getScaleFactor () const { return scaleFactor; }
	const CRect& getSurfaceRect () const { return surfaceRect; }

	// Applies a transform for its lifetime.
	class Transform
	{
	public:
		Transform (CDrawContext& context, const CGraphicsTransform& t);
		~Transform () noexcept;
		Transform (const Transform&) = delete;
		Transform& operator= (const Transform&) = delete;

	private:
		CDrawContext& context;
		CGraphicsTransform previous;
	};

	// --- drawing ---
	using LinePair = std::pair<CPoint, CPoint>;
	using LineList = std::vector<LinePair>;
	using PointList = std::vector<CPoint>;

	void drawLine (const CPoint& start, const CPoint& end);
	void drawLine (const LinePair& line) { drawLine (line.first, line.second); }
	void drawLines (const LineList& lines);
	void drawPolygon (const PointList& points, CDrawStyle style = kDrawStroked);
	void drawRect (const CRect& rect, CDrawStyle style = kDrawStroked);
	// Degrees, 0 at three o'clock, growing clockwise; from startAngle to endAngle clockwise.
	void drawArc (const CRect& rect, float startAngle, float endAngle, CDrawStyle style = kDrawStroked);
	void drawEllipse (const CRect& rect, CDrawStyle style = kDrawStroked);
	void drawBitmap (CBitmap* bitmap, const CRect& dest, const CPoint& offset = CPoint (0, 0), float alpha = 1.f);
	void fillLinearGradient (const CRect& rect, const CColor& topColor, const CColor& bottomColor);
	void clearRect (const CRect& rect);

	enum PathDrawMode
	{
		kPathFilled = 0,
		kPathFilledEvenOdd,
		kPathStroked
	};
	CGraphicsPath* createGraphicsPath () { return new CGraphicsPath (); }
	CGraphicsPath* createRoundRectGraphicsPath (const CRect& rect, CCoord radius)
	{
		auto* path = new CGraphicsPath ();
		path->addRoundRect (rect, radius);
		return path;
	}
	// Paths with non-finite numbers are not drawn.
	void drawGraphicsPath (CGraphicsPath* path, PathDrawMode mode = kPathFilled);
	// Fills the path with the gradient running from startPoint (its start colour) to endPoint.
	void fillLinearGradient (CGraphicsPath* path, const CGradient& gradient, const CPoint& startPoint,
	                         const CPoint& endPoint, bool evenOdd = false);
	// Text centred vertically in rect, aligned horizontally; never clipped to rect.
	void drawString (const UTF8String& string, const CRect& rect, CHoriTxtAlign align = kCenterText,
	                 bool antialias = true);
	// Text with its baseline starting at point.
	void drawString (const UTF8String& string, const CPoint& point, bool antialias = true);
	CCoord getStringWidth (const UTF8String& string);

	struct State
	{
		CColor frameColor {kBlackCColor};
		CColor fillColor {kWhiteCColor};
		CColor fontColor {kWhiteCColor};
		CCoord lineWidth {1.};
		CLineStyle lineStyle;
		int32_t drawMode {kAntiAliasing};
		SharedPointer<CFontDesc> font;
		float globalAlpha {1.f};
		CRect clipRect;              // device coordinates
		CGraphicsTransform transform;
	};
	const State& getState () const { return state; }

protected:
	void initScale (double scale);

	virtual void implDrawLine (const CPoint& start, const CPoint& end) = 0;
	virtual void implDrawPolygon (const PointList& points, CDrawStyle style) = 0;
	virtual void implDrawRect (const CRect& rect, CDrawStyle style) = 0;
	virtual void implDrawArc (const CRect& rect, double startAngle, double endAngle, CDrawStyle style) = 0;
	virtual void implDrawEllipse (const CRect& rect, CDrawStyle style) = 0;
	virtual void implDrawBitmap (CBitmap* bitmap, const CRect& dest, const CPoint& offset, float alpha) = 0;
	virtual void implFillLinearGradient (const CRect& rect, const CColor& top, const CColor& bottom) = 0;
	virtual void implClearRect (const CRect& rect) = 0;
	virtual void implDrawString (const std::string& text, const CRect& rect, CHoriTxtAlign align, bool aa) = 0;
	virtual void implDrawStringAt (const std::string& text, const CPoint& point, bool aa) = 0;
	virtual void implDrawPath (const CGraphicsPath& path, PathDrawMode mode) = 0;
	virtual void implFillPathGradient (const CGraphicsPath& path, const CColor& startColor, const CColor& endColor,
	                                   const CPoint& startPoint, const CPoint& endPoint, bool evenOdd) = 0;

	State state;
	std::vector<State> stack;
	CRect surfaceRect;
	double scaleFactor {1.};
};

// Text measurement shared by all contexts (cairo with fontconfig; "Arial" resolves to a
// metric-compatible face such as Liberation Sans).
namespace FontMetrics {
CCoord stringWidth (const CFontDesc& font, const std::string& utf8);
// ascent and descent in points
void extents (const CFontDesc& font, CCoord& ascent, CCoord& descent);
// The family that fontconfig actually chose for a name.
std::string resolvedFamily (const std::string& name);
// The family name and size handed to cairo: valid UTF-8 (cairo refuses anything else and
// stays in error) and a size of at most 10000 points.
std::string cairoFamily (const CFontDesc& font);
double cairoSize (const CFontDesc& font);
// Lets go of the measuring context (before cairo's and fontconfig's own caches are torn down
// at the end of a process, e.g. for leak checkers).
void releaseCaches ();
} // namespace FontMetrics

// Draws onto a cairo context; scale is the zoom (device pixels per point).
class CairoDrawContext : public CDrawContext
{
public:
	CairoDrawContext (cairo_t* cr, const CRect& surfaceRect, double scale);
	~CairoDrawContext () noexcept override;
	cairo_t* getCairo () const { return cr; }

protected:
	void implDrawLine (const CPoint& start, const CPoint& end) override;
	void implDrawPolygon (const PointList& points, CDrawStyle style) override;
	void implDrawRect (const CRect& rect, CDrawStyle style) override;
	void implDrawArc (const CRect& rect, double startAngle, double endAngle, CDrawStyle style) override;
	void implDrawEllipse (const CRect& rect, CDrawStyle style) override;
	void implDrawBitmap (CBitmap* bitmap, const CRect& dest, const CPoint& offset, float alpha) override;
	void implFillLinearGradient (const CRect& rect, const CColor& top, const CColor& bottom) override;
	void implClearRect (const CRect& rect) override;
	void implDrawString (const std::string& text, const CRect& rect, CHoriTxtAlign align, bool aa) override;
	void implDrawStringAt (const std::string& text, const CPoint& point, bool aa) override;
	void implDrawPath (const CGraphicsPath& path, PathDrawMode mode) override;
	void implFillPathGradient (const CGraphicsPath& path, const CColor& startColor, const CColor& endColor,
	                           const CPoint& startPoint, const CPoint& endPoint, bool evenOdd) override;

private:
	void appendPath (const CGraphicsPath& path);
	// False (and nothing saved) when the cairo context is in an error state: drawing is skipped.
	bool begin ();
	void end ();
	void setSource (const CColor& color);
	void applyLine ();
	void applyFont ();
	void paintPath (CDrawStyle style);
	cairo_t* cr;
};

// Records every drawing call with the state it was made in; for tests of views.
class RecordingDrawContext : public CDrawContext
{
public:
	enum class Op { Line, Polygon, Rect, Arc, Ellipse, Bitmap, Gradient, Clear, String, StringAt, Path, PathGradient };
	struct Call
	{
		Op op;
		CRect rect;                 // rect of the call, local coordinates
		CPoint p1, p2;              // line ends, string point, gradient start and end
		CColor color1, color2;      // gradient colours
		PointList points;
		CDrawStyle style {kDrawStroked};
		double startAngle {0.}, endAngle {0.};
		std::string text;
		CHoriTxtAlign align {kCenterText};
		CBitmap* bitmap {nullptr};
		CPoint bitmapOffset;
		float alpha {1.f};
		std::vector<CGraphicsPath::Element> path;
		PathDrawMode pathMode {kPathFilled};
		State state;                // state at the time of the call (transform, colours, clip...)
		// The call's rect in the coordinates of the surface's origin (translation applied).
		CRect globalRect () const;
		CPoint globalPoint (const CPoint& p) const;
	};

	explicit RecordingDrawContext (const CRect& surfaceRect, double scale = 1.);
	const std::vector<Call>& getCalls () const { return calls; }
	void clear () { calls.clear (); }
	// Calls of one kind, in order.
	std::vector<Call> callsOf (Op op) const;

protected:
	void implDrawLine (const CPoint& start, const CPoint& end) override;
	void implDrawPolygon (const PointList& points, CDrawStyle style) override;
	void implDrawRect (const CRect& rect, CDrawStyle style) override;
	void implDrawArc (const CRect& rect, double startAngle, double endAngle, CDrawStyle style) override;
	void implDrawEllipse (const CRect& rect, CDrawStyle style) override;
	void implDrawBitmap (CBitmap* bitmap, const CRect& dest, const CPoint& offset, float alpha) override;
	void implFillLinearGradient (const CRect& rect, const CColor& top, const CColor& bottom) override;
	void implClearRect (const CRect& rect) override;
	void implDrawString (const std::string& text, const CRect& rect, CHoriTxtAlign align, bool aa) override;
	void implDrawStringAt (const std::string& text, const CPoint& point, bool aa) override;
	void implDrawPath (const CGraphicsPath& path, PathDrawMode mode) override;
	void implFillPathGradient (const CGraphicsPath& path, const CColor& startColor, const CColor& endColor,
	                           const CPoint& startPoint, const CPoint& endPoint, bool evenOdd) override;

private:
	Call& record (Op op);
	std::vector<Call> calls;
};

// Text and icon placement used by text buttons.
namespace CDrawMethods {
enum IconPosition
{
	kIconLeft = 0,
	kIconCenterAbove,
	kIconCenterBelow,
	kIconRight
};
enum TextTruncateMode
{
	kTextTruncateNone = 0,
	kTextTruncateHead,
	kTextTruncateTail
};
// The icon (may be null) and the title in drawRect; text is not truncated (any mode draws it whole).
void drawIconAndText (CDrawContext* context, CBitmap* iconToDraw, IconPosition iconPosition,
                      CHoriTxtAlign textAlignment, CCoord textIconMargin, CRect drawRect, const UTF8String& title,
                      CFontRef font, CColor textColor, TextTruncateMode truncateMode = kTextTruncateNone);
} // namespace CDrawMethods

} // namespace VSTGUI
