// Controls: value-carrying views with a listener, and the standard ones the editor uses.
#pragma once

#include "cview.h"

#include <string>
#include <vector>

namespace VSTGUI {

class CControl;

class IControlListener
{
public:
	virtual ~IControlListener () noexcept = default;
	virtual void valueChanged (CControl* control) = 0;
	virtual int32_t controlModifierClicked (CControl* /*control*/, CButtonState /*buttons*/) { return 0; }
	virtual void controlBeginEdit (CControl* /*control*/) {}
	virtual void controlEndEdit (CControl* /*control*/) {}
	virtual void controlTagWillChange (CControl* /*control*/) {}
	virtual void controlTagDidChange (CControl* /*control*/) {}
};

class CControl : public CView
{
public:
	CControl (const CRect& size, IControlListener* listener = nullptr, int32_t tag = -1,
	          CBitmap* background = nullptr);
	CControl (const CControl& other);
	~CControl () noexcept override;

	virtual void setValue (float val);
	float getValue () const { return value; }
	virtual void setValueNormalized (float val);
	float getValueNormalized () const;
	virtual void setMin (float val) { vmin = val; }
	float getMin () const { return vmin; }
	virtual void setMax (float val) { vmax = val; }
	float getMax () const { return vmax; }
	float getRange () const { return vmax - vmin; }
	virtual void setDefaultValue (float val) { defaultValue = val; }
	float getDefaultValue () const { return defaultValue; }
	// Keeps the value inside min..max.
	virtual void bounceValue ();

	// Tells the listener before and after, so that a binding can follow the new tag.
	virtual void setTag (int32_t val);
	int32_t getTag () const { return tag; }
	virtual void setListener (IControlListener* l) { listener = l; }
	IControlListener* getListener () const { return listener; }

	// Editing nests: the listener hears of the first begin and the last end only.
	virtual void beginEdit ();
	virtual void endEdit ();
	bool isEditing () const { return editing > 0; }
	int32_t getEditingCount () const { return editing; }

	// Tells the listener that the value changed.
	virtual void valueChanged ();

	CView* newCopy () const override { return new CControl (*this); }

protected:
	float value {0.f};
	float vmin {0.f};
	float vmax {1.f};
	float defaultValue {0.5f};
	int32_t tag;
	IControlListener* listener;
	int32_t editing {0};
};

// Base of the text-showing controls: font, colours, alignment, frame.
class CParamDisplay : public CControl
{
public:
	enum Style
	{
		kShadowText = 1 << 0,
		kNoTextStyle = 1 << 1,
		kNoDrawStyle = 1 << 2,
		kNoFrame = 1 << 3,
		kRoundRectStyle = 1 << 4,
	};

	CParamDisplay (const CRect& size, CBitmap* background = nullptr, int32_t style = 0);
	CParamDisplay (const CParamDisplay& other);

	void setFont (CFontRef font);
	CFontRef getFont () const { return font.get (); }
	void setFontColor (const CColor& c) { fontColor = c; setDirty (); }
	CColor getFontColor () const { return fontColor; }
	void setBackColor (const CColor& c) { backColor = c; setDirty (); }
	CColor getBackColor () const { return backColor; }
	void setFrameColor (const CColor& c) { frameColor = c; setDirty (); }
	CColor getFrameColor () const { return frameColor; }
	void setFrameWidth (CCoord w) { frameWidth = w; setDirty (); }
	CCoord getFrameWidth () const { return frameWidth; }
	void setHoriAlign (CHoriTxtAlign a) { horiAlign = a; setDirty (); }
	CHoriTxtAlign getHoriAlign () const { return horiAlign; }
	void setTextInset (const CPoint& p) { textInset = p; setDirty (); }
	CPoint getTextInset () const { return textInset; }
	virtual void setStyle (int32_t s) { style = s; setDirty (); }
	int32_t getStyle () const { return style; }
	// Hides the background fill.
	void setTransparency (bool state) override;
	void setAntialias (bool state) { antialias = state; }

