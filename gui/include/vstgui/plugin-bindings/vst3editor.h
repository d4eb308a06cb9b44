// The plug-in view that shows a UI description and binds its controls to the controller's parameters.
#pragma once

#include "../uidescription/uidescription.h"
#include "../lib/cvstguitimer.h"

#include "pluginterfaces/base/smartpointer.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/vst/vsteditcontroller.h"

#include <map>
#include <memory>
#include <thread>

namespace Steinberg {
namespace Linux { class IRunLoop; }
namespace Vst {

// IPlugView base of a view-library editor: maps attached/removed to open/close, hands the
// host's run loop to the timers and takes the screen's content scale from the host.
class VSTGUIEditor : public EditorView, public IPlugViewContentScaleSupport, public VSTGUI::VSTGUIEditorInterface
{
public:
	VSTGUIEditor (void* controller, ViewRect* size = nullptr);
	~VSTGUIEditor () override;

	virtual bool PLUGIN_API open (void* parent, const VSTGUI::PlatformType& type = VSTGUI::PlatformType::kDefaultNative) = 0;
	virtual void PLUGIN_API close () = 0;

	tresult PLUGIN_API isPlatformTypeSupported (FIDString type) override;
	tresult PLUGIN_API attached (void* parent, FIDString type) override;
	tresult PLUGIN_API removed () override;
	tresult PLUGIN_API onKeyDown (char16 key, int16 keyCode, int16 modifiers) override;
	tresult PLUGIN_API onKeyUp (char16 key, int16 keyCode, int16 modifiers) override;
	tresult PLUGIN_API onWheel (float distance) override;
	tresult PLUGIN_API setFrame (IPlugFrame* frame) override;

	// IPlugViewContentScaleSupport: device pixels per point of the screen (2 on a HiDPI one).
	tresult PLUGIN_API setContentScaleFactor (ScaleFactor factor) override;
	double getContentScaleFactor () const { return contentScaleFactor; }

	OBJ_METHODS (VSTGUIEditor, EditorView)
	DEFINE_INTERFACES
		DEF_INTERFACE (IPlugViewContentScaleSupport)
	END_DEFINE_INTERFACES (EditorView)
	REFCOUNT_METHODS (EditorView)

	IPlugFrame* getPlugFrame () const { return plugFrame; }
	// The host's run loop, once the host handed it over through setFrame.
	Linux::IRunLoop* getHostRunLoop () const { return hostRunLoop; }

protected:
	Linux::IRunLoop* hostRunLoop {nullptr};
	double contentScaleFactor {1.};
};

// Platform type string for a window-less editor (tests, renderers): attached () accepts it
// with any non-null parent.
extern const FIDString kPlatformTypeOffscreen;

} // namespace Vst
} // namespace Steinberg

namespace VSTGUI {

class ParameterBinding;

class VST3Editor : public Steinberg::Vst::VSTGUIEditor, public IController
{
public:
	// The description file is found in the resource root unless it is an absolute path.
	VST3Editor (Steinberg::Vst::EditController* controller, UTF8StringPtr templateName, UTF8StringPtr uiDescFile);
	// Takes an already made description (one more reference is taken).
	VST3Editor (UIDescription* description, Steinberg::Vst::EditController* controller, UTF8StringPtr templateName);
	~VST3Editor () override;

	bool PLUGIN_API open (void* parent, const PlatformType& type = PlatformType::kDefaultNative) override;
	void PLUGIN_API close () override;

	// Scales the whole editor; the host is asked for the new size while it is attached. The
	// frame draws at zoom factor x content scale factor device pixels per point.
	virtual bool setZoomFactor (double factor);
	double getZoomFactor () const { return zoomFactor; }
	Steinberg::tresult PLUGIN_API setContentScaleFactor (ScaleFactor factor) override;

	UIDescription* getUIDescription () const { return description.get (); }
	Steinberg::Vst::EditController* getController () const { return controller; }
	// The template's own size (zoom 1).
	const CRect& getBaseSize () const { return baseSize; }

	void setKnobMode (int32_t mode) { knobMode = mode; }
	int32_t getKnobMode () const override { return knobMode; }

	// IControlListener
	void valueChanged (CControl* control) override;
	void controlBeginEdit (CControl* control) override;
	void controlEndEdit (CControl* control) override;
	void controlTagWillChange (CControl* control) override;
	void controlTagDidChange (CControl* control) override;

	// IController
	CView* createView (const UIAttributes& attributes, const IUIDescription* description) override;
	CView* verifyView (CView* view, const UIAttributes& attributes, const IUIDescription* description) override;

	// IPlugView
	Steinberg::tresult PLUGIN_API getSize (Steinberg::ViewRect* size) override;
	Steinberg::tresult PLUGIN_API onSize (Steinberg::ViewRect* newSize) override;
	Steinberg::tresult PLUGIN_API canResize () override;
	Steinberg::tresult PLUGIN_API checkSizeConstraint (Steinberg::ViewRect* rect) override;

	// Binds a control to the parameter of its tag (done for every built control with a tag).
	void bindControl (CControl* control);
	void unbindControl (CControl* control);
	// Number of controls bound to a parameter (tests).
	size_t getBoundControlCount (int32_t tag) const;
	// Applies the parameter changes that other threads made since the last time (the editor's
	// 16 ms timer calls it on the UI thread).
	void applyPendingParameterChanges ();

protected:
	void init ();
	void updateRectFromZoom ();
	// Device pixels per point of the frame.
	double getAbsScaleFactor () const { return zoomFactor * contentScaleFactor; }
	// Gives the frame the current scale and asks an attached host for the new size.
	void applyScale ();
	// Unbinds every bound control that is not part of the view tree under root.
	void unbindControlsOutside (CView* root);

	Steinberg::Vst::EditController* controller;
	SharedPointer<UIDescription> description;
	std::string templateName;
	CRect baseSize;
	double zoomFactor {1.};
	int32_t knobMode {kCircularMode};
	std::map<int32_t, Steinberg::IPtr<ParameterBinding>> bindings; // counted: may go while in use
	std::thread::id uiThread; // the one that made and opened the editor
	SharedPointer<CVSTGUITimer> pendingChangesTimer;
	bool inOpen {false};
};

// Keeps the template's aspect ratio when the host resizes, the zoom within [min, max].
class AspectRatioVST3Editor : public VST3Editor
{
public:
	using VST3Editor::VST3Editor;

	// A zoom outside the new limits is brought inside them.
	void setMinZoomFactor (double factor);
	double getMinZoomFactor () const { return minZoomFactor; }
	void setMaxZoomFactor (double factor);
	double getMaxZoomFactor () const { return maxZoomFactor; }
	bool setZoomFactor (double factor) override;

	Steinberg::tresult PLUGIN_API canResize () override { return Steinberg::kResultTrue; }
	// The largest size of the template's aspect ratio inside the rectangle (its left and top
	// kept), at a zoom within the limits.
	Steinberg::tresult PLUGIN_API checkSizeConstraint (Steinberg::ViewRect* rect) override;
	Steinberg::tresult PLUGIN_API onSize (Steinberg::ViewRect* newSize) override;

private:
	double clampZoom (double factor) const;
	double zoomForSize (const Steinberg::ViewRect& rect) const;
	double minZoomFactor {0.1};
	double maxZoomFactor {10.};
};

} // namespace VSTGUI
