// Text drawing in the view tests fills process-wide caches of cairo and fontconfig; they are
// emptied once at the end of the test program, so that the sanitizer build's leak checker reports
// only real leaks.
#include "vstgui/vstgui.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

namespace {

class TextCacheCleanup : public ::testing::Environment {
public:
    void TearDown() override {
        VSTGUI::FontMetrics::releaseCaches();
        cairo_debug_reset_static_data();
        FcFini();
    }
};

::testing::Environment* const textCacheCleanup = ::testing::AddGlobalTestEnvironment(new TextCacheCleanup);

} // namespace
