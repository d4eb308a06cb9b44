#include "public.sdk/source/common/pluginview.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#include <gtest/gtest.h>

using namespace Steinberg;

// Each id is defined once and carries the value its interface declares.
TEST (GuiInterfaceIds, AreDefinedWithTheirDeclaredValues)
{
	struct Case
	{
		const char* name;
		const FUID& iid;
		const TUID& declared;
	};
	const Case cases[] = {
	    {"IPlugView", IPlugView::iid, IPlugView_iid},
	    {"IPlugFrame", IPlugFrame::iid, IPlugFrame_iid},
	    {"IPlugViewContentScaleSupport", IPlugViewContentScaleSupport::iid, IPlugViewContentScaleSupport_iid},
	    {"Linux::IEventHandler", Linux::IEventHandler::iid, Linux::IEventHandler_iid},
	    {"Linux::ITimerHandler", Linux::ITimerHandler::iid, Linux::ITimerHandler_iid},
	    {"Linux::IRunLoop", Linux::IRunLoop::iid, Linux::IRunLoop_iid},
	};
	for (const auto& c : cases)
	{
		SCOPED_TRACE (c.name);
		EXPECT_TRUE (c.iid.isValid ());
		EXPECT_EQ (c.iid, FUID::fromTUID (c.declared));
	}
}

// The SDK's own view base answers IPlugView through these ids.
TEST (GuiInterfaceIds, SdkViewBaseAnswersIPlugView)
{
	auto view = owned (new CPluginView (nullptr));
	void* obj = nullptr;
	ASSERT_EQ (view->queryInterface (IPlugView::iid, &obj), kResultOk);
	EXPECT_EQ (obj, static_cast<IPlugView*> (view.get ()));
	static_cast<IPlugView*> (obj)->release ();
}
