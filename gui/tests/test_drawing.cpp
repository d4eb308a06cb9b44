// Drawing through the cairo context, checked by pixel probes at known coordinates.
#include "helpers.h"

#include <fontconfig/fontconfig.h>

#include <cmath>

using namespace VSTGUI;
using namespace testing_helpers;

namespace {

// Text drawing fills process-wide caches of cairo and fontconfig; empty them at the end so
// that the leak checker of the sanitizer build sees only real leaks.
class FontCacheCleanup : public ::testing::Environment
{
public:
	void TearDown () override
	{
		FontMetrics::releaseCaches ();
		cairo_debug_reset_static_data ();
		FcFini ();
	}
};
::testing::Environment* const fontCacheCleanup = ::testing::AddGlobalTestEnvironment (new FontCacheCleanup);

constexpr CColor kRed {220, 20, 30, 255};
constexpr CColor kBlue {20, 40, 230, 255};

std::unique_ptr<COffscreenImage> paint (double zoom, CCoord w, CCoord h,
                                        const std::function<void (CDrawContext&)>& body, cairo_status_t* status = nullptr)
{
	auto image = std::make_unique<COffscreenImage> (static_cast<int> (std::ceil (w * zoom)),
	                                                static_cast<int> (std::ceil (h * zoom)));
	cairo_t* cr = cairo_create (image->getSurface ());
	{
		CairoDrawContext context (cr, CRect (0, 0, w, h), zoom);
		context.setFillColor (kWhiteCColor);
		context.drawRect (CRect (0, 0, w, h), kDrawFilled);
		body (context);
	}
	if (status)
		*status = cairo_status (cr);
	cairo_destroy (cr);
	return image;
}

class Drawing : public ::testing::TestWithParam<double>
{
protected:
	double zoom () const { return GetParam (); }
};

TEST_P (Drawing, FilledAndStrokedRectangles)
{
	auto image = paint (zoom (), 120, 100, [] (CDrawContext& c) {
		c.setFillColor (kRed);
		c.drawRect (CRect (10, 10, 50, 40), kDrawFilled);
		c.setFrameColor (kBlue);
		c.setLineWidth (6);
		c.drawRect (CRect (60, 10, 110, 60), kDrawStroked);
	});
	EXPECT_TRUE (colorNear (probe (*image, 30, 25, zoom ()), kRed));
	EXPECT_TRUE (colorNear (probe (*image, 5, 5, zoom ()), kWhiteCColor));
	EXPECT_TRUE (colorNear (probe (*image, 53, 43, zoom ()), kWhiteCColor));
	EXPECT_TRUE (colorNear (probe (*image, 60, 35, zoom ()), kBlue));  // left edge of the frame
	EXPECT_TRUE (colorNear (probe (*image, 85, 35, zoom ()), kWhiteCColor)); // inside stays empty
}

TEST_P (Drawing, LinesAndEllipses)
{
	auto image = paint (zoom (), 120, 100, [] (CDrawContext& c) {
		c.setFrameColor (kBlue);
		c.setLineWidth (6);
		c.drawLine (CPoint (0, 80), CPoint (120, 80));
		c.setFillColor (kRed);
		c.drawEllipse (CRect (60, 10, 100, 50), kDrawFilled);
	});
	EXPECT_TRUE (colorNear (probe (*image, 50, 80, zoom ()), kBlue));
	EXPECT_TRUE (colorNear (probe (*image, 50, 70, zoom ()), kWhiteCColor));
	EXPECT_TRUE (colorNear (probe (*image, 80, 30, zoom ()), kRed));
	EXPECT_TRUE (colorNear (probe (*image, 62, 12, zoom ()), kWhiteCColor)); // corner of the box, outside the ellipse
}

// Arcs: degrees, 0 at three o'clock, growing clockwise.
struct ArcCase
{
	float start, end;
	double probeAngle;
	bool lit;
};

TEST_P (Drawing, ArcsFollowTheAngleConvention)
{
	const ArcCase cases[] = {
	    {0, 90, 45, true},     // lower right quadrant (y grows downwards)
	    {0, 90, -45, false},   // upper right
	    {0, 90, 135, false},
	    {270, 360, 315, true}, // twelve to three o'clock: upper right
	    {270, 360, 45, false},
	    {135, 405, 270, true}, // the 270-degree knob track passes twelve o'clock
	    {135, 405, 90, false}, // and leaves six o'clock open
	    {90, 180, 135, true},  // lower left
	    {180, 90, 135, false}, // from 180 round to 90 clockwise: lower left stays empty
	    {180, 90, 300, true},
	};
	for (const auto& k : cases)
	{
		auto image = paint (zoom (), 100, 100, [&] (CDrawContext& c) {
			c.setFrameColor (kBlue);
			c.setLineWidth (8);
			c.drawArc (CRect (10, 10, 90, 90), k.start, k.end, kDrawStroked);
		});
		const double a = k.probeAngle * M_PI / 180.;
		const double x = 50 + 40 * std::cos (a), y = 50 + 40 * std::sin (a);
		EXPECT_TRUE (colorNear (probe (*image, x, y, zoom ()), k.lit ? kBlue : kWhiteCColor, 40))
		    << "arc " << k.start << ".." << k.end << " probed at " << k.probeAngle;
		EXPECT_TRUE (colorNear (probe (*image, 50, 50, zoom ()), kWhiteCColor)) << "a stroked arc leaves the centre";
	}
}

TEST_P (Drawing, FilledArcIsAPieSlice)
{
	auto image = paint (zoom (), 100, 100, [] (CDrawContext& c) {
		c.setFillColor (kRed);
		c.drawArc (CRect (10, 10, 90, 90), 180, 270, kDrawFilled);
	});
	EXPECT_TRUE (colorNear (probe (*image, 35, 35, zoom ()), kRed));
	EXPECT_TRUE (colorNear (probe (*image, 65, 65, zoom ()), kWhiteCColor));
	EXPECT_TRUE (colorNear (probe (*image, 65, 35, zoom ()), kWhiteCColor));
}

TEST_P (Drawing, TextIsAlignedInItsRectangle)
{
	struct Case
	{
		CHoriTxtAlign align;
		double expectedLeft, expectedRight; // -1: not checked
	};
	const Case cases[] = {{kLeftText, 0, -1}, {kRightText, -1, 200}, {kCenterText, -1, -1}};
	for (const auto& k : cases)
	{
		auto image = paint (zoom (), 200, 60, [&] (CDrawContext& c) {
			c.setFont (kNormalFont, 30, kBoldFace);
			c.setFontColor (kBlackCColor);
			c.drawString ("HHHH", CRect (0, 0, 200, 60), k.align);
		});
		const CRect ink = inkBounds (*image, kWhiteCColor);
		ASSERT_FALSE (ink.isEmpty ());
		const double z = zoom ();
		if (k.expectedLeft >= 0)
		{
			EXPECT_NEAR (ink.left / z, k.expectedLeft, 5.);
		}
		if (k.expectedRight >= 0)
		{
			EXPECT_NEAR (ink.right / z, k.expectedRight, 5.);
		}
		if (k.align == kCenterText)
		{
			EXPECT_NEAR ((ink.left + ink.right) / 2. / z, 100., 3.);
		}
		EXPECT_NEAR ((ink.top + ink.bottom) / 2. / z, 30., 4.) << "text is centred vertically";
		EXPECT_NEAR (ink.getHeight () / z, 30 * 0.716, 4.) << "cap height of a 30 pt face";
	}
}

TEST_P (Drawing, BitmapsAreDrawnUnscaledWithOffsetAndAlpha)
{
	const std::string dir = makeTempDir ();
	const std::string path = dir + "/two.png";
	writeTwoColourPNG (path, 20, 20, kRed, kBlue);
	auto bitmap = owned (new CBitmap (path));
	ASSERT_TRUE (bitmap->isLoaded ());
	EXPECT_EQ (bitmap->getWidth (), 20);
	auto image = paint (zoom (), 120, 60, [&] (CDrawContext& c) {
		bitmap->draw (&c, CRect (10, 10, 30, 30));                   // whole image
		bitmap->draw (&c, CRect (40, 10, 50, 30), CPoint (10, 0));   // right half only
		bitmap->draw (&c, CRect (60, 10, 100, 50));                  // larger rect: not scaled
		bitmap->draw (&c, CRect (80, 10, 90, 30), CPoint (0, 0), 0.5f);
	});
	const double z = zoom ();
	EXPECT_TRUE (colorNear (probe (*image, 15, 20, z), kRed));
	EXPECT_TRUE (colorNear (probe (*image, 25, 20, z), kBlue));
	EXPECT_TRUE (colorNear (probe (*image, 45, 20, z), kBlue));
	EXPECT_TRUE (colorNear (probe (*image, 52, 20, z), kWhiteCColor)); // clipped to the destination
	EXPECT_TRUE (colorNear (probe (*image, 75, 20, z), kBlue));
	EXPECT_TRUE (colorNear (probe (*image, 70, 40, z), kWhiteCColor)); // below the 20 px image
	EXPECT_TRUE (colorNear (probe (*image, 85, 20, z), CColor (238, 138, 143, 255), 12)); // half red over white
	std::filesystem::remove_all (dir);
}

TEST_P (Drawing, ClippingGlobalAlphaAndStateStack)
{
	auto image = paint (zoom (), 100, 100, [] (CDrawContext& c) {
		c.saveGlobalState ();
		c.setClipRect (CRect (20, 20, 40, 40));
		c.setGlobalAlpha (0.5f);
		c.setFillColor (kBlackCColor);
		c.drawRect (CRect (0, 0, 100, 100), kDrawFilled);
		c.restoreGlobalState ();
		c.setFillColor (kRed);
		c.drawRect (CRect (60, 60, 80, 80), kDrawFilled); // clip and alpha are back
		CRect clip;
		c.getClipRect (clip);
		EXPECT_NEAR (clip.left, 0, 1e-9);
		EXPECT_NEAR (clip.top, 0, 1e-9);
		EXPECT_NEAR (clip.right, 100, 1e-9);
		EXPECT_NEAR (clip.bottom, 100, 1e-9);
		EXPECT_FLOAT_EQ (c.getGlobalAlpha (), 1.f);
	});
	const double z = zoom ();
	EXPECT_TRUE (colorNear (probe (*image, 30, 30, z), CColor (128, 128, 128, 255), 3));
	EXPECT_TRUE (colorNear (probe (*image, 10, 10, z), kWhiteCColor));
	EXPECT_TRUE (colorNear (probe (*image, 45, 30, z), kWhiteCColor));
	EXPECT_TRUE (colorNear (probe (*image, 70, 70, z), kRed));
}

TEST_P (Drawing, BadInputNeverBreaksTheCairoContext)
{
	cairo_status_t status = CAIRO_STATUS_SUCCESS;
	const double nan = std::nan (""), inf = INFINITY;
	auto image = paint (zoom (), 100, 100, [&] (CDrawContext& c) {
		c.setLineWidth (nan);
		c.setLineWidth (-3);
		c.drawLine (CPoint (nan, 0), CPoint (10, 10));
		c.drawLine (CPoint (0, 0), CPoint (inf, 10));
		c.drawRect (CRect (0, 0, inf, 10), kDrawFilled);
		c.drawEllipse (CRect (nan, nan, nan, nan), kDrawFilled);
		c.drawArc (CRect (0, 0, 10, 10), nan, 90);
		c.drawArc (CRect (0, 0, 10, 10), 0, inf);
		c.drawArc (CRect (0, 0, 10, 10), 0, 3.0e38f);
		c.drawRect (CRect (-1e300, -1e300, 1e300, 1e300), kDrawStroked);
		c.drawLine (CPoint (1e300, 1e300), CPoint (-1e300, 5));
		c.setClipRect (CRect (nan, 0, 10, 10));
		c.setGlobalAlpha (nan);
		c.setFont (kNormalFont, nan, kBoldFace);
		c.setFont (kNormalFont, inf);
		c.setLineStyle (CLineStyle (CLineStyle::kLineCapButt, CLineStyle::kLineJoinMiter, 0., {nan, 2.}));
		c.drawString ("\xff\xfe broken \xc3", CRect (0, 0, 100, 20));
		c.drawString ("\xed\xa0\x80 surrogate", CPoint (0, 40));
		c.drawBitmap (nullptr, CRect (0, 0, 10, 10));
		{
			CDrawContext::Transform t (c, CGraphicsTransform ().scale (0, 0));
			c.drawRect (CRect (0, 0, 10, 10), kDrawFilled);
		}
		// Everything after must still draw.
		c.setFillColor (kRed);
		c.drawRect (CRect (50, 50, 90, 90), kDrawFilled);
	}, &status);
	EXPECT_EQ (status, CAIRO_STATUS_SUCCESS) << cairo_status_to_string (status);
	EXPECT_TRUE (colorNear (probe (*image, 70, 70, zoom ()), kRed));
}

TEST_P (Drawing, GraphicsPathsFillAndStroke)
{
	auto image = paint (zoom (), 100, 100, [] (CDrawContext& c) {
		auto path = owned (c.createGraphicsPath ());
		path->beginSubpath (CPoint (10, 10));
		path->addLine (CPoint (50, 10));
		path->addLine (CPoint (10, 50));
		path->closeSubpath ();
		c.setFillColor (kRed);
		c.drawGraphicsPath (path, CDrawContext::kPathFilled);
		auto ring = owned (c.createGraphicsPath ());
		ring->addEllipse (CRect (55, 55, 95, 95));
		ring->addEllipse (CRect (65, 65, 85, 85));
		c.setFillColor (kBlue);
		c.drawGraphicsPath (ring, CDrawContext::kPathFilledEvenOdd);
		auto arc = owned (c.createGraphicsPath ());
		arc->addArc (CRect (10, 55, 50, 95), 180, 270);
		c.setFrameColor (kBlue);
		c.setLineWidth (6);
		c.drawGraphicsPath (arc, CDrawContext::kPathStroked);
		auto bad = owned (c.createGraphicsPath ());
		bad->addLine (CPoint (std::nan (""), 0));
		c.drawGraphicsPath (bad, CDrawContext::kPathStroked);
	});
	const double z = zoom ();
	EXPECT_TRUE (colorNear (probe (*image, 20, 20, z), kRed));
	EXPECT_TRUE (colorNear (probe (*image, 45, 45, z), kWhiteCColor)) << "beyond the diagonal";
	EXPECT_TRUE (colorNear (probe (*image, 60, 75, z), kBlue));
	EXPECT_TRUE (colorNear (probe (*image, 75, 75, z), kWhiteCColor)) << "even-odd leaves the hole";
	const double a = 225. * M_PI / 180.;
	EXPECT_TRUE (colorNear (probe (*image, 30 + 20 * std::cos (a), 75 + 20 * std::sin (a), z), kBlue, 40));
	EXPECT_TRUE (colorNear (probe (*image, 30 + 20 * std::cos (M_PI / 4), 75 + 20 * std::sin (M_PI / 4), z), kWhiteCColor));
}

TEST_P (Drawing, RendersASingleViewOfATreeAndWritesPNGs)
{
	auto frame = owned (makeFrame (200, 100));
	auto* container = new CViewContainer (CRect (100, 20, 180, 80));
	container->setBackgroundColor (kBlue);
	frame->addView (container);
	container->addView (new LambdaView (CRect (10, 10, 30, 30), [] (CDrawContext* c, const CRect& r) {
		c->setFillColor (kRed);
		c->drawRect (r, kDrawFilled);
	}));
	auto image = renderView (container, zoom ());
	EXPECT_EQ (image->getWidth (), static_cast<int> (std::ceil (80 * zoom ())));
	EXPECT_TRUE (colorNear (probe (*image, 20, 20, zoom ()), kRed)) << "the view's own origin is the image's";
	EXPECT_TRUE (colorNear (probe (*image, 50, 50, zoom ()), kBlue));
	const std::string dir = makeTempDir ();
	ASSERT_TRUE (renderViewToPNG (container, zoom (), dir + "/view.png"));
	CBitmap back (dir + "/view.png");
	ASSERT_TRUE (back.isLoaded ());
	EXPECT_EQ (back.getWidth (), image->getWidth ());
	EXPECT_FALSE (renderViewToPNG (container, zoom (), dir + "/no/such/folder/view.png"));
	std::filesystem::remove_all (dir);
}

INSTANTIATE_TEST_SUITE_P (Zoom, Drawing, ::testing::Values (1.0, 0.65));

TEST (Offscreen, HugeViewsGiveNoPictureInsteadOfACrash)
{
	struct Case
	{
		const char* name;
		CCoord width, height;
		double zoom;
	};
	const Case cases[] = {
	    {"wide", 1.0e9, 10, 1.},
	    {"tall", 10, 40000, 1.},
	    {"beyond int", 1.0e12, 1.0e12, 1.},
	    {"zoomed beyond the limit", 20000, 10, 2.},
	};
	for (const auto& k : cases)
	{
		auto frame = owned (makeFrame (100, 100));
		auto* view = new CViewContainer (CRect (0, 0, k.width, k.height));
		view->setBackgroundColor (kRed);
		frame->addView (view);
		auto image = renderView (view, k.zoom);
		EXPECT_EQ (image, nullptr) << k.name;
		EXPECT_FALSE (renderViewToPNG (view, k.zoom, "/nonexistent/never-written.png")) << k.name;
	}
	// Images themselves stay within what cairo can make; reading them is safe either way.
	COffscreenImage wide (1000000, 1);
	EXPECT_EQ (wide.getWidth (), kMaxSurfaceSize);
	EXPECT_TRUE (wide.isValid ());
	EXPECT_EQ (wide.getPixel (kMaxSurfaceSize - 1, 0), CColor (0, 0, 0, 0));
	EXPECT_EQ (wide.getPixel (kMaxSurfaceSize, 0), CColor (0, 0, 0, 0));
	// The largest picture that is allowed still renders.
	auto frame = owned (makeFrame (100, 100));
	auto* strip = new CViewContainer (CRect (0, 0, kMaxSurfaceSize, 2));
	strip->setBackgroundColor (kRed);
	frame->addView (strip);
	auto image = renderView (strip, 1.);
	ASSERT_NE (image, nullptr);
	EXPECT_TRUE (colorNear (image->getPixel (kMaxSurfaceSize - 1, 1), kRed));
}

TEST (Text, BadFontsDoNotBreakMeasuringOrDrawing)
{
	const CFontDesc good ("Arial", 12, kNormalFace);
	const CCoord width = FontMetrics::stringWidth (good, "Hello");
	ASSERT_GT (width, 10.);
	struct Case
	{
		const char* name;
		std::string family;
		CCoord size;
	};
	const Case cases[] = {
	    {"invalid UTF-8 family", "\xff\xfe\xc3", 12},
	    {"lone surrogate in family", "Ari\xed\xa0\x80" "al", 12},
	    {"huge size", "Arial", 1.0e300},
	    {"both", "\xc0\xaf", 1.0e30},
	};
	for (const auto& k : cases)
	{
		const CFontDesc bad (k.family.c_str (), k.size, kNormalFace);
		const CCoord w = FontMetrics::stringWidth (bad, "Hello");
		EXPECT_TRUE (std::isfinite (w)) << k.name;
		CCoord ascent = 0., descent = 0.;
		FontMetrics::extents (bad, ascent, descent);
		EXPECT_TRUE (std::isfinite (ascent) && std::isfinite (descent)) << k.name;
		EXPECT_DOUBLE_EQ (FontMetrics::stringWidth (good, "Hello"), width) << k.name << ": later measurements";

		cairo_status_t status = CAIRO_STATUS_SUCCESS;
		auto font = makeOwned<CFontDesc> (k.family.c_str (), k.size, kNormalFace);
		auto image = paint (1., 100, 100, [&] (CDrawContext& c) {
			c.setFont (font);
			c.setFontColor (kBlue);
			c.drawString ("Hello", CRect (0, 0, 100, 20));
			c.setFillColor (kRed);
			c.drawRect (CRect (50, 50, 90, 90), kDrawFilled);
		}, &status);
		EXPECT_EQ (status, CAIRO_STATUS_SUCCESS) << k.name << ": " << cairo_status_to_string (status);
		EXPECT_TRUE (colorNear (probe (*image, 70, 70, 1.), kRed)) << k.name << ": drawing after the text";
	}
}

TEST (Transforms, NestedScalesThatOverflowAreIgnored)
{
	struct Case
	{
		const char* name;
		double outer, inner;
	};
	const Case cases[] = {
	    {"overflow", 1.0e300, 1.0e300},
	    {"underflow", 1.0e-300, 1.0e-300},
	    {"huge", 1.0e5, 1.0e5},
	    {"mixed", 1.0e300, 1.0e-300},
	};
	for (const auto& k : cases)
	{
		cairo_status_t status = CAIRO_STATUS_SUCCESS;
		auto image = paint (1., 100, 100, [&] (CDrawContext& c) {
			{
				CDrawContext::Transform a (c, CGraphicsTransform ().scale (k.outer, k.outer));
				CDrawContext::Transform b (c, CGraphicsTransform ().scale (k.inner, k.inner));
				c.setFillColor (kBlue);
				c.drawRect (CRect (0, 0, 1, 1), kDrawFilled);
				c.drawString ("x", CPoint (0, 0));
			}
			c.setFillColor (kRed);
			c.drawRect (CRect (50, 50, 90, 90), kDrawFilled);
		}, &status);
		EXPECT_EQ (status, CAIRO_STATUS_SUCCESS) << k.name << ": " << cairo_status_to_string (status);
		EXPECT_TRUE (colorNear (probe (*image, 70, 70, 1.), kRed)) << k.name << ": the rest of the render";
	}
}

TEST (Transforms, AContextInErrorDrawsNothingMore)
{
	auto image = std::make_unique<COffscreenImage> (20, 20);
	cairo_t* cr = cairo_create (image->getSurface ());
	{
		CairoDrawContext context (cr, CRect (0, 0, 20, 20), 1.);
		cairo_restore (cr); // unbalanced: puts the context into an error state
		ASSERT_NE (cairo_status (cr), CAIRO_STATUS_SUCCESS);
		context.setFillColor (kRed);
		context.drawRect (CRect (0, 0, 20, 20), kDrawFilled);
		context.drawEllipse (CRect (0, 0, 20, 20), kDrawFilled);
		context.drawString ("x", CPoint (2, 10));
	}
	cairo_destroy (cr);
	EXPECT_EQ (image->getPixel (10, 10), CColor (0, 0, 0, 0));
}

TEST (Text, ArialResolvesToAMetricCompatibleFace)
{
	EXPECT_EQ (FontMetrics::resolvedFamily ("Arial"), "Liberation Sans");
	CFontDesc arial ("Arial", 12, kNormalFace);
	// Arial advance widths: H 0.722, e 0.556, l 0.222, o 0.556 em.
	EXPECT_NEAR (FontMetrics::stringWidth (arial, "Hello"), 12 * (0.722 + 0.556 + 0.222 + 0.222 + 0.556), 0.3);
	CFontDesc bold ("Arial", 12, kBoldFace);
	EXPECT_GT (FontMetrics::stringWidth (bold, "Hello"), FontMetrics::stringWidth (arial, "Hello"));
}

TEST (Text, StringWidthFollowsTheContextFont)
{
	RecordingDrawContext context (CRect (0, 0, 10, 10));
	context.setFont (kNormalFont, 24, kNormalFace);
	const CCoord w24 = context.getStringWidth ("abc");
	context.setFont (kNormalFont, 12, kNormalFace);
	EXPECT_NEAR (context.getStringWidth ("abc"), w24 / 2, 0.01);
	EXPECT_EQ (context.getFont ()->getName (), "Arial");
	EXPECT_EQ (kNormalFont->getSize (), 12) << "the predefined font is not changed by setFont";
}

TEST (Text, SanitizeUTF8)
{
	const std::pair<std::string, std::string> cases[] = {
	    {"plain", "plain"},
	    {"\xc3\xa4\xe2\x82\xac", "\xc3\xa4\xe2\x82\xac"},               // ä €
	    {"\xf0\x9f\x8e\xb5", "\xf0\x9f\x8e\xb5"},                       // four bytes
	    {"a\xffz", "a\xef\xbf\xbdz"},                                    // stray byte
	    {"\xc3", "\xef\xbf\xbd"},                                        // truncated
	    {"\xc0\xaf", "\xef\xbf\xbd\xef\xbf\xbd"},                        // overlong
	    {"\xed\xa0\x80", "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd"},        // surrogate
	    {std::string ("ab\0cd", 5), "ab"},                               // stops at NUL
	};
	for (const auto& [in, out] : cases)
		EXPECT_EQ (sanitizeUTF8 (in), out);
}

TEST (Recording, RecordsCallsWithTheirState)
{
	RecordingDrawContext context (CRect (0, 0, 100, 100));
	{
		CDrawContext::Transform t (context, CGraphicsTransform ().translate (10, 20));
		context.setFrameColor (kRed);
		context.setLineWidth (2.5);
		context.drawLine (CPoint (1, 2), CPoint (3, 4));
		context.setFont (kNormalFontSmall, 9, kBoldFace);
		context.drawString ("x", CRect (0, 0, 5, 5), kRightText);
		context.drawArc (CRect (0, 0, 10, 10), 135, 405);
	}
	const auto& calls = context.getCalls ();
	ASSERT_EQ (calls.size (), 3u);
	EXPECT_EQ (calls[0].op, RecordingDrawContext::Op::Line);
	EXPECT_EQ (calls[0].state.frameColor, kRed);
	EXPECT_EQ (calls[0].state.lineWidth, 2.5);
	EXPECT_EQ (calls[0].globalPoint (calls[0].p1), CPoint (11, 22));
	EXPECT_EQ (calls[1].text, "x");
	EXPECT_EQ (calls[1].align, kRightText);
	EXPECT_EQ (calls[1].state.font->getSize (), 9);
	EXPECT_EQ (calls[1].state.font->getStyle (), kBoldFace);
	EXPECT_EQ (calls[2].startAngle, 135);
	EXPECT_EQ (calls[2].endAngle, 405);
	EXPECT_EQ (calls[2].globalRect (), CRect (10, 20, 20, 30));
	// Dropped calls are not recorded.
	context.drawLine (CPoint (std::nan (""), 0), CPoint (0, 0));
	EXPECT_EQ (context.getCalls ().size (), 3u);
}

} // namespace
