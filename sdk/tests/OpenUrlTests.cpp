#include "public.sdk/source/common/openurl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using Steinberg::openURLInDefaultApplication;

namespace {

class OpenUrl : public testing::Test
{
protected:
	void SetUp () override
	{
		record = std::filesystem::temp_directory_path () /
		         ("grundmoor-url-" + std::to_string (getpid ()) + ".txt");
		std::filesystem::remove (record);
		setenv ("GRUNDMOOR_URL_RECORD", record.c_str (), 1);
		setenv ("GRUNDMOOR_URL_OPENER", GRUNDMOOR_TEST_URL_RECORDER, 1);
	}
	void TearDown () override
	{
		unsetenv ("GRUNDMOOR_URL_OPENER");
		unsetenv ("GRUNDMOOR_URL_RECORD");
		std::filesystem::remove (record);
	}

	// The opener runs detached: wait for its record (not a speed check: only a hang guard).
	std::vector<std::string> recordedArguments ()
	{
		for (int i = 0; i < 2000 && !std::filesystem::exists (record); ++i)
			std::this_thread::sleep_for (std::chrono::milliseconds (10));
		std::vector<std::string> lines;
		std::ifstream in (record);
		for (std::string line; std::getline (in, line);)
			lines.push_back (line);
		return lines;
	}

	std::filesystem::path record;
};

} // namespace

TEST_F (OpenUrl, PassesTheAddressAsOneArgumentWithoutAShell)
{
	const std::string addresses[] = {
	    "https://example.org/grundmoor?a=1&b=2",
	    "https://example.org/with space; touch /tmp/grundmoor-shell-was-used",
	    "mailto:info@example.org",
	    "$(echo injected)`echo also`",
	};
	for (const auto& address : addresses)
	{
		SCOPED_TRACE (address);
		std::filesystem::remove (record);
		ASSERT_TRUE (openURLInDefaultApplication (address));
		EXPECT_EQ (recordedArguments (), (std::vector<std::string> {"1", address}));
	}
	EXPECT_FALSE (std::filesystem::exists ("/tmp/grundmoor-shell-was-used"));
}

TEST_F (OpenUrl, EmptyAddressIsRefusedWithoutStartingAnything)
{
	EXPECT_FALSE (openURLInDefaultApplication (""));
	EXPECT_FALSE (openURLInDefaultApplication (std::string ("a\0b", 3)));
	EXPECT_FALSE (std::filesystem::exists (record));
}

TEST_F (OpenUrl, MissingOpenerIsReportedAsFailure)
{
	setenv ("GRUNDMOOR_URL_OPENER", "/nonexistent/grundmoor-no-such-opener", 1);
	EXPECT_FALSE (openURLInDefaultApplication ("https://example.org"));
}