	void draw (CDrawContext* context) override;
	CView* newCopy () const override { return new CParamDisplay (*this); }

protected:
	void drawBack (CDrawContext* context);
	void drawText (CDrawContext* context, const std::string& text, const CRect& rect);
	// The text shown for the current value.
	virtual std::string getDisplayText () const;

	SharedPointer<CFontDesc> font;
	CColor fontColor {kWhiteCColor};
	CColor backColor {kBlackCColor};
	CColor frameColor {kBlackCColor};
	CCoord frameWidth {1.};
	CHoriTxtAlign horiAlign {kCenterText};
	CPoint textInset {0., 0.};
	int32_t style;
	bool antialias {true};
};

// A static text.
class CTextLabel : public CParamDisplay
{
public:
	CTextLabel (const CRect& size, const UTF8String& text = nullptr, CBitmap* background = nullptr,
	            int32_t style = 0);
	CTextLabel (const CTextLabel&) = default;
	virtual void setText (const std::string& txt);
	const std::string& getText () const { return text; }
	CView* newCopy () const override { return new CTextLabel (*this); }

protected:
	std::string getDisplayText () const override { return text; }
	std::string text;
};

// Text entry with a caret; keyboard input arrives while it has the focus.
class CTextEdit : public CTextLabel
{
public:
	CTextEdit (const CRect& size, IControlListener* listener, int32_t tag, const UTF8String& txt = nullptr,
	           CBitmap* background = nullptr, int32_t style = 0);
	CTextEdit (const CTextEdit&) = default;
	~CTextEdit () noexcept override;

	void setText (const std::string& txt) override;
	bool isEditingText () const { return editingText; }
	// The text being typed (equals getText () when not editing).
	const std::string& getEditText () const { return editBuffer; }
	size_t getCaretPosition () const { return caret; } // byte offset into the edit text
	// The selected bytes are those between the anchor and the caret (none when they are equal).
	size_t getSelectionAnchor () const { return selectionAnchor; }
	void setImmediateTextChange (bool state) { immediateTextChange = state; }

	void draw (CDrawContext* context) override;
	CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons) override;
	int32_t onKeyDown (VstKeyCode& keyCode) override;
	bool wantsFocus () const override { return true; }
	void takeFocus () override;
	void looseFocus () override;
	// Inserts UTF-8 text at the caret (invalid sequences become U+FFFD).
	void insertText (const std::string& utf8);
	CView* newCopy () const override { return new CTextEdit (*this); }

	// Set when the last edit ended with Return.
	bool bWasReturnPressed {false};

private:
	void commit ();
	bool eraseSelection ();
	std::string editBuffer;
	std::string textBeforeEdit;
	size_t caret {0};
	size_t selectionAnchor {0};
	bool editingText {false};
	bool immediateTextChange {false};
};

// A push button with a title: kick style (momentary) or on-off style.
class CTextButton : public CControl
{
public:
	enum Style
	{
		kKickStyle = 0,
		kOnOffStyle
	};

	CTextButton (const CRect& size, IControlListener* listener = nullptr, int32_t tag = -1,
	             const UTF8String& title = nullptr, Style style = kKickStyle);
	CTextButton (const CTextButton& other);

