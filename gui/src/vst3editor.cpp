// The VST 3 editor: opens a UI description in a frame and binds its controls to parameters.
#include "vstgui/plugin-bindings/vst3editor.h"

#include "../platform/platform.h"

#include "base/source/updatehandler.h"
#include "pluginterfaces/gui/iplugview.h"
#include "public.sdk/source/vst/vstparameters.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace Steinberg {
namespace Vst {

const FIDString kPlatformTypeOffscreen = "GrundmoorOffscreen";

VSTGUIEditor::VSTGUIEditor (void* controller, ViewRect* size)
: EditorView (static_cast<EditController*> (controller), size)
{
}

VSTGUIEditor::~VSTGUIEditor ()
{
	if (hostRunLoop)
	{
		VSTGUI::Platform::detachHostRunLoop (hostRunLoop);
		hostRunLoop->release ();
		hostRunLoop = nullptr;
	}
}

tresult PLUGIN_API VSTGUIEditor::isPlatformTypeSupported (FIDString type)
{
	if (type && (std::strcmp (type, kPlatformTypeX11EmbedWindowID) == 0 || std::strcmp (type, kPlatformTypeOffscreen) == 0))
		return kResultTrue;
	return kResultFalse;
}

tresult PLUGIN_API VSTGUIEditor::attached (void* parent, FIDString type)
{
	if (!parent || !type || isAttached ())
		return kResultFalse;
	VSTGUI::PlatformType platformType;
	if (std::strcmp (type, kPlatformTypeX11EmbedWindowID) == 0)
		platformType = VSTGUI::PlatformType::kX11EmbedWindowID;
	else if (std::strcmp (type, kPlatformTypeOffscreen) == 0)
		platformType = VSTGUI::PlatformType::kOffscreen;
	else
		return kResultFalse;
	if (!open (parent, platformType))
		return kResultFalse;
	return EditorView::attached (parent, type);
}

tresult PLUGIN_API VSTGUIEditor::removed ()
{
	if (frame)
		close ();
	return EditorView::removed ();
}

namespace {
VSTGUI::VstKeyCode toKeyCode (char16 key, int16 keyCode, int16 modifiers)
{
	VSTGUI::VstKeyCode k;
	if (keyCode >= VSTGUI::VKEY_BACK && keyCode <= VSTGUI::VKEY_HELP)
		k.virt = static_cast<unsigned char> (keyCode);
	else
		k.character = key;
	if (k.virt == VSTGUI::VKEY_SPACE)
		k.character = ' '; // the key and its character: text fields type it
	k.modifier = static_cast<unsigned char> (modifiers & 0x0F);
	return k;
}
} // namespace

tresult PLUGIN_API VSTGUIEditor::onKeyDown (char16 key, int16 keyCode, int16 modifiers)
{
	if (!frame)
		return kResultFalse;
	auto k = toKeyCode (key, keyCode, modifiers);
	return frame->onKeyDown (k) == 1 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API VSTGUIEditor::onKeyUp (char16 key, int16 keyCode, int16 modifiers)
{
	if (!frame)
		return kResultFalse;
	auto k = toKeyCode (key, keyCode, modifiers);
	return frame->onKeyUp (k) == 1 ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API VSTGUIEditor::onWheel (float distance)
{
	if (!frame)
		return kResultFalse;
	VSTGUI::CPoint where;
	if (auto* platformFrame = frame->getPlatformFrame ())
		where = platformFrame->getLastPointerPosition ();
	return frame->onWheel (where, distance, 0) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API VSTGUIEditor::setFrame (IPlugFrame* newFrame)
{
	Linux::IRunLoop* runLoop = nullptr;
	if (newFrame)
		newFrame->queryInterface (Linux::IRunLoop::iid, reinterpret_cast<void**> (&runLoop));
	if (runLoop != hostRunLoop)
	{
		if (hostRunLoop)
		{
			VSTGUI::Platform::detachHostRunLoop (hostRunLoop);
			hostRunLoop->release ();
		}
		hostRunLoop = runLoop;
		if (hostRunLoop)
			VSTGUI::Platform::attachHostRunLoop (hostRunLoop);
	}
	else if (runLoop)
		runLoop->release (); // the query's reference; we hold one already
	return EditorView::setFrame (newFrame);
}

tresult PLUGIN_API VSTGUIEditor::setContentScaleFactor (ScaleFactor factor)
{
	if (!std::isfinite (factor) || factor <= 0.f || factor > 16.f)
		return kInvalidArgument;
	contentScaleFactor = factor;
	return kResultTrue;
}

} // namespace Vst
} // namespace Steinberg

namespace VSTGUI {

using namespace Steinberg;

namespace {
std::string toUTF8 (const Vst::TChar* s)
{
	std::string out;
	for (; s && *s; ++s)
	{
		int32_t cp = *s;
		if (cp >= 0xD800 && cp <= 0xDBFF && s[1] >= 0xDC00 && s[1] <= 0xDFFF)
		{
			cp = 0x10000 + ((cp - 0xD800) << 10) + (s[1] - 0xDC00);
			++s;
		}
		appendUTF8 (out, cp);
	}
	return out;
}

void toUTF16 (const std::string& in, Vst::String128 out)
{
	const std::string s = sanitizeUTF8 (in);
	size_t o = 0;
	for (size_t i = 0; i < s.size () && o < 127;)
	{
		const auto c = static_cast<unsigned char> (s[i]);
		int len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
		int32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
		for (int k = 1; k < len; ++k)
			cp = (cp << 6) | (static_cast<unsigned char> (s[i + static_cast<size_t> (k)]) & 0x3F);
		i += static_cast<size_t> (len);
		if (cp >= 0x10000)
		{
			if (o + 2 > 127)
				break;
			cp -= 0x10000;
			out[o++] = static_cast<Vst::TChar> (0xD800 + (cp >> 10));
			out[o++] = static_cast<Vst::TChar> (0xDC00 + (cp & 0x3FF));
		}
		else
			out[o++] = static_cast<Vst::TChar> (cp);
	}
	out[o] = 0;
}
} // namespace

// One parameter and the controls that show it; follows the parameter's change notifications.
class ParameterBinding : public FObject
{
public:
	ParameterBinding (Vst::EditController* c, Vst::Parameter* p, std::thread::id ui)
	: controller (c), parameter (p), uiThread (ui)
	{
		parameter->addRef ();
		parameter->addDependent (this);
	}
	~ParameterBinding () override
	{
		parameter->removeDependent (this);
		// A notification from another thread may still be setting the flag.
		while (foreignUpdates.load (std::memory_order_acquire) > 0)
			std::this_thread::yield ();
		parameter->release ();
	}

	Vst::ParamID getId () const { return parameter->getInfo ().id; }
	Vst::Parameter* getParameter () const { return parameter; }
	bool contains (CControl* c) const
	{
		return std::any_of (controls.begin (), controls.end (), [&] (const auto& x) { return x.get () == c; });
	}
	void add (CControl* c)
	{
		if (contains (c))
			return;
		controls.push_back (shared (c));
		setup (c);
		show (c, static_cast<float> (controller->getParamNormalized (getId ())));
		c->invalid ();
	}
	void remove (CControl* c)
	{
		controls.erase (std::remove_if (controls.begin (), controls.end (), [&] (const auto& x) { return x.get () == c; }),
		                controls.end ());
	}
	bool empty () const { return controls.empty (); }
	const std::vector<SharedPointer<CControl>>& getControls () const { return controls; }
	size_t size () const { return controls.size (); }

	// The parameter's change notification, on whatever thread changed it. Views are only ever
	// touched on the UI thread: from another thread the change is marked, and the editor's
	// timer applies it with the value the parameter has then.
	void PLUGIN_API update (FUnknown*, int32 message) override
	{
		if (message != IDependent::kChanged)
			return;
		if (std::this_thread::get_id () != uiThread)
		{
			foreignUpdates.fetch_add (1, std::memory_order_acq_rel);
			pending.store (true, std::memory_order_release);
			foreignUpdates.fetch_sub (1, std::memory_order_acq_rel);
			return;
		}
		apply ();
	}
	// UI thread: applies a change that another thread announced.
	void applyPending ()
	{
		if (pending.load (std::memory_order_acquire))
			apply ();
	}

	void apply ()
	{
		pending.exchange (false, std::memory_order_acq_rel); // the value read below covers it
		// A follow-up may change tags and so drop this binding while it runs.
		IPtr<ParameterBinding> keep (this);
		const float v = static_cast<float> (controller->getParamNormalized (getId ()));
		auto snapshot = controls;
		for (auto& c : snapshot)
		{
			if (!contains (c))
				continue; // unbound by an earlier control's follow-up
			show (c, v);
			c->invalid ();
			// A control being edited caused this change itself; only the others are told.
			if (!c->isEditing ())
				c->valueChanged ();
		}
	}

	void beginEdit ()
	{
		if (editCount++ == 0)
			controller->beginEdit (getId ());
	}
	void endEdit ()
	{
		if (editCount > 0 && --editCount == 0)
			controller->endEdit (getId ());
	}
	void performEdit (double value)
	{
		IPtr<ParameterBinding> keep (this);
		// The change notification may unbind controls; the id is read before it.
		const Vst::ParamID id = getId ();
		controller->setParamNormalized (id, value);
		controller->performEdit (id, controller->getParamNormalized (id));
	}
	double valueFromText (const std::string& text, double fallback) const
	{
		Vst::String128 s;
		toUTF16 (text, s);
		Vst::ParamValue v = fallback;
		if (parameter->fromString (s, v))
			return v;
		return fallback;
	}

private:
	// Sets the value; a text display also shows the parameter's text (not while it is typed in).
	void show (CControl* c, float v)
	{
		c->setValueNormalized (v);
		if (auto label = dynamic_cast<CTextLabel*> (c))
		{
			auto edit = dynamic_cast<CTextEdit*> (c);
			if (!edit || !edit->isEditingText ())
			{
				Vst::String128 s {};
				parameter->toString (v, s);
				label->setText (toUTF8 (s));
			}
		}
	}

	// A list parameter fills an option menu from its strings.
	void setup (CControl* c)
	{
		const int32 steps = parameter->getInfo ().stepCount;
		if (auto menu = dynamic_cast<COptionMenu*> (c); menu && steps > 0)
		{
			menu->removeAllEntry ();
			for (int32 i = 0; i <= steps; ++i)
			{
				Vst::String128 s {};
				parameter->toString (static_cast<Vst::ParamValue> (i) / steps, s);
				menu->addEntry (toUTF8 (s).c_str ());
			}
			menu->setMin (0.f);
			menu->setMax (static_cast<float> (steps));
		}
		c->setDefaultValue (c->getMin () + static_cast<float> (parameter->getInfo ().defaultNormalizedValue) *
		                                      (c->getMax () - c->getMin ()));
	}

	Vst::EditController* controller;
	Vst::Parameter* parameter;
	std::vector<SharedPointer<CControl>> controls;
	int32 editCount {0};
	const std::thread::id uiThread;
	std::atomic<bool> pending {false};
	std::atomic<int> foreignUpdates {0};
};

//------------------------------------------------------------------------
VST3Editor::VST3Editor (Vst::EditController* c, UTF8StringPtr tmpl, UTF8StringPtr file)
: VSTGUIEditor (c), controller (c), templateName (tmpl ? tmpl : "")
{
	description = owned (new UIDescription (file ? file : ""));
	init ();
}

VST3Editor::VST3Editor (UIDescription* desc, Vst::EditController* c, UTF8StringPtr tmpl)
: VSTGUIEditor (c), controller (c), description (desc), templateName (tmpl ? tmpl : "")
{
	init ();
}

VST3Editor::~VST3Editor ()
{
	if (frame)
		close ();
	bindings.clear ();
}

void VST3Editor::init ()
{
	uiThread = std::this_thread::get_id ();
	UpdateHandler::instance (); // parameter change notifications go through it
	if (description && description->parse ())
		if (auto attrs = description->getViewAttributes (templateName.c_str ()))
		{
			CPoint s;
			if (attrs->getPointAttribute ("size", s))
				baseSize = CRect (0, 0, s.x, s.y);
		}
	updateRectFromZoom ();
}

void VST3Editor::updateRectFromZoom ()
{
	const double scale = getAbsScaleFactor ();
	ViewRect r (0, 0, static_cast<int32> (std::lround (baseSize.getWidth () * scale)),
	            static_cast<int32> (std::lround (baseSize.getHeight () * scale)));
	setRect (r);
}

void VST3Editor::applyScale ()
{
	updateRectFromZoom ();
	if (frame)
		frame->setZoom (getAbsScaleFactor ());
	if (plugFrame && isAttached ())
	{
		ViewRect r = getRect ();
		plugFrame->resizeView (this, &r);
	}
}

bool PLUGIN_API VST3Editor::open (void* parent, const PlatformType& type)
{
	if (frame || inOpen)
		return false;
	if (!description || !description->isParsed ())
		return false;
	if (type != PlatformType::kOffscreen && !parent)
		return false;
	inOpen = true;
	uiThread = std::this_thread::get_id ();
	CView* view = description->createView (templateName.c_str (), this);
	if (!view)
	{
		bindings.clear ();
		inOpen = false;
		return false;
	}
	unbindControlsOutside (view);
	baseSize = CRect (0, 0, view->getWidth (), view->getHeight ());
	view->setViewSize (baseSize, false);
	view->setMouseableArea (baseSize);
	frame = new CFrame (baseSize, this);
	frame->enableTooltips (true);
	frame->addView (view);
	frame->setZoom (getAbsScaleFactor ()); // before the window is made, which takes its size
	bool ok = false;
	if (type == PlatformType::kOffscreen)
		ok = frame->open (parent, type);
	else if (type == PlatformType::kX11EmbedWindowID)
		ok = Platform::openX11Frame (frame, parent, hostRunLoop);
	if (!ok)
	{
		bindings.clear ();
		frame->close ();
		frame = nullptr;
		inOpen = false;
		return false;
	}
	updateRectFromZoom ();
	pendingChangesTimer = makeOwned<CVSTGUITimer> ([this] (CVSTGUITimer*) { applyPendingParameterChanges (); }, 16, true);
	inOpen = false;
	return true;
}

void PLUGIN_API VST3Editor::close ()
{
	if (!frame)
		return;
	CFrame* f = frame;
	if (pendingChangesTimer)
	{
		pendingChangesTimer->stop ();
		pendingChangesTimer = nullptr;
	}
	f->onMouseCancel (); // ends any edit in progress while the bindings still exist
	bindings.clear ();
	frame = nullptr;
	f->close ();
}

bool VST3Editor::setZoomFactor (double factor)
{
	if (!std::isfinite (factor) || factor <= 0.)
		return false;
	zoomFactor = factor;
	applyScale ();
	return true;
}

tresult PLUGIN_API VST3Editor::setContentScaleFactor (ScaleFactor factor)
{
	const tresult result = VSTGUIEditor::setContentScaleFactor (factor);
	if (result == kResultTrue)
		applyScale ();
	return result;
}

void VST3Editor::valueChanged (CControl* control)
{
	if (!control || !control->isEditing ())
		return;
	auto it = bindings.find (control->getTag ());
	if (it == bindings.end () || !it->second->contains (control))
		return;
	IPtr<ParameterBinding> binding = it->second; // the map entry may go during the edit
	double value = control->getValueNormalized ();
	if (auto edit = dynamic_cast<CTextEdit*> (control))
		value = binding->valueFromText (edit->getText (), controller->getParamNormalized (binding->getId ()));
	binding->performEdit (value);
}

void VST3Editor::controlBeginEdit (CControl* control)
{
	if (!control)
		return;
	auto it = bindings.find (control->getTag ());
	if (it != bindings.end () && it->second->contains (control))
	{
		IPtr<ParameterBinding> binding = it->second;
		binding->beginEdit ();
	}
}

void VST3Editor::controlEndEdit (CControl* control)
{
	if (!control)
		return;
	auto it = bindings.find (control->getTag ());
	if (it != bindings.end () && it->second->contains (control))
	{
		IPtr<ParameterBinding> binding = it->second;
		binding->endEdit ();
	}
}

void VST3Editor::controlTagWillChange (CControl* control) { unbindControl (control); }

void VST3Editor::controlTagDidChange (CControl* control) { bindControl (control); }

void VST3Editor::bindControl (CControl* control)
{
	if (!control || !controller || control->getTag () < 0)
		return;
	const int32_t tag = control->getTag ();
	Vst::Parameter* parameter = controller->getParameterObject (static_cast<Vst::ParamID> (tag));
	if (!parameter)
		return;
	auto& entry = bindings[tag];
	if (!entry)
		entry = Steinberg::owned (new ParameterBinding (controller, parameter, uiThread));
	IPtr<ParameterBinding> binding = entry; // add () notifies the control, which may rebind
	binding->add (control);
}

void VST3Editor::unbindControl (CControl* control)
{
	if (!control)
		return;
	// endEdit reaches the host, which may call back into the editor: work on a copy.
	std::vector<IPtr<ParameterBinding>> affected;
	for (auto& [tag, binding] : bindings)
		if (binding->contains (control))
			affected.push_back (binding);
	for (auto& binding : affected)
	{
		binding->remove (control);
		if (control->isEditing ())
			binding->endEdit ();
	}
	for (auto it = bindings.begin (); it != bindings.end ();)
	{
		if (it->second->empty ())
			it = bindings.erase (it);
		else
			++it;
	}
}

// verifyView may drop or replace views it has already bound (directly or through the base
// class): their controls must not stay bound, nor be kept alive by the binding.
void VST3Editor::unbindControlsOutside (CView* root)
{
	auto* container = dynamic_cast<CViewContainer*> (root);
	std::vector<SharedPointer<CControl>> outside;
	for (const auto& [tag, binding] : bindings)
		for (const auto& c : binding->getControls ())
			if (c.get () != root && !(container && container->isChild (c.get (), true)))
				outside.push_back (c);
	for (const auto& c : outside)
		unbindControl (c.get ());
}

void VST3Editor::applyPendingParameterChanges ()
{
	// Only the bindings that still exist; a follow-up may drop any of them.
	std::vector<IPtr<ParameterBinding>> current;
	current.reserve (bindings.size ());
	for (const auto& [tag, binding] : bindings)
		current.push_back (binding);
	for (auto& binding : current)
		binding->applyPending ();
}

size_t VST3Editor::getBoundControlCount (int32_t tag) const
{
	auto it = bindings.find (tag);
	return it == bindings.end () ? 0 : it->second->size ();
}

CView* VST3Editor::createView (const UIAttributes&, const IUIDescription*) { return nullptr; }

CView* VST3Editor::verifyView (CView* view, const UIAttributes&, const IUIDescription*)
{
	if (auto control = dynamic_cast<CControl*> (view))
		bindControl (control);
	return view;
}

tresult PLUGIN_API VST3Editor::getSize (ViewRect* size)
{
	if (!size)
		return kInvalidArgument;
	*size = getRect ();
	return kResultTrue;
}

tresult PLUGIN_API VST3Editor::onSize (ViewRect* newSize)
{
	if (!newSize)
		return kInvalidArgument;
	return EditorView::onSize (newSize);
}

tresult PLUGIN_API VST3Editor::canResize () { return kResultFalse; }

tresult PLUGIN_API VST3Editor::checkSizeConstraint (ViewRect* rect)
{
	if (!rect)
		return kInvalidArgument;
	*rect = getRect ();
	return kResultTrue;
}

//------------------------------------------------------------------------
double AspectRatioVST3Editor::clampZoom (double factor) const
{
	return std::max (minZoomFactor, std::min (factor, maxZoomFactor));
}

void AspectRatioVST3Editor::setMinZoomFactor (double factor)
{
	if (!std::isfinite (factor) || factor <= 0.)
		return;
	minZoomFactor = factor;
	if (clampZoom (zoomFactor) != zoomFactor)
		setZoomFactor (zoomFactor);
}

void AspectRatioVST3Editor::setMaxZoomFactor (double factor)
{
	if (!std::isfinite (factor) || factor <= 0.)
		return;
	maxZoomFactor = factor;
	if (clampZoom (zoomFactor) != zoomFactor)
		setZoomFactor (zoomFactor);
}

bool AspectRatioVST3Editor::setZoomFactor (double factor)
{
	if (!std::isfinite (factor) || factor <= 0.)
		return false;
	return VST3Editor::setZoomFactor (clampZoom (factor));
}

// The zoom at which the template fits the rectangle (the host's sizes are device pixels).
double AspectRatioVST3Editor::zoomForSize (const ViewRect& rect) const
{
	const double w = std::max<double> (0., rect.getWidth ());
	const double h = std::max<double> (0., rect.getHeight ());
	const double fit = std::min (w / baseSize.getWidth (), h / baseSize.getHeight ()) / contentScaleFactor;
	return clampZoom (std::isfinite (fit) ? fit : minZoomFactor);
}

tresult PLUGIN_API AspectRatioVST3Editor::checkSizeConstraint (ViewRect* rect)
{
	if (!rect)
		return kInvalidArgument;
	if (baseSize.getWidth () <= 0. || baseSize.getHeight () <= 0.)
		return kResultFalse;
	const double scale = zoomForSize (*rect) * contentScaleFactor;
	rect->right = rect->left + static_cast<int32> (std::lround (baseSize.getWidth () * scale));
	rect->bottom = rect->top + static_cast<int32> (std::lround (baseSize.getHeight () * scale));
	return kResultTrue;
}

tresult PLUGIN_API AspectRatioVST3Editor::onSize (ViewRect* newSize)
{
	if (!newSize)
		return kInvalidArgument;
	ViewRect r = *newSize;
	if (checkSizeConstraint (&r) == kResultTrue)
	{
		zoomFactor = zoomForSize (r);
		if (frame)
			frame->setZoom (getAbsScaleFactor ());
	}
	return EditorView::onSize (&r);
}

} // namespace VSTGUI
