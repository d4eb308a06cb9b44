#include "public.sdk/source/common/openurl.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>


namespace Steinberg {
namespace {

// Overridable for tests (GRUNDMOOR_URL_OPENER); the default is the freedesktop opener.
const char* openerProgram ()
{
	const char* custom = getenv ("GRUNDMOOR_URL_OPENER");
	return (custom && *custom) ? custom : "xdg-open";
}

} // namespace

bool openURLInDefaultApplication (const std::string& address)
{
	if (address.empty () || address.find ('\0') != std::string::npos)
		return false;

	// A pipe, closed on exec, tells whether the grandchild reached exec: the intermediate child
	// exits at once so the caller reaps it without waiting for the opener, and the opener is
	// re-parented to init (no zombie left behind in the host).
	int status[2];
	if (pipe2 (status, O_CLOEXEC) != 0)
		return false;

	const std::string program = openerProgram ();
	const pid_t child = fork ();
	if (child < 0)
	{
		close (status[0]);
		close (status[1]);
		return false;
	}
	if (child == 0)
	{
		// Only async-signal-safe calls between fork and exec.
		close (status[0]);
		const pid_t grandchild = fork ();
		if (grandchild != 0)
			_exit (grandchild < 0 ? 1 : 0);
		setsid ();
		const int devNull = open ("/dev/null", O_RDWR);
		if (devNull >= 0)
		{
			dup2 (devNull, STDIN_FILENO);
			dup2 (devNull, STDOUT_FILENO);
			dup2 (devNull, STDERR_FILENO);
			if (devNull > STDERR_FILENO)
				close (devNull);
		}
		char* const argv[] = {const_cast<char*> (program.c_str ()),
		                      const_cast<char*> (address.c_str ()), nullptr};
		execvp (argv[0], argv);
		const int error = errno;
		[[maybe_unused]] auto written = write (status[1], &error, sizeof (error));
		_exit (127);
	}

	close (status[1]);
	int childStatus = 0;
	while (waitpid (child, &childStatus, 0) < 0 && errno == EINTR)
	{
	}
	bool started = WIFEXITED (childStatus) && WEXITSTATUS (childStatus) == 0;
	if (started)
	{
		// Returns as soon as exec succeeded (end of file) or failed (an errno arrives).
		int error = 0;
		ssize_t n;
		while ((n = read (status[0], &error, sizeof (error))) < 0 && errno == EINTR)
		{
		}
		started = (n == 0);
	}
	close (status[0]);
	return started;
}

} // namespace Steinberg
