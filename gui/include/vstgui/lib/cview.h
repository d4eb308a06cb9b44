// The view tree: views, containers and the frame at the root.
#pragma once

#include "cdrawcontext.h"
#include "cgraphics.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace VSTGUI {

class CViewContainer;
class CFrame;

class CView : public CBaseObject
{
public:
	explicit CView (const CRect& size);
	CView (const CView& other);
	~CView () noexcept override;

	// --- drawing ---
	// Draws in the parent's coordinates (the context is translated to the parent's origin).
	virtual void draw (CDrawContext* context);
	virtual void drawRect (CDrawContext* context, const CRect& updateRect);
	virtual bool checkUpdate (const CRect& updateRect) const { return updateRect.rectOverlap (size); }

	// Marks the view clean (false) or dirty (true: also invalidates its whole rectangle).
	virtual void setDirty (bool state = true);
	bool isDirty () const { return dirty; }
	// Asks for a redraw of rect (parent coordinates).
	virtual void invalidRect (const CRect& rect);
	// setDirty (false), then invalidRect of the whole view.
	virtual void invalid ();

	// --- geometry ---
	const CRect& getViewSize () const { return size; }
	virtual void setViewSize (const CRect& rect, bool invalidate = true);
	const CRect& getMouseableArea () const { return mouseableArea; }
	virtual void setMouseableArea (const CRect& rect) { mouseableArea = rect; }
	CCoord getWidth () const { return size.getWidth (); }
	CCoord getHeight () const { return size.getHeight (); }
	CPoint& localToFrame (CPoint& point) const; // parent coordinates of this view -> frame
	CPoint& frameToLocal (CPoint& point) const; // frame -> parent coordinates of this view
	virtual bool hitTest (const CPoint& where, const CButtonState& buttons = -1);

	// --- flags ---
	virtual void setVisible (bool state);
	bool isVisible () const { return visible; }
	virtual void setMouseEnabled (bool state) { mouseEnabled = state; }
	bool getMouseEnabled () const { return mouseEnabled; }
	virtual void setTransparency (bool state) { transparent = state; }
	bool getTransparency () const { return transparent; }
	virtual void setAlphaValue (float alpha);
	float getAlphaValue () const { return alphaValue; }
	virtual bool wantsFocus () const { return false; }

	// Shown by the frame after the pointer rested on the view (when the frame has tooltips on);
	// a change shows at once in a visible tooltip, an empty text hides it.
	void setTooltipText (const UTF8String& text);
	const std::string& getTooltipText () const { return tooltip; }

	// --- mouse and keyboard (points in parent coordinates) ---
	virtual CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons);
	virtual CMouseEventResult onMouseUp (CPoint& where, const CButtonState& buttons);
	virtual CMouseEventResult onMouseMoved (CPoint& where, const CButtonState& buttons);
	virtual CMouseEventResult onMouseCancel ();
	// The pointer left the view (the frame: left the window).
	virtual CMouseEventResult onMouseExited (CPoint& where, const CButtonState& buttons);
	virtual bool onWheel (const CPoint& where, float distance, const CButtonState& buttons);
	// 1 when handled, -1 when not.
	virtual int32_t onKeyDown (VstKeyCode& keyCode);
	virtual int32_t onKeyUp (VstKeyCode& keyCode);
	virtual void takeFocus () {}
	virtual void looseFocus () {}

	// --- tree ---
	virtual bool attached (CView* parent);
	virtual bool removed (CView* parent);
	bool isAttached () const { return parentView != nullptr; }
	CView* getParentView () const { return parentView; }
	CViewContainer* getParentContainer () const;
	CFrame* getFrame () const;
	virtual CView* newCopy () const { return new CView (*this); }

	void setBackground (CBitmap* bitmap);
	CBitmap* getBackground () const { return background.get (); }

protected:
	CRect size;
	CRect mouseableArea;
	bool dirty {false};
	bool visible {true};
	bool mouseEnabled {true};
	bool transparent {false};
	float alphaValue {1.f};
	std::string tooltip;
	SharedPointer<CBitmap> background;

private:
	void dropFocusInside ();
	CView* parentView {nullptr};
};

class CVSTGUITimer;

class CViewContainer : public CView
{
public:
	explicit CViewContainer (const CRect& size);
	CViewContainer (const CViewContainer& other); // copies the children too
	~CViewContainer () noexcept override;

