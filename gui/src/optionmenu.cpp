// COptionMenu and its self-drawn pop-up list, which lives inside the frame and scrolls when the
// list is taller than the frame.
#include "vstgui/lib/controls.h"
#include "vstgui/lib/cvstguitimer.h"

#include <cmath>

namespace VSTGUI {

CMenuItem::CMenuItem (const UTF8String& t, int32_t f) : title (t.getString ()), flags (f)
{
	if (title == "-")
		flags |= kSeparator;
}

//------------------------------------------------------------------------
namespace {

class GenericMenuPopup : public CView, public IOptionMenuPopup
{
public:
	GenericMenuPopup (COptionMenu* m, CFrame* frame, const GenericOptionMenuTheme& t)
	: CView (frame->getViewSize ()), menu (m), theme (t)
	{
		setTransparency (false);
		layout (frame);
	}
	~GenericMenuPopup () noexcept override
	{
		if (timer)
			timer->stop ();
		if (!closed && menu)
			menu->popupClosed ();
	}

	CRect getListRect () const override { return listRect; }
	CRect getRowRect (int32_t row) const override { return rowRect (row); }
	int32_t getFirstVisible () const override { return firstVisible; }
	int32_t getVisibleRows () const override { return visibleRows; }
	bool isScrollable () const override { return scrollable; }

	void draw (CDrawContext* context) override
	{
		context->setFillColor (theme.backgroundColor);
		context->drawRect (listRect, kDrawFilled);
		if (theme.menuBorderWidth > 0.)
		{
			context->setLineWidth (theme.menuBorderWidth);
			context->setFrameColor (theme.separatorColor);
			CRect r = listRect;
			r.inset (theme.menuBorderWidth / 2., theme.menuBorderWidth / 2.);
			context->drawRect (r, kDrawStroked);
		}
		context->setFont (theme.font ? theme.font.get () : kNormalFont);
		const int32_t current = static_cast<int32_t> (std::lround (menu->getValue ()));
		for (int32_t row = 0; row < visibleRows; ++row)
		{
			const int32_t index = firstVisible + row;
			if (index >= menu->getNbEntries ())
				break;
			const CRect r = rowRect (row);
			CMenuItem* item = menu->getEntry (index);
			if (item->isSeparator ())
			{
				context->setLineWidth (1.);
				context->setFrameColor (theme.separatorColor);
				const CCoord y = std::floor (r.getCenter ().y) + 0.5;
				context->drawLine (CPoint (r.left + theme.itemHorizontalInset, y),
				                   CPoint (r.right - theme.itemHorizontalInset, y));
				continue;
			}
			const bool selected = index == hoverIndex && item->isEnabled () && !item->isTitle ();
			if (selected)
			{
				context->setFillColor (theme.selectedBackgroundColor);
				context->drawRect (r, kDrawFilled);
			}
			CColor textColor = !item->isEnabled () ? theme.disabledTextColor
			                   : item->isTitle ()  ? theme.titleTextColor
			                   : selected          ? theme.selectedTextColor
			                                       : theme.textColor;
			if (index == current || item->isChecked ())
			{
				// check mark
				context->setLineWidth (1.5);
				context->setFrameColor (theme.checkMarkColor);
				const CCoord h = r.getHeight ();
				const CCoord x = r.left + theme.itemHorizontalInset;
				context->drawLine (CPoint (x, r.top + h * 0.5), CPoint (x + h * 0.2, r.top + h * 0.7));
				context->drawLine (CPoint (x + h * 0.2, r.top + h * 0.7), CPoint (x + h * 0.5, r.top + h * 0.3));
			}
			context->setFontColor (textColor);
			CRect tr = r;
			tr.left += theme.itemHorizontalInset + checkSpace ();
			tr.right -= theme.itemHorizontalInset;
			context->drawString (item->getTitle ().c_str (), tr, kLeftText);
		}
		if (scrollable)
		{
			drawArrow (context, upArrowRect (), true, firstVisible > 0);
			drawArrow (context, downArrowRect (), false, firstVisible + visibleRows < menu->getNbEntries ());
		}
		setDirty (false);
	}

	CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons) override
	{
		if (!listRect.pointInside (where))
		{
			close (-1);
			return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
		}
		if (!(buttons & kLButton))
			return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
		if (scrollable && upArrowRect ().pointInside (where))
		{
			scrollBy (-1);
			return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
		}
		if (scrollable && downArrowRect ().pointInside (where))
		{
			scrollBy (1);
			return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
		}
		pressedIndex = indexAt (where);
		return kMouseEventHandled;
	}

