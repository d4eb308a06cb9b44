// grundmoor-render: renders bars of a VST 3 instrument through the test host into a WAV file.
#include "ToolArguments.h"

#include "grundmoor/testhost/TestHost.h"
#include "grundmoor/testhost/WavFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace grundmoor::testhost;

namespace {

struct Options
{
	std::string bundle;
	std::string out = "render.wav";
	double bars = 4;
	double tempo = 120.0;
	double sampleRate = 48000.0;
	int blockSize = 512;
	double tailSeconds = 0.0;
	bool notes = false;
	bool realtime = false;
	int pitch = 36;
	double velocity = 1.0;
	std::vector<std::pair<Steinberg::Vst::ParamID, double>> params;
};

void usage (std::ostream& os)
{
	os << "Usage: grundmoor-render --bundle DIR [options]\n"
	      "  --bundle DIR         the .vst3 bundle folder to load\n"
	      "  --out FILE.wav       output file (32-bit float stereo; default render.wav)\n"
	      "  --bars N             bars of 4/4 to render (default 4)\n"
	      "  --tempo BPM          host tempo (default 120)\n"
	      "  --sample-rate SR     sample rate in Hz (default 48000)\n"
	      "  --block-size N       maximum block size (default 512)\n"
	      "  --param ID=VALUE     set a parameter (normalized 0..1) before the first block; repeatable\n"
	      "  --notes              trigger quarter notes with note events, transport stopped\n"
	      "                       (default: transport playing from position 0, no notes)\n"
	      "  --pitch N            note pitch for --notes (default 36)\n"
	      "  --velocity V         note velocity 0..1 for --notes (default 1)\n"
	      "  --tail SECONDS       render this much more after the bars (default 0)\n"
	      "  --realtime           process in real-time mode (default: offline)\n";
}

using grundmoor::tools::number;

// Returns an error message, or empty when the options are fine.
std::string parse (int argc, char** argv, Options& o, bool& help)
{
	for (int i = 1; i < argc; ++i)
	{
		const std::string arg = argv[i];
		auto value = [&] () -> std::optional<std::string> {
			if (i + 1 >= argc)
				return std::nullopt;
			return std::string (argv[++i]);
		};
		auto numeric = [&] (double& target, double min) -> std::string {
			auto v = value ();
			if (!v)
				return arg + " needs a value";
			auto n = number (*v);
			if (!n || *n < min)
				return "bad value for " + arg + ": " + *v;
			target = *n;
			return {};
		};
		std::string error;
		if (arg == "--help" || arg == "-h")
			help = true;
		else if (arg == "--bundle" || arg == "--out")
		{
			auto v = value ();
			if (!v || v->empty ())
				return arg + " needs a value";
			(arg == "--bundle" ? o.bundle : o.out) = *v;
		}
		else if (arg == "--bars")
			error = numeric (o.bars, 0.0);
		else if (arg == "--tempo")
			error = numeric (o.tempo, 1.0);
		else if (arg == "--sample-rate")
			error = numeric (o.sampleRate, 1000.0);
		else if (arg == "--tail")
			error = numeric (o.tailSeconds, 0.0);
		else if (arg == "--velocity")
			error = numeric (o.velocity, 0.0);
		else if (arg == "--block-size" || arg == "--pitch")
		{
			double v = 0;
			error = numeric (v, arg == "--pitch" ? 0.0 : 1.0);
			if (error.empty ())
			{
				if (v != std::floor (v) || v > (arg == "--pitch" ? 127.0 : 1 << 20))
					return "bad value for " + arg;
				(arg == "--pitch" ? o.pitch : o.blockSize) = static_cast<int> (v);
			}
		}
		else if (arg == "--param")
		{
			auto v = value ();
			if (!v)
				return "--param needs ID=VALUE";
			const auto eq = v->find ('=');
			auto id = eq == std::string::npos ? std::nullopt : number (v->substr (0, eq));
			auto val = eq == std::string::npos ? std::nullopt : number (v->substr (eq + 1));
			if (!id || !val || *id < 0 || *id != std::floor (*id) || *id > 4294967295.0 || *val < 0 || *val > 1)
				return "bad --param " + *v + " (want ID=VALUE with VALUE in 0..1)";
			o.params.emplace_back (static_cast<Steinberg::Vst::ParamID> (*id), *val);
		}
		else if (arg == "--notes")
			o.notes = true;
		else if (arg == "--realtime")
			o.realtime = true;
		else
			return "unknown option " + arg;
		if (!error.empty ())
			return error;
	}
	if (!help && o.bundle.empty ())
		return "--bundle is required";
	if (o.velocity > 1.0)
		return "--velocity must be in 0..1";
	return {};
}

double dB (double v) { return v > 0 ? 20.0 * std::log10 (v) : -INFINITY; }

} // namespace

