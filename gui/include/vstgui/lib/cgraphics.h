// Geometry, colours, input state, fonts and bitmaps.
#pragma once

#include "vstguibase.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace VSTGUI {

struct CPoint
{
	CCoord x {0.}, y {0.};

	constexpr CPoint () = default;
	constexpr CPoint (CCoord x_, CCoord y_) : x (x_), y (y_) {}

	CPoint& offset (CCoord dx, CCoord dy) { x += dx; y += dy; return *this; }
	CPoint& offset (const CPoint& p) { return offset (p.x, p.y); }
	CPoint& operator+= (const CPoint& p) { return offset (p.x, p.y); }
	CPoint& operator-= (const CPoint& p) { return offset (-p.x, -p.y); }
	CPoint operator+ (const CPoint& p) const { return {x + p.x, y + p.y}; }
	CPoint operator- (const CPoint& p) const { return {x - p.x, y - p.y}; }
	CPoint operator- () const { return {-x, -y}; }
	bool operator== (const CPoint& p) const { return x == p.x && y == p.y; }
	bool operator!= (const CPoint& p) const { return !(*this == p); }
};

struct CRect
{
	CCoord left {0.}, top {0.}, right {0.}, bottom {0.};

	constexpr CRect () = default;
	constexpr CRect (CCoord l, CCoord t, CCoord r, CCoord b) : left (l), top (t), right (r), bottom (b) {}
	constexpr CRect (const CPoint& origin, const CPoint& size)
	: left (origin.x), top (origin.y), right (origin.x + size.x), bottom (origin.y + size.y) {}

	CCoord getWidth () const { return right - left; }
	CCoord getHeight () const { return bottom - top; }
	CRect& setWidth (CCoord w) { right = left + w; return *this; }
	CRect& setHeight (CCoord h) { bottom = top + h; return *this; }
	CPoint getTopLeft () const { return {left, top}; }
	CPoint getTopRight () const { return {right, top}; }
	CPoint getBottomLeft () const { return {left, bottom}; }
	CPoint getBottomRight () const { return {right, bottom}; }
	CPoint getSize () const { return {getWidth (), getHeight ()}; }
	CPoint getCenter () const { return {left + getWidth () / 2., top + getHeight () / 2.}; }
	CRect& setTopLeft (const CPoint& p) { left = p.x; top = p.y; return *this; }
	CRect& setBottomRight (const CPoint& p) { right = p.x; bottom = p.y; return *this; }
	CRect& setSize (const CPoint& s) { right = left + s.x; bottom = top + s.y; return *this; }

	CRect& offset (CCoord dx, CCoord dy) { left += dx; right += dx; top += dy; bottom += dy; return *this; }
	CRect& offset (const CPoint& p) { return offset (p.x, p.y); }
	CRect& moveTo (CCoord x, CCoord y) { return offset (x - left, y - top); }
	CRect& moveTo (const CPoint& p) { return moveTo (p.x, p.y); }
	CRect& inset (CCoord dx, CCoord dy) { left += dx; right -= dx; top += dy; bottom -= dy; return *this; }
	CRect& inset (const CPoint& p) { return inset (p.x, p.y); }
	CRect& extend (CCoord dx, CCoord dy) { return inset (-dx, -dy); }
	CRect& centerInside (const CRect& r)
	{
		return moveTo (r.left + (r.getWidth () - getWidth ()) / 2., r.top + (r.getHeight () - getHeight ()) / 2.);
	}

	bool isEmpty () const { return !(right > left && bottom > top); }
	// Half-open: the right and bottom edges are outside.
	bool pointInside (const CPoint& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
	bool rectOverlap (const CRect& r) const
	{
		return right > r.left && left < r.right && bottom > r.top && top < r.bottom;
	}
	// Intersection; empty when the two do not overlap.
	CRect& bound (const CRect& r)
	{
		left = std::max (left, r.left);
		top = std::max (top, r.top);
		right = std::min (right, r.right);
		bottom = std::min (bottom, r.bottom);
		if (right < left) right = left;
		if (bottom < top) bottom = top;
		return *this;
	}
	CRect& unite (const CRect& r)
	{
		if (r.isEmpty ())
			return *this;
		if (isEmpty ())
			return *this = r;
		left = std::min (left, r.left);
		top = std::min (top, r.top);
		right = std::max (right, r.right);
		bottom = std::max (bottom, r.bottom);
		return *this;
	}
	CRect& normalize ()
	{
		if (left > right) std::swap (left, right);
		if (top > bottom) std::swap (top, bottom);
		return *this;
	}
	bool operator== (const CRect& r) const
	{
		return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
	}
	bool operator!= (const CRect& r) const { return !(*this == r); }
};

struct CColor
{
	uint8_t red {255}, green {255}, blue {255}, alpha {255};