	CMouseEventResult onMouseUp (CPoint& where, const CButtonState&) override
	{
		const int32_t index = indexAt (where);
		if (index >= 0 && index == pressedIndex && selectable (index))
			close (index);
		pressedIndex = -1;
		return kMouseEventHandled;
	}

	CMouseEventResult onMouseMoved (CPoint& where, const CButtonState&) override
	{
		const int32_t index = indexAt (where);
		if (index != hoverIndex)
		{
			hoverIndex = index;
			invalid ();
		}
		// Resting on an arrow row keeps scrolling.
		scrollDirection = 0;
		if (scrollable && upArrowRect ().pointInside (where))
			scrollDirection = -1;
		else if (scrollable && downArrowRect ().pointInside (where))
			scrollDirection = 1;
		if (scrollDirection != 0 && !timer)
		{
			timer = owned (new CVSTGUITimer (
			    [this] (CVSTGUITimer*) {
				    if (scrollDirection != 0)
					    scrollBy (scrollDirection);
			    },
			    static_cast<uint32_t> (std::max (10, theme.scrollRepeatMilliseconds)), true));
		}
		else if (scrollDirection == 0 && timer)
		{
			timer->stop ();
			timer = nullptr;
		}
		return kMouseEventHandled;
	}

	CMouseEventResult onMouseCancel () override
	{
		pressedIndex = -1;
		return kMouseEventHandled;
	}

	bool onWheel (const CPoint&, float distance, const CButtonState&) override
	{
		if (!scrollable || !std::isfinite (distance))
			return true;
		scrollBy (distance > 0 ? -3 : 3);
		return true;
	}

	int32_t onKeyDown (VstKeyCode& key) override
	{
		switch (key.virt)
		{
			case VKEY_ESCAPE: close (-1); return 1;
			case VKEY_RETURN:
			case VKEY_ENTER:
				if (selectable (hoverIndex))
					close (hoverIndex);
				return 1;
			case VKEY_UP: moveHover (-1); return 1;
			case VKEY_DOWN: moveHover (1); return 1;
			case VKEY_PAGEUP: scrollBy (-visibleRows); return 1;
			case VKEY_PAGEDOWN: scrollBy (visibleRows); return 1;
			default: return 1; // the pop-up is modal: keys stop here
		}
	}

	void looseFocus () override {}

	void scrollBy (int32_t rows)
	{
		const int32_t maxFirst = std::max (0, menu->getNbEntries () - visibleRows);
		const int32_t f = std::clamp (firstVisible + rows, 0, maxFirst);
		if (f != firstVisible)
		{
			firstVisible = f;
			invalid ();
		}
	}

	int32_t indexAt (const CPoint& where) const
	{
		if (scrollable && (upArrowRect ().pointInside (where) || downArrowRect ().pointInside (where)))
			return -1;
		for (int32_t row = 0; row < visibleRows; ++row)
			if (rowRect (row).pointInside (where))
			{
				const int32_t index = firstVisible + row;
				return index < menu->getNbEntries () ? index : -1;
			}
		return -1;
	}

	CRect rowRect (int32_t row) const
	{
		const CCoord top = listRect.top + theme.menuBorderWidth + (scrollable ? arrowHeight : 0.) + row * rowHeight;
		return CRect (listRect.left + theme.menuBorderWidth, top, listRect.right - theme.menuBorderWidth, top + rowHeight);
	}

	void close (int32_t chosen)
	{
		if (closed)
			return;
		closed = true;
		if (timer)
		{
			timer->stop ();
			timer = nullptr;
		}
		SharedPointer<CView> keepSelf (this);
		SharedPointer<COptionMenu> keepMenu (menu);
		if (auto parent = getParentContainer ())
			parent->removeView (this, true);
		keepMenu->popupClosed ();
		if (chosen >= 0)
			keepMenu->selectEntry (chosen);
	}

private:
	CCoord checkSpace () const { return rowHeight * 0.6; }

	CRect upArrowRect () const
	{
		return CRect (listRect.left, listRect.top, listRect.right, listRect.top + theme.menuBorderWidth + arrowHeight);
	}
	CRect downArrowRect () const
	{
		return CRect (listRect.left, listRect.bottom - theme.menuBorderWidth - arrowHeight, listRect.right,
		              listRect.bottom);
	}

	void drawArrow (CDrawContext* context, const CRect& r, bool up, bool enabled)
	{
		context->setFillColor (theme.backgroundColor);
		context->drawRect (r, kDrawFilled);
		context->setFillColor (enabled ? theme.textColor : theme.disabledTextColor);
		const CPoint c = r.getCenter ();
		const CCoord s = arrowHeight * 0.3;
		if (up)
			context->drawPolygon ({CPoint (c.x - s, c.y + s / 2), CPoint (c.x + s, c.y + s / 2), CPoint (c.x, c.y - s / 2)},
			                      kDrawFilled);
		else
			context->drawPolygon ({CPoint (c.x - s, c.y - s / 2), CPoint (c.x + s, c.y - s / 2), CPoint (c.x, c.y + s / 2)},
			                      kDrawFilled);
	}

