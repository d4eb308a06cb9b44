#include "grundmoor/testhost/VirtualDisplay.h"

#include "grundmoor/testhost/TestHost.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace grundmoor::testhost {

namespace {

std::mutex errorMutex;
std::map<XDisplay*, unsigned long>& countedDisplays ()
{
	static std::map<XDisplay*, unsigned long> displays;
	return displays;
}
XErrorHandler previousHandler = nullptr;
bool handlerInstalled = false;

int onXError (Display* display, XErrorEvent* event)
{
	{
		std::lock_guard<std::mutex> lock (errorMutex);
		auto it = countedDisplays ().find (display);
		if (it != countedDisplays ().end ())
		{
			++it->second;
			return 0;
		}
	}
	return previousHandler ? previousHandler (display, event) : 0;
}

using Clock = std::chrono::steady_clock;

int millisecondsLeft (Clock::time_point deadline)
{
	const auto left = std::chrono::duration_cast<std::chrono::milliseconds> (deadline - Clock::now ()).count ();
	return left > 0 ? static_cast<int> (left) : 0;
}

} // namespace

void countErrorsOf (XDisplay* display)
{
	std::lock_guard<std::mutex> lock (errorMutex);
	countedDisplays ().emplace (display, 0);
	if (!handlerInstalled)
	{
		previousHandler = XSetErrorHandler (onXError);
		handlerInstalled = true;
	}
}

void stopCountingErrorsOf (XDisplay* display)
{
	std::lock_guard<std::mutex> lock (errorMutex);
	countedDisplays ().erase (display);
}

unsigned long errorsOf (XDisplay* display)
{
	std::lock_guard<std::mutex> lock (errorMutex);
	auto it = countedDisplays ().find (display);
	return it == countedDisplays ().end () ? 0 : it->second;
}

bool VirtualDisplay::xvfbInstalled (const std::string& xvfb) { return access (xvfb.c_str (), X_OK) == 0; }

VirtualDisplay::VirtualDisplay (const Options& options)
{
	if (options.useExisting)
	{
		const char* existing = std::getenv ("DISPLAY");
		if (!existing || !*existing)
			throw HostError ("no DISPLAY to use");
		displayName = existing;
	}
	else
		startServer (options);

	// The server takes connections once it has told its display number; a few tries cover the
	// moment in between on slow machines.
	const auto deadline = Clock::now () + std::chrono::milliseconds (options.startTimeoutMilliseconds);
	while (!(connection = XOpenDisplay (displayName.c_str ())))
	{
		if (!options.useExisting && waitpid (serverPid, nullptr, WNOHANG) == serverPid)
			serverPid = 0;
		if (options.useExisting || serverPid == 0 || Clock::now () >= deadline)
		{
			stop ();
			throw HostError ("cannot connect to the X display " + displayName);
		}
		std::this_thread::sleep_for (std::chrono::milliseconds (20));
	}
	countErrorsOf (connection);
}

void VirtualDisplay::startServer (const Options& options)
{
	if (!xvfbInstalled (options.xvfb))
		throw HostError ("no Xvfb at " + options.xvfb);
	// Xvfb picks a free display number itself and writes it to this pipe when it is ready.
	int fds[2];
	if (pipe2 (fds, O_CLOEXEC) != 0)
		throw HostError ("pipe failed");
	const std::string screen = std::to_string (options.width) + "x" + std::to_string (options.height) + "x24";
	const std::string childFd = "3";
	std::vector<std::string> args = {options.xvfb, "-displayfd", childFd, "-screen", "0", screen, "-nolisten", "tcp"};
	std::vector<char*> argv;
	for (auto& a : args)
		argv.push_back (a.data ());
	argv.push_back (nullptr);
	const pid_t parent = getpid ();

	const pid_t pid = fork ();
	if (pid < 0)
	{
		close (fds[0]);
		close (fds[1]);
		throw HostError ("fork failed");
	}
	if (pid == 0)
	{
		// Only async-signal-safe calls until exec. The server goes when this process does.
		prctl (PR_SET_PDEATHSIG, SIGTERM);
		if (getppid () != parent)
			_exit (127);
		dup2 (fds[1], 3); // dup2 clears close-on-exec on the copy
		const int null = open ("/dev/null", O_RDWR);
		if (null >= 0)
		{
			dup2 (null, 0);
			dup2 (null, 1);
			dup2 (null, 2);
		}
		execv (argv[0], argv.data ());
		_exit (127);
	}
	close (fds[1]);
	serverPid = pid;

	std::string number;
	const auto deadline = Clock::now () + std::chrono::milliseconds (options.startTimeoutMilliseconds);
	bool done = false;
	while (!done)
	{
		pollfd p {fds[0], POLLIN, 0};
		const int ready = poll (&p, 1, std::min (millisecondsLeft (deadline), 100));
		if (ready < 0 && errno == EINTR)
			continue;
		if (ready > 0)
		{
			char c = 0;
			const ssize_t n = read (fds[0], &c, 1);
			if (n == 1 && c != '\n')
				number.push_back (c);
			else if (n == 1 || n == 0)
				done = true; // the line's end, or the server closed the pipe (it failed)
		}
		if (!done && Clock::now () >= deadline)
			done = true;
	}
	close (fds[0]);
	if (number.empty ())
	{
		stop ();
		throw HostError ("Xvfb did not start");
	}
	displayName = ":" + number;
}

VirtualDisplay::~VirtualDisplay () { stop (); }

void VirtualDisplay::stop ()
{
	if (connection)
	{
		stopCountingErrorsOf (connection);
		XCloseDisplay (connection);
		connection = nullptr;
	}
	if (serverPid > 0)
	{
		kill (serverPid, SIGTERM);
		while (waitpid (serverPid, nullptr, 0) < 0 && errno == EINTR)
		{
		}
		serverPid = 0;
	}
}

int VirtualDisplay::screenWidth () const
{
	return connection ? DisplayWidth (connection, DefaultScreen (connection)) : 0;
}

int VirtualDisplay::screenHeight () const
{
	return connection ? DisplayHeight (connection, DefaultScreen (connection)) : 0;
}

unsigned long VirtualDisplay::errorCount () const { return connection ? errorsOf (connection) : 0; }

} // namespace grundmoor::testhost
