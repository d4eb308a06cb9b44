#include "grundmoor/testhost/Environment.h"

#include "grundmoor/testhost/TestHost.h"

#include <cstdlib>
#include <system_error>

namespace grundmoor::testhost {

ScopedEnvironmentVariable::ScopedEnvironmentVariable (std::string n, std::optional<std::string> value)
: name (std::move (n))
{
	if (const char* old = std::getenv (name.c_str ()))
		previous = old;
	if (value)
		setenv (name.c_str (), value->c_str (), 1);
	else
		unsetenv (name.c_str ());
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable ()
{
	if (previous)
		setenv (name.c_str (), previous->c_str (), 1);
	else
		unsetenv (name.c_str ());
}

TemporaryFolder::TemporaryFolder (const std::string& prefix)
{
	std::error_code ec;
	auto base = std::filesystem::temp_directory_path (ec);
	if (ec)
		base = "/tmp";
	std::string pattern = (base / (prefix + "-XXXXXX")).string ();
	if (!mkdtemp (pattern.data ()))
		throw HostError ("cannot make a temporary folder under " + base.string ());
	folder = pattern;
}

TemporaryFolder::~TemporaryFolder ()
{
	std::error_code ec;
	std::filesystem::remove_all (folder, ec);
}

} // namespace grundmoor::testhost