	// Takes over the caller's reference.
	virtual bool addView (CView* view);
	virtual bool addView (CView* view, CView* before);
	virtual bool removeView (CView* view, bool withForget = true);
	virtual bool removeAll (bool withForget = true);
	bool isChild (CView* view, bool deep = false) const;
	uint32_t getNbViews () const { return static_cast<uint32_t> (children.size ()); }
	CView* getView (uint32_t index) const;
	const std::vector<SharedPointer<CView>>& getChildren () const { return children; }
	// Topmost visible child at a point (container coordinates).
	CView* getViewAt (const CPoint& where, bool mouseEnabledOnly = false) const;

	void setBackgroundColor (const CColor& color);
	CColor getBackgroundColor () const { return backgroundColor; }

	void draw (CDrawContext* context) override;
	void drawRect (CDrawContext* context, const CRect& updateRect) override;
	// Paints the background before the children; rect in the container's own coordinates.
	virtual void drawBackgroundRect (CDrawContext* context, const CRect& rect);
	// rect in the container's own coordinates (those of its children)
	void invalidRect (const CRect& rect) override;
	void setDirty (bool state = true) override;

	CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseUp (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseMoved (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseCancel () override;
	bool onWheel (const CPoint& where, float distance, const CButtonState& buttons) override;
	bool hitTest (const CPoint& where, const CButtonState& buttons = -1) override;

	bool attached (CView* parent) override;
	bool removed (CView* parent) override;
	CView* newCopy () const override { return new CViewContainer (*this); }

	// The child that receives the moves and the up after a handled down, if any.
	CView* getMouseDownView () const { return mouseDownView.get (); }

protected:
	std::vector<SharedPointer<CView>> children;
	CColor backgroundColor {kTransparentCColor};
	SharedPointer<CView> mouseDownView;
};

enum class PlatformType : int32_t
{
	kHWND,
	kWindowRef,
	kNSView,
	kUIView,
	kHWNDTopLevel,
	kX11EmbedWindowID,
	kOffscreen, // no window: drawn only through the off-screen renderer
	kDefaultNative = kX11EmbedWindowID
};

// Colours and metrics of the self-drawn pop-up menu.
struct GenericOptionMenuTheme
{
	SharedPointer<CFontDesc> font {kNormalFont};
	CColor backgroundColor {MakeCColor (0x39, 0x3c, 0x3f, 252)};
	CColor selectedBackgroundColor {MakeCColor (0x50, 0x7c, 0xc4, 255)};
	CColor textColor {MakeCColor (230, 230, 230, 255)};
	CColor selectedTextColor {kWhiteCColor};
	CColor disabledTextColor {MakeCColor (120, 120, 120, 255)};
	CColor titleTextColor {MakeCColor (150, 150, 150, 255)};
	CColor separatorColor {MakeCColor (90, 90, 90, 255)};
	CColor checkMarkColor {MakeCColor (230, 230, 230, 255)};
	CCoord menuBorderWidth {1.};    // frame around the list
	CCoord itemHorizontalInset {6.}; // text inset from the item's left and right edge
	CCoord itemVerticalInset {6.};   // added above and below the font height of an item
	int32_t scrollRepeatMilliseconds {240}; // scroll step while the pointer rests on an arrow row
};

// The window system side of a frame: a real window or nothing at all (off-screen).
class IPlatformFrame
{
public:
	virtual ~IPlatformFrame () noexcept = default;
	virtual void invalidRect (const CRect& rect) = 0; // frame coordinates, unzoomed
	virtual void setSize (const CRect& rect) = 0;     // device pixels
	virtual PlatformType getPlatformType () const = 0;
	// The window takes the window system's keyboard focus while text is typed into the frame
	// (true) and gives it back to where it was when the typing ends (false): otherwise the
	// host's own keyboard shortcuts stay the host's.
	virtual void setKeyboardFocus (bool /*state*/) {}
	void setupGenericOptionMenu (bool use, GenericOptionMenuTheme* theme = nullptr)
	{
		useGenericMenu = use;
		if (theme)
			menuTheme = *theme;
	}
	bool usesGenericOptionMenu () const { return useGenericMenu; }
	const GenericOptionMenuTheme& getGenericOptionMenuTheme () const { return menuTheme; }
	// Where the pointer was last seen over the frame (frame coordinates): host wheel events
	// carry no position of their own.
	void setLastPointerPosition (const CPoint& where) { lastPointer = where; }
	const CPoint& getLastPointerPosition () const { return lastPointer; }

private:
	CPoint lastPointer;
	bool useGenericMenu {true};
	GenericOptionMenuTheme menuTheme;
};

enum CKnobMode
{
	kCircularMode = 0,
	kRelativCircularMode,
	kLinearMode
};

// What the frame knows of its editor.
class VSTGUIEditorInterface
{
public:
	virtual ~VSTGUIEditorInterface () noexcept = default;
	virtual CFrame* getFrame () const { return frame; }
	virtual int32_t getKnobMode () const { return kCircularMode; }
	virtual void beginEdit (int32_t /*index*/) {}
	virtual void endEdit (int32_t /*index*/) {}

protected:
	CFrame* frame {nullptr};
};

class CFrame : public CViewContainer
{
public:
	CFrame (const CRect& size, VSTGUIEditorInterface* editor);
	~CFrame () noexcept override;

	// Makes the platform side; an off-screen frame needs no parent.
	bool open (void* parent, PlatformType type = PlatformType::kOffscreen);
	// Cancels a mouse capture, releases the children and the platform frame, then forgets itself.
	void close ();
	bool isOpen () const { return platformFrame != nullptr; }
	IPlatformFrame* getPlatformFrame () const { return platformFrame.get (); }
	// For a platform layer (X11): replaces the platform frame.
	void setPlatformFrame (std::unique_ptr<IPlatformFrame> pf);

	VSTGUIEditorInterface* getEditor () const { return editor; }
	int32_t getKnobMode () const { return editor ? editor->getKnobMode () : kCircularMode; }

	// Zoom: device pixels per point; the view tree keeps its unzoomed coordinates.
	bool setZoom (double zoomFactor);
	double getZoom () const { return zoom; }

	void setFocusView (CView* view);
	CView* getFocusView () const { return focusView; }
	// Internal: asks the platform frame for the keyboard focus while a text edit with the focus
	// is editing, and lets it go otherwise.
	void updateKeyboardFocus ();
	bool hasKeyboardFocus () const { return keyboardFocus; }

	// Invalidation: the union of what was asked to be redrawn since the last draw.
	void invalidRect (const CRect& rect) override;
	const CRect& getDirtyRect () const { return dirtyRect; }
	void clearDirtyRect () { dirtyRect = CRect (); }
	// Draws the dirty part (or everything) into a context whose origin is the frame's.
	void drawFrame (CDrawContext* context, const CRect* updateRect = nullptr);

	// Events in frame coordinates (points, not device pixels).
	CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseUp (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseMoved (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseCancel () override;
	int32_t onKeyDown (VstKeyCode& keyCode) override;
	int32_t onKeyUp (VstKeyCode& keyCode) override;
	CMouseEventResult onMouseExited (CPoint& where, const CButtonState& buttons) override;
	// Text typed on the keyboard (UTF-8), delivered to the focus view as characters.
	bool onTextInput (const std::string& utf8);

	// Tooltips (off until enabled; the editor enables them): the tooltip text of the innermost
	// view under the pointer that has one, shown after the pointer rested there for the delay,
	// near the pointer and inside the frame. Hidden on a mouse down, a drag, leaving the view
	// or the window, an empty text and close.
	void enableTooltips (bool state, uint32_t delayTimeInMs = 500);
	bool tooltipsEnabled () const { return tooltip != nullptr; }
	bool isTooltipVisible () const;
	const std::string& getVisibleTooltipText () const; // empty while hidden
	CRect getTooltipRect () const;                      // frame coordinates, empty while hidden
	// Internal: a view's tooltip text changed, or a view leaves the tree.
	void tooltipTextChanged (CView* view);
	void viewWillBeRemoved (CView* view);

	void drawRect (CDrawContext* context, const CRect& updateRect) override;

	bool removed (CView* parent) override;
	CFrame* asFrame () { return this; }

	// The view currently captured by a handled mouse down, searched down the tree.
	CView* getCapturedView () const;

private:
	VSTGUIEditorInterface* editor;
	std::unique_ptr<IPlatformFrame> platformFrame;
	double zoom {1.};
	CView* focusView {nullptr};
	CRect dirtyRect;
	bool inClose {false};
	bool keyboardFocus {false};

	struct Tooltip;
	std::unique_ptr<Tooltip> tooltip;
	CView* tooltipOwnerAt (const CPoint& where) const;
	void trackTooltip (const CPoint& where, const CButtonState& buttons);
	void showTooltip ();
	void hideTooltip ();
	void layoutTooltip ();
};

} // namespace VSTGUI
