// grundmoor-render run as a program on the test instrument.
#include "TestInstrument.h"
#include "TestSupport.h"

#include "grundmoor/testhost/WavFile.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace grundmoor::testhost;
using namespace testsupport;

namespace {

struct ToolRun
{
	int status;
	std::string output;
};

std::string quoted (const std::string& s)
{
	std::string q (1, '\'');
	for (char c : s)
		if (c == '\'')
			q.append ("'\\''");
		else
			q.push_back (c);
	q.push_back ('\'');
	return q;
}

ToolRun render (const std::vector<std::string>& args)
{
	std::string command = quoted (GRUNDMOOR_RENDER_TOOL);
	for (const auto& a : args)
	{
		command.push_back (' ');
		command.append (quoted (a));
	}
	command += " 2>&1";
	ToolRun run {-1, {}};
	FILE* pipe = popen (command.c_str (), "r");
	if (!pipe)
		return run;
	char buffer[4096];
	size_t n;
	while ((n = fread (buffer, 1, sizeof (buffer), pipe)) > 0)
		run.output.append (buffer, n);
	const int status = pclose (pipe);
	run.status = WIFEXITED (status) ? WEXITSTATUS (status) : -1;
	return run;
}

std::string outFile (const char* name)
{
	const auto p = std::filesystem::path (GRUNDMOOR_TEST_OUTPUT_DIR) / name;
	std::filesystem::remove (p);
	return p.string ();
}

} // namespace

TEST (RenderTool, RendersBarsWithThePlayingTransport)
{
	struct Case
	{
		const char* bars;
		const char* tempo;
		const char* sampleRate;
		const char* blockSize;
	};
	const Case cases[] = {{"4", "120", "48000", "512"}, {"2", "90", "44100", "100"}, {"1", "140", "96000", "64"}};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (testing::Message () << c.bars << " bars " << c.tempo << " BPM " << c.sampleRate);
		const auto out = outFile ("transport.wav");
		const ToolRun run = render ({"--bundle", instrumentBundle (), "--bars", c.bars, "--tempo", c.tempo,
		                         "--sample-rate", c.sampleRate, "--block-size", c.blockSize, "--out", out});
		ASSERT_EQ (run.status, 0) << run.output;
		EXPECT_NE (run.output.find ("Peak:"), std::string::npos) << run.output;
		EXPECT_NE (run.output.find ("RMS:"), std::string::npos) << run.output;
		EXPECT_NE (run.output.find ("Real-time factor:"), std::string::npos) << run.output;

		WavData wav;
		ASSERT_TRUE (readFloatWav (out, wav));
		const double sr = std::stod (c.sampleRate);
		const double spq = 60.0 / std::stod (c.tempo) * sr;
		const int quarters = 4 * std::stoi (c.bars);
		EXPECT_EQ (wav.sampleRate, static_cast<std::uint32_t> (sr));
		ASSERT_EQ (wav.channels.size (), 2u);
		EXPECT_EQ (static_cast<double> (wav.channels[0].size ()), std::round (quarters * spq));
		std::vector<int64_t> expected;
		for (int q = 0; q < quarters; ++q)
			expected.push_back (static_cast<int64_t> (std::ceil (q * spq - 1e-6)));
		EXPECT_EQ (triggers (wav.channels[0]), expected);
		EXPECT_EQ (wav.channels[0], wav.channels[1]);
	}
}

TEST (RenderTool, NotesModeTriggersQuartersWithNoteEvents)
{
	const auto out = outFile ("notes.wav");
	const ToolRun run = render ({"--bundle", instrumentBundle (), "--bars", "1", "--tempo", "120", "--notes",
	                         "--velocity", "0.5", "--out", out});
	ASSERT_EQ (run.status, 0) << run.output;
	WavData wav;
	ASSERT_TRUE (readFloatWav (out, wav));
	EXPECT_EQ (triggers (wav.channels[0]), (std::vector<int64_t> {0, 24000, 48000, 72000}));
	EXPECT_NEAR (peak (wav.channels[0], 0, 24000), 0.25f, 0.01f) << "gain 0.5 x velocity 0.5";
}

TEST (RenderTool, ParametersAreSetBeforeTheFirstBlock)
{
	const auto out = outFile ("param.wav");
	const std::string gain = std::to_string (GrundmoorTestInstrument::kGainId) + "=1";
	const ToolRun run = render ({"--bundle", instrumentBundle (), "--bars", "1", "--param", gain, "--out", out});
	ASSERT_EQ (run.status, 0) << run.output;
	WavData wav;
	ASSERT_TRUE (readFloatWav (out, wav));
	EXPECT_NEAR (peak (wav.channels[0], 0, 24000), 1.0f, 0.02f);
}

TEST (RenderTool, TailExtendsTheRender)
{
	const auto out = outFile ("tail.wav");
	const ToolRun run = render ({"--bundle", instrumentBundle (), "--bars", "1", "--tail", "0.5", "--out", out});
	ASSERT_EQ (run.status, 0) << run.output;
	WavData wav;
	ASSERT_TRUE (readFloatWav (out, wav));
	EXPECT_EQ (wav.channels[0].size (), 96000u + 24000u);
}

TEST (RenderTool, BadUsageAndMissingBundlesFailWithDistinctStatus)
{
	struct Case
	{
		std::vector<std::string> args;
		int status;
	};
	const std::string bundle = instrumentBundle ();
	const Case cases[] = {
	    {{}, 2},
	    {{"--bundle"}, 2},
	    {{"--bundle", bundle, "--bars", "x"}, 2},
	    {{"--bundle", bundle, "--tempo", "0"}, 2},
	    {{"--bundle", bundle, "--block-size", "0"}, 2},
	    {{"--bundle", bundle, "--param", "5"}, 2},
	    {{"--bundle", bundle, "--param", "1=1.5"}, 2},
	    {{"--bundle", bundle, "--frobnicate"}, 2},
	    {{"--bundle", "/nonexistent/Nothing.vst3", "--out", outFile ("none.wav")}, 1},
	};
	for (const auto& c : cases)
	{
		std::string joined;
		for (const auto& a : c.args)
			joined += a + " ";
		SCOPED_TRACE (joined);
		const ToolRun run = render (c.args);
		EXPECT_EQ (run.status, c.status) << run.output;
	}
	EXPECT_EQ (render ({"--help"}).status, 0);
}
