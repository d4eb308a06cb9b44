// grundmoor-editor-shot: opens a bundle's editor under an X server of its own, as a Linux host
// does, optionally plays and clicks, and writes a picture of the whole editor.
#include "ToolArguments.h"

#include "grundmoor/testhost/EditorSession.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace grundmoor::testhost;

namespace {

struct Options
{
	std::string bundle;
	std::string out = "editor.png";
	std::optional<double> zoom;
	double playSeconds = 0.0;
	int waitMilliseconds = 0;
	std::vector<EditorPoint> clicks;
};

void usage (std::ostream& os)
{
	os << "Usage: grundmoor-editor-shot --bundle DIR [options]\n"
	      "  --bundle DIR       the .vst3 bundle folder to load\n"
	      "  --out FILE.png     the picture (default editor.png)\n"
	      "  --zoom Z           the editor's zoom, through its editor-size file (the editor keeps it\n"
	      "                     within 0.3..2; default: the editor's own, 0.65)\n"
	      "  --play SECONDS     play the default pattern at 120 BPM for this long first\n"
	      "  --click X,Y        click this point in editor coordinates (zoom 1); repeatable, in order,\n"
	      "                     after playing\n"
	      "  --wait MS          let the editor run this long before the picture\n"
	      "Runs its own Xvfb; the user's files are not touched.\n";
}

using grundmoor::tools::number;

// Returns an error message, or empty when the options are fine.
std::string parse (int argc, char** argv, Options& o, bool& help)
{
	for (int i = 1; i < argc; ++i)
	{
		const std::string arg = argv[i];
		if (arg == "--help" || arg == "-h")
		{
			help = true;
			continue;
		}
		if (i + 1 >= argc)
			return arg.rfind ("--", 0) == 0 ? arg + " needs a value" : "unknown option " + arg;
		const std::string v = argv[++i];
		if (arg == "--bundle" || arg == "--out")
		{
			if (v.empty ())
				return arg + " needs a value";
			(arg == "--bundle" ? o.bundle : o.out) = v;
		}
		else if (arg == "--zoom")
		{
			auto z = number (v);
			if (!z || *z <= 0)
				return "bad value for --zoom: " + v;
			o.zoom = *z;
		}
		else if (arg == "--play")
		{
			auto s = number (v);
			if (!s || *s < 0 || *s > 3600)
				return "bad value for --play: " + v;
			o.playSeconds = *s;
		}
		else if (arg == "--wait")
		{
			auto ms = number (v);
			if (!ms || *ms < 0 || *ms > 3600000 || *ms != std::floor (*ms))
				return "bad value for --wait: " + v;
			o.waitMilliseconds = static_cast<int> (*ms);
		}
		else if (arg == "--click")
		{
			const auto comma = v.find (',');
			auto x = comma == std::string::npos ? std::nullopt : number (v.substr (0, comma));
			auto y = comma == std::string::npos ? std::nullopt : number (v.substr (comma + 1));
			if (!x || !y || *x < 0 || *y < 0)
				return "bad --click " + v + " (want X,Y in editor coordinates)";
			o.clicks.push_back ({*x, *y});
		}
		else
			return "unknown option " + arg;
	}
	if (!help && o.bundle.empty ())
		return "--bundle is required";
	return {};
}

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
		std::cerr << "grundmoor-editor-shot: " << error << "\n";
		usage (std::cerr);
		return 2;
	}

	try
	{
		EditorSession::Options so;
		so.bundle = o.bundle;
		EditorSession session (so);
		if (o.zoom)
		{
			std::ostringstream line;
			line.imbue (std::locale::classic ());
			line.precision (17);
			line << *o.zoom << "\n";
			session.writeEditorSizeFile (line.str ());
		}
		session.open ();
		if (o.playSeconds > 0)
			session.playAndPump (o.playSeconds);
		for (const auto& p : o.clicks)
			session.click (p);
		if (o.waitMilliseconds > 0)
			session.pump (o.waitMilliseconds);
		// Whatever the last steps changed is painted before the picture.
		session.waitForDrawn (2000);
		const Image shot = session.screenshot ();
		if (!shot.writePng (o.out))
		{
			std::cerr << "grundmoor-editor-shot: cannot write " << o.out << "\n";
			return 1;
		}
		std::printf ("Wrote %s (%d x %d pixels, zoom %.4g)\n", o.out.c_str (), shot.width (), shot.height (),
		             session.zoom ());
		return 0;
	}
	catch (const std::exception& e)
	{
		std::cerr << "grundmoor-editor-shot: " << e.what () << "\n";
		return 1;
	}
}
