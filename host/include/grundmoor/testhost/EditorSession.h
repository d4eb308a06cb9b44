// An editor opened through the bundle as a Linux host opens it, for tests and tools:
//
//   EditorSession session ({.bundle = path});  // Xvfb of its own, private XDG_DATA_HOME, host set up
//   session.writeEditorSizeFile ("1.0\n");      // before the view exists: the editor's zoom
//   session.open ();                            // createView ("editor") ... attached, drawn
//   session.click (layout rect.centre ());      // XTest, at the editor's zoom
//   session.playAndPump (2.0);                  // 120 BPM, sequencer on, the editor's timers run
//   session.screenshot ().writePng ("editor.png");
//   session.close ();                           // removed, setFrame (nullptr), release
//
// Everything runs on the calling thread: it is the host's main thread and, in playAndPump, its
// audio thread too.
#pragma once

#include "grundmoor/testhost/EditorLayout.h"
#include "grundmoor/testhost/Environment.h"
#include "grundmoor/testhost/InputSimulator.h"
#include "grundmoor/testhost/PlugViewHost.h"
#include "grundmoor/testhost/Screenshot.h"
#include "grundmoor/testhost/TestHost.h"
#include "grundmoor/testhost/VirtualDisplay.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace grundmoor::testhost {

class EditorSession
{
public:
	enum class DisplayMode
	{
		kVirtual,  // a private Xvfb
		kExisting, // the process's DISPLAY
		kNone      // no X at all: views can be created and sized, not attached
	};

	struct Options
	{
		std::filesystem::path bundle;
		double sampleRate = 48000.0;
		int32 blockSize = 256;
		DisplayMode display = DisplayMode::kVirtual;
		/** The Xvfb screen; 0 takes the template's size at the largest zoom (2.0). */
		int screenWidth = 0;
		int screenHeight = 0;
	};

	/** Whether sessions with a virtual display can run here (Xvfb installed). */
	static bool virtualDisplayAvailable () { return VirtualDisplay::xvfbInstalled (); }

	/** Makes the private data home, starts the display, loads the bundle and sets up processor and
	 * controller (connected). Throws HostError. */
	explicit EditorSession (Options options);
	/** Closes the editor, tears the host down, restores the environment, removes the data home,
	 * stops the display. */
	~EditorSession ();
	EditorSession (const EditorSession&) = delete;
	EditorSession& operator= (const EditorSession&) = delete;

	//--- The user data folder (XDG_DATA_HOME of the session) -----------------------------------
	const std::filesystem::path& dataHome () const { return dataFolder.path (); }
	/** <data home>/TarnwellPlugin/Grundmoor/editor-size.conf */
	std::filesystem::path editorSizeFile () const;
	/** Writes the file (folders made); read by the next createView. */
	void writeEditorSizeFile (const std::string& content);

	//--- The editor --------------------------------------------------------------------------
	/** createView ("editor"); throws HostError when there is none. The session owns the view. */
	Steinberg::IPlugView* createView ();
	/** createView unless a view exists, attach it, wait until it has drawn (HostError when not). */
	void open ();
	/** Attaches the existing view (first time: setFrame ... attached; after removeOnly: attached
	 * again). */
	void attach ();
	/** removed only: the view and its frame stay. */
	void removeOnly ();
	/** removed, setFrame (nullptr), release. */
	void close ();
	Steinberg::IPlugView* view () const { return plugView; }
	bool isAttached () const { return embedding && embedding->isAttached (); }
	/** getSize of the view as it is now. */
	Steinberg::ViewRect viewSize () const;
	/** The view's width over the template's (the editor's zoom); 1 without a description. */
	double zoom () const;
	bool waitForDrawn (int timeoutMilliseconds = 10000);

	//--- Host pieces -------------------------------------------------------------------------
	TestHost& host () { return *testHost; }
	ComponentHandler& componentHandler () { return testHost->componentHandler (); }
	/** The editor's layout from the bundle's description (HostError when there is none). */
	const EditorLayout& layout () const;
	bool hasDisplay () const { return xDisplay != nullptr; }
	VirtualDisplay& display ();
	PlugViewHost& viewHost ();
	PlugFrameRunLoop& runLoop ();
	InputSimulator& input ();

	//--- Running -----------------------------------------------------------------------------
	void pump (int milliseconds);
	bool pumpUntil (const std::function<bool ()>& done, int timeoutMilliseconds);
	/** Pumps until the editor has handled what the input caused. */
	void settle ();
	/** Renders this much audio in real time, the transport playing at tempo with the sequencer
	 * on, pumping the editor's loop between the blocks (its timers show the processor's
	 * visualization messages). */
	void playAndPump (double seconds, double tempo = 120.0);

	//--- Input in editor coordinates (each settles afterwards) --------------------------------
	PixelPoint toPixels (EditorPoint p) const;
	void click (EditorPoint p, int button = InputSimulator::kLeft);
	void drag (EditorPoint from, EditorPoint to, int steps = 12, int button = InputSimulator::kLeft);
	void scroll (EditorPoint p, int clicks);
	void typeText (const std::string& text);
	/** Pumps past the pointer's double-click time, so that the next press is a click of its own. */
	void waitPastDoubleClick ();

	Image screenshot () const;

private:
	void releaseView ();

	Options options;
	TemporaryFolder dataFolder;
	ScopedEnvironmentVariable xdgDataHome;
	std::unique_ptr<VirtualDisplay> xDisplay;
	std::optional<ScopedEnvironmentVariable> displayVariable;
	std::unique_ptr<TestHost> testHost;
	std::unique_ptr<PlugViewHost> embedding;
	std::unique_ptr<InputSimulator> inputSimulator;
	mutable std::optional<EditorLayout> editorLayout;
	std::chrono::steady_clock::time_point lastPress;
	Steinberg::IPlugView* plugView = nullptr;
	bool everAttached = false;
};

} // namespace grundmoor::testhost
