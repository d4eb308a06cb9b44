#include "grundmoor/testhost/EditorSession.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <system_error>

namespace grundmoor::testhost {

using namespace Steinberg;

namespace {

constexpr ParamID kSequencerEnabled = 440;
constexpr double kLargestZoom = 2.0;
// X11 reports a second press within this time as a double click.
constexpr int kDoubleClickMilliseconds = 300;

} // namespace

EditorSession::EditorSession (Options o)
: options (std::move (o)), dataFolder ("grundmoor-editor"), xdgDataHome ("XDG_DATA_HOME", dataFolder.path ().string ())
{
	if (options.display != DisplayMode::kNone)
	{
		VirtualDisplay::Options d;
		d.useExisting = options.display == DisplayMode::kExisting;
		d.width = options.screenWidth;
		d.height = options.screenHeight;
		if (d.width <= 0 || d.height <= 0)
		{
			// Room for the editor at any zoom it accepts.
			d.width = 3840;
			d.height = 2160;
			std::error_code ec;
			const auto file = EditorLayout::descriptionOfBundle (options.bundle);
			if (std::filesystem::exists (file, ec))
				if (auto r = EditorLayout::fromFile (file).templateRect ())
				{
					d.width = std::max (640, static_cast<int> (std::ceil (r->width * kLargestZoom)) + 8);
					d.height = std::max (480, static_cast<int> (std::ceil (r->height * kLargestZoom)) + 8);
				}
		}
		xDisplay = std::make_unique<VirtualDisplay> (d);
		if (options.display == DisplayMode::kVirtual)
			displayVariable.emplace ("DISPLAY", xDisplay->name ()); // the plug-in connects through it
		embedding = std::make_unique<PlugViewHost> (xDisplay->display ());
	}
	testHost = std::make_unique<TestHost> (options.bundle);
	testHost->setup (options.sampleRate, options.blockSize);
}

EditorSession::~EditorSession ()
{
	releaseView ();
	embedding.reset ();
	inputSimulator.reset ();
	testHost.reset ();
	displayVariable.reset ();
	xDisplay.reset ();
}

std::filesystem::path EditorSession::editorSizeFile () const
{
	return dataHome () / "TarnwellPlugin" / "Grundmoor" / "editor-size.conf";
}

void EditorSession::writeEditorSizeFile (const std::string& content)
{
	const auto file = editorSizeFile ();
	std::filesystem::create_directories (file.parent_path ());
	std::ofstream out (file, std::ios::binary | std::ios::trunc);
	out << content;
	if (!out.flush ())
		throw HostError ("cannot write " + file.string ());
}

IPlugView* EditorSession::createView ()
{
	if (plugView)
		throw HostError ("the session has a view already");
	plugView = testHost->controller ()->createView (Vst::ViewType::kEditor);
	if (!plugView)
		throw HostError ("the controller made no \"editor\" view");
	return plugView;
}

void EditorSession::attach ()
{
	if (!plugView)
		throw HostError ("no view to attach");
	if (!embedding)
		throw HostError ("the session has no display");
	if (embedding->view () == plugView)
		embedding->reattach ();
	else
		embedding->attach (plugView);
	input ().setZoom (zoom ());
}

void EditorSession::open ()
{
	if (!plugView)
		createView ();
	attach ();
	if (!waitForDrawn ())
		throw HostError ("the editor did not draw");
}

void EditorSession::removeOnly ()
{
	if (embedding)
		embedding->removeOnly ();
}

void EditorSession::close () { releaseView (); }

void EditorSession::releaseView ()
{
	if (embedding)
		embedding->detach ();
	if (plugView)
	{
		plugView->release ();
		plugView = nullptr;
	}
}

ViewRect EditorSession::viewSize () const
{
	ViewRect r;
	if (plugView)
		plugView->getSize (&r);
	return r;
}

double EditorSession::zoom () const
{
	std::optional<EditorRect> base;
	try
	{
		base = layout ().templateRect ();
	}
	catch (const HostError&)
	{
		// A bundle without a readable description: its editor's points are taken as pixels.
	}
	if (!base || base->width <= 0)
		return 1.0;
	return viewSize ().getWidth () / base->width;
}

bool EditorSession::waitForDrawn (int timeoutMilliseconds)
{
	return embedding && embedding->waitForDrawn (timeoutMilliseconds);
}

const EditorLayout& EditorSession::layout () const
{
	if (!editorLayout)
		editorLayout = EditorLayout::fromFile (EditorLayout::descriptionOfBundle (options.bundle));
	return *editorLayout;
}

VirtualDisplay& EditorSession::display ()
{
	if (!xDisplay)
		throw HostError ("the session has no display");
	return *xDisplay;
}

PlugViewHost& EditorSession::viewHost ()
{
	if (!embedding)
		throw HostError ("the session has no display");
	return *embedding;
}

PlugFrameRunLoop& EditorSession::runLoop () { return viewHost ().runLoop (); }

InputSimulator& EditorSession::input ()
{
	if (!inputSimulator)
		inputSimulator = std::make_unique<InputSimulator> (display ().display (), viewHost ().window ().id ());
	return *inputSimulator;
}

void EditorSession::pump (int milliseconds) { runLoop ().pump (milliseconds); }

bool EditorSession::pumpUntil (const std::function<bool ()>& done, int timeoutMilliseconds)
{
	return runLoop ().pumpUntil (done, timeoutMilliseconds);
}

void EditorSession::settle () { viewHost ().settle (); }

void EditorSession::playAndPump (double seconds, double tempo)
{
	auto& transport = testHost->transport ();
	transport.tempo = tempo;
	transport.playing = true;
	if (testHost->controller ()->getParamNormalized (kSequencerEnabled) < 0.5)
		testHost->setParameter (kSequencerEnabled, 1.0);
	const double rate = testHost->sampleRate ();
	const auto total = static_cast<int64_t> (std::llround (std::max (seconds, 0.0) * rate));
	const auto start = PlugFrameRunLoop::Clock::now ();
	for (int64_t done = 0; done < total;)
	{
		const auto n = static_cast<int32> (std::min<int64_t> (testHost->maxBlockSize (), total - done));
		testHost->processBlock (n);
		done += n;
		// The audio keeps to real time, so the editor's 33 ms timer sees the messages as they come.
		const auto due = start + std::chrono::duration_cast<PlugFrameRunLoop::Clock::duration> (
		                             std::chrono::duration<double> (static_cast<double> (done) / rate));
		if (embedding)
			embedding->runLoop ().pumpFor (std::max (due - PlugFrameRunLoop::Clock::now (),
			                                         PlugFrameRunLoop::Clock::duration::zero ()));
	}
	transport.playing = false;
}

PixelPoint EditorSession::toPixels (EditorPoint p) const
{
	const double z = zoom ();
	return {static_cast<int> (std::floor (p.x * z)), static_cast<int> (std::floor (p.y * z))};
}

void EditorSession::waitPastDoubleClick ()
{
	const auto until = lastPress + std::chrono::milliseconds (kDoubleClickMilliseconds + 50);
	const auto left = until - PlugFrameRunLoop::Clock::now ();
	if (left > PlugFrameRunLoop::Clock::duration::zero ())
		runLoop ().pumpFor (left);
}

void EditorSession::click (EditorPoint p, int button)
{
	waitPastDoubleClick ();
	input ().click (toPixels (p), button);
	lastPress = PlugFrameRunLoop::Clock::now ();
	settle ();
}

void EditorSession::drag (EditorPoint from, EditorPoint to, int steps, int button)
{
	waitPastDoubleClick ();
	auto& in = input ();
	// Each move is handled before the next, as the editor sees a hand move.
	in.setAfterEachEvent ([this] { settle (); });
	in.drag (toPixels (from), toPixels (to), steps, button);
	in.setAfterEachEvent ({});
	lastPress = PlugFrameRunLoop::Clock::now ();
	settle ();
}

void EditorSession::scroll (EditorPoint p, int clicks)
{
	input ().scroll (toPixels (p), clicks);
	settle ();
}

void EditorSession::typeText (const std::string& text)
{
	input ().typeText (text);
	settle ();
}

Image EditorSession::screenshot () const
{
	if (!embedding)
		throw HostError ("the session has no display");
	return embedding->screenshot ();
}

} // namespace grundmoor::testhost
