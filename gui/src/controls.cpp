// CControl and the standard controls: text display, label, text edit, text button, knob.
#include "vstgui/lib/controls.h"

#include <algorithm>
#include <cmath>

namespace VSTGUI {

//------------------------------------------------------------------------
CControl::CControl (const CRect& s, IControlListener* l, int32_t t, CBitmap* bg)
: CView (s), tag (t), listener (l)
{
	if (bg)
		setBackground (bg);
	dirty = false;
}

CControl::CControl (const CControl& o)
: CView (o), value (o.value), vmin (o.vmin), vmax (o.vmax), defaultValue (o.defaultValue), tag (o.tag),
  listener (o.listener), editing (0)
{
}

CControl::~CControl () noexcept = default;

void CControl::setValue (float val)
{
	if (!std::isfinite (val))
		return;
	value = val;
	bounceValue ();
}

void CControl::setValueNormalized (float val)
{
	if (!std::isfinite (val))
		return;
	val = std::clamp (val, 0.f, 1.f);
	setValue (vmin + val * (vmax - vmin));
}

float CControl::getValueNormalized () const
{
	const float range = vmax - vmin;
	if (!(range > 0.f))
		return 0.f;
	return std::clamp ((value - vmin) / range, 0.f, 1.f);
}

void CControl::bounceValue ()
{
	const float lo = std::min (vmin, vmax), hi = std::max (vmin, vmax);
	value = std::clamp (value, lo, hi);
}

void CControl::setTag (int32_t val)
{
	if (val == tag)
		return;
	if (listener)
		listener->controlTagWillChange (this);
	tag = val;
	if (listener)
		listener->controlTagDidChange (this);
}

void CControl::beginEdit ()
{
	if (editing++ == 0)
	{
		if (listener)
			listener->controlBeginEdit (this);
	}
}

void CControl::endEdit ()
{
	if (editing <= 0)
		return;
	if (--editing == 0)
	{
		if (listener)
			listener->controlEndEdit (this);
	}
}

void CControl::valueChanged ()
{
	if (listener)
		listener->valueChanged (this);
}

//------------------------------------------------------------------------
CParamDisplay::CParamDisplay (const CRect& s, CBitmap* bg, int32_t st) : CControl (s, nullptr, -1, bg), style (st)
{
	font = kSystemFont;
}

CParamDisplay::CParamDisplay (const CParamDisplay& o)
: CControl (o), font (o.font), fontColor (o.fontColor), backColor (o.backColor), frameColor (o.frameColor),
  frameWidth (o.frameWidth), horiAlign (o.horiAlign), textInset (o.textInset), style (o.style),
  antialias (o.antialias)
{
}

void CParamDisplay::setFont (CFontRef f)
{
	if (f)
		font = f;
	setDirty ();
}

void CParamDisplay::setTransparency (bool state)
{
	CControl::setTransparency (state);
	setDirty ();
}

std::string CParamDisplay::getDisplayText () const
{
	char buffer[32];
	std::snprintf (buffer, sizeof (buffer), "%.2f", static_cast<double> (value));
	return buffer;
}

void CParamDisplay::drawBack (CDrawContext* context)
{
	if (background)
		background->draw (context, size);
	else if (!transparent)
	{
		context->setFillColor (backColor);
		context->drawRect (size, kDrawFilled);
	}
	if (!(style & kNoFrame) && frameWidth > 0. && !transparent)
	{
		context->setLineWidth (frameWidth);
		context->setFrameColor (frameColor);
		CRect r = size;
		r.inset (frameWidth / 2., frameWidth / 2.);
		context->drawRect (r, kDrawStroked);
	}
}

void CParamDisplay::drawText (CDrawContext* context, const std::string& text, const CRect& rect)
{
	if ((style & kNoTextStyle) || text.empty ())
		return;
	CRect r = rect;
	r.inset (textInset.x, textInset.y);
	context->setFont (font ? font.get () : kSystemFont);
	context->setFontColor (fontColor);
	context->drawString (text.c_str (), r, horiAlign, antialias);
}

void CParamDisplay::draw (CDrawContext* context)
{
	if (!(style & kNoDrawStyle))
	{
		drawBack (context);
		drawText (context, getDisplayText (), size);
	}
	setDirty (false);
}

//------------------------------------------------------------------------
CTextLabel::CTextLabel (const CRect& s, const UTF8String& txt, CBitmap* bg, int32_t st)
: CParamDisplay (s, bg, st), text (txt.getString ())
{
}

void CTextLabel::setText (const std::string& txt)
{
	if (txt == text)
		return;
	text = txt;
	invalid ();
}

//------------------------------------------------------------------------
namespace {
size_t prevCodePoint (const std::string& s, size_t pos)
{
	if (pos == 0)
		return 0;
	--pos;
	while (pos > 0 && (static_cast<unsigned char> (s[pos]) & 0xC0) == 0x80)
		--pos;
	return pos;
}
size_t nextCodePoint (const std::string& s, size_t pos)
{
	if (pos >= s.size ())
		return s.size ();
	++pos;
	while (pos < s.size () && (static_cast<unsigned char> (s[pos]) & 0xC0) == 0x80)
		++pos;
	return pos;
}
} // namespace

CTextEdit::CTextEdit (const CRect& s, IControlListener* l, int32_t t, const UTF8String& txt, CBitmap* bg, int32_t st)
: CTextLabel (s, txt, bg, st)
{
	listener = l;
	tag = t;
	editBuffer = text;
}

CTextEdit::~CTextEdit () noexcept = default;

void CTextEdit::setText (const std::string& txt)
{
	CTextLabel::setText (sanitizeUTF8 (txt));
	if (!editingText)
		editBuffer = text;
	else
	{
		editBuffer = text;
		caret = selectionAnchor = editBuffer.size ();
	}
}

bool CTextEdit::eraseSelection ()
{
	if (selectionAnchor == caret)
		return false;
	const size_t from = std::min (selectionAnchor, caret);
	editBuffer.erase (from, std::max (selectionAnchor, caret) - from);
	caret = selectionAnchor = from;
	return true;
}

void CTextEdit::takeFocus ()
{
	CFrame* frame = getFrame ();
	if (frame && frame->getFocusView () != this)
	{
		frame->setFocusView (this); // comes back here with the focus set
		return;
	}
	if (editingText)
		return;
	editingText = true;
	bWasReturnPressed = false;
	textBeforeEdit = text;
	editBuffer = text;
	// The whole text is selected, as a platform text field does on focus: typing replaces it.
	selectionAnchor = 0;
	caret = editBuffer.size ();
	invalid ();
	if (frame)
		frame->updateKeyboardFocus ();
}

void CTextEdit::looseFocus ()
{
	if (editingText)
		commit ();
}

void CTextEdit::commit ()
{
	editingText = false;
	text = editBuffer;
	invalid ();
	if (CFrame* frame = getFrame ())
		frame->updateKeyboardFocus ();
	beginEdit ();
	valueChanged ();
	endEdit ();
}

void CTextEdit::insertText (const std::string& utf8)
{
	if (!editingText)
		return;
	std::string clean;
	for (char c : sanitizeUTF8 (utf8))
		if (static_cast<unsigned char> (c) >= 0x20 && c != 0x7F)
			clean += c;
	eraseSelection ();
	editBuffer.insert (caret, clean);
	caret += clean.size ();
	selectionAnchor = caret;
	if (immediateTextChange)
		valueChanged ();
	invalid ();
}

int32_t CTextEdit::onKeyDown (VstKeyCode& key)
{
	if (!editingText)
		return -1;
	CFrame* frame = getFrame ();
	switch (key.virt)
	{
		case VKEY_BACK:
			if (!eraseSelection () && caret > 0)
			{
				const size_t p = prevCodePoint (editBuffer, caret);
				editBuffer.erase (p, caret - p);
				caret = selectionAnchor = p;
			}
			invalid ();
			return 1;
		case VKEY_DELETE:
			if (!eraseSelection () && caret < editBuffer.size ())
				editBuffer.erase (caret, nextCodePoint (editBuffer, caret) - caret);
			invalid ();
			return 1;
		case VKEY_SPACE: insertText (" "); return 1; // hosts forward Space as a virtual key
		// Moving the caret ends the selection; Left and Right first go to its edge.
		case VKEY_HOME: caret = selectionAnchor = 0; invalid (); return 1;
		case VKEY_END: caret = selectionAnchor = editBuffer.size (); invalid (); return 1;
		case VKEY_LEFT:
			caret = selectionAnchor != caret ? std::min (selectionAnchor, caret) : prevCodePoint (editBuffer, caret);
			selectionAnchor = caret;
			invalid ();
			return 1;
		case VKEY_RIGHT:
			caret = selectionAnchor != caret ? std::max (selectionAnchor, caret) : nextCodePoint (editBuffer, caret);
			selectionAnchor = caret;
			invalid ();
			return 1;
		case VKEY_RETURN:
		case VKEY_ENTER:
		{
			SharedPointer<CView> keep (this);
			bWasReturnPressed = true;
			if (frame)
				frame->setFocusView (nullptr);
			else
				commit ();
			return 1;
		}
		case VKEY_ESCAPE:
		{
			SharedPointer<CView> keep (this);
			editBuffer = textBeforeEdit;
			editingText = false;
			bWasReturnPressed = false;
			if (frame && frame->getFocusView () == this)
				frame->setFocusView (nullptr);
			if (frame)
				frame->updateKeyboardFocus ();
			invalid ();
			return 1;
		}
		default: break;
	}
	if (key.virt == 0 && key.character >= 0x20 && key.character != 0x7F)
	{
		std::string s;
		appendUTF8 (s, key.character);
		insertText (s);
		return 1;
	}
	return -1;
}

CMouseEventResult CTextEdit::onMouseDown (CPoint& where, const CButtonState& buttons)
{
	if (!(buttons & kLButton))
		return kMouseEventNotHandled;
	takeFocus ();
	if (editingText)
	{
		// Caret to the nearest character boundary.
		CRect r = size;
		r.inset (textInset.x, textInset.y);
		const CFontDesc& f = font ? *font : *kSystemFont;
		const CCoord full = FontMetrics::stringWidth (f, editBuffer);
		CCoord x0 = horiAlign == kLeftText ? r.left : horiAlign == kRightText ? r.right - full
		                                                                         : r.left + (r.getWidth () - full) / 2.;
		size_t best = 0;
		CCoord bestDist = std::fabs (where.x - x0);
		for (size_t p = nextCodePoint (editBuffer, 0); p <= editBuffer.size () && p > 0;
		     p = p < editBuffer.size () ? nextCodePoint (editBuffer, p) : editBuffer.size () + 1)
		{
			const CCoord d = std::fabs (where.x - (x0 + FontMetrics::stringWidth (f, editBuffer.substr (0, p))));
			if (d < bestDist)
			{
				bestDist = d;
				best = p;
			}
			if (p == editBuffer.size ())
				break;
		}
		caret = selectionAnchor = best;
		invalid ();
	}
	return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

void CTextEdit::draw (CDrawContext* context)
{
	if (!editingText)
	{
		CTextLabel::draw (context);
		return;
	}
	drawBack (context);
	drawText (context, editBuffer, size);
	CRect r = size;
	r.inset (textInset.x, textInset.y);
	const CFontDesc& f = font ? *font : *kSystemFont;
	const CCoord full = FontMetrics::stringWidth (f, editBuffer);
	const CCoord x0 = horiAlign == kLeftText ? r.left : horiAlign == kRightText ? r.right - full
	                                                                             : r.left + (r.getWidth () - full) / 2.;
	const CCoord x = x0 + FontMetrics::stringWidth (f, editBuffer.substr (0, caret));
	CCoord ascent = 0., descent = 0.;
	FontMetrics::extents (f, ascent, descent);
	const CCoord cy = r.top + r.getHeight () / 2.;
	if (selectionAnchor != caret)
	{
		const CCoord xa = x0 + FontMetrics::stringWidth (f, editBuffer.substr (0, selectionAnchor));
		CColor shade = fontColor;
		shade.alpha = static_cast<uint8_t> (shade.alpha / 3);
		context->setFillColor (shade);
		context->drawRect (CRect (std::min (x, xa), cy - ascent / 2. - 2., std::max (x, xa), cy + ascent / 2. + 2.),
		                   kDrawFilled);
	}
	context->setLineWidth (1.);
	context->setFrameColor (fontColor);
	context->drawLine (CPoint (x, cy - ascent / 2. - 1.), CPoint (x, cy + ascent / 2. + 1.));
	setDirty (false);
}

//------------------------------------------------------------------------
CTextButton::CTextButton (const CRect& s, IControlListener* l, int32_t t, const UTF8String& ttl, Style st)
: CControl (s, l, t), title (ttl.getString ()), style (st)
{
	font = kSystemFont;
	gradient = owned (new CGradient (MakeCColor (220, 220, 220, 255), MakeCColor (180, 180, 180, 255)));
	gradientHighlighted = owned (new CGradient (MakeCColor (180, 180, 180, 255), MakeCColor (100, 100, 100, 255)));
}

CTextButton::CTextButton (const CTextButton& o)
: CControl (o), title (o.title), font (o.font), textColor (o.textColor), textColorHighlighted (o.textColorHighlighted),
  frameColor (o.frameColor), frameColorHighlighted (o.frameColorHighlighted), frameWidth (o.frameWidth),
  roundRadius (o.roundRadius), gradient (o.gradient), gradientHighlighted (o.gradientHighlighted), icon (o.icon),
  iconPosition (o.iconPosition), textAlignment (o.textAlignment), textMargin (o.textMargin), style (o.style)
{
}

void CTextButton::setTitle (const UTF8String& t)
{
	title = t.getString ();
	invalid ();
}

void CTextButton::setFont (CFontRef f)
{
	if (f)
		font = f;
	invalid ();
}

void CTextButton::setGradient (CGradient* g)
{
	gradient = g;
	invalid ();
}

void CTextButton::setGradientHighlighted (CGradient* g)
{
	gradientHighlighted = g;
	invalid ();
}

void CTextButton::setIcon (CBitmap* b)
{
	icon = b;
	invalid ();
}

void CTextButton::setStyle (Style s)
{
	style = s;
	invalid ();
}

void CTextButton::draw (CDrawContext* context)
{
	const bool highlight = value > 0.5f;
	// Fill and frame share one (rounded) outline, half a frame width inside the view.
	const CCoord fw = std::max (frameWidth, 0.);
	CRect r = size;
	r.inset (fw / 2., fw / 2.);
	auto path = owned (context->createRoundRectGraphicsPath (r, roundRadius));
	if (CGradient* g = highlight ? gradientHighlighted.get () : gradient.get ())
		context->fillLinearGradient (path, *g, r.getTopLeft (), r.getBottomLeft ());
	if (fw > 0.)
	{
		const CLineStyle before = context->getLineStyle ();
		context->setLineStyle (CLineStyle (CLineStyle::kLineCapRound, CLineStyle::kLineJoinRound));
		context->setLineWidth (fw);
		context->setFrameColor (highlight ? frameColorHighlighted : frameColor);
		context->drawGraphicsPath (path, CDrawContext::kPathStroked);
		context->setLineStyle (before);
	}
	CDrawMethods::drawIconAndText (context, icon.get (), iconPosition, textAlignment, textMargin, size, title,
	                               font.get (), highlight ? textColorHighlighted : textColor);
	setDirty (false);
}

CMouseEventResult CTextButton::onMouseDown (CPoint& where, const CButtonState& buttons)
{
	if (!(buttons & kLButton))
		return kMouseEventNotHandled;
	if (mouseEditActive)
		return kMouseEventHandled; // a down without an up in between must not nest the edit
	mouseEditActive = true;
	entryState = value;
	beginEdit ();
	value = style == kKickStyle ? vmax : (entryState == vmax ? vmin : vmax);
	(void)where;
	invalid ();
	return kMouseEventHandled;
}

CMouseEventResult CTextButton::onMouseMoved (CPoint& where, const CButtonState& buttons)
{
	if (!isEditing ())
		return kMouseEventNotHandled;
	if (buttons & kLButton)
	{
		const bool inside = hitTest (where, buttons);
		const float pressed = style == kKickStyle ? vmax : (entryState == vmax ? vmin : vmax);
		const float released = style == kKickStyle ? vmin : entryState;
		const float newValue = inside ? pressed : released;
		if (newValue != value)
		{
			value = newValue;
			invalid ();
		}
	}
	return kMouseEventHandled;
}

CMouseEventResult CTextButton::onMouseUp (CPoint& where, const CButtonState& buttons)
{
	if (!mouseEditActive || !isEditing ())
		return kMouseEventHandled;
	mouseEditActive = false;
	SharedPointer<CView> keep (this);
	const bool inside = hitTest (where, buttons);
	const float pressed = style == kKickStyle ? vmax : (entryState == vmax ? vmin : vmax);
	const float released = style == kKickStyle ? vmin : entryState;
	value = inside ? pressed : released;
	if (value != entryState)
	{
		valueChanged ();
		if (style == kKickStyle)
		{
			value = vmin;
			valueChanged ();
		}
	}
	invalid ();
	endEdit ();
	return kMouseEventHandled;
}

CMouseEventResult CTextButton::onMouseCancel ()
{
	if (mouseEditActive && isEditing ())
	{
		mouseEditActive = false;
		value = entryState;
		invalid ();
		endEdit ();
	}
	return kMouseEventHandled;
}

//------------------------------------------------------------------------
CKnob::CKnob (const CRect& s, IControlListener* l, int32_t t, CBitmap* bg, CBitmap* handle, const CPoint& off,
              int32_t ds)
: CControl (s, l, t, bg), drawStyle (ds), offset (off)
{
	setHandleBitmap (handle);
}

CKnob::CKnob (const CKnob& o)
: CControl (o), drawStyle (o.drawStyle), coronaColor (o.coronaColor), colorHandle (o.colorHandle),
  colorShadowHandle (o.colorShadowHandle), handleLineWidth (o.handleLineWidth), coronaInset (o.coronaInset),
  coronaOutlineWidthAdd (o.coronaOutlineWidthAdd), inset (o.inset), coronaLineStyle (o.coronaLineStyle),
  startAngle (o.startAngle), rangeAngle (o.rangeAngle), zoomFactor (o.zoomFactor), linearRange (o.linearRange),
  knobMode (o.knobMode), handleBitmap (o.handleBitmap), offset (o.offset)
{
}

void CKnob::setCoronaDashDotLengths (const CLineStyle::CoordVector& lengths)
{
	for (auto d : lengths)
		if (!std::isfinite (d) || d < 0.)
			return;
	coronaLineStyle.setDashLengths (lengths);
	invalid ();
}

void CKnob::setHandleBitmap (CBitmap* bitmap)
{
	handleBitmap = bitmap;
	inset = bitmap ? bitmap->getWidth () / 2. + 2.5 : 3.;
	invalid ();
}

double CKnob::angleForValue (float v) const { return startAngle + rangeAngle * static_cast<double> (v); }

float CKnob::valueFromPoint (const CPoint& where) const
{
	const CPoint c = size.getCenter ();
	const double dx = where.x - c.x, dy = where.y - c.y;
	if (dx == 0. && dy == 0.)
		return getValueNormalized ();
	double angle = std::atan2 (dy, dx) * 180. / M_PI; // clockwise on screen, 0 at three o'clock
	double rel = std::fmod (angle - startAngle, 360.);
	if (rel < 0.)
		rel += 360.;
	if (rangeAngle <= 0.f)
		return 0.f;
	if (rel <= rangeAngle)
		return static_cast<float> (rel / rangeAngle);
	// In the gap: the nearer end wins.
	return (rel - rangeAngle) < (360. - rel) ? 1.f : 0.f;
}

void CKnob::valueToPoint (CPoint& point) const
{
	const double a = angleForValue (getValueNormalized ()) * M_PI / 180.;
	const CPoint c = size.getCenter ();
	point = CPoint (c.x + std::cos (a) * (size.getWidth () / 2. - inset),
	                c.y + std::sin (a) * (size.getHeight () / 2. - inset));
}

CRect CKnob::getCoronaRect () const
{
	CRect r = size;
	r.inset (coronaInset, coronaInset);
	return r;
}

void CKnob::draw (CDrawContext* context)
{
	if (background)
		background->draw (context, size, offset);
	// The knob's own line styles stay with it; the line width carries over as everywhere.
	const CLineStyle before = context->getLineStyle ();
	if (handleBitmap)
		drawHandle (context);
	else
	{
		if (drawStyle & kCoronaOutline)
			drawCoronaOutline (context);
		if (drawStyle & kCoronaDrawing)
			drawCorona (context);
		if (!(drawStyle & kSkipHandleDrawing))
		{
			if (drawStyle & kHandleCircleDrawing)
				drawHandleAsCircle (context);
			else
				drawHandleAsLine (context);
		}
	}
	context->setLineStyle (before);
	setDirty (false);
}

void CKnob::drawCoronaOutline (CDrawContext* context) const
{
	double start = startAngle, end = static_cast<double> (startAngle) + rangeAngle;
	// Square ends do not reach round the corona's ends by themselves.
	if ((drawStyle & kCoronaLineCapButt) && getWidth () > 0.)
	{
		const double a = coronaOutlineWidthAdd / getWidth () * 180. / M_PI;
		start -= a;
		end += a;
	}
	CLineStyle style (kLineSolid);
	if (!(drawStyle & kCoronaLineCapButt))
		style.setLineCap (CLineStyle::kLineCapRound);
	context->setLineStyle (style);
	context->setLineWidth (handleLineWidth + coronaOutlineWidthAdd);
	context->setFrameColor (colorShadowHandle);
	context->drawArc (getCoronaRect (), static_cast<float> (start), static_cast<float> (end));
}

void CKnob::drawCorona (CDrawContext* context) const
{
	float v = getValueNormalized ();
	if (drawStyle & kCoronaInverted)
		v = 1.f - v;
	double from, to;
	if (drawStyle & kCoronaFromCenter)
	{
		// Arcs run clockwise: on the lower side the arc starts at the value.
		const double centre = angleForValue (0.5f), sweep = rangeAngle * (static_cast<double> (v) - 0.5);
		from = std::min (centre, centre + sweep);
		to = std::max (centre, centre + sweep);
	}
	else if (drawStyle & kCoronaInverted)
	{
		to = static_cast<double> (startAngle) + rangeAngle;
		from = to - rangeAngle * static_cast<double> (v);
	}
	else
	{
		from = startAngle;
		to = from + rangeAngle * static_cast<double> (v);
	}
	if (!(drawStyle & kCoronaLineCapButt))
	{
		CLineStyle style (kLineSolid);
		style.setLineCap (CLineStyle::kLineCapRound);
		context->setLineStyle (style);
	}
	else if (drawStyle & kCoronaLineDashDot)
		context->setLineStyle (coronaLineStyle);
	else
		context->setLineStyle (kLineSolid);
	context->setLineWidth (handleLineWidth);
	context->setFrameColor (coronaColor);
	context->drawArc (getCoronaRect (), static_cast<float> (from), static_cast<float> (to));
}

void CKnob::drawHandleAsCircle (CDrawContext* context) const
{
	CPoint where;
	valueToPoint (where);
	CRect r (where.x - 0.5, where.y - 0.5, where.x + 0.5, where.y + 0.5);
	r.extend (handleLineWidth, handleLineWidth);
	context->setLineStyle (kLineSolid);
	context->setLineWidth (0.5);
	context->setFrameColor (colorShadowHandle);
	context->setFillColor (colorHandle);
	context->drawEllipse (r, kDrawFilledAndStroked);
}

void CKnob::drawHandleAsLine (CDrawContext* context) const
{
	CPoint where;
	valueToPoint (where);
	const CPoint origin = size.getCenter ();
	context->setLineStyle (CLineStyle (CLineStyle::kLineCapRound));
	context->setLineWidth (handleLineWidth);
	// The shadow one point left of and below the handle.
	context->setFrameColor (colorShadowHandle);
	context->drawLine (CPoint (where.x - 1., where.y + 1.), CPoint (origin.x - 1., origin.y + 1.));
	context->setFrameColor (colorHandle);
	context->drawLine (where, origin);
}

void CKnob::drawHandle (CDrawContext* context) const
{
	CPoint where;
	valueToPoint (where);
	const CCoord w = handleBitmap->getWidth (), h = handleBitmap->getHeight ();
	const CPoint topLeft (std::floor (where.x - w / 2.), std::floor (where.y - h / 2.));
	handleBitmap->draw (context, CRect (topLeft, CPoint (w, h)));
}

CMouseEventResult CKnob::onMouseDown (CPoint& where, const CButtonState& buttons)
{
	if (!(buttons & kLButton))
		return kMouseEventNotHandled;
	if (mouseState.active)
		return kMouseEventHandled; // a down without an up in between must not nest the edit
	if ((buttons & kDefaultValueModifier) && !(buttons & kAlt))
	{
		beginEdit ();
		setValue (defaultValue);
		valueChanged ();
		invalid ();
		endEdit ();
		return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
	}
	beginEdit ();
	mouseState.firstPoint = where;
	mouseState.entryValue = getValueNormalized ();
	mouseState.active = true;
	int32_t mode = knobMode;
	if (mode < 0)
		mode = getFrame () ? getFrame ()->getKnobMode () : kCircularMode;
	const bool alt = (buttons & kAlt) != 0;
	mouseState.linear = (mode == kLinearMode) != alt;
	if (!mouseState.linear && mode == kCircularMode)
		onMouseMoved (where, buttons); // circular mode jumps to the pointer
	return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseMoved (CPoint& where, const CButtonState& buttons)
{
	if (!mouseState.active || !isEditing ())
		return kMouseEventNotHandled;
	float newValue;
	if (mouseState.linear)
	{
		CCoord range = linearRange > 0. ? linearRange : 200.;
		if (buttons & kZoomModifier)
			range *= std::max (1.f, zoomFactor);
		const CCoord diff = (mouseState.firstPoint.y - where.y) + (where.x - mouseState.firstPoint.x);
		newValue = static_cast<float> (mouseState.entryValue + diff / range);
	}
	else
	{
		int32_t mode = knobMode >= 0 ? knobMode : (getFrame () ? getFrame ()->getKnobMode () : kCircularMode);
		if (mode == kRelativCircularMode)
			newValue = mouseState.entryValue + valueFromPoint (where) - valueFromPoint (mouseState.firstPoint);
		else
			newValue = valueFromPoint (where);
	}
	newValue = std::clamp (newValue, 0.f, 1.f);
	if (newValue != getValueNormalized ())
	{
		setValueNormalized (newValue);
		invalid ();
		valueChanged ();
	}
	return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseUp (CPoint&, const CButtonState&)
{
	if (mouseState.active)
	{
		mouseState.active = false;
		endEdit ();
	}
	return kMouseEventHandled;
}

CMouseEventResult CKnob::onMouseCancel ()
{
	if (mouseState.active)
	{
		mouseState.active = false;
		if (getValueNormalized () != mouseState.entryValue)
		{
			setValueNormalized (mouseState.entryValue);
			invalid ();
			valueChanged ();
		}
		endEdit ();
	}
	return kMouseEventHandled;
}

bool CKnob::onWheel (const CPoint&, float distance, const CButtonState& buttons)
{
	if (!std::isfinite (distance) || distance == 0.f)
		return false;
	float step = 0.01f * distance;
	if (buttons & kZoomModifier)
		step /= std::max (1.f, zoomFactor);
	beginEdit ();
	setValueNormalized (std::clamp (getValueNormalized () + step, 0.f, 1.f));
	invalid ();
	valueChanged ();
	endEdit ();
	return true;
}

} // namespace VSTGUI