int main (int argc, char** argv)
{
	Options o;
	bool help = false;
	const std::string error = parse (argc, argv, o, help);
	if (help)
	{
		usage (std::cout);
		return 0;
	}
	if (!error.empty ())
	{
		std::cerr << "grundmoor-render: " << error << "\n";
		usage (std::cerr);
		return 2;
	}

	try
	{
		TestHost host (o.bundle);
		host.setup (o.sampleRate, o.blockSize, o.realtime ? Steinberg::Vst::kRealtime : Steinberg::Vst::kOffline);
		std::string name = "?";
		for (const auto& c : host.classes ())
			if (c.category == kVstAudioEffectClass)
			{
				name = c.name + " " + c.version;
				break;
			}

		for (const auto& [id, value] : o.params)
			host.setParameter (id, value);

		const double samplesPerQuarter = 60.0 / o.tempo * o.sampleRate;
		const double quarters = o.bars * 4.0;
		const auto barSamples = static_cast<int64_t> (std::llround (quarters * samplesPerQuarter));
		const auto total = barSamples + static_cast<int64_t> (std::llround (o.tailSeconds * o.sampleRate));

		auto& transport = host.transport ();
		transport.tempo = o.tempo;
		transport.projectTimeMusic = 0.0;
		transport.playing = !o.notes;
		if (o.notes)
			for (int64_t q = 0; q < static_cast<int64_t> (std::ceil (quarters)); ++q)
			{
				const auto on = static_cast<int64_t> (std::llround (q * samplesPerQuarter));
				const auto off = static_cast<int64_t> (std::llround ((q + 0.5) * samplesPerQuarter));
				host.addNoteOn (on, static_cast<int16_t> (o.pitch), static_cast<float> (o.velocity));
				host.addNoteOff (off, static_cast<int16_t> (o.pitch));
			}

		// The whole render is kept for the file; only the processing is timed.
		std::vector<std::vector<float>> stereo (2, std::vector<float> (static_cast<size_t> (total)));
		const int32_t channels = host.outputChannelCount (0);
		if (channels <= 0)
			throw HostError ("the plug-in has no main audio output");
		const auto start = std::chrono::steady_clock::now ();
		for (int64_t done = 0; done < total;)
		{
			const auto n = static_cast<int32_t> (std::min<int64_t> (o.blockSize, total - done));
			host.processBlock (n);
			for (int32_t c = 0; c < 2; ++c)
			{
				// A mono output goes to both sides; channels beyond two are left out.
				const float* src = host.blockOutput (0, std::min (c, channels - 1));
				std::copy_n (src, n, stereo[static_cast<size_t> (c)].begin () + done);
			}
			done += n;
		}
		const double wallSeconds = std::chrono::duration<double> (std::chrono::steady_clock::now () - start).count ();
		const double audioSeconds = static_cast<double> (total) / o.sampleRate;

		const Levels levels = measureLevels (stereo);
		std::printf ("Plug-in:   %s (%s)\n", name.c_str (), host.factoryInfo ().vendor);
		std::printf ("Rendered:  %g bars at %g BPM%s, %.3f s at %g Hz, blocks of %d (%llu blocks)\n", o.bars,
		             o.tempo, o.notes ? " (quarter notes, transport stopped)" : " (transport playing)",
		             audioSeconds, o.sampleRate, o.blockSize,
		             static_cast<unsigned long long> (host.blocksProcessed ()));
		std::printf ("Peak:      %.6f (%.2f dBFS)\n", levels.peak, dB (levels.peak));
		std::printf ("RMS:       %.6f (%.2f dBFS)\n", levels.rms, dB (levels.rms));
		if (wallSeconds > 0)
			std::printf ("Real-time factor: %.1fx (%.3f s of audio in %.3f s)\n", audioSeconds / wallSeconds,
			             audioSeconds, wallSeconds);
		std::printf ("Messages to the controller: %llu\n",
		             static_cast<unsigned long long> (host.messagesToController ()));

		int status = 0;
		if (host.failedBlocks () > 0)
		{
			std::fprintf (stderr, "grundmoor-render: %llu blocks did not process (last result %d)\n",
			              static_cast<unsigned long long> (host.failedBlocks ()), host.lastProcessResult ());
			status = 3;
		}
		if (!levels.finite)
		{
			std::fprintf (stderr, "grundmoor-render: the output holds NaN or infinite samples\n");
			status = 3;
		}
		if (!writeFloatWav (o.out, stereo, static_cast<std::uint32_t> (std::lround (o.sampleRate))))
		{
			std::fprintf (stderr, "grundmoor-render: cannot write %s\n", o.out.c_str ());
			return 1;
		}
		std::printf ("Wrote:     %s\n", o.out.c_str ());
		return status;
	}
	catch (const HostError& e)
	{
		std::cerr << "grundmoor-render: " << e.what () << "\n";
		return 1;
	}
}