	virtual void setTitle (const UTF8String& newTitle);
	const std::string& getTitle () const { return title; }
	virtual void setFont (CFontRef newFont);
	CFontRef getFont () const { return font.get (); }
	void setTextColor (const CColor& c) { textColor = c; invalid (); }
	CColor getTextColor () const { return textColor; }
	void setTextColorHighlighted (const CColor& c) { textColorHighlighted = c; invalid (); }
	CColor getTextColorHighlighted () const { return textColorHighlighted; }
	void setFrameColor (const CColor& c) { frameColor = c; invalid (); }
	CColor getFrameColor () const { return frameColor; }
	void setFrameColorHighlighted (const CColor& c) { frameColorHighlighted = c; invalid (); }
	CColor getFrameColorHighlighted () const { return frameColorHighlighted; }
	void setFrameWidth (CCoord w) { frameWidth = w; invalid (); }
	CCoord getFrameWidth () const { return frameWidth; }
	void setRoundRadius (CCoord r) { roundRadius = r; invalid (); }
	CCoord getRoundRadius () const { return roundRadius; }
	void setGradient (CGradient* g);
	CGradient* getGradient () const { return gradient.get (); }
	void setGradientHighlighted (CGradient* g);
	CGradient* getGradientHighlighted () const { return gradientHighlighted.get (); }
	void setIcon (CBitmap* bitmap);
	CBitmap* getIcon () const { return icon.get (); }
	void setIconPosition (CDrawMethods::IconPosition p) { iconPosition = p; invalid (); }
	CDrawMethods::IconPosition getIconPosition () const { return iconPosition; }
	void setTextAlignment (CHoriTxtAlign a) { textAlignment = a; invalid (); }
	CHoriTxtAlign getTextAlignment () const { return textAlignment; }
	void setTextMargin (CCoord m) { textMargin = m; invalid (); }
	CCoord getTextMargin () const { return textMargin; }
	void setStyle (Style s);
	Style getStyle () const { return style; }