	constexpr CColor () = default;
	constexpr CColor (uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) : red (r), green (g), blue (b), alpha (a) {}

	constexpr bool operator== (const CColor& c) const
	{
		return red == c.red && green == c.green && blue == c.blue && alpha == c.alpha;
	}
	constexpr bool operator!= (const CColor& c) const { return !(*this == c); }
	uint8_t getRed () const { return red; }
	uint8_t getGreen () const { return green; }
	uint8_t getBlue () const { return blue; }
	uint8_t getAlpha () const { return alpha; }
	void setAlpha (uint8_t a) { alpha = a; }
};

constexpr CColor MakeCColor (uint8_t r = 0, uint8_t g = 0, uint8_t b = 0, uint8_t a = 255) { return {r, g, b, a}; }

constexpr CColor kTransparentCColor {255, 255, 255, 0};
constexpr CColor kBlackCColor {0, 0, 0, 255};
constexpr CColor kWhiteCColor {255, 255, 255, 255};
constexpr CColor kGreyCColor {127, 127, 127, 255};
constexpr CColor kRedCColor {255, 0, 0, 255};
constexpr CColor kGreenCColor {0, 255, 0, 255};
constexpr CColor kBlueCColor {0, 0, 255, 255};
constexpr CColor kYellowCColor {255, 255, 0, 255};
constexpr CColor kCyanCColor {0, 255, 255, 255};
constexpr CColor kMagentaCColor {255, 0, 255, 255};

// Mouse buttons and modifier keys of one event.
enum CButton : int32_t
{
	kLButton = 1 << 1,
	kMButton = 1 << 2,
	kRButton = 1 << 3,
	kShift = 1 << 4,
	kControl = 1 << 5,
	kAlt = 1 << 6,
	kApple = 1 << 7,
	kButton4 = 1 << 8,
	kButton5 = 1 << 9,
	kDoubleClick = 1 << 10,
};
constexpr int32_t kZoomModifier = kShift;       // fine steps while dragging
constexpr int32_t kDefaultValueModifier = kControl;

struct CButtonState
{
	constexpr CButtonState (int32_t s = 0) : state (s) {}
	int32_t getButtonState () const { return state & (kLButton | kMButton | kRButton | kButton4 | kButton5); }
	int32_t getModifierState () const { return state & (kShift | kControl | kAlt | kApple); }
	bool isLeftButton () const { return (state & kLButton) != 0; }
	bool isRightButton () const { return (state & kRButton) != 0; }
	bool isDoubleClick () const { return (state & kDoubleClick) != 0; }
	int32_t operator() () const { return state; }
	int32_t operator& (int32_t mask) const { return state & mask; }
	CButtonState& operator|= (int32_t s) { state |= s; return *this; }
	bool operator== (const CButtonState& o) const { return state == o.state; }
	bool operator!= (const CButtonState& o) const { return state != o.state; }
	operator int32_t () const { return state; }

	int32_t state {0};
};

enum CMouseEventResult
{
	kMouseEventNotImplemented = 0,
	kMouseEventHandled,
	kMouseEventNotHandled,
	kMouseDownEventHandledButDontNeedMovedOrUpEvents,
	kMouseMoveEventHandledButDontNeedMoreEvents,
};

enum CHoriTxtAlign
{
	kLeftText = 0,
	kCenterText,
	kRightText
};

enum CDrawStyle
{
	kDrawStroked = 0,
	kDrawFilled,
	kDrawFilledAndStroked
};

enum CDrawModeFlags : int32_t
{
	kAliasing = 0,
	kAntiAliasing = 1,
	kNonIntegralMode = 0xF000000,
};

class CLineStyle
{
public:
	enum LineCap { kLineCapButt = 0, kLineCapRound, kLineCapSquare };
	enum LineJoin { kLineJoinMiter = 0, kLineJoinRound, kLineJoinBevel };
	using CoordVector = std::vector<CCoord>;

	CLineStyle (LineCap cap = kLineCapButt, LineJoin join = kLineJoinMiter, CCoord dashPhase = 0.,
	            const CoordVector& dashLengths = {})
	: cap (cap), join (join), dashPhase (dashPhase), dashLengths (dashLengths) {}