	bool selectable (int32_t index) const
	{
		if (index < 0 || index >= menu->getNbEntries ())
			return false;
		CMenuItem* item = menu->getEntry (index);
		return !item->isSeparator () && item->isEnabled () && !item->isTitle ();
	}

	void moveHover (int32_t dir)
	{
		int32_t i = hoverIndex < 0 ? static_cast<int32_t> (std::lround (menu->getValue ())) : hoverIndex;
		for (int32_t n = 0; n < menu->getNbEntries (); ++n)
		{
			i += dir;
			if (i < 0 || i >= menu->getNbEntries ())
				return;
			if (selectable (i))
				break;
		}
		hoverIndex = i;
		if (hoverIndex < firstVisible)
			scrollBy (hoverIndex - firstVisible);
		else if (hoverIndex >= firstVisible + visibleRows)
			scrollBy (hoverIndex - (firstVisible + visibleRows) + 1);
		invalid ();
	}

	void layout (CFrame* frame)
	{
		const CFontDesc& f = theme.font ? *theme.font : *kNormalFont;
		CCoord ascent = 0., descent = 0.;
		FontMetrics::extents (f, ascent, descent);
		rowHeight = std::ceil (ascent + descent + 2. * theme.itemVerticalInset);
		arrowHeight = std::ceil (rowHeight * 0.75);
		CCoord width = 0.;
		for (int32_t i = 0; i < menu->getNbEntries (); ++i)
			width = std::max (width, FontMetrics::stringWidth (f, menu->getEntry (i)->getTitle ()));
		width += 2. * theme.itemHorizontalInset + checkSpace () + 2. * theme.menuBorderWidth;
		width = std::max (width, menu->getWidth ());
		const CRect frameRect = frame->getViewSize ();
		width = std::min (width, frameRect.getWidth ());

		const int32_t n = menu->getNbEntries ();
		CCoord height = n * rowHeight + 2. * theme.menuBorderWidth;
		scrollable = height > frameRect.getHeight ();
		if (scrollable)
		{
			height = frameRect.getHeight ();
			visibleRows = std::max<int32_t> (
			    1, static_cast<int32_t> ((height - 2. * theme.menuBorderWidth - 2. * arrowHeight) / rowHeight));
		}
		else
			visibleRows = n;

		CPoint origin = menu->getViewSize ().getBottomLeft ();
		menu->localToFrame (origin);
		CCoord left = std::clamp (origin.x, 0., std::max (0., frameRect.getWidth () - width));
		CCoord top = origin.y;
		if (top + height > frameRect.getHeight ())
			top = std::max (0., frameRect.getHeight () - height);
		listRect = CRect (left, top, left + width, top + height);

		const int32_t current = static_cast<int32_t> (std::lround (menu->getValue ()));
		firstVisible = 0;
		if (scrollable && current >= visibleRows)
			firstVisible = std::min (current - visibleRows / 2, n - visibleRows);
		firstVisible = std::max (0, firstVisible);
		hoverIndex = -1;
	}

	SharedPointer<COptionMenu> menu;
	GenericOptionMenuTheme theme;
	CRect listRect;
	CCoord rowHeight {18.};
	CCoord arrowHeight {14.};
	int32_t visibleRows {0};
	int32_t firstVisible {0};
	int32_t hoverIndex {-1};
	int32_t pressedIndex {-1};
	int32_t scrollDirection {0};
	bool scrollable {false};
	bool closed {false};
	SharedPointer<CVSTGUITimer> timer;
};

} // namespace

//------------------------------------------------------------------------
COptionMenu::COptionMenu (const CRect& s, IControlListener* l, int32_t t, CBitmap* bg, CBitmap* bgClick, int32_t st)
: CParamDisplay (s, bg, st), bgWhenClick (bgClick)
{
	listener = l;
	tag = t;
	vmax = 0.f;
	horiAlign = kLeftText;
}

COptionMenu::COptionMenu (const COptionMenu& o) : CParamDisplay (o), bgWhenClick (o.bgWhenClick)
{
	for (const auto& item : o.items)
		items.push_back (owned (new CMenuItem (item->getTitle (), item->getFlags ())));
}

COptionMenu::~COptionMenu () noexcept = default;

