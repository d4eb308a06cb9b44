// An X server for editors: a private Xvfb on a display number of its own, or the DISPLAY the
// process already has. The harness keeps a connection of its own to it (windows, input, pictures);
// a plug-in opens its own through the DISPLAY variable.
#pragma once

#include <string>
#include <sys/types.h>

struct _XDisplay;

namespace grundmoor::testhost {

using XDisplay = ::_XDisplay;

class VirtualDisplay
{
public:
	struct Options
	{
		int width = 1920;
		int height = 1080;
		/** Connect to $DISPLAY instead of starting a server. */
		bool useExisting = false;
		std::string xvfb = "/usr/bin/Xvfb";
		int startTimeoutMilliseconds = 20000;
	};

	/** Whether the Xvfb executable is there (tests skip without it). */
	static bool xvfbInstalled (const std::string& xvfb = "/usr/bin/Xvfb");

	/** Starts Xvfb (-screen 0 WxHx24 -nolisten tcp) on a free display and waits until it takes
	 * connections, or connects to $DISPLAY; throws HostError when neither works. */
	explicit VirtualDisplay (const Options& options);
	VirtualDisplay () : VirtualDisplay (Options {}) {}
	/** Closes the connection and stops the server it started. */
	~VirtualDisplay ();
	VirtualDisplay (const VirtualDisplay&) = delete;
	VirtualDisplay& operator= (const VirtualDisplay&) = delete;

	/** ":N", the value for DISPLAY. */
	const std::string& name () const { return displayName; }
	XDisplay* display () const { return connection; }
	bool ownsServer () const { return serverPid > 0; }
	pid_t serverProcess () const { return serverPid; }
	int screenWidth () const;
	int screenHeight () const;

	/** X protocol errors reported on the harness's connection so far (they never end the process). */
	unsigned long errorCount () const;

	/** Closes the connection and stops the server (also done by the destructor). */
	void stop ();

private:
	void startServer (const Options& options);

	std::string displayName;
	XDisplay* connection = nullptr;
	pid_t serverPid = 0;
};

/** X errors on the given connection are counted instead of ending the process (Xlib's default);
 * errors of other connections go to the handler that was there before. */
void countErrorsOf (XDisplay* display);
void stopCountingErrorsOf (XDisplay* display);
unsigned long errorsOf (XDisplay* display);

} // namespace grundmoor::testhost
