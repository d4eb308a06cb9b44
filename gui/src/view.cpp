// Views, containers, the frame and off-screen rendering of them.
#include "vstgui/lib/coffscreen.h"
#include "vstgui/lib/controls.h"
#include "vstgui/lib/cview.h"
#include "vstgui/lib/cvstguitimer.h"

#include <cairo.h>

namespace VSTGUI {

//------------------------------------------------------------------------
CView::CView (const CRect& s) : size (s), mouseableArea (s) {}

CView::CView (const CView& o)
: CBaseObject (), size (o.size), mouseableArea (o.mouseableArea), dirty (false), visible (o.visible),
  mouseEnabled (o.mouseEnabled), transparent (o.transparent), alphaValue (o.alphaValue), tooltip (o.tooltip),
  background (o.background)
{
}

CView::~CView () noexcept = default;

void CView::draw (CDrawContext* context)
{
	if (background && context)
		background->draw (context, size);
	setDirty (false);
}

void CView::drawRect (CDrawContext* context, const CRect& /*updateRect*/) { draw (context); }

void CView::setDirty (bool state)
{
	dirty = state;
	if (state)
		CView::invalidRect (size);
}

void CView::invalidRect (const CRect& rect)
{
	if (parentView)
		parentView->invalidRect (rect);
}

void CView::invalid ()
{
	setDirty (false);
	CView::invalidRect (size);
}

void CView::setViewSize (const CRect& rect, bool invalidate)
{
	if (rect == size)
		return;
	if (invalidate)
		CView::invalidRect (size);
	if (mouseableArea == size)
		mouseableArea = rect;
	size = rect;
	if (invalidate)
		setDirty (true);
}

CPoint& CView::localToFrame (CPoint& point) const
{
	for (CView* p = parentView; p && p->parentView; p = p->parentView)
		point.offset (p->size.left, p->size.top);
	return point;
}

CPoint& CView::frameToLocal (CPoint& point) const
{
	for (CView* p = parentView; p && p->parentView; p = p->parentView)
		point.offset (-p->size.left, -p->size.top);
	return point;
}

bool CView::hitTest (const CPoint& where, const CButtonState&) { return mouseableArea.pointInside (where); }

void CView::setVisible (bool state)
{
	if (visible == state)
		return;
	if (!state)
		CView::invalidRect (size);
	visible = state;
	if (state)
		CView::invalidRect (size);
	if (!state)
		dropFocusInside ();
}

// The focus may not stay with a view that is hidden or leaves the tree, nor inside one.
void CView::dropFocusInside ()
{
	CFrame* frame = getFrame ();
	if (!frame || !frame->getFocusView ())
		return;
	CView* focus = frame->getFocusView ();
	auto* container = dynamic_cast<CViewContainer*> (this);
	if (focus == this || (container && container->isChild (focus, true)))
		frame->setFocusView (nullptr);
}

void CView::setAlphaValue (float alpha)
{
	if (!std::isfinite (alpha))
		return;
	alpha = std::clamp (alpha, 0.f, 1.f);
	if (alpha != alphaValue)
	{
		alphaValue = alpha;
		CView::invalidRect (size);
	}
}

CMouseEventResult CView::onMouseDown (CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseUp (CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseMoved (CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseCancel () { return kMouseEventNotImplemented; }
CMouseEventResult CView::onMouseExited (CPoint&, const CButtonState&) { return kMouseEventNotImplemented; }

void CView::setTooltipText (const UTF8String& text)
{
	if (tooltip == text.getString ())
		return;
	tooltip = text.getString ();
	if (CFrame* frame = getFrame ())
		frame->tooltipTextChanged (this);
}
bool CView::onWheel (const CPoint&, float, const CButtonState&) { return false; }
int32_t CView::onKeyDown (VstKeyCode&) { return -1; }
int32_t CView::onKeyUp (VstKeyCode&) { return -1; }

bool CView::attached (CView* parent)
{
	parentView = parent;
	return true;
}

bool CView::removed (CView*)
{
	dropFocusInside ();
	if (CFrame* frame = getFrame ())
		frame->viewWillBeRemoved (this);
	parentView = nullptr;
	return true;
}

CViewContainer* CView::getParentContainer () const { return dynamic_cast<CViewContainer*> (parentView); }

CFrame* CView::getFrame () const
{
	const CView* v = this;
	while (v->parentView)
		v = v->parentView;
	return dynamic_cast<CFrame*> (const_cast<CView*> (v));
}

void CView::setBackground (CBitmap* bitmap)
{
	background = bitmap;
	setDirty (true);
}

//------------------------------------------------------------------------
CViewContainer::CViewContainer (const CRect& s) : CView (s) {}

CViewContainer::CViewContainer (const CViewContainer& o) : CView (o), backgroundColor (o.backgroundColor)
{
	for (const auto& child : o.children)
		if (auto copy = child->newCopy ())
			addView (copy);
}

CViewContainer::~CViewContainer () noexcept
{
	mouseDownView = nullptr;
	removeAll (true);
}

bool CViewContainer::addView (CView* view) { return addView (view, nullptr); }

bool CViewContainer::addView (CView* view, CView* before)
{
	if (!view || view == this || view->isAttached ())
		return false;
	auto it = children.end ();
	if (before)
		it = std::find_if (children.begin (), children.end (), [&] (const auto& c) { return c.get () == before; });
	children.insert (it, owned (view));
	view->attached (this);
	view->invalid ();
	return true;
}

bool CViewContainer::removeView (CView* view, bool withForget)
{
	auto it = std::find_if (children.begin (), children.end (), [&] (const auto& c) { return c.get () == view; });
	if (it == children.end ())
		return false;
	SharedPointer<CView> keep = *it;
	invalidRect (view->getViewSize ());
	if (mouseDownView == view)
		mouseDownView = nullptr;
	children.erase (it);
	view->removed (this);
	if (!withForget)
		view->remember (); // the caller takes over the container's reference
	return true;
}

bool CViewContainer::removeAll (bool withForget)
{
	mouseDownView = nullptr;
	auto old = std::move (children);
	children.clear ();
	for (auto& v : old)
	{
		v->removed (this);
		if (!withForget)
			v->remember ();
	}
	return true;
}

bool CViewContainer::isChild (CView* view, bool deep) const
{
	for (const auto& c : children)
	{
		if (c.get () == view)
			return true;
		if (deep)
			if (auto cont = c.cast<CViewContainer> (); cont && cont->isChild (view, true))
				return true;
	}
	return false;
}

CView* CViewContainer::getView (uint32_t index) const
{
	return index < children.size () ? children[index].get () : nullptr;
}

CView* CViewContainer::getViewAt (const CPoint& where, bool mouseEnabledOnly) const
{
	for (auto it = children.rbegin (); it != children.rend (); ++it)
	{
		const auto& v = *it;
		if (v->isVisible () && (!mouseEnabledOnly || v->getMouseEnabled ()) && v->getViewSize ().pointInside (where))
			return v.get ();
	}
	return nullptr;
}

void CViewContainer::setBackgroundColor (const CColor& color)
{
	backgroundColor = color;
	setDirty (true);
}

void CViewContainer::draw (CDrawContext* context) { drawRect (context, size); }

void CViewContainer::drawBackgroundRect (CDrawContext* context, const CRect& rect)
{
	if (background)
	{
		CRect r (0, 0, size.getWidth (), size.getHeight ());
		background->draw (context, r);
	}
	else if (backgroundColor.alpha > 0 && !transparent)
	{
		context->setFillColor (backgroundColor);
		context->drawRect (rect, kDrawFilled);
	}
}

// Only the clip and the alpha are put back between children: like the library this one
// mirrors, other state (line width, colours, font) carries over from one sibling to the next.
void CViewContainer::drawRect (CDrawContext* context, const CRect& updateRect)
{
	if (!context)
		return;
	CRect oldClip;
	context->getClipRect (oldClip);
	CRect visibleRect = size;
	visibleRect.bound (oldClip);
	visibleRect.bound (updateRect);
	if (visibleRect.isEmpty ())
		return;
	{
		CDrawContext::Transform t (*context, CGraphicsTransform ().translate (size.left, size.top));
		CRect local = visibleRect;
		local.offset (-size.left, -size.top);
		context->setClipRect (local);
		drawBackgroundRect (context, local);
		const float alpha = context->getGlobalAlpha ();
		auto snapshot = children;
		for (const auto& child : snapshot)
		{
			if (!child->isVisible () || child->getAlphaValue () <= 0.f)
				continue;
			CRect childClip = child->getViewSize ();
			childClip.bound (local);
			if (childClip.isEmpty ())
				continue;
			context->setClipRect (childClip);
			context->setGlobalAlpha (alpha * child->getAlphaValue ());
			child->drawRect (context, childClip);
			context->setGlobalAlpha (alpha);
		}
		context->setClipRect (local);
	}
	context->setClipRect (oldClip);
	CView::setDirty (false);
}

void CViewContainer::invalidRect (const CRect& rect)
{
	CRect r = rect;
	r.offset (size.left, size.top);
	r.bound (size);
	if (!r.isEmpty ())
		CView::invalidRect (r);
}

void CViewContainer::setDirty (bool state)
{
	dirty = state;
	if (state)
		invalidRect (CRect (0, 0, size.getWidth (), size.getHeight ()));
}

bool CViewContainer::hitTest (const CPoint& where, const CButtonState& buttons)
{
	return CView::hitTest (where, buttons);
}

CMouseEventResult CViewContainer::onMouseDown (CPoint& where, const CButtonState& buttons)
{
	CPoint local (where.x - size.left, where.y - size.top);
	auto snapshot = children;
	for (auto it = snapshot.rbegin (); it != snapshot.rend (); ++it)
	{
		const auto& v = *it;
		if (!v->isVisible () || !v->getMouseEnabled () || !v->hitTest (local, buttons))
			continue;
		CPoint p = local;
		const CMouseEventResult result = v->onMouseDown (p, buttons);
		if (result != kMouseEventNotHandled && result != kMouseEventNotImplemented)
		{
			// A view that left the tree during its own down is not captured.
			if (result == kMouseEventHandled && isChild (v.get ()))
				mouseDownView = v;
			return result;
		}
		if (!v->getTransparency ())
			return kMouseEventNotHandled;
	}
	return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseUp (CPoint& where, const CButtonState& buttons)
{
	if (!mouseDownView)
		return kMouseEventNotHandled;
	auto keep = std::move (mouseDownView);
	mouseDownView = nullptr;
	if (!isChild (keep.get ()))
		return kMouseEventNotHandled;
	CPoint p (where.x - size.left, where.y - size.top);
	return keep->onMouseUp (p, buttons);
}

CMouseEventResult CViewContainer::onMouseMoved (CPoint& where, const CButtonState& buttons)
{
	CPoint local (where.x - size.left, where.y - size.top);
	if (mouseDownView)
	{
		auto keep = mouseDownView;
		if (!isChild (keep.get ()))
		{
			mouseDownView = nullptr;
			return kMouseEventNotHandled;
		}
		CPoint p = local;
		const CMouseEventResult result = keep->onMouseMoved (p, buttons);
		if (result == kMouseMoveEventHandledButDontNeedMoreEvents)
		{
			// Every level up the chain lets go as well.
			if (mouseDownView == keep.get ())
				mouseDownView = nullptr;
		}
		return result;
	}
	auto snapshot = children;
	for (auto it = snapshot.rbegin (); it != snapshot.rend (); ++it)
	{
		const auto& v = *it;
		if (!v->isVisible () || !v->getMouseEnabled () || !v->hitTest (local, buttons))
			continue;
		CPoint p = local;
		const CMouseEventResult result = v->onMouseMoved (p, buttons);
		if (result != kMouseEventNotHandled && result != kMouseEventNotImplemented)
			return result;
		if (!v->getTransparency ())
			return kMouseEventNotHandled;
	}
	return kMouseEventNotHandled;
}

CMouseEventResult CViewContainer::onMouseCancel ()
{
	if (!mouseDownView)
		return kMouseEventNotHandled;
	auto keep = std::move (mouseDownView);
	mouseDownView = nullptr;
	keep->onMouseCancel ();
	return kMouseEventHandled;
}

bool CViewContainer::onWheel (const CPoint& where, float distance, const CButtonState& buttons)
{
	CPoint local (where.x - size.left, where.y - size.top);
	auto snapshot = children;
	for (auto it = snapshot.rbegin (); it != snapshot.rend (); ++it)
	{
		const auto& v = *it;
		if (!v->isVisible () || !v->getMouseEnabled () || !v->hitTest (local, buttons))
			continue;
		if (v->onWheel (local, distance, buttons))
			return true;
		if (!v->getTransparency ())
			return false;
	}
	return false;
}

bool CViewContainer::attached (CView* parent) { return CView::attached (parent); }

bool CViewContainer::removed (CView* parent)
{
	mouseDownView = nullptr;
	return CView::removed (parent);
}

//------------------------------------------------------------------------
namespace {
class OffscreenPlatformFrame : public IPlatformFrame
{
public:
	void invalidRect (const CRect&) override {}
	void setSize (const CRect&) override {}
	PlatformType getPlatformType () const override { return PlatformType::kOffscreen; }
};
} // namespace

struct CFrame::Tooltip
{
	uint32_t delay {500};
	SharedPointer<CVSTGUITimer> timer;
	SharedPointer<CView> owner; // the view whose text is (to be) shown
	CPoint pointer;             // last position seen, frame coordinates
	CPoint restPoint;           // where the current wait began
	bool visible {false};
	std::string text;
	CRect rect;
};

namespace {
// Colours and metrics of the tooltip box.
constexpr CColor kTooltipBack {24, 28, 32, 240};
constexpr CColor kTooltipFrame {96, 104, 112, 255};
constexpr CColor kTooltipText {232, 236, 240, 255};
constexpr CCoord kTooltipPaddingX = 5.;
constexpr CCoord kTooltipPaddingY = 3.;
constexpr CCoord kTooltipBelowPointer = 20.; // clears the pointer's arrow
constexpr CCoord kTooltipRestDistance = 2.;  // moves within this distance still count as resting

std::vector<std::string> tooltipLines (const std::string& text)
{
	std::vector<std::string> lines;
	size_t start = 0;
	while (true)
	{
		const size_t end = text.find ('\n', start);
		lines.push_back (text.substr (start, end == std::string::npos ? std::string::npos : end - start));
		if (end == std::string::npos)
			break;
		start = end + 1;
	}
	return lines;
}
} // namespace

CFrame::CFrame (const CRect& s, VSTGUIEditorInterface* e) : CViewContainer (CRect (0, 0, s.getWidth (), s.getHeight ())), editor (e)
{
	backgroundColor = kBlackCColor;
}

CFrame::~CFrame () noexcept
{
	focusView = nullptr;
	mouseDownView = nullptr;
	removeAll (true);
	tooltip = nullptr; // its timer's callback knows this frame
}

void CFrame::enableTooltips (bool state, uint32_t delayTimeInMs)
{
	if (!state)
	{
		if (tooltip)
			hideTooltip ();
		tooltip = nullptr;
		return;
	}
	if (!tooltip)
	{
		tooltip = std::make_unique<Tooltip> ();
		// Started only while the pointer rests on a view with a tooltip.
		tooltip->timer = makeOwned<CVSTGUITimer> (
		    [this] (CVSTGUITimer* t) {
			    t->stop ();
			    showTooltip ();
		    },
		    std::max<uint32_t> (1, delayTimeInMs), false);
	}
	tooltip->delay = std::max<uint32_t> (1, delayTimeInMs);
	tooltip->timer->setFireTime (tooltip->delay);
}

bool CFrame::isTooltipVisible () const { return tooltip && tooltip->visible; }

const std::string& CFrame::getVisibleTooltipText () const
{
	static const std::string none;
	return isTooltipVisible () ? tooltip->text : none;
}

CRect CFrame::getTooltipRect () const { return isTooltipVisible () ? tooltip->rect : CRect (); }

// The innermost view under the point, down the same path as the mouse, that has a tooltip.
CView* CFrame::tooltipOwnerAt (const CPoint& where) const
{
	CView* found = nullptr;
	const CViewContainer* container = this;
	CPoint p = where;
	while (container)
	{
		CView* child = container->getViewAt (p, true);
		if (!child)
			break;
		if (!child->getTooltipText ().empty ())
			found = child;
		container = dynamic_cast<const CViewContainer*> (child);
		if (container)
			p.offset (-child->getViewSize ().left, -child->getViewSize ().top);
	}
	return found;
}

void CFrame::trackTooltip (const CPoint& where, const CButtonState& buttons)
{
	if (!tooltip)
		return;
	tooltip->pointer = where;
	if (buttons.getButtonState () != 0)
	{
		hideTooltip (); // a drag shows none
		tooltip->restPoint = where;
		return;
	}
	CView* owner = tooltipOwnerAt (where);
	if (owner != tooltip->owner.get ())
	{
		hideTooltip ();
		tooltip->owner = owner;
		tooltip->restPoint = where;
		if (owner)
			tooltip->timer->start ();
		return;
	}
	if (!owner || tooltip->visible)
		return;
	// Waiting: a real move starts the wait again.
	if (std::fabs (where.x - tooltip->restPoint.x) > kTooltipRestDistance ||
	    std::fabs (where.y - tooltip->restPoint.y) > kTooltipRestDistance || !tooltip->timer->isRunning ())
	{
		tooltip->restPoint = where;
		tooltip->timer->stop ();
		tooltip->timer->start ();
	}
}

void CFrame::showTooltip ()
{
	if (!tooltip || !tooltip->owner)
		return;
	CView* owner = tooltip->owner.get ();
	if (owner->getFrame () != this || !owner->isVisible () || owner->getTooltipText ().empty ())
		return;
	tooltip->text = owner->getTooltipText ();
	tooltip->visible = true;
	layoutTooltip ();
}

void CFrame::layoutTooltip ()
{
	if (!tooltip->rect.isEmpty ())
		invalidRect (tooltip->rect);
	const CFontDesc& font = *kNormalFontSmall;
	CCoord ascent = 0., descent = 0.;
	FontMetrics::extents (font, ascent, descent);
	const auto lines = tooltipLines (tooltip->text);
	CCoord textWidth = 0.;
	for (const auto& l : lines)
		textWidth = std::max (textWidth, FontMetrics::stringWidth (font, l));
	const CCoord lineHeight = std::ceil (ascent + descent) + 1.;
	const CCoord w = std::ceil (textWidth) + 2. * kTooltipPaddingX;
	const CCoord h = lineHeight * static_cast<CCoord> (lines.size ()) + 2. * kTooltipPaddingY;
	const CPoint& p = tooltip->pointer;
	CCoord left = std::round (p.x), top = std::round (p.y + kTooltipBelowPointer);
	if (top + h > size.getHeight ())
		top = std::round (p.y - h - kTooltipRestDistance * 2.); // above the pointer when there is no room below
	left = std::max (0., std::min (left, size.getWidth () - w));
	top = std::max (0., std::min (top, size.getHeight () - h));
	tooltip->rect = CRect (left, top, left + w, top + h);
	invalidRect (tooltip->rect);
}

void CFrame::hideTooltip ()
{
	if (!tooltip)
		return;
	tooltip->timer->stop ();
	if (tooltip->visible)
	{
		tooltip->visible = false;
		invalidRect (tooltip->rect);
	}
	tooltip->rect = CRect ();
	tooltip->text.clear ();
}

void CFrame::tooltipTextChanged (CView* view)
{
	if (!tooltip || view != tooltip->owner.get ())
		return;
	if (view->getTooltipText ().empty ())
	{
		hideTooltip ();
		return;
	}
	if (tooltip->visible)
	{
		tooltip->text = view->getTooltipText ();
		layoutTooltip (); // near the pointer, which may have moved on to another part of the view
	}
}

void CFrame::viewWillBeRemoved (CView* view)
{
	if (!tooltip || !tooltip->owner)
		return;
	auto* container = dynamic_cast<CViewContainer*> (view);
	if (tooltip->owner.get () == view || (container && container->isChild (tooltip->owner, true)))
	{
		hideTooltip ();
		tooltip->owner = nullptr;
	}
}

void CFrame::drawRect (CDrawContext* context, const CRect& updateRect)
{
	CViewContainer::drawRect (context, updateRect);
	if (!context || !isTooltipVisible ())
		return;
	CRect r = tooltip->rect;
	CRect clip = r;
	clip.bound (updateRect);
	if (clip.isEmpty ())
		return;
	context->saveGlobalState ();
	CRect oldClip;
	context->getClipRect (oldClip);
	clip.bound (oldClip);
	context->setClipRect (clip);
	context->setGlobalAlpha (1.f);
	context->setLineStyle (kLineSolid);
	context->setFillColor (kTooltipBack);
	context->drawRect (r, kDrawFilled);
	context->setLineWidth (1.);
	context->setFrameColor (kTooltipFrame);
	CRect border = r;
	border.inset (0.5, 0.5);
	context->drawRect (border, kDrawStroked);
	context->setFont (kNormalFontSmall);
	context->setFontColor (kTooltipText);
	CCoord ascent = 0., descent = 0.;
	FontMetrics::extents (*kNormalFontSmall, ascent, descent);
	const CCoord lineHeight = std::ceil (ascent + descent) + 1.;
	CCoord y = r.top + kTooltipPaddingY;
	for (const auto& line : tooltipLines (tooltip->text))
	{
		context->drawString (line.c_str (), CRect (r.left + kTooltipPaddingX, y, r.right - kTooltipPaddingX, y + lineHeight),
		                     kLeftText);
		y += lineHeight;
	}
	context->restoreGlobalState ();
}

bool CFrame::open (void* /*parent*/, PlatformType type)
{
	if (platformFrame)
		return false;
	if (type != PlatformType::kOffscreen)
		return false; // real windows are made by the platform layer (setPlatformFrame)
	platformFrame = std::make_unique<OffscreenPlatformFrame> ();
	return true;
}

void CFrame::setPlatformFrame (std::unique_ptr<IPlatformFrame> pf) { platformFrame = std::move (pf); }

void CFrame::close ()
{
	if (inClose)
		return;
	inClose = true;
	if (tooltip)
	{
		hideTooltip ();
		tooltip->owner = nullptr;
	}
	onMouseCancel ();
	setFocusView (nullptr);
	updateKeyboardFocus (); // given back even if the focus view is kept
	removeAll (true);
	platformFrame.reset ();
	forget ();
}

bool CFrame::setZoom (double zoomFactor)
{
	if (!std::isfinite (zoomFactor) || zoomFactor <= 0.)
		return false;
	zoom = zoomFactor;
	if (platformFrame)
		platformFrame->setSize (CRect (0, 0, size.getWidth () * zoom, size.getHeight () * zoom));
	invalid ();
	return true;
}

void CFrame::setFocusView (CView* view)
{
	if (view == focusView)
		return;
	CView* old = focusView;
	focusView = view;
	if (old)
		old->looseFocus ();
	// The old view may have moved the focus itself while letting it go.
	if (focusView == view && view)
		view->takeFocus ();
	updateKeyboardFocus ();
}

void CFrame::updateKeyboardFocus ()
{
	auto* edit = dynamic_cast<CTextEdit*> (focusView);
	const bool want = edit && edit->isEditingText () && !inClose;
	if (want == keyboardFocus)
		return;
	keyboardFocus = want;
	if (platformFrame)
		platformFrame->setKeyboardFocus (want);
}

void CFrame::invalidRect (const CRect& rect)
{
	CRect r = rect;
	r.bound (size);
	if (r.isEmpty ())
		return;
	dirtyRect.unite (r);
	if (platformFrame)
		platformFrame->invalidRect (r);
}

namespace {
// The smallest rectangle of whole device pixels around r (r in the context's local coordinates).
CRect roundOutToDevicePixels (const CDrawContext& context, const CRect& r)
{
	const CGraphicsTransform& t = context.getCurrentTransform ();
	CRect device = r;
	t.transform (device);
	device = CRect (std::floor (device.left), std::floor (device.top), std::ceil (device.right),
	                std::ceil (device.bottom));
	t.inverse ().transform (device);
	return device;
}
} // namespace

void CFrame::drawFrame (CDrawContext* context, const CRect* updateRect)
{
	if (!context)
		return;
	CRect r = updateRect ? *updateRect : size;
	r.bound (size);
	if (r.isEmpty ())
	{
		clearDirtyRect ();
		return;
	}
	// A clip edge inside a device pixel would blend the new picture with what the pixel held
	// before (black in a window's fresh image) and leave a dark seam: the repaint covers whole
	// pixels, and views draw into them exactly as in a full repaint.
	r = roundOutToDevicePixels (*context, r);
	CRect oldClip;
	context->getClipRect (oldClip);
	CRect clip = r;
	clip.bound (oldClip);
	context->setClipRect (clip);
	drawRect (context, r);
	context->setClipRect (oldClip);
	clearDirtyRect ();
}

CMouseEventResult CFrame::onMouseDown (CPoint& where, const CButtonState& buttons)
{
	if (tooltip)
	{
		hideTooltip (); // and shown again only after the pointer moved and rested
		tooltip->restPoint = where;
	}
	// A down without the up of the previous one (the up went elsewhere): end that first.
	if (mouseDownView)
		onMouseCancel ();
	if (focusView)
	{
		CRect focusRect = focusView->getViewSize ();
		CPoint tl = focusRect.getTopLeft ();
		focusView->localToFrame (tl);
		focusRect.moveTo (tl);
		if (!focusRect.pointInside (where))
			setFocusView (nullptr);
	}
	return CViewContainer::onMouseDown (where, buttons);
}

CMouseEventResult CFrame::onMouseUp (CPoint& where, const CButtonState& buttons)
{
	return CViewContainer::onMouseUp (where, buttons);
}

CMouseEventResult CFrame::onMouseMoved (CPoint& where, const CButtonState& buttons)
{
	const CPoint at = where;
	SharedPointer<CFrame> keep (this); // a view's move may close the editor
	const CMouseEventResult result = CViewContainer::onMouseMoved (where, buttons);
	// After the views: a move may have changed their tooltip texts.
	trackTooltip (at, buttons);
	return result;
}

CMouseEventResult CFrame::onMouseExited (CPoint&, const CButtonState&)
{
	if (tooltip)
	{
		hideTooltip ();
		tooltip->owner = nullptr;
	}
	return kMouseEventHandled;
}

CMouseEventResult CFrame::onMouseCancel () { return CViewContainer::onMouseCancel (); }

int32_t CFrame::onKeyDown (VstKeyCode& keyCode)
{
	if (focusView)
	{
		SharedPointer<CView> keep (focusView);
		return keep->onKeyDown (keyCode);
	}
	return -1;
}

int32_t CFrame::onKeyUp (VstKeyCode& keyCode)
{
	if (focusView)
	{
		SharedPointer<CView> keep (focusView);
		return keep->onKeyUp (keyCode);
	}
	return -1;
}

bool CFrame::onTextInput (const std::string& utf8)
{
	if (!focusView)
		return false;
	SharedPointer<CView> keep (focusView);
	if (auto edit = keep.cast<CTextEdit> ())
	{
		edit->insertText (utf8);
		return true;
	}
	const std::string clean = sanitizeUTF8 (utf8);
	bool handled = false;
	for (size_t i = 0; i < clean.size ();)
	{
		const auto c = static_cast<unsigned char> (clean[i]);
		int len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
		int32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
		for (int k = 1; k < len; ++k)
			cp = (cp << 6) | (static_cast<unsigned char> (clean[i + static_cast<size_t> (k)]) & 0x3F);
		i += static_cast<size_t> (len);
		VstKeyCode key;
		key.character = cp;
		handled = keep->onKeyDown (key) == 1 || handled;
	}
	return handled;
}

bool CFrame::removed (CView* parent) { return CViewContainer::removed (parent); }

CView* CFrame::getCapturedView () const
{
	CView* v = mouseDownView.get ();
	while (auto c = dynamic_cast<CViewContainer*> (v))
	{
		if (!c->getMouseDownView ())
			break;
		v = c->getMouseDownView ();
	}
	return v;
}

//------------------------------------------------------------------------
std::unique_ptr<COffscreenImage> renderView (CView* view, double zoom)
{
	if (!view)
		return nullptr;
	if (!std::isfinite (zoom) || zoom <= 0.)
		zoom = 1.;
	const CRect vs = view->getViewSize ();
	const double dw = std::ceil (vs.getWidth () * zoom - 1e-9);
	const double dh = std::ceil (vs.getHeight () * zoom - 1e-9);
	// Checked as doubles: a huge size would not fit an int, and cairo cannot draw it anyway.
	if (!std::isfinite (dw) || !std::isfinite (dh) || dw > kMaxSurfaceSize || dh > kMaxSurfaceSize)
		return nullptr;
	auto image = std::make_unique<COffscreenImage> (static_cast<int> (dw), static_cast<int> (dh));
	if (!image->isValid ())
		return nullptr;
	cairo_t* cr = cairo_create (image->getSurface ());
	if (cairo_status (cr) != CAIRO_STATUS_SUCCESS)
	{
		cairo_destroy (cr);
		return nullptr;
	}
	{
		CairoDrawContext context (cr, CRect (0, 0, vs.getWidth (), vs.getHeight ()), zoom);
		CDrawContext::Transform t (context, CGraphicsTransform ().translate (-vs.left, -vs.top));
		context.setClipRect (vs);
		context.setGlobalAlpha (view->getAlphaValue ());
		if (view->isVisible ())
			view->drawRect (&context, vs);
	}
	cairo_destroy (cr);
	cairo_surface_flush (image->getSurface ());
	return image;
}

std::unique_ptr<COffscreenImage> renderFrame (CFrame* frame)
{
	if (!frame)
		return nullptr;
	auto image = renderView (frame, frame->getZoom ());
	frame->clearDirtyRect ();
	return image;
}

bool renderViewToPNG (CView* view, double zoom, const std::string& path)
{
	auto image = renderView (view, zoom);
	return image && image->writePNG (path);
}

} // namespace VSTGUI