CMenuItem* COptionMenu::addEntry (const UTF8String& title, int32_t index, int32_t itemFlags)
{
	auto item = owned (new CMenuItem (title, itemFlags));
	CMenuItem* result = item.get ();
	if (index < 0 || index >= getNbEntries ())
		items.push_back (std::move (item));
	else
		items.insert (items.begin () + index, std::move (item));
	vmax = static_cast<float> (std::max (0, getNbEntries () - 1));
	invalid ();
	return result;
}

CMenuItem* COptionMenu::addSeparator (int32_t index) { return addEntry ("-", index, CMenuItem::kSeparator); }

bool COptionMenu::removeEntry (int32_t index)
{
	if (index < 0 || index >= getNbEntries ())
		return false;
	items.erase (items.begin () + index);
	vmax = static_cast<float> (std::max (0, getNbEntries () - 1));
	bounceValue ();
	invalid ();
	return true;
}

bool COptionMenu::removeAllEntry ()
{
	items.clear ();
	value = 0.f;
	vmax = 0.f;
	invalid ();
	return true;
}

CMenuItem* COptionMenu::getEntry (int32_t index) const
{
	return index >= 0 && index < getNbEntries () ? items[static_cast<size_t> (index)].get () : nullptr;
}

int32_t COptionMenu::indexWithSeparators (int32_t withoutSeparators) const
{
	if (withoutSeparators < 0)
		return -1;
	int32_t count = 0;
	for (int32_t i = 0; i < getNbEntries (); ++i)
	{
		if (items[static_cast<size_t> (i)]->isSeparator ())
			continue;
		if (count == withoutSeparators)
			return i;
		++count;
	}
	return -1;
}

int32_t COptionMenu::indexWithoutSeparators (int32_t withSeparators) const
{
	if (withSeparators < 0 || withSeparators >= getNbEntries ())
		return -1;
	int32_t count = 0;
	for (int32_t i = 0; i < withSeparators; ++i)
		if (!items[static_cast<size_t> (i)]->isSeparator ())
			++count;
	return count;
}

int32_t COptionMenu::getCurrentIndex (bool countSeparator) const
{
	const int32_t raw = static_cast<int32_t> (std::lround (value));
	if (raw < 0 || raw >= getNbEntries ())
		return -1;
	return countSeparator ? raw : indexWithoutSeparators (raw);
}

CMenuItem* COptionMenu::getCurrent () const { return getEntry (getCurrentIndex (true)); }

bool COptionMenu::setCurrent (int32_t index, bool countSeparator)
{
	const int32_t raw = countSeparator ? index : indexWithSeparators (index);
	if (raw < 0 || raw >= getNbEntries () || items[static_cast<size_t> (raw)]->isSeparator ())
		return false;
	value = static_cast<float> (raw);
	invalid ();
	return true;
}

void COptionMenu::setValue (float val)
{
	if (!std::isfinite (val))
		return;
	const int32_t raw = static_cast<int32_t> (std::lround (val));
	if (getNbEntries () > 0 && (raw < 0 || raw >= getNbEntries ()))
		return;
	CParamDisplay::setValue (static_cast<float> (raw));
}

std::string COptionMenu::getDisplayText () const
{
	CMenuItem* item = getCurrent ();
	return item && !item->isSeparator () ? item->getTitle () : std::string ();
}

void COptionMenu::draw (CDrawContext* context)
{
	if (popupView && bgWhenClick)
	{
		bgWhenClick->draw (context, size);
		drawText (context, getDisplayText (), size);
		setDirty (false);
		return;
	}
	CParamDisplay::draw (context);
}

CMouseEventResult COptionMenu::onMouseDown (CPoint&, const CButtonState& buttons)
{
	if (!(buttons & kLButton))
		return kMouseEventNotHandled;
	popup ();
	return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

bool COptionMenu::popup ()
{
	CFrame* frame = getFrame ();
	if (!frame || items.empty () || popupView)
		return false;
	GenericOptionMenuTheme theme;
	if (auto pf = frame->getPlatformFrame ())
		theme = pf->getGenericOptionMenuTheme ();
	auto* view = new GenericMenuPopup (this, frame, theme);
	popupView = view;
	frame->addView (view);
	frame->setFocusView (view);
	invalid ();
	return true;
}

void COptionMenu::popupClosed ()
{
	popupView = nullptr;
	invalid ();
}

void COptionMenu::selectEntry (int32_t index)
{
	if (index < 0 || index >= getNbEntries () || items[static_cast<size_t> (index)]->isSeparator ())
		return;
	SharedPointer<CView> keep (this);
	beginEdit ();
	setValue (static_cast<float> (index));
	valueChanged ();
	endEdit ();
	invalid ();
}

} // namespace VSTGUI