	LineCap getLineCap () const { return cap; }
	LineJoin getLineJoin () const { return join; }
	CCoord getDashPhase () const { return dashPhase; }
	const CoordVector& getDashLengths () const { return dashLengths; }
	void setLineCap (LineCap c) { cap = c; }
	void setLineJoin (LineJoin j) { join = j; }
	void setDashPhase (CCoord p) { dashPhase = p; }
	void setDashLengths (const CoordVector& d) { dashLengths = d; }
	bool operator== (const CLineStyle& o) const
	{
		return cap == o.cap && join == o.join && dashPhase == o.dashPhase && dashLengths == o.dashLengths;
	}

private:
	LineCap cap;
	LineJoin join;
	CCoord dashPhase;
	CoordVector dashLengths;
};

extern const CLineStyle kLineSolid;
extern const CLineStyle kLineOnOffDash;

// Keys: character is a Unicode code point (0 for a virtual key), virt one of the VKEY_ values.
enum VirtualKey : unsigned char
{
	VKEY_BACK = 1, VKEY_TAB, VKEY_CLEAR, VKEY_RETURN, VKEY_PAUSE, VKEY_ESCAPE, VKEY_SPACE, VKEY_NEXT,
	VKEY_END, VKEY_HOME, VKEY_LEFT, VKEY_UP, VKEY_RIGHT, VKEY_DOWN, VKEY_PAGEUP, VKEY_PAGEDOWN,
	VKEY_SELECT, VKEY_PRINT, VKEY_ENTER, VKEY_SNAPSHOT, VKEY_INSERT, VKEY_DELETE, VKEY_HELP
};
enum ModifierKey : unsigned char
{
	MODIFIER_SHIFT = 1 << 0,
	MODIFIER_ALTERNATE = 1 << 1,
	MODIFIER_COMMAND = 1 << 2,
	MODIFIER_CONTROL = 1 << 3
};
struct VstKeyCode
{
	int32_t character {0};
	unsigned char virt {0};
	unsigned char modifier {0};
};

enum CTxtFace : int32_t
{
	kNormalFace = 0,
	kBoldFace = 1 << 1,
	kItalicFace = 1 << 2,
	kUnderlineFace = 1 << 3,
	kStrikethroughFace = 1 << 4
};

// A font description: family name, size in points and face style.
class CFontDesc : public CBaseObject
{
public:
	CFontDesc (UTF8StringPtr name = "", CCoord size = 0., int32_t style = kNormalFace)
	: name (name ? name : ""), size (size), style (style) {}
	CFontDesc (const CFontDesc& o) : CBaseObject (), name (o.name), size (o.size), style (o.style) {}

	const std::string& getName () const { return name; }
	CCoord getSize () const { return size; }
	int32_t getStyle () const { return style; }
	void setName (UTF8StringPtr n) { name = n ? n : ""; }
	void setSize (CCoord s) { size = s; }
	void setStyle (int32_t s) { style = s; }
	bool operator== (const CFontDesc& o) const { return name == o.name && size == o.size && style == o.style; }

private:
	std::string name;
	CCoord size;
	int32_t style;
};
using CFontRef = CFontDesc*;

// Predefined "Arial" fonts; never released by users.
extern const CFontRef kSystemFont;
extern const CFontRef kNormalFontVeryBig; // 18
extern const CFontRef kNormalFontBig;     // 14
extern const CFontRef kNormalFont;        // 12
extern const CFontRef kNormalFontSmall;   // 11
extern const CFontRef kNormalFontSmaller; // 10
extern const CFontRef kNormalFontVerySmall; // 9
extern const CFontRef kSymbolFont;

class CDrawContext;

// A bitmap loaded from a PNG file; drawn unscaled (one image pixel per point).
class CBitmap : public CBaseObject
{
public:
	explicit CBitmap (const std::string& pngPath);
	// An empty image of the given size (transparent), e.g. for tests.
	CBitmap (CCoord width, CCoord height);
	~CBitmap () noexcept override;
	CBitmap (const CBitmap&) = delete;
	CBitmap& operator= (const CBitmap&) = delete;

	bool isLoaded () const { return surface != nullptr; }
	CCoord getWidth () const { return width; }
	CCoord getHeight () const { return height; }
	const std::string& getPath () const { return path; }
	// Draws the part of the image that starts at offset into rect, clipped to rect.
	virtual void draw (CDrawContext* context, const CRect& rect, const CPoint& offset = CPoint (0, 0),
	                   float alpha = 1.f);

	cairo_surface_t* getSurface () const { return surface; }

private:
	std::string path;
	cairo_surface_t* surface {nullptr};
	CCoord width {0}, height {0};
};

// Two-colour vertical gradient, enough for button backgrounds.
class CGradient : public CBaseObject
{
public:
	CGradient (const CColor& start, const CColor& end) : startColor (start), endColor (end) {}
	static CGradient* create (double /*start*/, double /*end*/, const CColor& c1, const CColor& c2)
	{
		return new CGradient (c1, c2);
	}
	const CColor& getStartColor () const { return startColor; }
	const CColor& getEndColor () const { return endColor; }

private:
	CColor startColor, endColor;
};

// Replaces invalid UTF-8 sequences with U+FFFD so that text drawing never fails.
std::string sanitizeUTF8 (const std::string& text);
// Appends the UTF-8 encoding of a code point (invalid ones become U+FFFD).
void appendUTF8 (std::string& out, int32_t codePoint);

} // namespace VSTGUI