	void draw (CDrawContext* context) override;
	CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseUp (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseMoved (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseCancel () override;
	CView* newCopy () const override { return new CTextButton (*this); }

protected:
	std::string title;
	SharedPointer<CFontDesc> font;
	CColor textColor {kBlackCColor};
	CColor textColorHighlighted {kWhiteCColor};
	CColor frameColor {kBlackCColor};
	CColor frameColorHighlighted {kBlackCColor};
	CCoord frameWidth {1.};
	CCoord roundRadius {6.};
	SharedPointer<CGradient> gradient;
	SharedPointer<CGradient> gradientHighlighted;
	SharedPointer<CBitmap> icon;
	CDrawMethods::IconPosition iconPosition {CDrawMethods::kIconLeft};
	CHoriTxtAlign textAlignment {kCenterText};
	CCoord textMargin {0.};
	Style style;
	float entryState {0.f};
	bool mouseEditActive {false}; // between a handled down and its up or cancel
};

// A rotary control.
class CKnob : public CControl
{
public:
	// The bits of VSTGUI's draw style; 0 draws a line handle only.
	enum DrawStyle
	{
		kLegacyHandleLineDrawing = 0,
		kHandleCircleDrawing = 1 << 0,
		kCoronaDrawing = 1 << 1,
		kCoronaFromCenter = 1 << 2,
		kCoronaInverted = 1 << 3,
		kCoronaLineDashDot = 1 << 4, // with kCoronaLineCapButt only, as in VSTGUI
		kCoronaOutline = 1 << 5,
		kCoronaLineCapButt = 1 << 6,
		kSkipHandleDrawing = 1 << 7,
	};

	CKnob (const CRect& size, IControlListener* listener, int32_t tag, CBitmap* background, CBitmap* handle,
	       const CPoint& offset = CPoint (0, 0), int32_t drawStyle = kLegacyHandleLineDrawing);
	CKnob (const CKnob& other);

	void setDrawStyle (int32_t style) { drawStyle = style; invalid (); }
	int32_t getDrawStyle () const { return drawStyle; }
	void setCoronaColor (const CColor& c) { coronaColor = c; invalid (); }
	CColor getCoronaColor () const { return coronaColor; }
	void setColorHandle (const CColor& c) { colorHandle = c; invalid (); }
	CColor getColorHandle () const { return colorHandle; }
	void setColorShadowHandle (const CColor& c) { colorShadowHandle = c; invalid (); }
	CColor getColorShadowHandle () const { return colorShadowHandle; }
	void setHandleLineWidth (CCoord w) { handleLineWidth = w; invalid (); }
	CCoord getHandleLineWidth () const { return handleLineWidth; }
	void setCoronaInset (CCoord i) { coronaInset = i; invalid (); }
	CCoord getCoronaInset () const { return coronaInset; }
	// How much wider than the corona its outline is drawn (default 2).
	void setCoronaOutlineWidthAdd (CCoord w) { coronaOutlineWidthAdd = w; invalid (); }
	CCoord getCoronaOutlineWidthAdd () const { return coronaOutlineWidthAdd; }
	// Dash and gap lengths of the dash-dot corona, in line widths (default 1, 2).
	void setCoronaDashDotLengths (const CLineStyle::CoordVector& lengths);
	const CLineStyle::CoordVector& getCoronaDashDotLengths () const { return coronaLineStyle.getDashLengths (); }
	// Distance of the handle's tip from the edge (3, or half the handle bitmap's width + 2.5).
	void setInsetValue (CCoord i) { inset = i; invalid (); }
	CCoord getInsetValue () const { return inset; }
	// A handle bitmap is drawn at the value instead of corona and handle.
	void setHandleBitmap (CBitmap* bitmap);
	CBitmap* getHandleBitmap () const { return handleBitmap.get (); }
	// Angles in degrees (0 at three o'clock, clockwise); defaults 135 and 270.
	void setStartAngle (float degrees) { startAngle = degrees; invalid (); }
	float getStartAngle () const { return startAngle; }
	void setRangeAngle (float degrees) { rangeAngle = degrees; invalid (); }
	float getRangeAngle () const { return rangeAngle; }
	// Divides the linear drag speed while the fine-step modifier (Shift) is held.
	void setZoomFactor (float f) { zoomFactor = f; }
	float getZoomFactor () const { return zoomFactor; }
	// Points of mouse travel for the whole range in linear mode.
	void setLinearRange (CCoord points) { linearRange = points; }
	// Overrides the frame's knob mode for this knob (-1: use the frame's).
	void setKnobMode (int32_t mode) { knobMode = mode; }

	// The value a point in the parent's coordinates stands for in circular mode.
	float valueFromPoint (const CPoint& where) const;
	// Where the handle's tip is for the current value (parent coordinates).
	void valueToPoint (CPoint& point) const;
	// The angle (degrees) that a value is drawn at.
	double angleForValue (float normalizedValue) const;

	void draw (CDrawContext* context) override;
	CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseUp (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseMoved (CPoint& where, const CButtonState& buttons) override;
	CMouseEventResult onMouseCancel () override;
	bool onWheel (const CPoint& where, float distance, const CButtonState& buttons) override;
	CView* newCopy () const override { return new CKnob (*this); }

protected:
	virtual void drawCoronaOutline (CDrawContext* context) const;
	virtual void drawCorona (CDrawContext* context) const;
	virtual void drawHandleAsCircle (CDrawContext* context) const;
	virtual void drawHandleAsLine (CDrawContext* context) const;
	virtual void drawHandle (CDrawContext* context) const;
	CRect getCoronaRect () const;

	int32_t drawStyle;
	CColor coronaColor {kWhiteCColor};
	CColor colorHandle {kWhiteCColor};
	CColor colorShadowHandle {kGreyCColor};
	CCoord handleLineWidth {1.};
	CCoord coronaInset {0.};
	CCoord coronaOutlineWidthAdd {2.};
	CCoord inset {3.};
	CLineStyle coronaLineStyle {CLineStyle::kLineCapButt, CLineStyle::kLineJoinMiter, 0., {1., 2.}};
	float startAngle {135.f};
	float rangeAngle {270.f};
	float zoomFactor {10.f};
	CCoord linearRange {200.};
	int32_t knobMode {-1};
	SharedPointer<CBitmap> handleBitmap;
	CPoint offset;

	struct MouseState
	{
		CPoint firstPoint;
		float entryValue {0.f};
		bool linear {false};
		bool active {false};
	} mouseState;
};

class COptionMenu;

// What an open option-menu pop-up tells about its layout (frame coordinates).
class IOptionMenuPopup
{
public:
	virtual ~IOptionMenuPopup () noexcept = default;
	virtual CRect getListRect () const = 0;
	virtual CRect getRowRect (int32_t visibleRow) const = 0;
	virtual int32_t getFirstVisible () const = 0;
	virtual int32_t getVisibleRows () const = 0;
	virtual bool isScrollable () const = 0;
};

class CMenuItem : public CBaseObject
{
public:
	enum Flags
	{
		kNoFlags = 0,
		kDisabled = 1 << 0,
		kChecked = 1 << 1,
		kTitle = 1 << 2,
		kSeparator = 1 << 3,
	};
	explicit CMenuItem (const UTF8String& title, int32_t flags = kNoFlags);
	const std::string& getTitle () const { return title; }
	void setTitle (const UTF8String& t) { title = t.getString (); }
	int32_t getFlags () const { return flags; }
	bool isSeparator () const { return (flags & kSeparator) != 0; }
	bool isEnabled () const { return (flags & kDisabled) == 0; }
	bool isChecked () const { return (flags & kChecked) != 0; }
	bool isTitle () const { return (flags & kTitle) != 0; }
	void setEnabled (bool state) { flags = state ? (flags & ~kDisabled) : (flags | kDisabled); }
	void setChecked (bool state) { flags = state ? (flags | kChecked) : (flags & ~kChecked); }

private:
	std::string title;
	int32_t flags;
};

// A menu button; the list opens as a self-drawn pop-up inside the frame.
class COptionMenu : public CParamDisplay
{
public:
	COptionMenu (const CRect& size, IControlListener* listener, int32_t tag, CBitmap* background = nullptr,
	             CBitmap* bgWhenClick = nullptr, int32_t style = 0);
	COptionMenu (const COptionMenu& other);
	~COptionMenu () noexcept override;

	// The title "-" adds a separator. index -1 appends.
	CMenuItem* addEntry (const UTF8String& title, int32_t index = -1, int32_t itemFlags = CMenuItem::kNoFlags);
	CMenuItem* addSeparator (int32_t index = -1);
	bool removeEntry (int32_t index);
	bool removeAllEntry ();
	int32_t getNbEntries () const { return static_cast<int32_t> (items.size ()); }
	CMenuItem* getEntry (int32_t index) const;
	// The current entry; countSeparator false (the default) skips separators in the count.
	int32_t getCurrentIndex (bool countSeparator = false) const;
	CMenuItem* getCurrent () const;
	// Makes an entry current without telling the listener; counts separators by default and
	// refuses a separator or an index out of range.
	bool setCurrent (int32_t index, bool countSeparator = true);
	// Converts between the two ways of counting; -1 when there is no such entry.
	int32_t indexWithSeparators (int32_t indexWithoutSeparators) const;
	int32_t indexWithoutSeparators (int32_t indexWithSeparators) const;

	void setValue (float val) override;
	void draw (CDrawContext* context) override;
	CMouseEventResult onMouseDown (CPoint& where, const CButtonState& buttons) override;

	// Opens the pop-up inside the frame; false without a frame or without entries.
	bool popup ();
	bool isPopupOpen () const { return popupView != nullptr; }
	// The open pop-up view (for tests and the platform layer), or null.
	CView* getPopupView () const { return popupView; }
	// Chooses an entry (separators counted) as the pop-up does: begin edit, value, listener, end edit.
	void selectEntry (int32_t indexWithSeparators);
	CView* newCopy () const override { return new COptionMenu (*this); }

	// Called by the pop-up when it goes away.
	void popupClosed ();

protected:
	std::string getDisplayText () const override;
	std::vector<SharedPointer<CMenuItem>> items;
	CView* popupView {nullptr};
	SharedPointer<CBitmap> bgWhenClick;
};

} // namespace VSTGUI
