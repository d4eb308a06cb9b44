// A reference-counted object that offers one run-loop interface (timer or event handler) to the
// host.
#pragma once

#include "pluginterfaces/base/funknown.h"

#include <atomic>

namespace VSTGUI {
namespace Platform {

template <typename Interface>
class RunLoopHandler : public Interface
{
public:
	virtual ~RunLoopHandler () = default;

	Steinberg::tresult PLUGIN_API queryInterface (const Steinberg::TUID iid, void** obj) override
	{
		if (Steinberg::FUnknownPrivate::iidEqual (iid, Interface::iid) ||
		    Steinberg::FUnknownPrivate::iidEqual (iid, Steinberg::FUnknown::iid))
		{
			addRef ();
			*obj = static_cast<Interface*> (this);
			return Steinberg::kResultOk;
		}
		*obj = nullptr;
		return Steinberg::kNoInterface;
	}
	Steinberg::uint32 PLUGIN_API addRef () override { return ++refCount; }
	Steinberg::uint32 PLUGIN_API release () override
	{
		const auto r = --refCount;
		if (r == 0)
			delete this;
		return r;
	}

private:
	std::atomic<Steinberg::uint32> refCount {1};
};

} // namespace Platform
} // namespace VSTGUI
