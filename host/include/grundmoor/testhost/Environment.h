// Process environment for an editor session: a variable set for a while, a folder that goes again.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace grundmoor::testhost {

/** Sets (or, with no value, unsets) an environment variable while alive; the old value returns. */
class ScopedEnvironmentVariable
{
public:
	ScopedEnvironmentVariable (std::string name, std::optional<std::string> value);
	~ScopedEnvironmentVariable ();
	ScopedEnvironmentVariable (const ScopedEnvironmentVariable&) = delete;
	ScopedEnvironmentVariable& operator= (const ScopedEnvironmentVariable&) = delete;

private:
	std::string name;
	std::optional<std::string> previous;
};

/** A new, empty folder under the temporary directory, removed with all it holds at the end. */
class TemporaryFolder
{
public:
	/** Throws HostError when the folder cannot be made. */
	explicit TemporaryFolder (const std::string& prefix = "grundmoor-host");
	~TemporaryFolder ();
	TemporaryFolder (const TemporaryFolder&) = delete;
	TemporaryFolder& operator= (const TemporaryFolder&) = delete;

	const std::filesystem::path& path () const { return folder; }

private:
	std::filesystem::path folder;
};

} // namespace grundmoor::testhost
